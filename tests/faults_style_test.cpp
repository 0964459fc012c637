// The style file's text read into usable values, whatever it holds, and saving
// that keeps the old file whole, its mode and its link.
#include "tavrin.h"
#include "platform/testing.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <functional>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

#ifndef _WIN32
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace {

const std::string example = "Arial,-33,0 1024x768 (10,5)(341,384) 485 C ff0000,0,e1e1e1 2,4 6:0,18:1800 5 "
                            "ff0000,0,e1e1e1 0 0 Arial,-33,0";

StyleValues start_values()
{
    StyleValues v{};
    std::strcpy(v.face, "Arial");
    std::strcpy(v.date_face, "Arial");
    std::fill(std::begin(v.custom), std::end(v.custom), 0xE1E1E1);
    return v;
}

// The example with its first occurrence of what replaced by with.
StyleValues read_example(const std::string& what, const std::string& with, const std::string& colours = "e1e1e1,")
{
    std::string line = example;
    line.replace(line.find(what), what.size(), with);
    StyleValues v = start_values();
    EXPECT_EQ(read_style_text(("QZ1.1\n" + line + "\n" + colours + "\n").c_str(), v), 0) << line;
    return v;
}

TEST(StyleText, EveryValueComesInWithinWhatTheProgramUses)
{
    const std::string huge = "99999999999999999999";
    const struct {
        std::string what, with;
        int StyleValues::*field;
        int expected;
    } cases[] = {
        {"-33,0 1024", "-33,-2147483648 1024", &StyleValues::weight, 1},   // off the hundreds: italic
        {"-33,0 1024", "-33," + huge + " 1024", &StyleValues::weight, 1001},
        {"-33,0 1024", "-33,1100 1024", &StyleValues::weight, 1000},          // upright stays upright
        {"-33,0 1024", "-33,1201 1024", &StyleValues::weight, 1001},
        {"Arial,-33", "Arial,-100000000", &StyleValues::font_height, -2000},
        {"Arial,-33", "Arial,-2147483648", &StyleValues::font_height, -2000},
        {"Arial,-33", "Arial," + huge, &StyleValues::font_height, 2000},
        {"0 0 Arial,-33,0", "0 0 Arial,-2147483648,-2147483648", &StyleValues::date_hi, -2000},
        {"0 0 Arial,-33,0", "0 0 Arial,-2147483648,-2147483600", &StyleValues::date_weight, 0},
        {"2,4", "2147483647,2147483647", &StyleValues::switch_at, 3600},
        {"2,4", "0,-7", &StyleValues::off_for, 1},
        {"6:0,18:1800", "2147483647:0,18:1800", &StyleValues::start_hour, 23},
        {"6:0,18:1800", "6:0,-4:99999", &StyleValues::end_hour, 0},
        {"6:0,18:1800", "6:0,-4:99999", &StyleValues::end_secs, 3599},
        {"1800 5", "1800 2147483647", &StyleValues::demo, 3600},
        {"0 0 Arial", "2147483647 0 Arial", &StyleValues::fudge, 1800},
        {"0 0 Arial", "-2147483648 0 Arial", &StyleValues::fudge, -1799},
        {"0 0 Arial", "0 300 Arial", &StyleValues::quarter, 300},     // a change of divisions leaves such a start
        {"0 0 Arial", "0 -1 Arial", &StyleValues::quarter, 0},
        {"0 0 Arial", "0 3600 Arial", &StyleValues::quarter, 0},      // never comes: off
        {"0 0 Arial", "0 2550 Arial", &StyleValues::quarter, 2550},
    };
    for (const auto& c : cases)
        EXPECT_EQ(read_example(c.what, c.with).*c.field, c.expected) << c.with;
    EXPECT_EQ(read_example("(341,384)", "(-5,-2147483648)").place[3], 0) << "no size below nothing";
    const StyleValues colours = read_example("ff0000,0", "ffffffffff,0", "123456789abcdef0,-1,");
    EXPECT_EQ(std::vector<COLORREF>({colours.digit, colours.custom[0], colours.custom[1]}),
              std::vector<COLORREF>({0xFFFFFF, 0xFFFFFF, 0xFFFFFF}));
}

TEST(StyleText, WrittenBackAsReadAndRefusedWhenNotOurs)
{
    StyleValues v = start_values();
    ASSERT_EQ(read_style_text(("QZ1.1\n" + example + "\n" + "1,2,\n").c_str(), v), 0);
    EXPECT_EQ(style_text_of(v, 0), example);
    EXPECT_EQ(style_text_of(v, 1).substr(example.size()), "\n1,2,e1e1e1,e1e1e1,e1e1e1,e1e1e1,e1e1e1,e1e1e1,"
                                                         "e1e1e1,e1e1e1,e1e1e1,e1e1e1,e1e1e1,e1e1e1,e1e1e1,e1e1e1,")
        << "the colours the text lacks keep their value";
    StyleValues other = start_values();
    EXPECT_EQ(read_style_text(("QZ2.1\n" + example + "\n").c_str(), other), 1);
}

TEST(StyleText, EveryLineEndReadsAlikeAndFacesAreCutBetweenCharacters)
{
    for (const std::string end : {"\n", "\r\n", "\r"}) {
        StyleValues v = start_values();
        read_style_text(("QZ1.1" + end + example + end).c_str(), v);
        EXPECT_EQ(style_text_of(v, 0), example) << int(end.back());
    }
    const std::pair<std::string, std::size_t> faces[] = {{std::string(40, 'a'), 31}, {"éééééééééééééééé", 30},
                                                         {"€€€€€€€€€€€", 30}, {"a😀😀😀😀😀😀😀😀", 29}};
    for (const auto& [face, kept] : faces)
        EXPECT_EQ(read_example("Arial,-33,0 1024", face + ",-33,0 1024").face, face.substr(0, kept));
}

// ---- reading and saving ---------------------------------------------------------------------

// The texts of the message boxes shown while it lives, each answered at once.
struct Boxes : std::vector<std::string> {
    Boxes() { plat::set_message_box_hook([this](const plat::MessageBoxCall& c) { return push_back(c.text), 1; }); }
    ~Boxes() { plat::set_message_box_hook(nullptr); }
};

// The placement the clock starts with, and the boxes shown on the way.
std::vector<std::string> start_with_style(int place[4])
{
    const Boxes boxes;
    const plat::Menu menu = plat::load_menu("MAINMENU");
    init_stl(), fiddle_file_menu('F', menu), get_style('F', menu, place), close_stl();
    return boxes;
}

bool names(const std::string& box, const char* reason)
{
    return box.find("\"tavrin.sty\"") != std::string::npos && box.find(reason) != std::string::npos;
}

std::string slurp(const fs::path& name)
{
    std::stringstream text;
    text << std::ifstream(name, std::ios::binary).rdbuf();
    return text.str();
}

class Saving : public ::testing::Test {
protected:
    void SetUp() override
    {
        fs::remove_all(dir);
        fs::create_directories(dir);
        fs::current_path(dir);
        std::ofstream(sty, std::ios::binary) << old_text;
        style_file_unreadable = 0;
    }
    void TearDown() override
    {
        fs::current_path(home);
        fs::remove_all(dir);
    }
    const fs::path home = fs::current_path(), dir = fs::temp_directory_path() /
        ("tavrin-saving-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    const fs::path sty = "tavrin.sty";
    const std::string old_text = "QZ1.1\nold\n", new_text = "QZ1.1\n" + example + "\nff,\n";
};

TEST_F(Saving, ReplacesTheOldTextAndWritesInPlaceWhenNoFileCanBeAdded)
{
    ASSERT_EQ(write_style_text("tavrin.sty", new_text), 0);
    EXPECT_EQ(slurp(sty), new_text) << "an existing file is replaced";

    fs::create_directory("tavrin.sty.new");   // the folder takes no fresh copy
    ASSERT_EQ(write_style_text("tavrin.sty", old_text), 0);
    EXPECT_EQ(slurp(sty), old_text) << "a shorter text is not followed by the longer one's end";
    ASSERT_EQ(write_style_text("tavrin.sty", new_text), 0);
    EXPECT_EQ(slurp(sty), new_text);
    fs::remove("tavrin.sty.new");
    EXPECT_NE(write_style_text("no-such-dir/tavrin.sty", new_text), 0);

    // A file the user made read-only stays as it is (the superuser may write it all the same).
    fs::permissions(sty, fs::perms::owner_read);
    if (!std::ofstream(sty, std::ios::app)) {
        EXPECT_NE(write_style_text("tavrin.sty", old_text), 0);
        EXPECT_EQ(slurp(sty), new_text);
    }
    fs::permissions(sty, fs::perms::owner_read | fs::perms::owner_write);
}

#ifndef _WIN32
TEST_F(Saving, KeepsTheModeAndTheLink)
{
    fs::permissions(sty, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    ASSERT_EQ(write_style_text("tavrin.sty", new_text), 0);
    EXPECT_EQ(slurp(sty), new_text);
    EXPECT_EQ(fs::status(sty).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);

    fs::create_directory("real");
    fs::rename(sty, "real/kept.sty");
    fs::create_symlink("real/kept.sty", sty);
    ASSERT_EQ(write_style_text("tavrin.sty", old_text), 0);
    EXPECT_TRUE(fs::is_symlink(sty));
    EXPECT_EQ(slurp("real/kept.sty"), old_text);

    fs::create_directory("real/kept.sty.new");   // through the link, in place
    ASSERT_EQ(write_style_text("tavrin.sty", new_text), 0);
    EXPECT_TRUE(fs::is_symlink(sty));
    EXPECT_EQ(slurp("real/kept.sty"), new_text);
}

// A file-size limit stands for a full disk: the old file stays whole on both ways of writing.
TEST_F(Saving, AFullDiskLeavesTheOldFileWhole)
{
    for (bool in_place : {false, true}) {
        if (in_place)
            fs::create_directory("tavrin.sty.new");
        const pid_t child = fork();
        if (child == 0) {
            std::signal(SIGXFSZ, SIG_IGN);
            const rlimit small = {32, 32};
            setrlimit(RLIMIT_FSIZE, &small);
            _exit(write_style_text("tavrin.sty", new_text) != 0 ? 0 : 1);
        }
        int status = 0;
        waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the write must fail; in place " << in_place;
        EXPECT_EQ(slurp(sty), old_text) << "in place " << in_place;
    }
}

// Killed at any moment, a save leaves one whole text or the other, never a mix.
TEST_F(Saving, AKillAtAnyMomentLeavesAWholeFile)
{
    std::mt19937 random(12);
    for (bool in_place : {false, true}) {
        fs::remove("tavrin.sty.new");   // a kill may have left a fresh copy behind
        if (in_place)
            fs::create_directory("tavrin.sty.new");
        for (int round = 0; round < 60; ++round) {
            const pid_t child = fork();
            if (child == 0)
                for (int i = 0;; ++i)
                    write_style_text("tavrin.sty", i % 2 ? old_text : new_text);
            usleep(std::uniform_int_distribution<int>(200, 3000)(random));
            kill(child, SIGKILL);
            waitpid(child, nullptr, 0);
            const std::string left = slurp(sty);
            const bool whole = in_place ? left.rfind(new_text, 0) == 0 || left.rfind(old_text, 0) == 0
                                        : left == new_text || left == old_text;
            ASSERT_TRUE(whole) << "in place " << in_place << ": " << left;
        }
    }
}

// Each is refused at once with its reason, and left as it was after the end of the run.
TEST_F(Saving, AStyleFileThatCannotBeReadIsToldAndNeverWrittenOver)
{
    const bool root = geteuid() == 0;   // permissions bind only others: root reads as nobody
    int place[4] = {};
    EXPECT_TRUE(start_with_style(place).empty()) << "no file, no box (and the fonts are loaded now)";
    const std::pair<const char*, std::function<void()>> cases[] = {
        {"Permission denied", [&] { std::ofstream(sty) << old_text, fs::permissions(sty, fs::perms::owner_write); }},
        {"folder", [&] { fs::create_directory(sty); }},
        {"FIFO", [&] { mkfifo("tavrin.sty", 0666); }},
        {"device", [&] { fs::create_symlink("/dev/zero", sty); }},
        {"more than", [&] { std::ofstream(sty) << old_text << std::string(20000, ' '); }},
    };
    for (const auto& [reason, make] : cases) {
        fs::remove_all(sty);
        make();
        const fs::file_type type = fs::symlink_status(sty).type();
        const auto size = type == fs::file_type::regular ? fs::file_size(sty) : 0;
        if (root && seteuid(65534) != 0)
            GTEST_SKIP() << "cannot act as user nobody, so the unreadable file would be read";
        alarm(3);   // a read that blocks or never ends fails here
        const auto start = std::chrono::steady_clock::now();
        const std::vector<std::string> boxes = start_with_style(place);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1)) << reason;
        alarm(0);
        ASSERT_TRUE(!root || seteuid(0) == 0);
        EXPECT_TRUE(boxes.size() == 1 && names(boxes[0], reason)) << reason << ": " << ::testing::PrintToString(boxes);
        EXPECT_EQ(save_style_at_end(place), 0);
        EXPECT_EQ(fs::symlink_status(sty).type(), type) << reason;
        EXPECT_TRUE(type != fs::file_type::regular || fs::file_size(sty) == size) << reason;
    }
}

#endif

TEST_F(Saving, ARefusedWindowClassIsToldWithTheSystemsErrorAndNothingIsSaved)
{
    fs::remove(sty);
    std::vector<std::string> told;
    plat::set_message_box_hook([&](const plat::MessageBoxCall& c) { return told.push_back(c.caption + ": " + c.text), 1; });
    plat::refuse(plat::Refusal::window_class, 1410);
    EXPECT_EQ(WinMain(""), 1);
    plat::refuse(plat::Refusal::window_class, 0);
    plat::set_message_box_hook(nullptr);
    EXPECT_EQ(told, std::vector<std::string>{"Tavrin is way off.: Call to Microsoft's Register(Window)Class function "
                                             "failed. Get last error 1410"});
    EXPECT_FALSE(fs::exists(sty));
}

TEST_F(Saving, PlacementsThatCouldNotBeSeenGiveAWindowOnTheScreenAndAFailedSaveIsTold)
{
    const plat::Rect d = plat::desktop_rect(), s = plat::primary_screen_rect();
    const int first_w = (s.right - s.left) / 3, first_h = (s.bottom - s.top) / 2;
    const std::string off = "(" + std::to_string(d.right) + "," + std::to_string(d.bottom) + ")(341,384)";
    const std::pair<std::string, std::pair<int, int>> places[] = {
        {"(10,5)(0,0)", {first_w, first_h}},
        {"(10,5)(-40,-1)", {first_w, first_h}},
        {"(10,5)(31,200)", {first_w, 200}},
        {"(10,5)(150,150)", {150, 150}},   // made so by the user: kept
        {off, {341, 384}},
    };
    for (const auto& [where, size] : places) {
        std::ofstream(sty, std::ios::binary) << "QZ1.1\n" << std::string(example).replace(example.find("(10,5)(341,384)"), 15, where);
        int p[4] = {};
        start_with_style(p);
        EXPECT_EQ(std::make_pair(p[2], p[3]), size) << where;
        EXPECT_TRUE(p[0] < d.right && p[1] < d.bottom && p[0] + p[2] > d.left && p[1] + p[3] > d.top) << where;
        EXPECT_EQ(save_style_at_end(p), 0);
        EXPECT_NE(slurp(sty).find("(" + std::to_string(p[2]) + "," + std::to_string(p[3]) + ")"), std::string::npos) << where;
    }
    fs::remove(sty);
    fs::create_directory(sty);   // the fresh file takes no rename over a folder, nor a rewrite in place
    const Boxes boxes;
    EXPECT_EQ(save_style_at_end(ww_pos_size), 1);
    EXPECT_TRUE(boxes.size() == 1 && names(boxes[0], std::strerror(EISDIR))) << ::testing::PrintToString(boxes);
    EXPECT_TRUE(fs::is_directory(sty));
}

}  // namespace
