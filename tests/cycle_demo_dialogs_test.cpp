// The periodic-cycle dialog, its question and the demo dialog, driven as a user
// would through the clock window's menu commands.
#include "dialog_harness.h"

#include <array>

using namespace plat;
using namespace harness;

namespace {

Colours scheduled() { return {rgbCCBkgrnd, rgbCCFig, rgbCCDigit}; }
std::array<int, 4> schedule()
{
    return {clk.rvrse_start.hour, clk.rvrse_start.secs, clk.rvrse_end.hour, clk.rvrse_end.secs};
}

constexpr COLORREF back0 = 0x101010, fig0 = 0x202020, digit0 = 0x303030;

class SettingDialogs : public Clock {
protected:
    int asked = 0;                                    // question dialogs opened
    std::function<void(Window)> on_night, on_demo, on_question;

    void SetUp() override
    {
        Clock::SetUp();
        set_dialog_hook([this](Window dlg, int id) {
            std::function<void(Window)>& act = id == 103 ? on_night : id == 101 ? on_demo : on_question;
            asked += id == 105;
            if (act)
                act(dlg);
        });
        stl.rgbBkgrnd = back0;
        stl.rgbFig = fig0;
        stl.rgbDigit = digit0;
    }

    // The clock window, showing the time h:m:s.
    void open_at(int h, int m, int s = 0)
    {
        fake_now = at(h, m, s);
        open(100, 100, 400, 300, MainWndProc);
    }

    // "Set colors now" with the two times typed and the p.m. buttons as given.
    void set_schedule(const char* start, bool start_pm, const char* end, bool end_pm)
    {
        on_night = [=](Window dlg) {
            set_dlg_item_text(dlg, 1019, start);
            check_radio_button(dlg, 1022, 1023, start_pm ? 1023 : 1022);
            set_dlg_item_text(dlg, 1020, end);
            check_radio_button(dlg, 1025, 1026, end_pm ? 1026 : 1025);
            click_dlg_button(dlg, IDOK);
        };
        command(CMD_PERIODIC);
    }

    void answer_question(bool ask_next_time, int button)
    {
        on_question = [=](Window dlg) {
            check_dlg_button(dlg, 1029, ask_next_time);
            click_dlg_button(dlg, button);
        };
    }

