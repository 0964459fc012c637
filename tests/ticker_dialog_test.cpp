// The ticker dialog with its live preview, opened from the menu as a user does.
#include "dialog_harness.h"

using namespace plat;
using namespace harness;

namespace {

using TickerDialog = ClockWithDialogs;

enum { on_secs = 1005, off_secs = 1006, top_left = 1009, top_right = 1011, middle_centre = 1013,
       bottom_right = 1017 };

int location() { return ini_bits & ticker_loc_mask; }
void set_location(int loc) { ini_bits = (ini_bits & ~ticker_loc_mask) | loc; }

// The location buttons checked, as their numbers.
std::vector<int> checked_locations(Window d)
{
    std::vector<int> ids;
    for (int id = top_left; id <= bottom_right; ++id)
        if (is_dlg_button_checked(d, id))
            ids.push_back(id);
    return ids;
}

TEST_F(TickerDialog, OpensWithTheTickerOffOrOnAtItsPlace)
{
    struct Seen { std::vector<int> checked; bool remove_offered; std::string start, on, off; } seen;
    const auto look = [&](Window d) {
        seen = {checked_locations(d), is_dlg_item_enabled(d, DLG_REMOVE_TICKER), text_of(d, 1),
                text_of(d, on_secs), text_of(d, off_secs)};
    };
    set_location(7);    // off: the middle is offered whatever the stored place
    use(CMD_TICKER, look);
    EXPECT_EQ(seen.checked, std::vector<int>{middle_centre});
    EXPECT_FALSE(seen.remove_offered);
    EXPECT_EQ(seen.start, "&Start ticker");
    EXPECT_EQ(seen.on + " " + seen.off, "2 4");

    ini_bits |= ticker_on;
    set_location(9);
    ticker_off_for = 11;
    use(CMD_TICKER, look);
    EXPECT_EQ(seen.checked, std::vector<int>{bottom_right});
    EXPECT_TRUE(seen.remove_offered);
    EXPECT_EQ(seen.start, "Keep ticker");
    EXPECT_EQ(seen.off, "11");
}

TEST_F(TickerDialog, PreviewsThenCancelPutTheMarkBack)
{
    set_location(5);
    std::vector<int> while_open;
    use(CMD_TICKER, [&](Window d) {
        for (int id : {top_left, top_right, bottom_right}) {
            click_dlg_button(d, id);
            settle();                        // the preview is posted to the clock
            while_open.push_back(location());
        }
        EXPECT_TRUE(run_bits & ticker_lit);
        click_dlg_button(d, DLG_CANCEL);
    });
    EXPECT_EQ(while_open, (std::vector<int>{1, 3, 9}));
    EXPECT_EQ(location(), 5);
    EXPECT_FALSE(run_bits & ticker_lit);
    EXPECT_FALSE(ini_bits & ticker_on);
    EXPECT_EQ(style_source, 'F');
}

TEST_F(TickerDialog, StartWithoutAClickShowsTheMarkAtTheCheckedPlace)
{
    set_location(7);
    use(CMD_TICKER, [](Window d) { click_dlg_button(d, DLG_DEFAULT_ACTION); });
    EXPECT_EQ(location(), 5);
    EXPECT_TRUE(run_bits & ticker_lit);
    EXPECT_TRUE(ini_bits & ticker_on);
    EXPECT_EQ(timer_interval(w, ticker_timer), 1000);
    EXPECT_TRUE(menu_item_checked(menu, CMD_TICKER));
    EXPECT_EQ(style_source, 'R');
}

TEST_F(TickerDialog, OnlyPositiveSecondsAreTakenAndOnlyByStart)
{
    const struct { const char* on; const char* off; int button, switch_at, off_for; } cases[] = {
        {"", "0", DLG_DEFAULT_ACTION, 2, 4},
        {"7", "13", DLG_DEFAULT_ACTION, 7, 13},
        {"9", "9", DLG_REMOVE_TICKER, 2, 4},
        {"9", "9", DLG_CANCEL, 2, 4},
    };
    for (const auto& c : cases) {
        ticker_switch_at = 2;
        ticker_off_for = 4;
        use(CMD_TICKER, [&](Window d) {
            set_dlg_item_text(d, on_secs, c.on);
            set_dlg_item_text(d, off_secs, c.off);
            click_dlg_button(d, c.button);
        });
        EXPECT_EQ(ticker_switch_at, c.switch_at) << c.on << " " << c.off << " " << c.button;
        EXPECT_EQ(ticker_off_for, c.off_for) << c.on << " " << c.off << " " << c.button;
    }
    EXPECT_FALSE(ini_bits & ticker_on);   // removed by the third case
}

}  // namespace
