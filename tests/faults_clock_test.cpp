// The clock window's timers at their moments, whatever the settings hold: the
// contracting phase, quarter 'til and reversals entered away from a boundary,
// and timer periods that cannot overflow; and a background that cannot be painted.
#include "dialog_harness.h"
#include "platform/testing.h"

#include <gtest/gtest.h>

#include <climits>
#include <vector>

using namespace plat;

namespace {

using harness::at;
using harness::fake_now;

// The clock at start-up with the default style, opened at a given time of day; a timer
// armed for at once is still there to be seen, since no events are run after opening.
class Timers : public harness::Clock {
protected:
    void open(std::time_t now)
    {
        fake_now = now;
        w = create_window({"QZClockClass", "the Tavrin Clock", 100, 100, 300, 300, menu, MainWndProc});
        ASSERT_NE(w, nullptr);
    }
    void tick_at(std::time_t now)
    {
        fake_now = now;
        send_message(w, WM_TIMER, increment_timer, 0);
    }
    bool contracting_shown(const char* digit)
    {
        return (run_bits & contracting) && clk.drawn_hour == &clk.next_disp_hour && std::string(clk.units_digit) == digit;
    }
};

TEST_F(Timers, QuarterTilAndReversalAreArmedForTheTimeLeft)
{
    update_rvrse(default_ini_bits, 6, 0, 18, 1950, 0, 0, 2730);   // quarter 'til at 45:30, reversal at 18:32:30
    non_ini_bits = cycle_on;
    const struct {
        std::time_t start;
        int timer, interval;
    } cases[] = {
        {at(12, 45, 20), quarter_timer, 10000},
        {at(12, 45, 40), quarter_timer, 0},          // already past: at once
        {at(18, 31, 0), reversal_timer, 90000},
        {at(18, 30, 0), reversal_timer, 150000},     // on the boundary: the whole offset
    };
    for (const auto& c : cases) {
        open(c.start);
        EXPECT_TRUE(timer_active(w, c.timer)) << c.start;
        EXPECT_EQ(timer_interval(w, c.timer), c.interval) << c.start;
        send_message(w, WM_CLOSE, 0, 0);
    }
}

TEST_F(Timers, ContractingEndsAtTheNewHourOutsideItsSpanWithOrWithoutAnEmptyFigure)
{
    update_rvrse(default_ini_bits, 6, 0, 18, 1800, 0, 0, 2550);   // quarter 'til at 42:30
    const struct {
        int skip_zero, option;
        std::time_t next_tick;
        const char* still;   // the coming hour shown while the phase goes on; null when it ended
    } cases[] = {
        {0, 0, at(13, 0, 0), nullptr},
        {1, 0, at(13, 0, 0), nullptr},    // "two :05-s, no :00": the first increment shows as the second
        {0, 0, at(13, 7, 10), nullptr},   // asleep through the hour's first increment
        {1, 0, at(14, 12, 0), nullptr},
        {0, 0, at(13, 50, 0), "2"},       // asleep into the next hour's span
        {0, 4, 0, "3"},                   // the digits-only demo: a new hour at every step, always at :50
    };
    for (const auto& c : cases) {
        clk.skip_zero = c.skip_zero;
        demo_init_sc(c.option, 12, 50);
        open(at(12, 50, 0));
        ASSERT_TRUE(contracting_shown("1"));
        tick_at(at(12, 55, 0));
        EXPECT_TRUE(contracting_shown(c.option == 4 ? "2" : "1"));
        tick_at(c.next_tick);
        EXPECT_TRUE(c.still ? contracting_shown(c.still) : !(run_bits & contracting) && clk.drawn_hour == &clk.disp_hour)
            << c.skip_zero << " " << c.option << " " << c.next_tick;
        send_message(w, WM_CLOSE, 0, 0);
        run_bits = paint_filled;
    }
}

TEST_F(Timers, PeriodsStayWithinWhatATimerTakes)
{
    clk.demo_secs = INT_MAX;
    demo_init_sc(2, 0, 0);
    open(at(12, 0, 0));
    EXPECT_EQ(timer_interval(w, increment_timer), INT_MAX);
    tick_at(at(12, 0, 5));
    EXPECT_EQ(timer_interval(w, increment_timer), INT_MAX);
    EXPECT_EQ(timer_ms(-5, 1000), 0);

    // Ticker lengths at their largest: the cycle still turns over.
    ticker_switch_at = ticker_off_for = INT_MAX;
    ticker_count = INT_MAX - 1;
    send_message(w, WM_TIMER, ticker_timer, 0);
    EXPECT_EQ(ticker_count, 0);
    EXPECT_TRUE(run_bits & ticker_lit);
}

TEST_F(Timers, ABackgroundWithoutABrushIsToldOnceAndNothingMoreIsPainted)
{
    std::vector<std::string> texts;
    set_message_box_hook([&](const MessageBoxCall& c) { return texts.push_back(c.text), int(IDOK); });
    open(at(12, 50, 0));
    dv_cnt = 4;
    error_reported = 0;
    refuse(Refusal::brush, 8);
    for (int erase = 0; erase < 2; ++erase)
        send_message(w, WM_ERASEBKGND, std::uintptr_t(window_dc(w)), 0);
    refuse(Refusal::brush, 0);
    EXPECT_TRUE(texts.size() == 1 &&
                texts[0].rfind("mainwp: WM ERASEBKGRND brush failied to create at 12(10) after 4 iterations.", 0) == 0);
    EXPECT_EQ(painting_ok, 0);
    painting_ok = 1;
}

TEST(ReversalSpan, HoursBeyondTheDayDoNotOverflow)
{
    const Clk saved = clk;
    clk.rvrse_start = {INT_MAX, INT_MAX, 0, 0};
    clk.rvrse_end = {0, 0, 0, 0};
    clk.hour = INT_MAX;
    EXPECT_EQ(within_rvrse_span(), 0);
    clk = saved;
    clk.next_rvrse = &clk.rvrse_end;
    clk.drawn_hour = &clk.disp_hour;
}

}  // namespace

namespace {

TEST(CommandLineNumbers, TooLongForAnIntSaturateAndTheCountStays)
{
    const struct {
        const char* text;
        std::vector<int> read;   // fields_read, hr, min, option
    } cases[] = {
        {"99999999999 -99999999999 99999999999", {3, INT_MAX, INT_MIN, INT_MAX}},
        {"  \t", {-1, 0, 0, 1}},
        {"x", {0, 0, 0, 1}},
        {"12:30", {1, 12, 0, 1}},
    };
    for (const auto& c : cases) {
        const CommandLine cl = parse_command_line(c.text);
        EXPECT_EQ((std::vector<int>{cl.fields_read, cl.hr, cl.min, cl.option}), c.read) << c.text;
    }
}

}  // namespace
