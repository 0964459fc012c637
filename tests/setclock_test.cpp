// The displayed-time model against a clock the tests set themselves (TZ=UTC0), and the
// command line as the start-up reads it.
#include "tavrin.h"

#include <clocale>
#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#ifndef _WIN32
#include <unistd.h>
#endif

namespace {

const Clk pristine_clk = clk;
std::time_t fake_now = 0;
std::time_t read_fake_now() { return fake_now; }

// 2021-03-01, a Monday, at h:m:s.
std::time_t at(int h, int m, int s) { return 1614556800 + h * 3600 + m * 60 + s; }

std::vector<std::vector<std::intptr_t>> notices;
// Posted last: everything posted before it has been delivered when it arrives.
constexpr unsigned all_delivered = plat::WM_USER + 0x3FF;

std::intptr_t recording_proc(plat::Window, unsigned msg, std::uintptr_t wp, std::intptr_t lp)
{
    if (msg == WM_DISP_UPDATE)
        notices.push_back({std::intptr_t(wp), lp});
    if (msg == all_delivered)
        plat::post_quit(0);
    return 0;
}

class Model : public ::testing::Test {
protected:
    void SetUp() override
    {
        clk = pristine_clk;
        incr_secs = 300;
        ini_bits = non_ini_bits = 0;
        set_clock_function(read_fake_now);
    }
    void TearDown() override
    {
        set_clock_function(nullptr);
        hAbout = nullptr;
        plat::destroy_window(window);
    }
    // What the main window does on a tick at h:m:s; returns set_time's result.
    int tick_at(int h, int m, int s)
    {
        fake_now = at(h, m, s);
        const int t = set_time();
        set_disp_clock(window);
        return t;
    }
    void step(int times = 1)
    {
        for (int i = 0; i < times; ++i)
            set_time();
        set_disp_clock(window);
    }
    void use_eight_divisions()
    {
        ini_bits |= eight_div;
        update_rvrse(-1, 0, 0, 0, 0, 0, 0, 0);
    }
    void open_window()
    {
        notices.clear();
        window = plat::create_window({"QZClockClass", "test", 0, 0, 200, 200, nullptr, recording_proc});
        ASSERT_NE(window, nullptr);
    }
    int timer_ms(int id) { return plat::timer_interval(window, id); }
    void deliver_posted()
    {
        plat::post_message(window, all_delivered, 0, 0);
        plat::run_message_loop();
    }
    plat::Window window = nullptr;
};

TEST_F(Model, IncrementBoundariesAndSecondsToTheNext)
{
    struct Case { bool eight; int h, m, s, wait, increment; };
    const Case cases[] = {{false, 12, 24, 59, 1, 4}, {false, 12, 25, 0, 300, 5}, {false, 12, 29, 59, 1, 5},
                          {false, 12, 30, 0, 300, 6}, {true, 12, 7, 29, 1, 0},   {true, 12, 52, 30, 450, 7}};
    for (const Case& c : cases) {
        if (c.eight && !(ini_bits & eight_div))
            use_eight_divisions();
        EXPECT_EQ(tick_at(c.h, c.m, c.s), c.wait) << c.m << ":" << c.s;
        EXPECT_EQ(clk.increment, c.increment) << c.m << ":" << c.s;
    }
    clk.time_source = 9;   // unknown: real time
    tick_at(8, 10, 0);
    EXPECT_EQ(clk.time_source * 100 + clk.hour, 8);
}

TEST_F(Model, FudgeFactorMovesHourAndDate)
{
    clk.fudge_secs = 150;
    tick_at(11, 57, 30);
    EXPECT_EQ(clk.disp_hour * 100 + clk.increment, 1200);
    tick_at(12, 27, 29);
    EXPECT_EQ(clk.increment, 5);
    tick_at(23, 57, 30);
    EXPECT_EQ(clk.hour, 0);
    EXPECT_STREQ(clk.date_text, "03/02 Tue");
}

#ifndef _WIN32
TEST_F(Model, LeapSecondStaysInTheLastIncrement)
{
    if (access("/usr/share/zoneinfo/right/UTC", R_OK) != 0)
        GTEST_SKIP() << "no leap-second zone";
    setenv("TZ", "right/UTC", 1);
    tzset();
    std::tm probe{};
    for (fake_now = 1483228799; probe.tm_sec != 60 && fake_now < 1483228860;)
        localtime_r(&++fake_now, &probe);
    step();
    setenv("TZ", "UTC0", 1);
    tzset();
    ASSERT_EQ(probe.tm_sec, 60);
    EXPECT_EQ(clk.increment, 11);
}
#endif

TEST_F(Model, DemoSources)
{
    demo_init_sc(2, 3, 7);
    EXPECT_EQ(tick_at(0, 0, 0), 5);
    EXPECT_EQ(clk.time_source * 100 + clk.increment, 1201);
    step(10);
    EXPECT_EQ(clk.increment, 11);
    step();
    EXPECT_EQ(clk.hour * 100 + clk.increment, 400);
    clk.hour = 23;
    step(12);
    EXPECT_EQ(clk.hour * 100 + clk.disp_hour, 12);

    demo_init_sc(4, 23, 20);
    step(2);
    EXPECT_EQ(clk.time_source * 10000 + clk.hour * 100 + clk.increment, 140004);

    demo_init_sc(1, 9, 44);
    EXPECT_EQ(tick_at(15, 0, 0), 0);
    EXPECT_EQ(clk.hour * 100 + clk.increment, 908);
    EXPECT_STREQ(clk.date_text, "31/12 Thurs");
    demo_init_sc(1, 30, 75);   // out of range on the command line
    step();
    EXPECT_EQ(clk.hour * 100 + clk.increment, 11);

    demo_init_sc(7, 0, 0);
    tick_at(12, 2, 0);
    EXPECT_EQ(clk.increment, 1);
    tick_at(12, 10, 0);
    EXPECT_EQ(clk.increment, 2);
}

TEST_F(Model, HourNumberShownAndComingInBothSchemes)
{
    // The number as drawn, tens|units: the hour, then the coming hour of the contracting phase.
    struct Case { int hour, military; const char *shown, *coming; };
    const Case cases[] = {
        {0, 0, "1|2", "|1"},   {12, 0, "1|2", "|1"},  {13, 0, "|1", "|2"},   {9, 0, "|9", "1|0"},
        {22, 0, "1|0", "1|1"}, {7, 1, "0|7", "0|8"},  {9, 1, "0|9", "1|0"},  {10, 1, "1|0", "1|1"},
        {19, 1, "1|9", "2|0"}, {20, 1, "2|0", "2|1"}, {21, 1, "2|1", "2|2"}, {22, 1, "2|2", "2|3"},
        {23, 1, "2|3", "0|0"}, {24, 1, "0|0", "0|1"},
    };
    const auto drawn = [] { return std::string(clk.tens_digit) + "|" + clk.units_digit; };
    for (const Case& c : cases) {
        clk.hour = c.hour;
        toggle_hour("Reset");
        format_hour(c.military);
        EXPECT_EQ(drawn(), c.shown) << c.hour;
        toggle_hour("Set");
        format_hour(c.military);
        EXPECT_EQ(drawn(), c.coming) << c.hour;
    }
}

TEST_F(Model, ContractingPhaseStartsAtTheQuarterTilMoment)
{
    update_rvrse(0, 6, 0, 18, 1800, 0, 0, 2700);
    tick_at(12, 44, 59);
    EXPECT_EQ(contracting_span(), 0);
    tick_at(12, 45, 0);
    EXPECT_EQ(contracting_span(), 1);
}

TEST_F(Model, SettingsSurviveASaveAndDivisionChanges)
{
    clk.fudge_secs = 150;
    update_rvrse(0, 7, 180, 18, 1800, 9, 0, 2710);
    std::vector<int> v(7);
    rtrn_rvrse(&v[0], &v[1], &v[2], &v[3], &v[4], &v[5], &v[6]);
    EXPECT_EQ(v, (std::vector<int>{7, 180, 18, 1800, 9, 150, 2710}));
    use_eight_divisions();
    EXPECT_EQ(clk.fudge_secs * 100 + clk.demo_secs, 15009);
}

TEST_F(Model, TimersArmedInTheIncrementThatHoldsThem)
{
    open_window();
    update_rvrse(0, 7, 480, 18, 1800, 0, 0, 2710);
    tick_at(12, 40, 0);
    EXPECT_EQ(timer_ms(quarter_timer), -1);
    tick_at(12, 45, 0);
    EXPECT_EQ(timer_ms(quarter_timer), 10000);
    update_rvrse(0, 7, 480, 18, 1800, 0, 0, 2850);
    demo_init_sc(2, 12, 45);
    step();
    EXPECT_EQ(timer_ms(quarter_timer), 2000);   // 150 of 300 s is 2 of 5 demo seconds

    clk.time_source = 0;
    clk.next_rvrse = &clk.rvrse_start;
    tick_at(7, 5, 0);
    EXPECT_EQ(timer_ms(reversal_timer), -1);
    non_ini_bits |= cycle_on;
    clk.rvrse_timer_armed = 1;
    tick_at(7, 5, 0);
    EXPECT_EQ(timer_ms(reversal_timer), 180000);
    EXPECT_EQ(clk.rvrse_timer_armed, 0);
    plat::kill_timer(window, reversal_timer);
    use_eight_divisions();   // 7:08 and 47:30 now lie 30 s and 150 s into their increments
    tick_at(7, 7, 30);
    EXPECT_EQ(timer_ms(reversal_timer), 30000);
    tick_at(12, 45, 0);
    EXPECT_EQ(timer_ms(quarter_timer), 150000);
}

TEST_F(Model, NoticesArePostedNotSent)
{
    open_window();
    clk.demo_dlg = window;
    tick_at(3, 35, 0);
    EXPECT_TRUE(notices.empty());
    hAbout = window;
    use_eight_divisions();
    tick_at(3, 37, 0);
    deliver_posted();
    EXPECT_EQ(notices, (std::vector<std::vector<std::intptr_t>>{{3, 35}, {3, 30}, {0, 0}}));
}

TEST_F(Model, ReversalSpan)
{
    struct Case { int start_h, start_s, end_h, end_s, h, m, s, inside; };
    const Case cases[] = {
        {6, 0, 18, 1800, 6, 0, 0, 1},  {6, 0, 18, 1800, 18, 30, 0, 0}, {6, 0, 18, 1800, 5, 59, 59, 0},
        {18, 1800, 6, 0, 23, 0, 0, 1}, {18, 1800, 6, 0, 3, 0, 0, 1},   {18, 1800, 6, 0, 12, 0, 0, 0},
        {18, 1800, 6, 0, 18, 30, 0, 1}, {18, 1800, 6, 0, 6, 0, 0, 0},  {9, 600, 9, 600, 9, 10, 0, 2},
    };
    for (const Case& c : cases) {
        update_rvrse(0, c.start_h, c.start_s, c.end_h, c.end_s, 0, 0, 0);
        RvrseTime* const before = c.inside == 1 ? &clk.rvrse_start : &clk.rvrse_end;
        clk.next_rvrse = before;
        tick_at(c.h, c.m, c.s);
        EXPECT_EQ(within_rvrse_span(), c.inside) << c.h << ":" << c.m;
        EXPECT_EQ(clk.next_rvrse, c.inside == 0 ? &clk.rvrse_start : c.inside == 1 ? &clk.rvrse_end : before);
    }
    clk.next_rvrse = &clk.rvrse_end;
    EXPECT_EQ(swtch_rvrse_times(), 0);
    EXPECT_EQ(swtch_rvrse_times(), 1);
    EXPECT_EQ(clk.next_rvrse, &clk.rvrse_end);
}

TEST(TypedTime, SeparatorsAndClamps)
{
    struct Case { char kind; std::string text; int first, second; };
    std::vector<Case> cases = {{'H', "12", 12, 0},        {'H', "12.5", 12, 5},  {'H', "12.", 12, 0},
                               {'M', "75:80", 59, 55},    {'H', "25:30", 1, 30}, {'H', "-3", 1, 3},
                               {'M', "-5:-5", 1, 0}};
    for (char separator : std::string(":.,- ;/'_"))
        cases.push_back({'H', std::string("12") + separator + "30", 12, 30});
    for (const Case& c : cases) {
        int first = -99, second = -99;
        EXPECT_EQ(normalize_time_field(c.kind, c.text.c_str(), &first, &second), 1) << c.text;
        EXPECT_EQ(first * 100 + second, c.first * 100 + c.second) << c.text;
    }
    for (const char* text : {"", "   ", "abc", static_cast<const char*>(nullptr)}) {
        int first = 4, second = 7;
        EXPECT_EQ(normalize_time_field('H', text, &first, &second), 0);
        EXPECT_EQ(first * 100 + second, 407);
    }
}

TEST_F(Model, DateLineFormatsAndBounds)
{
    fake_now = at(10, 0, 0);
    std::tm odd{};
    odd.tm_mon = 40;
    odd.tm_mday = 1234567;
    for (int named : {0, int(date_month_name)}) {
        ini_bits = named;
        set_date(nullptr);
        EXPECT_STREQ(clk.date_text, named ? "Mar 01 Mon" : "03/01 Mon");
        set_date(&odd);
        EXPECT_EQ(std::strlen(clk.date_text), sizeof clk.date_text - 1);
        EXPECT_EQ(clk.next_disp_hour, 0);   // the field after the text is untouched
    }
}

#ifndef _WIN32
TEST_F(Model, UserLocaleDoesNotChangeDateNames)
{
    char dir[] = "/tmp/tavrin-locale-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    const std::string build = std::string("localedef -i de_DE -f UTF-8 ") + dir + "/de_DE.UTF-8 2>/dev/null";
    const bool built = std::system(build.c_str()) == 0;
    setenv("LOCPATH", dir, 1);
    const bool german = built && std::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr;
    ini_bits |= date_month_name;
    fake_now = at(10, 0, 0) + 11 * 86400;
    set_date(nullptr);
    std::setlocale(LC_ALL, "C");
    unsetenv("LOCPATH");
    std::system((std::string("rm -rf ") + dir).c_str());
    if (!german)
        GTEST_SKIP() << "cannot build a German locale";
    EXPECT_STREQ(clk.date_text, "Mar 12 Fri");
}
#endif

// ---- the command line ----------------------------------------------------------------

TEST(CommandLine, ParsedAsScanfReadsIt)
{
    struct Case { const char* text; std::vector<int> fields_hr_min_option_save; };
    const Case cases[] = {
        {"", {-1, 0, 0, 1, 1}},       {"   ", {-1, 0, 0, 1, 1}},     {nullptr, {-1, 0, 0, 1, 1}},
        {"12 30", {2, 12, 30, 1, 0}}, {"12:30", {1, 12, 0, 1, 0}},   {"x", {0, 0, 0, 1, 0}},
        {"0 0 6", {3, 0, 0, 6, 1}},   {"12 30 5", {3, 12, 30, 5, 0}}, {"12 30 3", {3, 12, 30, 3, 0}},
        {"0 0 7", {3, 0, 0, 7, 0}},   {" 7  45  2 junk", {3, 7, 45, 2, 0}},
    };
    for (const Case& c : cases) {
        const CommandLine cl = parse_command_line(c.text);
        EXPECT_EQ((std::vector<int>{cl.fields_read, cl.hr, cl.min, cl.option, save_allowed_for(cl)}),
                  c.fields_hr_min_option_save) << (c.text ? c.text : "(null)");
    }
}

void reset_start_up_state()
{
    run_bits = paint_filled;
    microsec_factor = 1000;
    clk.skip_zero = clk.time_source = 0;
}

TEST(CommandLine, OptionsReachWindowAndTimeModel)
{
    struct Case { int option, run_bits, microsec, time_source, skip_zero; };
    const Case cases[] = {
        {1, paint_filled, 1000, 1, 0},   {2, paint_filled, 1000, 2, 0},
        {3, 0, 1000, 3, 0},              {4, paint_filled, 1000, 4, 0},
        {5, paint_filled | map_plot, 1000, 0, 0},
        {6, paint_filled, 100, 0, 0},    {7, paint_filled, 1000, 0, 1},
        {12, paint_filled, 1000, 0, 0},  {-2, paint_filled, 1000, 0, 0},
    };
    for (const Case& c : cases) {
        reset_start_up_state();
        exception_init_wp(c.option, 12, 30);
        EXPECT_EQ((std::vector<int>{run_bits, microsec_factor, clk.time_source, clk.skip_zero}),
                  (std::vector<int>{c.run_bits, c.microsec, c.time_source, c.skip_zero})) << c.option;
        EXPECT_EQ(clk.demo_hour * 100 + clk.demo_minute, 1230) << c.option;
    }
    reset_start_up_state();
}

TEST(Trace, RowsOrderByMessageNumber)
{
    MsgName rows[] = {{"b", 275}, {"a", 273}, add_msgs[0], {"c", 65534}};
    EXPECT_EQ(msgnum_comp(&rows[0], &rows[1]), 2);
    EXPECT_EQ(msgnum_comp(&rows[1], &rows[1]), 0);
    std::qsort(rows, 4, sizeof rows[0], msgnum_comp);
    EXPECT_STREQ(rows[3].name, "end of table");
    EXPECT_EQ(rows[3].number, 0xFFFF);
    EXPECT_EQ(rows[0].number, 273);
}

}  // namespace
