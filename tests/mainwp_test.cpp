// The clock window as a user drives it: commands, keys, timers and dialog results.
#include "dialog_harness.h"

#include <QAccessible>
#include <QTimer>

using namespace plat;
using namespace harness;

namespace {

std::vector<Rect> erased;   // the area of every background erase, in order

std::intptr_t watched_proc(Window w, unsigned msg, std::uintptr_t wp, std::intptr_t lp)
{
    if (msg == WM_ERASEBKGND)
        erased.push_back(paint_rect(reinterpret_cast<DC>(wp)));
    return counting_proc(w, msg, wp, lp);
}

bool same(const Rect& a, const Rect& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

class ClockWindow : public Clock {
protected:
    // The clock window with a client area of exactly 400 x 300.
    void open()
    {
        const int width = 400, height = 300;
        Clock::open(100, 100, width, height, watched_proc);
        Rect outer = window_rect(w), inner = client_rect(w);
        set_window_pos(w, outer.left, outer.top, width + (outer.right - outer.left) - inner.right,
                       height + (outer.bottom - outer.top) - inner.bottom);
        settle();
        erased.clear();
        paints = 0;
    }

    void key(char c) { send_message(w, WM_CHAR, unsigned(c), 0); settle(); }
};

class OpenClock : public ClockWindow {
protected:
    void SetUp() override
    {
        ClockWindow::SetUp();
        open();
    }
};

// ---- colours ----------------------------------------------------------------------

TEST_F(OpenClock, CycleColoursSwapsTwoAndRotatesThree)
{
    Colours start = colours();
    key('c');
    EXPECT_EQ(colours(), (Colours{start.fig, start.back, start.digit}));
    key('C');
    EXPECT_EQ(colours(), start);
    EXPECT_EQ(style_source, 'R');
    EXPECT_TRUE(menu_item_checked(menu, CMD_STYLE_RECENT));

    command(CMD_3_COLOR);
    start = colours();
    key('c');
    EXPECT_EQ(colours(), (Colours{start.digit, start.back, start.fig}));
    key('c');
    key('c');
    EXPECT_EQ(colours(), start);

    command(CMD_CYCLE_COLORS, cycle_flip);
    EXPECT_NE(rotate_reverse, 0);
    command(CMD_CYCLE_COLORS, cycle_flip);
    EXPECT_EQ(rotate_reverse, 0);
    EXPECT_EQ(colours(), start);

    style_source = 'F';
    rgbCCBkgrnd = 0x111111;
    rgbCCFig = 0x222222;
    rgbCCDigit = 0x333333;
    command(CMD_CYCLE_COLORS, cycle_restore);
    EXPECT_EQ(colours(), (Colours{0x111111, 0x222222, 0x333333}));
    EXPECT_EQ(style_source, 'F');   // the cycle's own changes are not the user's
}

TEST_F(OpenClock, PresetsWithThreeColoursAlreadyOn)
{
    command(CMD_3_COLOR);
    EXPECT_TRUE(menu_item_enabled(menu, CMD_COLOR_DIGIT));
    command(CMD_VORLA);
    EXPECT_EQ(colours(), (Colours{0xA00000, 0xFFFFFF, 0x0000FF}));
    EXPECT_TRUE(menu_item_checked(menu, CMD_3_COLOR));
    EXPECT_FALSE(menu_item_checked(menu, CMD_2_COLOR));
    EXPECT_TRUE(menu_item_enabled(menu, CMD_COLOR_DIGIT));
    EXPECT_EQ(style_source, 'R');

    command(CMD_2_COLOR);
    EXPECT_FALSE(ini_bits & three_color);
    EXPECT_FALSE(menu_item_enabled(menu, CMD_COLOR_DIGIT));
}

TEST_F(OpenClock, ColourDialogChangesOnlyWhatWasPicked)
{
    COLORREF offered = 0;
    set_choose_color_hook([&offered](COLORREF& c, COLORREF custom[16]) {
        offered = c;
        EXPECT_EQ(custom, rgbCustom);
        return false;   // Cancel
    });
    command(CMD_COLOR_BKGRND);
    EXPECT_EQ(offered, 0x00E1E1E1u);
    EXPECT_EQ(style_source, 'F');

    set_choose_color_hook([](COLORREF&, COLORREF*) { return true; });   // OK, same colour
    command(CMD_COLOR_FIG);
    EXPECT_EQ(style_source, 'F');

    set_choose_color_hook([](COLORREF& c, COLORREF*) {
        c = 0x123456;
        return true;
    });
    command(CMD_COLOR_FIG);
    EXPECT_EQ(stl.rgbFig, 0x123456u);
    EXPECT_EQ(style_source, 'R');
}

// ---- style attributes and File-menu choices ---------------------------------------------------

TEST_F(OpenClock, MostRecentIsIgnoredRightAfterAChange)
{
    command(CMD_SHAPE_RECT);
    EXPECT_EQ(stl.shape, CMD_SHAPE_RECT);
    EXPECT_TRUE(menu_item_checked(menu, CMD_SHAPE_RECT));
    EXPECT_FALSE(menu_item_checked(menu, CMD_SHAPE_CIRCLE));
    command(CMD_STYLE_RECENT);
    EXPECT_EQ(stl.shape, CMD_SHAPE_RECT);

    command(CMD_STYLE_DEFAULT);
    EXPECT_EQ(stl.shape, CMD_SHAPE_CIRCLE);
    EXPECT_TRUE(menu_item_checked(menu, CMD_STYLE_DEFAULT));
    EXPECT_TRUE(menu_item_checked(menu, CMD_SHAPE_CIRCLE));
    command(CMD_STYLE_RECENT);
    EXPECT_EQ(stl.shape, CMD_SHAPE_RECT);
    EXPECT_TRUE(menu_item_checked(menu, CMD_STYLE_RECENT));
}

TEST_F(OpenClock, CommandsThatChangeNothingDoNotRepaint)
{
    command(CMD_DIV_12);   // already 12 divisions
    command(CMD_SHAPE_CIRCLE);
    EXPECT_EQ(paints, 0);
    EXPECT_EQ(style_source, 'F');

    command(CMD_DIV_8);
    EXPECT_TRUE(ini_bits & eight_div);
    EXPECT_EQ(incr_secs, 450);
    EXPECT_TRUE(menu_item_checked(menu, CMD_DIV_8));
    EXPECT_FALSE(menu_item_checked(menu, CMD_DIV_12));
    EXPECT_GT(paints, 0);
}

TEST_F(ClockWindow, MilitaryCentringAndAnchorToggle)
{
    fake_now = at(7, 10, 0);
    open();
    key('m');
    EXPECT_TRUE(ini_bits & military);
    EXPECT_STREQ(clk.tens_digit, "0");
    EXPECT_STREQ(clk.units_digit, "7");
    key('M');
    EXPECT_STREQ(clk.tens_digit, "");
    key('n');
    EXPECT_TRUE(ini_bits & center_single);
    EXPECT_TRUE(menu_item_checked(menu, CMD_CENTER_SINGLE));

    command(CMD_ANCHOR);
    EXPECT_TRUE(is_topmost(w));
    EXPECT_TRUE(non_ini_bits & anchored);
    EXPECT_TRUE(menu_item_checked(menu, CMD_ANCHOR));
    command(CMD_ANCHOR);
    EXPECT_FALSE(is_topmost(w));
    EXPECT_FALSE(menu_item_checked(menu, CMD_ANCHOR));
}

// ---- bars, size, place -------------------------------------------------------------------------

TEST_F(OpenClock, EscapeHidesAndShowsTheBars)
{
    key(27);
    EXPECT_FALSE(ini_bits & bars_shown);
    EXPECT_FALSE(menu_shown(w));
    EXPECT_FALSE(has_caption(w));
    EXPECT_EQ(esc_hint_until, fake_now + 10);
    key(27);
    EXPECT_TRUE(ini_bits & bars_shown);
    EXPECT_TRUE(menu_shown(w));
    EXPECT_TRUE(has_caption(w));
    EXPECT_EQ(esc_hint_until, 0);
    EXPECT_EQ(style_source, 'F');   // hiding the bars is not a style change
}

TEST_F(OpenClock, SquareItKeepsTheCornerAndAveragesTheSides)
{
    Rect before = window_rect(w);
    key('s');   // 400 x 300 on opening: the sides average 350
    Rect client = client_rect(w);
    EXPECT_EQ(client.right - client.left, 350);
    EXPECT_EQ(client.bottom - client.top, 350);
    EXPECT_EQ(window_rect(w).left, before.left);
    EXPECT_EQ(window_rect(w).top, before.top);
}

// ---- timers -----------------------------------------------------------------------------------

TEST_F(ClockWindow, IncrementTimerIsArmedForTheNextBoundary)
{
    fake_now = at(12, 29, 59);
    open();
    EXPECT_EQ(timer_interval(w, increment_timer), 1000);
    EXPECT_EQ(clk.increment, 5);
    fake_now = at(12, 30, 0);
    tick(increment_timer);
    EXPECT_EQ(clk.increment, 6);
    EXPECT_EQ(timer_interval(w, increment_timer), 300000);
    EXPECT_EQ(dv_cnt, 1);
}

TEST_F(ClockWindow, StressTestRearmsWithATenth)
{
    microsec_factor = 100;
    fake_now = at(12, 25, 0);
    open();
    EXPECT_EQ(timer_interval(w, increment_timer), 300000);   // the first interval is real
    fake_now += 30;
    tick(increment_timer);
    EXPECT_EQ(timer_interval(w, increment_timer), 27000);
    EXPECT_EQ(clk.increment, 5);
}

// "tavrin 12 30" from start-up to exit, while the real time runs on.
TEST_F(ClockWindow, FrozenStartStaysWhenTheRealTimeMoves)
{
    fake_now = at(15, 52, 0);
    post_quit(0);   // takes up the quit that the windows of earlier tests left behind
    run_message_loop();
    std::vector<std::string> faces;
    QTimer::singleShot(0, [&faces] {
        Window clock = nullptr;
        for (QWidget* top : QApplication::topLevelWidgets())
            if (Window found = window_of(top); found && top->isVisible() && window_text(found) == "the Tavrin Clock")
                clock = found;
        if (clock == nullptr) {
            ADD_FAILURE() << "no clock window";
            post_quit(0);
            return;
        }
        const auto face = [] {
            return std::string(clk.tens_digit) + clk.units_digit + "+" + std::to_string(clk.increment);
        };
        faces.push_back(face());
        EXPECT_FALSE(timer_active(clock, increment_timer));
        fake_now = at(16, 7, 0);
        send_message(clock, WM_TIMECHANGE, 0, 0);
        send_message(clock, WM_TIMER, increment_timer, 0);
        faces.push_back(face());
        EXPECT_FALSE(timer_active(clock, increment_timer));
        post_message(clock, WM_COMMAND, CMD_EXIT, 0);
    });
    EXPECT_EQ(WinMain("12 30"), 0);
    EXPECT_EQ(faces, (std::vector<std::string>{"12+6", "12+6"}));
    EXPECT_FALSE(QFile::exists(style_file_name));
}

TEST_F(ClockWindow, ContractingEndsAtTheFirstStepOfTheNewHour)
{
    update_rvrse(ini_bits, 6, 0, 18, 1800, 0, 0, 2550);   // quarter 'til at 42:30
    fake_now = at(12, 50, 0);
    open();
    EXPECT_TRUE(run_bits & contracting);
    EXPECT_STREQ(clk.units_digit, "1");   // the coming hour
    fake_now = at(12, 55, 0);
    tick(increment_timer);
    EXPECT_TRUE(run_bits & contracting);
    fake_now = at(13, 0, 0);
    tick(increment_timer);
    EXPECT_FALSE(run_bits & contracting);
    EXPECT_STREQ(clk.units_digit, "1");
    EXPECT_EQ(clk.drawn_hour, &clk.disp_hour);
}

TEST_F(OpenClock, QuarterTimerEntersTheContractingPhase)
{
    tick(quarter_timer);
    EXPECT_TRUE(run_bits & contracting);
    EXPECT_FALSE(timer_active(w, quarter_timer));
    EXPECT_STREQ(clk.units_digit, "1");
}

TEST_F(OpenClock, TickerBlinksRepaintingOnlyItsRectangleAndAnIncrementDarkensIt)
{
    ini_bits |= ticker_on;
    Rect mark = tckr_rect[ini_bits & ticker_loc_mask];
    ticker_count = ticker_switch_at;   // as after an increment: dark first
    std::string phases;
    for (int second = 0; second < 12; ++second) {
        tick(ticker_timer);
        phases += (run_bits & ticker_lit) ? 'L' : '.';
    }
    EXPECT_EQ(phases, "...LL....LL.");
    ASSERT_EQ(erased.size(), 4u);
    for (const Rect& r : erased)
        EXPECT_TRUE(same(r, mark));

    run_bits |= ticker_lit;   // an increment darkens it and starts the dark phase again
    ticker_count = 0;
    tick(increment_timer);
    EXPECT_FALSE(run_bits & ticker_lit);
    EXPECT_EQ(ticker_count, ticker_switch_at);
}

TEST_F(OpenClock, ReversalPostsRestoreThenReverseWhenTheSpanEnds)
{
    non_ini_bits |= cycle_on;
    rgbCCBkgrnd = 0x010101;
    rgbCCFig = 0x020202;
    rgbCCDigit = 0x030303;
    clk.next_rvrse = &clk.rvrse_end;   // the span ends now
    tick(reversal_timer);
    EXPECT_EQ(colours(), (Colours{0x020202, 0x010101, 0x030303}));
    EXPECT_EQ(clk.next_rvrse, &clk.rvrse_start);
    tick(reversal_timer);               // the span begins
    EXPECT_EQ(colours(), (Colours{0x010101, 0x020202, 0x030303}));
}

// ---- what a screen reader hears ------------------------------------------------------------------

std::string reading(Window w)
{
    return QAccessible::queryAccessibleInterface(client_widget_of(w))->text(QAccessible::Description).toStdString();
}

TEST_F(ClockWindow, TheFaceReadsAsASentence)
{
    struct Case { int h, m, bits, option, quarter; const char* heard; };
    const Case cases[] = {
        {10, 40, 0, 0, 0, "10 o'clock, 8 of 12 divisions: between 10:40 and 10:45"},
        {12, 0, 0, 0, 0, "12 o'clock, 0 of 12 divisions: between 12:00 and 12:05"},
        {12, 57, 0, 0, 0, "12 o'clock, 11 of 12 divisions: between 12:55 and 1:00"},
        {10, 47, 0, 0, 2550, "counting down to 11 o'clock, 3 of 12 divisions left: between 10:45 and 10:50"},
        {10, 40, eight_div, 0, 0, "10 o'clock, 5 of 8 divisions: between 10:37:30 and 10:45"},
        {23, 59, military | eight_div, 0, 0, "23 hours, 7 of 8 divisions: between 23:52:30 and 00:00"},
        {7, 40, military | date_on, 0, 0, "07 hours, 8 of 12 divisions: between 07:40 and 07:45; Jan 01 Thu"},
        {3, 7, 0, 2, 0, "Demonstration: 3 o'clock, 1 of 12 divisions: between 3:05 and 3:10"},
    };
    const int style_bits = ini_bits;
    for (const Case& c : cases) {
        ini_bits = style_bits | c.bits;
        run_bits = paint_filled;
        clk.drawn_hour = &clk.disp_hour;
        demo_init_sc(c.option, c.h, c.m);
        update_rvrse(ini_bits, 6, 0, 18, 1800, 5, 0, c.quarter);
        fake_now = at(c.h, c.m, 0);
        open();
        EXPECT_EQ(reading(w), c.heard);
        send_message(w, WM_CLOSE, 0, 0);
    }
    w = nullptr;
}

TEST_F(OpenClock, TheReadingFollowsTheDisplay)
{
    fake_now = at(12, 25, 0);
    tick(increment_timer);
    EXPECT_EQ(reading(w), "12 o'clock, 5 of 12 divisions: between 12:25 and 12:30");
    tick(quarter_timer);
    key('m');
    EXPECT_EQ(reading(w), "counting down to 13 hours, 7 of 12 divisions left: between 12:25 and 12:30");
    command(CMD_DIV_8);
    EXPECT_EQ(reading(w), "counting down to 13 hours, 5 of 8 divisions left: between 12:22:30 and 12:30");
}

// ---- dialogs ----------------------------------------------------------------------------------------

TEST_F(OpenClock, TickerDialogResults)
{
    // The dialog ends at once with the result; what the window does with it is the point.
    set_dialog_hook([](Window d, int) { end_dialog(d, DLG_DEFAULT_ACTION); });
    command(CMD_TICKER);
    EXPECT_TRUE(ini_bits & ticker_on);
    EXPECT_EQ(timer_interval(w, ticker_timer), 1000);
    tick(ticker_timer);
    EXPECT_TRUE(run_bits & ticker_lit) << "lights at the next second";
    EXPECT_TRUE(menu_item_checked(menu, CMD_TICKER));
    EXPECT_EQ(style_source, 'R');

    set_dialog_hook([](Window d, int) { end_dialog(d, DLG_REMOVE_TICKER); });
    command(CMD_TICKER);
    EXPECT_FALSE(ini_bits & ticker_on);
    EXPECT_FALSE(timer_active(w, ticker_timer));
    EXPECT_FALSE(run_bits & ticker_lit);
    EXPECT_FALSE(menu_item_checked(menu, CMD_TICKER));
}

// ---- closing -------------------------------------------------------------------------------------

TEST_F(OpenClock, AltF9EndsWithoutSavingAndRecordsThePlacement)
{
    Rect r = window_rect(w);
    send_message(w, WM_SYSKEYUP, VK_F9, 0);
    settle();
    EXPECT_FALSE(is_window(w));
    EXPECT_EQ(save_on_exit, 0);
    EXPECT_EQ(std::vector<int>(ww_pos_size, ww_pos_size + 4),
              (std::vector<int>{r.left, r.top, r.right - r.left, r.bottom - r.top}));
    w = nullptr;
}

}  // namespace