    // "Start demo" with the interval and the start time typed.
    void start_demo(const char* secs, const char* start)
    {
        on_demo = [=](Window dlg) {
            set_dlg_item_text(dlg, 1001, secs);
            set_dlg_item_text(dlg, 1002, start);
            click_dlg_button(dlg, IDOK);
        };
        command(CMD_DEMO);
    }
};

// ---- the periodic-cycle dialog -------------------------------------------------------------

TEST_F(SettingDialogs, ReversalTimesAreReadInTheirHalfOfTheDay)
{
    const struct {
        bool military_time;
        const char* start;
        bool start_pm;
        const char* end;
        bool end_pm;
        std::array<int, 4> times;   // start hour and seconds, end hour and seconds
    } cases[] = {
        {false, "6:00", false, "6:30", true, {6, 0, 18, 1800}},
        {false, "12:15", false, "12:15", true, {0, 900, 12, 900}},
        {false, "13:30", false, "1:30", false, {13, 1800, 1, 1800}},   // above 12: the 24-hour day
        {false, "7", true, "9:62", false, {19, 0, 9, 3300}},
        {false, "junk", true, "11:00", true, {6, 0, 23, 0}},           // unreadable: kept
        {true, "5:00", true, "18:30", true, {5, 0, 18, 1800}},         // the buttons are ignored
    };
    open_at(12, 24);
    for (const auto& c : cases) {
        ini_bits = c.military_time ? ini_bits | military : ini_bits & ~military;
        clk.rvrse_start = {6, 0, 0, 0};
        clk.rvrse_end = {18, 1800, 0, 0};
        set_schedule(c.start, c.start_pm, c.end, c.end_pm);
        EXPECT_EQ(schedule(), c.times) << c.start << " " << c.end;
    }
}

// Opened, then confirmed without a change: the times are what they were.
TEST_F(SettingDialogs, TheDialogShowsTheTimesInTheClocksScheme)
{
    const struct {
        bool military_time;
        std::array<int, 4> times;
        const char *start, *end;
        bool start_pm, end_pm, half_day_buttons;
    } cases[] = {
        {false, {0, 900, 18, 1800}, "12:15", "6:30", false, true, true},
        {false, {0, 1800, 12, 1800}, "12:30", "12:30", false, true, true},
        {true, {0, 900, 18, 1800}, "0:15", "18:30", false, false, false},
    };
    open_at(12, 24);
    for (const auto& c : cases) {
        ini_bits = c.military_time ? ini_bits | military : ini_bits & ~military;
        non_ini_bits &= ~cycle_on;
        clk.rvrse_start = {c.times[0], c.times[1], 0, 0};
        clk.rvrse_end = {c.times[2], c.times[3], 0, 0};
        on_night = [&](Window dlg) {
            EXPECT_EQ(text_of(dlg, 1019), c.start);
            EXPECT_EQ(text_of(dlg, 1020), c.end);
            EXPECT_EQ(is_dlg_button_checked(dlg, 1023), c.start_pm);
            EXPECT_EQ(is_dlg_button_checked(dlg, 1026), c.end_pm);
            for (int id : {1022, 1023, 1025, 1026})
                EXPECT_EQ(is_dlg_item_enabled(dlg, id), c.half_day_buttons) << id;
            EXPECT_FALSE(is_dlg_item_enabled(dlg, 1003));   // cycling is off
            click_dlg_button(dlg, IDOK);
        };
        command(CMD_PERIODIC);
        EXPECT_EQ(schedule(), c.times) << c.start << " " << c.end;
    }
}

TEST_F(SettingDialogs, EqualTimesAreRefusedAndTheOldOnesStay)
{
    open_at(12, 24);
    set_schedule("7:00", false, "7:00", false);
    EXPECT_EQ(schedule(), (std::array<int, 4>{6, 0, 18, 1800}));
    EXPECT_FALSE(non_ini_bits & cycle_on);
    EXPECT_FALSE(menu_item_checked(menu, CMD_PERIODIC));
    EXPECT_EQ(colours(), (Colours{back0, fig0, digit0}));
}

TEST_F(SettingDialogs, SetColorsNowOutsideTheSpanReversesAtOnce)
{
    open_at(20, 0);
    clk.ask_again = 0;
    set_schedule("6:00", false, "6:30", true);
    EXPECT_TRUE(non_ini_bits & cycle_on);
    EXPECT_EQ(clk.ask_again, 1);
    EXPECT_TRUE(menu_item_checked(menu, CMD_PERIODIC));
    EXPECT_EQ(scheduled(), (Colours{back0, fig0, digit0}));   // fixed before the reversal
    EXPECT_EQ(colours(), (Colours{fig0, back0, digit0}));
    EXPECT_FALSE(timer_active(w, colors_now_timer));
    EXPECT_EQ(clk.next_rvrse, &clk.rvrse_start);
    EXPECT_EQ(style_source, 'F');   // the cycle's own changes are not the user's
}

TEST_F(SettingDialogs, SetColorsNowInsideTheSpanBlinksForHalfASecond)
{
    open_at(10, 0);
    set_schedule("6:00", false, "6:30", true);
    EXPECT_EQ(colours(), (Colours{fig0, back0, digit0}));
    EXPECT_EQ(timer_interval(w, colors_now_timer), 500);
    tick(colors_now_timer);
    EXPECT_EQ(colours(), (Colours{back0, fig0, digit0}));
    EXPECT_FALSE(timer_active(w, colors_now_timer));
    EXPECT_EQ(rotate_reverse, 0);
}

TEST_F(SettingDialogs, AReversalInTheShownIncrementArmsItsTimerInsteadOfBlinking)
{
    const struct { int m, s, timer_ms; } cases[] = {   // -1: not armed
        {26, 0, 120000}, {27, 59, 1000},
        {28, 30, -1},   // passed in real time: a day later
    };
    open_at(18, 26);
    for (const auto& c : cases) {
        kill_timer(w, reversal_timer);
        fake_now = at(18, c.m, c.s);
        set_schedule("6:00", false, "6:28", true);
        EXPECT_EQ(timer_interval(w, reversal_timer), c.timer_ms) << c.m << ":" << c.s;
        EXPECT_EQ(clk.rvrse_timer_armed, c.timer_ms > 0);
        EXPECT_EQ(timer_active(w, colors_now_timer), c.timer_ms < 0);
        kill_timer(w, colors_now_timer);
        stl.rgbBkgrnd = back0;
        stl.rgbFig = fig0;
    }
}

TEST_F(SettingDialogs, StopCyclingKeepsTheColours)
{
    open_at(20, 0);
    set_schedule("6:00", false, "6:30", true);
    set_timer(w, reversal_timer, 60000);
    const Colours before = colours();
    on_night = [](Window dlg) { click_dlg_button(dlg, 1003); };
    command(CMD_PERIODIC);
    EXPECT_FALSE(non_ini_bits & cycle_on);
    EXPECT_FALSE(timer_active(w, reversal_timer));
    EXPECT_FALSE(menu_item_checked(menu, CMD_PERIODIC));
    EXPECT_EQ(colours(), before);
}

// ---- the question ---------------------------------------------------------------------------------

TEST_F(SettingDialogs, TheQuestionNamesTheNextReversalInTheDaysHours)
{
    open_at(10, 0);
    set_schedule("6:00", false, "6:30", true);
    tick(colors_now_timer);
    std::string message;
    bool ticked = false, still_open = false;
    on_question = [&](Window dlg) {
        message = text_of(dlg, 1028);
        ticked = is_dlg_button_checked(dlg, 1029);
        send_message(dlg, WM_COMMAND, IDCANCEL, 0);   // what Esc and the title bar send
        still_open = is_window(dlg);
        click_dlg_button(dlg, IDNO);
    };
    command(CMD_CYCLE_COLORS);
    EXPECT_EQ(message, "This color change will NOT affect the colors PERIODICALLY CYCLE will change to at "
                       "18:30.\n\nIf you want to change the colors PERIODICALLY CYCLE uses, first "
                       "\"Stop cycling\", then change colors.");
    EXPECT_TRUE(ticked);
    EXPECT_TRUE(still_open);
    EXPECT_EQ(colours(), (Colours{back0, fig0, digit0}));   // No drops the change
    EXPECT_EQ(style_source, 'F');
}

TEST_F(SettingDialogs, AClearedBoxSilencesTheQuestionUntilTheNextSchedule)
{
    open_at(10, 0);
    set_schedule("6:00", false, "6:30", true);
    tick(colors_now_timer);
    asked = 0;
    answer_question(false, IDYES);
    command(CMD_VORLA);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(stl.rgbBkgrnd, 0xA00000u);
    command(CMD_CYCLE_COLORS);
    command(CMD_2_COLOR);
    EXPECT_EQ(asked, 1);
    EXPECT_FALSE(ini_bits & three_color);

    set_schedule("6:00", false, "6:30", true);
    tick(colors_now_timer);
    answer_question(true, IDNO);
    command(CMD_3_COLOR);
    EXPECT_EQ(asked, 2);
    EXPECT_FALSE(ini_bits & three_color);
}

// ---- the demo ---------------------------------------------------------------------------------------------

TEST_F(SettingDialogs, TheDemoStartsInTheDisplayedHalfOfTheDay)
{
    const struct {
        bool military_time;
        int shown_hour;
        const char *secs, *typed;
        int hour, increment, step_ms;
    } cases[] = {
        {false, 15, "3", "4:00", 16, 0, 3000},
        {false, 9, "3", "4:00", 4, 0, 3000},
        {false, 0, "3", "4:00", 0, 0, 3000},
        {false, 9, "3", "13:30", 13, 6, 3000},   // above 12: the 24-hour day
        {false, 9, "", "7:62", 7, 11, 5000},     // minutes above 59 are 55; the interval kept
        {false, 9, "0", "hh", 9, 2, 5000},       // unreadable: the displayed time
        {false, 9, "9999999999999", "4:00", 4, 0, 3600000},   // an hour at most
        {true, 9, "3", "23:50", 23, 10, 3000},
    };
    for (const auto& c : cases) {
        ini_bits = c.military_time ? ini_bits | military : ini_bits & ~military;
        clk.time_source = 0;
        clk.demo_secs = 5;
        open_at(c.shown_hour, 12);
        start_demo(c.secs, c.typed);
        EXPECT_EQ(clk.hour, c.hour) << c.typed << " at " << c.shown_hour;
        EXPECT_EQ(clk.increment, c.increment) << c.typed << " at " << c.shown_hour;
        EXPECT_EQ(timer_interval(w, increment_timer), c.step_ms) << c.typed;
        EXPECT_EQ(clk.demo_running, 1);
        EXPECT_TRUE(menu_item_checked(menu, CMD_DEMO));
        send_message(w, WM_CLOSE, 0, 0);
        settle();
    }
}

TEST_F(SettingDialogs, TheDemoAdvancesOneIncrementPerStep)
{
    const struct { const char* typed; int hour0, increment0, hour2, increment2; } cases[] = {
        {"23:50", 23, 10, 0, 0},   // into the next day with an empty figure
        {"3:07", 3, 1, 3, 3},      // off a boundary
        {"3:52", 3, 10, 4, 0},     // the next hour starts on its boundary
    };
    ini_bits |= military;
    open_at(12, 0);
    for (const auto& c : cases) {
        start_demo("2", c.typed);
        EXPECT_EQ(clk.hour, c.hour0) << c.typed;
        EXPECT_EQ(clk.increment, c.increment0) << c.typed;
        tick(increment_timer);
        tick(increment_timer);
        EXPECT_EQ(clk.hour, c.hour2) << c.typed;
        EXPECT_EQ(clk.increment, c.increment2) << c.typed;
        EXPECT_EQ(timer_interval(w, increment_timer), 2000);
    }
}

TEST_F(SettingDialogs, TheStartFieldFollowsTheClockUntilTypedIn)
{
    open_at(3, 20);
    std::string shown[3];
    bool stop_enabled = true;
    on_demo = [&](Window dlg) {
        stop_enabled = is_dlg_item_enabled(dlg, 1003);
        shown[0] = text_of(dlg, 1002);
        fake_now = at(3, 25, 0);
        send_message(w, WM_TIMER, increment_timer, 0);
        settle();
        shown[1] = text_of(dlg, 1002);
        set_dlg_item_text(dlg, 1002, "3:2");
        fake_now = at(3, 30, 0);
        send_message(w, WM_TIMER, increment_timer, 0);
        settle();
        shown[2] = text_of(dlg, 1002);
        click_dlg_button(dlg, IDCANCEL);
    };
    command(CMD_DEMO);
    EXPECT_FALSE(stop_enabled);
    EXPECT_EQ(shown[0], "3:20");
    EXPECT_EQ(shown[1], "3:25");
    EXPECT_EQ(shown[2], "3:2");
    EXPECT_EQ(clk.demo_dlg, nullptr);
    EXPECT_EQ(clk.time_source, 0);
}

TEST_F(SettingDialogs, StopDemoReturnsToRealTimeAndItsColours)
{
    open_at(20, 12, 30);
    set_schedule("6:00", false, "6:30", true);   // 20:10 is outside: reversed
    set_timer(w, reversal_timer, 60000);         // armed for a real-time reversal
    start_demo("2", "10:00");                   // 22:00 in the displayed half
    EXPECT_FALSE(timer_active(w, reversal_timer));
    tick(increment_timer);
    on_demo = [](Window dlg) {
        EXPECT_TRUE(is_dlg_item_enabled(dlg, 1003));
        click_dlg_button(dlg, 1003);
    };
    stl.rgbBkgrnd = 0x777777;                   // a temporary change made during the demo
    set_timer(w, reversal_timer, 1000);          // armed for a demo reversal
    command(CMD_DEMO);
    EXPECT_EQ(clk.time_source, 0);
    EXPECT_EQ(clk.demo_running, 0);
    EXPECT_EQ(clk.hour, 20);
    EXPECT_EQ(clk.increment, 2);
    EXPECT_EQ(timer_interval(w, increment_timer), 150000);   // to 20:15:00
    EXPECT_FALSE(timer_active(w, reversal_timer));
    EXPECT_FALSE(menu_item_checked(menu, CMD_DEMO));
    EXPECT_EQ(colours(), (Colours{fig0, back0, digit0}));
}

}  // namespace
