// The style file, the File-menu styles, font sharing and the menu template, with "Arial" at hand.
#include "tavrin.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::string slurp(const std::string& name)
{
    std::stringstream text;
    text << std::ifstream(name, std::ios::binary).rdbuf();
    return text.str();
}

bool alive(plat::Font f)
{
    plat::LogFont lf;
    return plat::get_font_desc(f, lf);
}

plat::LogFont desc(plat::Font f)
{
    plat::LogFont lf;
    EXPECT_TRUE(plat::get_font_desc(f, lf));
    return lf;
}

std::string screen() { return std::to_string(plat::desktop_rect().right) + "x" + std::to_string(plat::desktop_rect().bottom); }
std::string repeated(const std::string& s, int times) { return times ? s + repeated(s, times - 1) : ""; }
const std::string custom_line = repeated("e1e1e1,", 16);
std::vector<int> v4(const int* p) { return {p[0], p[1], p[2], p[3]}; }

// Each test starts from the values at load, in an empty working directory, and
// must end with every font it made released.
class Style : public ::testing::Test {
protected:
    void SetUp() override
    {
        static const Clk clk_at_load = clk;
        clk = clk_at_load;
        stl = dflt_stl = {CMD_SHAPE_CIRCLE, nullptr, -33, 0xFF0000, 0, 0xE1E1E1};
        file_stl = recent_stl = {};
        ini_bits = default_ini_bits;
        non_ini_bits = file_ini_bits = recent_ini_bits = 0;
        std::fill(std::begin(rgbCustom), std::end(rgbCustom), 0xE1E1E1);
        file_menu_state = 2;
        init_stl();
        boxes.clear();
        fonts_before = plat::live_font_count();
        fs::remove_all(dir);
        fs::create_directories(dir);
        fs::current_path(dir);
        plat::set_message_box_hook([this](const plat::MessageBoxCall& call) {
            boxes.push_back(call);
            return plat::IDOK;
        });
        menu = plat::load_menu("MAINMENU");
        ASSERT_NE(menu, nullptr);
    }
    void TearDown() override
    {
        close_stl();
        EXPECT_EQ(plat::live_font_count(), fonts_before) << "a font leaked";
        plat::set_choose_font_hook(nullptr);
        fs::current_path(home);
        fs::remove_all(dir);
    }
    void fresh()
    {
        TearDown();
        SetUp();
    }
    int read(const std::string& data, const std::string& version = "QZ1.1", const std::string& colours = custom_line)
    {
        std::ofstream("tavrin.sty", std::ios::binary) << version << "\n" << data << "\n" << colours << "\n";
        fiddle_file_menu('F', menu);
        return get_style('F', menu, place);
    }
    // The example's data line with some of its parts replaced.
    static std::string line(const std::string& font = "Arial,-33,0", const std::string& flags = "485 C",
                            const std::string& times = "6:0,18:1800 5", const std::string& tail = "0 0 Arial,-33,0",
                            const std::string& where = "(10,5)(341,384)")
    {
        return font + " " + screen() + " " + where + " " + flags + " ff0000,0,e1e1e1 2,4 " + times +
               " ff0000,0,e1e1e1 " + tail;
    }
    void expect_file_menu(int checked, bool recent_enabled, bool file_enabled = true)
    {
        for (int id : {CMD_STYLE_RECENT, CMD_STYLE_FILE, CMD_STYLE_DEFAULT})
            EXPECT_EQ(plat::menu_item_checked(menu, id), id == checked) << id;
        EXPECT_EQ(plat::menu_item_enabled(menu, CMD_STYLE_RECENT), recent_enabled);
        EXPECT_EQ(plat::menu_item_enabled(menu, CMD_STYLE_FILE), file_enabled);
    }

