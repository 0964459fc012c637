// The fudge-factor, quarter-'til, date and ticker dialogs, opened from the menu as a user does.
#include "dialog_harness.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QGroupBox>
#include <QLabel>

#include <map>

using namespace plat;
using namespace harness;

namespace {

using SettingDialogs = ClockWithDialogs;

enum { fudge_edit = 1030, quarter_edit = 1031, month_name = 1035, month_number = 1036,
       mono_font = 1037, truetype_font = 1038, choose_font_button = 1039 };

TEST_F(SettingDialogs, FudgeFactorIsThirtyMinutesLessTheTypedTime)
{
    const struct { const char* typed; int fudge; const char* reopened; } cases[] = {
        {"27:30", 150, "27:30"}, {"32:30", -150, "32:30"}, {"0:00", 1800, "0:00"},
        {"59:59", -1799, "59:59"}, {"27.30", 150, "27:30"}, {"27 30", 150, "27:30"},
        {"30:00", 0, "30:00"}, {"", 0, "30:00"}, {"soon", 0, "30:00"},
    };
    for (const auto& c : cases) {
        clk.fudge_secs = 77;
        type_and_press(CMD_FUDGE, fudge_edit, c.typed, DLG_DEFAULT_ACTION);
        EXPECT_EQ(clk.fudge_secs, c.fudge) << c.typed;
        EXPECT_EQ(shown(CMD_FUDGE, fudge_edit), c.reopened) << c.typed;
    }
    EXPECT_EQ(boxes, 0);
}

TEST_F(SettingDialogs, FudgeFactorRetimesTheDisplayAndRemoveIsOfferedOnlyWhenSet)
{
    EXPECT_EQ(timer_interval(w, increment_timer), 60 * 1000);   // 12:24:00, the next change at 12:25
    bool remove_offered = true;
    type_and_press(CMD_FUDGE, fudge_edit, "27:30", DLG_DEFAULT_ACTION);
    EXPECT_EQ(timer_interval(w, increment_timer), 210 * 1000);  // 2.5 minutes fast: at real 12:27:30

    use(CMD_FUDGE, [&](Window d) { remove_offered = is_dlg_item_enabled(d, DLG_REMOVE); });
    EXPECT_TRUE(remove_offered);
    type_and_press(CMD_FUDGE, fudge_edit, "1:00", DLG_CANCEL);
    EXPECT_EQ(clk.fudge_secs, 150);
    type_and_press(CMD_FUDGE, fudge_edit, "1:00", DLG_REMOVE);   // the typed time is not taken
    EXPECT_EQ(clk.fudge_secs, 0);
    EXPECT_EQ(timer_interval(w, increment_timer), 60 * 1000);
    use(CMD_FUDGE, [&](Window d) {
        remove_offered = is_dlg_item_enabled(d, DLG_REMOVE);
        EXPECT_TRUE(widget_of(d)->focusWidget()->objectName() == QString::number(fudge_edit));
    });
    EXPECT_FALSE(remove_offered);
}

TEST_F(SettingDialogs, QuarterTilStartsContractingAfterTheFirstIncrement)
{
    const struct { int divisions; const char* typed; int secs, increment, offset; } cases[] = {
        {CMD_DIV_12, "42:30", 2550, 8, 150}, {CMD_DIV_8, "42:30", 2550, 5, 300},
        {CMD_DIV_12, "5:00", 0, 0, 0}, {CMD_DIV_12, "5:01", 301, 1, 1}, {CMD_DIV_8, "7:30", 0, 0, 0},
        {CMD_DIV_12, "", 0, 0, 0},
    };
    for (const auto& c : cases) {
        send_message(w, WM_COMMAND, c.divisions, 0);
        type_and_press(CMD_QUARTER, quarter_edit, c.typed, DLG_DEFAULT_ACTION);
        EXPECT_EQ(clk.quarter_secs, c.secs) << c.typed;
        EXPECT_EQ(clk.quarter_increment, c.increment) << c.typed;
        EXPECT_EQ(clk.quarter_offset, c.offset) << c.typed;
    }
    bool expanding_offered = true;
    use(CMD_QUARTER, [&](Window d) { expanding_offered = is_dlg_item_enabled(d, DLG_REMOVE); });
    EXPECT_FALSE(expanding_offered);
}

TEST_F(SettingDialogs, ExpandingDuringTheContractingPhaseLetsItRunToTheHour)
{
    type_and_press(CMD_QUARTER, quarter_edit, "20:00", DLG_DEFAULT_ACTION);
    EXPECT_TRUE(run_bits & contracting);    // 12:24 is past the new start: at once
    EXPECT_EQ(shown(CMD_QUARTER, quarter_edit), "20:00");

    type_and_press(CMD_QUARTER, quarter_edit, "20:00", DLG_REMOVE);
    EXPECT_EQ(clk.quarter_secs, 0);
    EXPECT_TRUE(run_bits & contracting);
    fake_now = at(13, 0, 0);
    send_message(w, WM_TIMER, increment_timer, 0);
    EXPECT_FALSE(run_bits & contracting);
}

TEST_F(SettingDialogs, DateDialogSwitchesTheLineAndItsFormat)
{
    ASSERT_FALSE(ini_bits & date_on);
    bool remove_offered = true, font_offered = true;
    use(CMD_DATE, [&](Window d) {
        remove_offered = is_dlg_item_enabled(d, DLG_REMOVE);
        font_offered = is_dlg_item_enabled(d, choose_font_button);
        EXPECT_EQ(is_dlg_button_checked(d, month_name), (ini_bits & date_month_name) != 0);
        EXPECT_TRUE(is_dlg_button_checked(d, mono_font));
        click_dlg_button(d, month_number);
        click_dlg_button(d, DLG_DEFAULT_ACTION);
    });
    EXPECT_FALSE(remove_offered);
    EXPECT_FALSE(font_offered);
    EXPECT_TRUE(ini_bits & date_on);
    EXPECT_FALSE(ini_bits & date_month_name);
    EXPECT_TRUE(menu_item_checked(menu, CMD_DATE));
    EXPECT_STREQ(clk.date_text, "01/01 Thu");   // 1 Jan 1970 as "%m/%d %a"
    EXPECT_EQ(style_source, 'R');

    use(CMD_DATE, [&](Window d) {
        EXPECT_TRUE(is_dlg_button_checked(d, month_number));
        click_dlg_button(d, truetype_font);
        font_offered = is_dlg_item_enabled(d, choose_font_button);
        click_dlg_button(d, DLG_REMOVE);
    });
    EXPECT_TRUE(font_offered);
    EXPECT_FALSE(ini_bits & date_on);
    EXPECT_FALSE(ini_bits & (date_month_name | date_truetype));   // the format stays for next time
    EXPECT_FALSE(menu_item_checked(menu, CMD_DATE));
}

TEST_F(SettingDialogs, AFontChosenThenCancelledStaysWithoutTheFlags)
{
    const Font before = hfDate;
    const int flags = ini_bits;
    ASSERT_EQ(before, dflt_stl.hfont);   // shared with the default number font
    set_choose_font_hook([](LogFont& lf) {
        std::snprintf(lf.face, sizeof lf.face, "%s", "DejaVu Serif");
        lf.height = -20;
        return true;
    });
    int paints_while_open = 0;
    use(CMD_DATE, [&](Window d) {
        click_dlg_button(d, truetype_font);
        paints = 0;
        click_dlg_button(d, choose_font_button);
        settle();
        paints_while_open = paints;
        click_dlg_button(d, DLG_CANCEL);
    });
    EXPECT_GT(paints_while_open, 0);
    EXPECT_NE(hfDate, before);
    EXPECT_EQ(date_font_hi, -20);
    EXPECT_EQ(ini_bits, flags);
    LogFont still;
    EXPECT_TRUE(get_font_desc(before, still));   // the number font is alive
}

// Where a mode placed a dialog, that mode leaves it; opened where its template says, it would move.
bool placed_by(Window d, const char* mode)
{
    const Rect opened = window_rect(d);
    shift_ww(d, mode);
    const Rect again = window_rect(d);
    return again.left == opened.left && again.top == opened.top;
}

TEST_F(SettingDialogs, DateAndTickerSitByTheClockAndNoDialogSaysItCannotOpen)
{
    bool date_placed = false, ticker_placed = false;
    use(CMD_DATE, [&](Window d) { date_placed = placed_by(d, "B"); });
    use(CMD_TICKER, [&](Window d) { ticker_placed = placed_by(d, "S"); });
    EXPECT_TRUE(date_placed);
    EXPECT_TRUE(ticker_placed);
    for (int command : {CMD_FUDGE, CMD_QUARTER})
        use(command, [](Window) {});
    EXPECT_EQ(boxes, 0);
}


// What would be cut off or hidden: a text longer than its box, a control outside the
// dialog or under a group box's title, two controls on top of each other.
std::vector<std::string> layout_faults(QWidget* d)
{
    std::vector<std::string> faults;
    const auto name = [](QWidget* w) { return w->objectName().toStdString() + " " + w->metaObject()->className(); };
    const QList<QWidget*> all = d->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
    for (QWidget* w : all) {
        if (auto* label = qobject_cast<QLabel*>(w); label && label->heightForWidth(w->width()) > w->height())
            faults.push_back(name(w) + " text cut: " + label->text().toStdString());
        if (auto* b = qobject_cast<QAbstractButton*>(w); b && b->sizeHint().width() > w->width())
            faults.push_back(name(w) + " text cut: " + b->text().toStdString());
        if (!d->rect().contains(w->geometry()))
            faults.push_back(name(w) + " outside the dialog");
        for (QWidget* other : all) {
            if (other == w || !w->geometry().intersects(other->geometry()))
                continue;
            auto* box = qobject_cast<QGroupBox*>(other);
            if (box && w->y() < box->y() + box->contentsRect().top())
                faults.push_back(name(w) + " under the title of " + box->title().toStdString());
            if (!box && !qobject_cast<QGroupBox*>(w) && w < other)
                faults.push_back(name(w) + " on top of " + name(other));
        }
    }
    return faults;
}

TEST(SettingDialogLayout, EveryTextIsWholeAndNothingHidesAnything)
{
    for (int id : {102, 106, 107, 108}) {
        std::vector<std::string> faults{"not opened"};
        set_dialog_hook([&](Window d, int) {
            faults = layout_faults(widget_of(d));
            end_dialog(d, 2);
        });
        dialog_box(id, nullptr, nullptr, nullptr, 0);
        EXPECT_EQ(faults, std::vector<std::string>{}) << id;
    }
    set_dialog_hook(nullptr);
}

// What a screen reader says for a control: its name, then its description. Read-only
// texts too must take the focus and read out what they hold.
std::string heard(QWidget* w)
{
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
    const QString more = a->text(QAccessible::Description);
    if (a->textInterface() != nullptr && !a->state().focusable)
        return "unreachable";
    return (a->text(QAccessible::Name) + (more.isEmpty() ? "" : " / " + more)).toStdString();
}

TEST(SettingDialogNames, EveryFieldHasTheNameAPersonWouldSay)
{
    const std::multimap<int, std::pair<int, std::string>> cases = {
        {106, {1030, "WHEN THE TIME IS REALLY 12: / (mm:ss)"}},
        {107, {1031, "STARTING AT / PAST THE HOUR, SWITCH TO A CONTRACTING FIGURE."}},
        {101, {1002, "Initially display / (hh:mm)"}},
        {102, {1009, "top left / Location of ticker"}},
        {102, {1016, "bot center / Location of ticker"}},
        {102, {1007, "Remove ticker"}},
        {108, {1038, "True Type font. (Color will be the same as the / Date font"}},
        {103, {1019, "USE THE CURRENT COLORS BETWEEN:"}},
        {104, {1027, "Help on ..."}},
        {0, {1000, "To copy and paste: Highlight with the mouse, Ctrl+c. Click on your note, Ctrl+v."}},
    };
    for (int dialog : {101, 102, 103, 104, 105, 106, 107, 108, 0}) {
        set_dialog_hook([&](Window d, int) {
            for (QWidget* w : widget_of(d)->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
                if (w->focusPolicy() != Qt::NoFocus)
                    EXPECT_NE(heard(w), "") << dialog << " " << w->objectName().toStdString();
            const auto [first, last] = cases.equal_range(dialog);
            for (auto c = first; c != last; ++c)
                EXPECT_EQ(heard(widget_of(d)->findChild<QWidget*>(QString::number(c->second.first))), c->second.second);
            end_dialog(d, 2);
        });
        EXPECT_EQ(dialog_box(dialog, dialog == 0 ? "AboutBox" : nullptr, nullptr, nullptr, 0), 2) << dialog;
    }
    set_dialog_hook(nullptr);
}

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

// Also after an earlier opening in which a place was picked and cancelled.
TEST_F(TickerDialog, StartWithoutAClickShowsTheMarkAtTheCheckedPlace)
{
    set_location(7);
    use(CMD_TICKER, [](Window d) {
        click_dlg_button(d, top_left);
        settle();
        click_dlg_button(d, DLG_CANCEL);
    });
    std::vector<int> checked;
    use(CMD_TICKER, [&](Window d) {
        checked = checked_locations(d);
        click_dlg_button(d, DLG_DEFAULT_ACTION);
    });
    EXPECT_EQ(checked, std::vector<int>{middle_centre});
    EXPECT_EQ(location(), 5);
    EXPECT_TRUE(ini_bits & ticker_on);
    EXPECT_TRUE(menu_item_checked(menu, CMD_TICKER));
    EXPECT_EQ(style_source, 'R');
    std::string phases = (run_bits & ticker_lit) ? "L" : ".";
    for (int second = 1; second < 8; ++second) {   // on 2 s, off 4 s, the lit mark goes dark first
        tick(ticker_timer);
        phases += (run_bits & ticker_lit) ? 'L' : '.';
    }
    EXPECT_EQ(phases, "L....LL.");
    EXPECT_EQ(location(), 5);
}

TEST_F(TickerDialog, OnlyPositiveSecondsAreTakenAndOnlyByStart)
{
    const struct { const char* on; const char* off; int button, switch_at, off_for; } cases[] = {
        {"", "0", DLG_DEFAULT_ACTION, 2, 4},
        {"7", "13", DLG_DEFAULT_ACTION, 7, 13},
        {"99999999999", "3601", DLG_DEFAULT_ACTION, 3600, 3600},   // an hour at most
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