    // One directory per test, so that tests may run side by side.
    const fs::path home = fs::current_path(), dir = fs::temp_directory_path() /
        ("tavrin-style-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    int fonts_before = 0;
    std::vector<plat::MessageBoxCall> boxes;
    plat::Menu menu = nullptr;
    int place[4] = {1, 2, 3, 4};
};

TEST_F(Style, WithoutAFileTheDefaultStyleIsSavedAsTheExample)
{
    fiddle_file_menu('F', menu);
    ASSERT_EQ(get_style('F', menu, place), 0);
    const plat::Rect desk = plat::desktop_rect();
    EXPECT_EQ(v4(place), (std::vector<int>{10, 5, desk.right / 3, desk.bottom / 2}));
    expect_file_menu(CMD_STYLE_DEFAULT, false, false);
    EXPECT_TRUE(boxes.empty()) << "Arial is served by Liberation Sans";
    EXPECT_EQ(hfDate, stl.hfont);
    EXPECT_EQ(make_style_string(0, 10, 5, 341, 384), line());
    const int at[4] = {10, 5, 341, 384};
    ASSERT_EQ(write_style_file("tavrin.sty", at), 0);
    EXPECT_EQ(slurp("tavrin.sty"), "QZ1.1\n" + line() + "\n" + custom_line + "\n");
    EXPECT_FALSE(fs::exists("tavrin.sty.new"));
}

TEST_F(Style, AFileReadIsWrittenBackUnchanged)
{
    const std::string data = line("DejaVu Serif,-48,701", "301D92 M", "7:900,19:1350 9",
                                  "150 2700 Liberation Serif,-40,401", "(20,30)(300,200)");
    const std::string colours = "0,1,ff,abcdef," + repeated("e1e1e1,", 11) + "ffffff,";
    ASSERT_EQ(read(data, "QZ1.1", colours), 0);
    EXPECT_EQ(std::make_pair(non_ini_bits, ini_bits), std::make_pair(0x300000, 0x1D92));
    ASSERT_EQ(write_style_file("tavrin.sty", place), 0);
    EXPECT_EQ(slurp("tavrin.sty"), "QZ1.1\n" + data + "\n" + colours + "\n");
}

TEST_F(Style, OnlyTheVersionNumberIsCompared)
{
    for (const char* version : {"QZ1.0", "QZ1.9", "XY1.1", "QZ1", "QZ2.1", "QZ0.9", ""}) {
        fresh();
        const bool refused = std::string(version) == "" || version[2] != '1';
        EXPECT_EQ(read(line(), version), refused ? 1 : 0) << version;
        ASSERT_EQ(boxes.size(), refused ? 1u : 0u) << version;
    }
    EXPECT_EQ(boxes[0].caption, "Tavrin: Wrong version .sty");
    EXPECT_EQ(boxes[0].text, "The \"tavrin.sty\" file in the current subdirectory is the wrong version or "
                             "corrupted. Erase it and run Tavrin again.");
    EXPECT_EQ(boxes[0].flags, unsigned(plat::MB_ICONSTOP));
}

TEST_F(Style, FieldsAreDecodedByTheirRules)
{
    const struct { int code, weight, italic; } weights[] = {{700, 700, 0}, {701, 700, 255}, {401, 400, 255}, {0, 0, 0}, {1, 0, 255}};
    for (const auto& w : weights) {
        fresh();
        const std::string code = std::to_string(w.code);
        ASSERT_EQ(read(line("Arial,-33," + code, "485 C", "6:0,18:1800 5", "0 0 Arial,-33," + code)), 0);
        for (plat::Font f : {stl.hfont, hfDate})
            EXPECT_TRUE(desc(f).weight == w.weight && desc(f).italic == w.italic && desc(f).height == -120) << code;
    }
    const std::pair<const char*, int> shapes[] = {{"C", 7009}, {"I", 7010}, {"R", 7011}, {"M", 7012}, {"X", 7009}};
    for (const auto& [letter, shape] : shapes) {
        fresh();
        ASSERT_EQ(read(line("Arial,-33,0", std::string("100485 ") + letter)), 0);
        EXPECT_EQ(stl.shape, shape) << letter;
        EXPECT_EQ(std::make_pair(non_ini_bits, file_ini_bits), std::make_pair(0x100000, 0x485)) << letter;
    }
    // A ticker place outside 1..9 is put in the middle; the ends of the range are kept, and saved as read.
    const std::pair<const char*, const char*> tickers[] = {
        {"481", "481"}, {"489", "489"}, {"48A", "485"}, {"48F", "485"}};
    for (const auto& [flags, kept] : tickers) {
        fresh();
        ASSERT_EQ(read(line("Arial,-33,0", std::string(flags) + " C")), 0);
        EXPECT_EQ(make_style_string(0, 10, 5, 341, 384), line("Arial,-33,0", std::string(kept) + " C")) << flags;
    }
    const plat::Rect desk = plat::desktop_rect();
    const std::pair<std::string, std::vector<int>> places[] = {
        {"(-5,20)(5000,3000)", {0, 20, desk.right, desk.bottom}},
        {"(" + std::to_string(desk.right - 50) + "," + std::to_string(desk.bottom + 1) + ")(300,250)",
         {desk.right - 50, 0, 300, 250}}};
    for (const auto& [where, expected] : places) {
        fresh();
        ASSERT_EQ(read(line("Arial,-33,0", "485 C", "6:0,18:1800 5", "0 0 Arial,-33,0", where)), 0);
        EXPECT_EQ(v4(place), expected) << where;
    }
}

TEST_F(Style, TimesFollowTheFilesDivisionModelAndZerosKeepValues)
{
    clk.fudge_secs = 120;
    clk.quarter_secs = 1200;
    ASSERT_EQ(read(line("Arial,-33,0", "495 C", "6:900,18:1350 0")), 0);
    EXPECT_EQ(clk.quarter_secs, 0) << "0 turns quarter 'til off";
    EXPECT_EQ((std::vector<int>{clk.demo_secs, clk.fudge_secs, incr_secs, clk.rvrse_start.increment, clk.rvrse_end.increment}),
              (std::vector<int>{5, 120, 450, 2, 3}));
    fresh();
    ASSERT_EQ(read(line("Arial,-33,0", "495 C", "6:900,18:1350 0", "0 360 Arial,-33,0")), 0);
    EXPECT_EQ(clk.quarter_secs, 360) << "as saved after 12 divisions became 8";
}

TEST_F(Style, ShortAndGarbledFilesKeepWhatIsInEffect)
{
    ASSERT_EQ(read("Liberation Mono,-40,700 " + screen() + " (20,30)(300,200) 4A0", "QZ1.1", "1,2,"), 0);
    EXPECT_STREQ(desc(stl.hfont).face, "Liberation Mono");
    EXPECT_STREQ(desc(hfDate).face, "Arial");
    EXPECT_EQ(ini_bits, 0x4A5) << "ticker place 0 becomes 5";
    EXPECT_EQ(v4(place), (std::vector<int>{20, 30, 300, 200}));
    EXPECT_EQ((std::vector<int>{stl.font_height, stl.shape, int(stl.rgbBkgrnd), clk.rvrse_end.secs}),
              (std::vector<int>{-40, CMD_SHAPE_CIRCLE, 0xE1E1E1, 1800}));
    EXPECT_EQ(std::vector<COLORREF>(rgbCustom, rgbCustom + 4), (std::vector<COLORREF>{1, 2, 0xE1E1E1, 0xE1E1E1}));

    fresh();
    const std::string long_face(4000, 'W');
    ASSERT_EQ(read(long_face + ",-33,0 \x01\xff garbage (((" + std::string(4000, '9'), "QZ1.1", std::string(4000, 'z')), 0);
    EXPECT_EQ(desc(stl.hfont).face, long_face.substr(0, 31));
    EXPECT_EQ(ini_bits, default_ini_bits);
    EXPECT_EQ(rgbCustom[0], 0xE1E1E1u);

    fresh();
    ASSERT_EQ(read(""), 0);
    EXPECT_STREQ(desc(stl.hfont).face, "Arial");
    EXPECT_EQ(stl.font_height, -33);
}

TEST_F(Style, FileMenuFollowsTheUsersChoices)
{
    ASSERT_EQ(read(line("Arial,-33,0", "485 R")), 0);
    expect_file_menu(CMD_STYLE_FILE, false);
    const int R = CMD_STYLE_RECENT, F = CMD_STYLE_FILE, D = CMD_STYLE_DEFAULT;
    const struct { char event; int shape, checked; } steps[] = {
        {'f', CMD_SHAPE_USA, R}, {'f', CMD_SHAPE_USA, R},     {'D', CMD_SHAPE_CIRCLE, D}, {'R', CMD_SHAPE_USA, R},
        {'F', CMD_SHAPE_RECT, F}, {'D', CMD_SHAPE_CIRCLE, D}, {'R', CMD_SHAPE_USA, R},    {'f', CMD_SHAPE_INDICIA, R},
        {'D', CMD_SHAPE_CIRCLE, D}, {'R', CMD_SHAPE_INDICIA, R}};
    for (const auto& s : steps) {
        EXPECT_EQ(fiddle_file_menu(s.event, menu), 'R');
        if (s.event == 'f')
            stl.shape = s.shape;   // the user's change
        else
            get_style(s.event, menu, place);
        EXPECT_EQ(stl.shape, s.shape) << "step " << (&s - steps);
        expect_file_menu(s.checked, true);
    }
}

TEST_F(Style, SharedFontsAreDeletedOnceAndOnlyWhenUnused)
{
#ifdef _WIN32
    EXPECT_STREQ(desc(plat::stock_font()).face, "System") << "the plain date is in the font a context starts with";
#endif
    ASSERT_EQ(read(line("DejaVu Sans,-33,0")), 0);
    const plat::Font file_font = stl.hfont, file_date = hfDate;
    plat::set_choose_font_hook([](plat::LogFont& lf) { return std::strcpy(lf.face, "DejaVu Serif"), true; });
    ASSERT_EQ(font_dialog(&stl.hfont, &stl.font_height), 1);
    const plat::Font picked = stl.hfont;
    fiddle_file_menu('f', menu);
    fiddle_file_menu('D', menu);
    get_style('D', menu, place);   // picked goes to the most recent style
    EXPECT_EQ(hfDate, dflt_stl.hfont);
    EXPECT_FALSE(alive(file_date)) << "the replaced date font is released";
    const plat::Font shared = hfDate;   // the date dialog swaps the date font
    ASSERT_EQ(font_dialog(&hfDate, &date_font_hi), 1);
    cleanup_font(shared);
    EXPECT_TRUE(alive(shared) && alive(file_font) && alive(picked));
    ASSERT_EQ(font_dialog(&stl.hfont, &stl.font_height), 1);
    fiddle_file_menu('f', menu);
    fiddle_file_menu('F', menu);
    get_style('F', menu, place);   // the newer pick replaces picked as the most recent
    EXPECT_FALSE(alive(picked));
    EXPECT_EQ(stl.hfont, file_font);
}

TEST_F(Style, FontDialogReportsOnlyRealChanges)
{
    ASSERT_EQ(get_style('D', menu, place), 0);
    int offered_height = 0;
    plat::set_choose_font_hook([&](plat::LogFont& lf) { return offered_height = lf.height, true; });
    EXPECT_EQ(font_dialog(&stl.hfont, &stl.font_height), 0);
    EXPECT_EQ(offered_height, -33);
    plat::set_choose_font_hook([](plat::LogFont& lf) { return lf.height = -50, true; });
    EXPECT_EQ(font_dialog(&stl.hfont, &stl.font_height), 1);
    EXPECT_EQ(std::make_pair(stl.font_height, desc(stl.hfont).height), std::make_pair(-50, -120));
    plat::set_choose_font_hook([](plat::LogFont&) { return false; });
    EXPECT_EQ(font_dialog(&stl.hfont, &stl.font_height), 0);

    arial_count = other_tt_count = 0;
    plat::LogFont lf;
    for (const char* face : {"Arial", "arial", "Arial Black"}) {
        std::strcpy(lf.face, face);
        EXPECT_EQ(enumfont_proc(lf, plat::TRUETYPE_FONTTYPE, 0) + enumfont_proc(lf, plat::RASTER_FONTTYPE, 0), 18);
    }
    EXPECT_EQ(std::make_pair(arial_count, other_tt_count), std::make_pair(1, 2));
}

std::intptr_t bar_watcher(plat::Window w, unsigned msg, std::uintptr_t wp, std::intptr_t lp)
{
    if (msg == plat::WM_COMMAND && plat::loword(wp) == CMD_HIDE_BARS)
        plat::set_window_text(w, "bars hidden");
    return plat::def_window_proc(w, msg, wp, lp);
}

TEST_F(Style, SetStyleMarksTheMenuAndRunsTheTicker)
{
    const plat::Window w = plat::create_window({"QZClockClass", "t", 0, 0, 300, 300, menu, bar_watcher});
    ASSERT_NE(w, nullptr);
    const std::vector<int> lit = {CMD_DIV_8, CMD_TICKER, CMD_MILITARY, CMD_SHAPE_RECT, CMD_3_COLOR, CMD_DATE},
                           plain = {CMD_DIV_12, CMD_SHAPE_CIRCLE, CMD_2_COLOR};
    const auto marked = [&](const std::vector<int>& on, const std::vector<int>& off) {
        for (int id : on)
            EXPECT_TRUE(plat::menu_item_checked(menu, id)) << id;
        for (int id : off)
            EXPECT_FALSE(plat::menu_item_checked(menu, id)) << id;
    };
    stl.shape = CMD_SHAPE_RECT;
    ini_bits = 0x1 | eight_div | ticker_on | military | three_color | date_on;
    int run = paint_filled | ticker_lit;
    EXPECT_EQ(set_style(w, &run), rgbCustom);
    EXPECT_EQ(run, paint_filled);
    EXPECT_EQ(plat::timer_interval(w, ticker_timer), 1000);
    EXPECT_EQ(plat::window_text(w), "bars hidden");
    marked(lit, plain);
    EXPECT_TRUE(plat::menu_item_enabled(menu, CMD_COLOR_DIGIT));

    ini_bits = default_ini_bits;
    stl.shape = CMD_SHAPE_CIRCLE;
    set_style(w, &run);
    EXPECT_FALSE(plat::timer_active(w, ticker_timer));
    marked(plain, lit);
    EXPECT_FALSE(plat::menu_item_enabled(menu, CMD_COLOR_DIGIT));
    plat::destroy_window(w);
}

TEST_F(Style, MenuTemplateHoldsEveryCommandOnceWithItsText)
{
    std::vector<int> ids = plat::menu_item_ids(menu);
    std::sort(ids.begin(), ids.end());
    EXPECT_EQ(std::unique(ids.begin(), ids.end()), ids.end());
    EXPECT_FALSE(std::binary_search(ids.begin(), ids.end(), int(CMD_TICKER_PREVIEW)));
    const std::pair<int, const char*> texts[] = {{CMD_DIV_8, "&7½-minute increments (8 divisions)"},
                                                 {CMD_QUARTER, "&Quarter 'til..."},
                                                 {CMD_EXIT_NO_SAVE, "Exit, &No save style\tAlt+F9"}};
    for (const auto& [id, text] : texts)
        EXPECT_EQ(plat::menu_item_text(menu, id), text) << id;
}

}  // namespace
