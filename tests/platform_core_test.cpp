// The platform core: messages, timers, keys, mouse, painting, menus, boxes.
#include "platform/qt/internal.h"

#include <QAction>
#include <QDialog>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPixmap>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>

using namespace plat;

namespace {

struct Msg {
    unsigned msg;
    std::uintptr_t wp;
    std::intptr_t lp;
    bool operator==(const Msg& o) const { return msg == o.msg && wp == o.wp && lp == o.lp; }
};

std::vector<Msg> received;
std::function<std::intptr_t(Window, unsigned, std::uintptr_t, std::intptr_t)> behaviour;
constexpr unsigned probe = WM_USER + 1;

std::intptr_t RecordingProc(Window w, unsigned msg, std::uintptr_t wp, std::intptr_t lp)
{
    received.push_back({msg, wp, lp});
    return behaviour ? behaviour(w, msg, wp, lp) : def_window_proc(w, msg, wp, lp);
}

std::vector<Msg> only(unsigned msg)
{
    std::vector<Msg> out;
    std::copy_if(received.begin(), received.end(), std::back_inserter(out), [msg](const Msg& m) { return m.msg == msg; });
    return out;
}

std::vector<std::uintptr_t> params_of(unsigned msg)
{
    std::vector<std::uintptr_t> out;
    for (const Msg& m : only(msg))
        out.push_back(m.wp);
    return out;
}

QRect qrect(const Rect& r) { return QRect(r.left, r.top, r.right - r.left, r.bottom - r.top); }

class PlatformCore : public ::testing::Test {
protected:
    void SetUp() override { received.clear(), behaviour = nullptr; }
    void TearDown() override
    {
        behaviour = nullptr;
        if (is_window(w))
            destroy_window(w);
        QTest::qWait(0);
    }
    void make(Menu menu = nullptr)
    {
        w = create_window({"QZClockClass", "the Tavrin Clock", 20, 30, 400, 300, menu, RecordingProc});
    }
    Window w = nullptr;
};

// ---- messages ----------------------------------------------------------------------

TEST_F(PlatformCore, PostedMessagesArriveInOrderAfterTheirHandlerAndQuitEndsTheLoop)
{
    make();
    static bool quit_handler_finished;
    quit_handler_finished = false;
    behaviour = [](Window w, unsigned msg, std::uintptr_t wp, std::intptr_t) -> std::intptr_t {
        if (msg == probe && wp == 1) {
            post_message(w, probe, 3, 0);
            EXPECT_EQ(params_of(probe).size(), 1u);   // nothing posted arrives inside the handler
        } else if (msg == probe && wp == 3) {
            post_quit(7);
            quit_handler_finished = true;
        }
        return 0;
    };
    post_message(w, probe, 1, 0);
    post_message(w, probe, 2, 0);
    EXPECT_TRUE(params_of(probe).empty());
    EXPECT_EQ(run_message_loop(), 7);
    EXPECT_TRUE(quit_handler_finished);
    EXPECT_EQ(params_of(probe), (std::vector<std::uintptr_t>{1, 2, 3}));
}

TEST_F(PlatformCore, PostedMessagesArriveWhileAModalDialogRuns)
{
    make();
    static QDialog* dialog = nullptr;
    static bool exec_returned_after_probe;
    exec_returned_after_probe = false;
    behaviour = [](Window w, unsigned msg, std::uintptr_t, std::intptr_t) -> std::intptr_t {
        if (msg == WM_COMMAND) {
            post_message(w, probe, 0, 0);
            QDialog d;
            dialog = &d;
            QTimer::singleShot(3000, &d, &QDialog::reject);  // no hang if delivery fails
            d.exec();
            dialog = nullptr;
            exec_returned_after_probe = !only(probe).empty();
        } else if (msg == probe && dialog != nullptr) {
            dialog->accept();
        }
        return 0;
    };
    post_message(w, WM_COMMAND, 7001, 0);
    ASSERT_TRUE(QTest::qWaitFor([] { return dialog == nullptr && !only(WM_COMMAND).empty(); }, 4000));
    EXPECT_TRUE(exec_returned_after_probe);
}

TEST_F(PlatformCore, SendIsImmediateAndPostsToADestroyedWindowAreDropped)
{
    make();
    behaviour = [](Window, unsigned msg, std::uintptr_t wp, std::intptr_t) -> std::intptr_t {
        return msg == probe ? std::intptr_t(wp * 2) : 0;
    };
    EXPECT_EQ(send_message(w, probe, 21, 0), 42);

    post_message(w, probe, 5, 0);   // queued before the window goes
    destroy_window(w);
    EXPECT_FALSE(is_window(w));
    EXPECT_EQ(only(WM_DESTROY).size(), 1u);
    post_message(w, probe, 6, 0);   // posted to the dead handle
    EXPECT_EQ(send_message(w, probe, 7, 0), 0);
    QTest::qWait(20);
    EXPECT_EQ(params_of(probe), (std::vector<std::uintptr_t>{21}));
    EXPECT_EQ(widget_of(w), nullptr);
}

TEST_F(PlatformCore, CreateIsSentBeforeTheWindowShowsAndCloseDestroysIt)
{
    static bool visible_at_create = true;
    behaviour = [](Window w, unsigned msg, std::uintptr_t wp, std::intptr_t lp) -> std::intptr_t {
        if (msg == WM_CREATE)
            visible_at_create = widget_of(w)->isVisible();
        return def_window_proc(w, msg, wp, lp);
    };
    make();
    ASSERT_FALSE(received.empty());
    EXPECT_EQ(received.front().msg, WM_CREATE);
    EXPECT_FALSE(visible_at_create);
    EXPECT_TRUE(widget_of(w)->isVisible());
    EXPECT_EQ(window_text(w), "the Tavrin Clock");

    // The window manager's close button leaves the decision to the procedure.
    behaviour = [](Window, unsigned, std::uintptr_t, std::intptr_t) -> std::intptr_t { return 0; };
    widget_of(w)->close();
    EXPECT_TRUE(is_window(w));
    EXPECT_EQ(only(WM_CLOSE).size(), 1u);
    behaviour = nullptr;
    widget_of(w)->close();
    EXPECT_FALSE(is_window(w));
}

// ---- timers --------------------------------------------------------------------------

TEST_F(PlatformCore, TimersRepeatCanBeReArmedAndKilledAndDieWithTheirWindow)
{
    make();
    set_timer(w, 1, 5000);
    set_timer(w, 1, 10);   // re-arming replaces the long interval
    EXPECT_EQ(timer_interval(w, 1), 10);
    ASSERT_TRUE(QTest::qWaitFor([] { return only(WM_TIMER).size() >= 3; }, 2000));
    EXPECT_EQ(params_of(WM_TIMER), std::vector<std::uintptr_t>(only(WM_TIMER).size(), 1));

    kill_timer(w, 1);
    kill_timer(w, 99);   // never armed
    for (int id : {1, 99}) {
        EXPECT_FALSE(timer_active(w, id));
        EXPECT_EQ(timer_interval(w, id), -1);
    }
    const auto fired = only(WM_TIMER).size();
    QTest::qWait(50);
    EXPECT_EQ(only(WM_TIMER).size(), fired);

    set_timer(w, 2, 10);
    destroy_window(w);
    EXPECT_FALSE(timer_active(w, 2));
    set_timer(w, 3, 10);
    EXPECT_FALSE(timer_active(w, 3));
    QTest::qWait(50);
    EXPECT_EQ(only(WM_TIMER).size(), fired);
}

// ---- keys and mouse ---------------------------------------------------------------------

TEST_F(PlatformCore, KeysBecomeCharactersAndAltKeysSystemKeys)
{
    make();
    QWidget* client = client_widget_of(w);
    QTest::keyClick(client, Qt::Key_Escape);
    QTest::keyClick(client, 'a');
    QTest::keyClick(client, 'A', Qt::ShiftModifier);
    EXPECT_EQ(params_of(WM_CHAR), (std::vector<std::uintptr_t>{27, 'a', 'A'}));

    QTest::keyClick(client, Qt::Key_F9);   // F9 alone says nothing
    EXPECT_TRUE(only(WM_SYSKEYUP).empty());
    QTest::keyRelease(client, Qt::Key_F9, Qt::AltModifier);
    EXPECT_EQ(params_of(WM_SYSKEYUP), (std::vector<std::uintptr_t>{VK_F9}));

    QTest::keyPress(client, Qt::Key_F4, Qt::AltModifier);
    EXPECT_EQ(params_of(WM_SYSKEYDOWN), (std::vector<std::uintptr_t>{VK_F4}));
    EXPECT_EQ(only(WM_CLOSE).size(), 1u);
    EXPECT_FALSE(is_window(w));
}

TEST_F(PlatformCore, MousePositionsPackAsSixteenBitHalves)
{
    make();
    QWidget* client = client_widget_of(w);
    QTest::mousePress(client, Qt::LeftButton, Qt::ShiftModifier, QPoint(5, 6));
    QMouseEvent drag(QEvent::MouseMove, QPointF(-3, -20), client->mapToGlobal(QPointF(-3, -20)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(client, &drag);
    QTest::mouseRelease(client, Qt::LeftButton, Qt::NoModifier, QPoint(7, 8));

    EXPECT_EQ(only(WM_LBUTTONDOWN), (std::vector<Msg>{{WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, make_lparam(5, 6)}}));
    EXPECT_EQ(only(WM_LBUTTONUP), (std::vector<Msg>{{WM_LBUTTONUP, 0, make_lparam(7, 8)}}));
    ASSERT_FALSE(only(WM_MOUSEMOVE).empty());
    const Msg moved = only(WM_MOUSEMOVE).back();
    EXPECT_EQ(moved.wp, MK_LBUTTON);
    EXPECT_EQ(loword(moved.lp), 0xFFFDu);
    EXPECT_EQ(hiword(moved.lp), 0xFFECu);
}

// ---- painting --------------------------------------------------------------------------

TEST_F(PlatformCore, PaintPassErasesThenPaintsWithTheOwnContext)
{
    make();
    static std::vector<std::pair<unsigned, DC>> seen;
    seen.clear();
    behaviour = [](Window w, unsigned msg, std::uintptr_t wp, std::intptr_t lp) -> std::intptr_t {
        if (msg == WM_ERASEBKGND) {
            seen.push_back({msg, DC(wp)});
            fill_rect(DC(wp), client_rect(w), rgb(0, 0, 160));
            return 1;
        }
        if (msg == WM_PAINT) {
            DC dc = begin_paint(w);
            seen.push_back({msg, dc});
            fill_rect(dc, Rect{0, 0, 10, 10}, rgb(255, 0, 0));
            end_paint(w, dc);
            return 0;
        }
        return def_window_proc(w, msg, wp, lp);
    };
    EXPECT_EQ(begin_paint(w), nullptr);
    const QImage shot = client_widget_of(w)->grab().toImage();
    EXPECT_EQ(begin_paint(w), nullptr);
    EXPECT_EQ(seen, (std::vector<std::pair<unsigned, DC>>{{WM_ERASEBKGND, own_dc(w)}, {WM_PAINT, own_dc(w)}}));
    EXPECT_EQ(shot.pixelColor(2, 2), QColor(255, 0, 0));
    EXPECT_EQ(shot.pixelColor(50, 50), QColor(0, 0, 160));
}

// ---- geometry ------------------------------------------------------------------------------

struct HideCounter : QObject {
    bool eventFilter(QObject*, QEvent* e) override { return count += e->type() == QEvent::Hide, false; }
    int count = 0;
};

TEST_F(PlatformCore, MenuBarTakesClientSpaceAndCaptionChangesKeepTheClient)
{
    make(load_menu("MAINMENU"));
    const Rect whole = window_rect(w);
    const Rect with_bar = client_rect(w);
    EXPECT_EQ(whole.right - whole.left, 400);
    EXPECT_LT(with_bar.bottom, whole.bottom - whole.top);
    set_menu_shown(w, false);
    EXPECT_GT(client_rect(w).bottom, with_bar.bottom);

    // The same window, at the same place: one made anew loses both its place and the keyboard.
    const Rect client = client_rect(w);
    const QWindow* native = widget_of(w)->windowHandle();
    const QRect inside = native->geometry();
    HideCounter hides;
    widget_of(w)->installEventFilter(&hides);
    set_caption(w, false);
    set_topmost(w, true);
    set_caption(w, true);
    set_caption(w, false);
    EXPECT_EQ(hides.count, 0);
    EXPECT_EQ(qrect(client_rect(w)), qrect(client));
    EXPECT_EQ(widget_of(w)->windowHandle(), native);
    EXPECT_EQ(native->geometry(), inside);
    EXPECT_TRUE(native->flags() & Qt::WindowStaysOnTopHint);
    EXPECT_FALSE(native->flags() & Qt::WindowTitleHint);

    // What is read is what is put back.
    const Rect before = window_rect(w);
    set_window_pos(w, before.left, before.top, before.right - before.left, before.bottom - before.top);
    EXPECT_EQ(qrect(window_rect(w)), qrect(before));

    set_window_pos(w, 50, 60, 300, 200);
    EXPECT_EQ(qrect(window_rect(w)).topLeft(), QPoint(50, 60));
    EXPECT_EQ(qrect(window_rect(w)).width(), 300);
}

// ---- menus ------------------------------------------------------------------------------------

const char* const test_menu = R"(// a comment
TESTMENU MENU
BEGIN
    POPUP "&File"
    BEGIN
        MENUITEM "most &Recent style", 7001

        MENUITEM SEPARATOR
        POPUP "Ad&vanced" BEGIN MENUITEM "Say \"hi\"\tAlt+F9", 7005 END   // escapes
    END
    MENUITEM "&About", 7029, GRAYED
END
)";

TEST_F(PlatformCore, MenuTemplatesParseAndItemsSendCommands)
{
    ASSERT_TRUE(add_menu_templates(test_menu));
    EXPECT_FALSE(add_menu_templates("BROKEN MENU BEGIN MENUITEM \"x\" END"));
    EXPECT_EQ(load_menu("BROKEN"), nullptr);
    EXPECT_EQ(load_menu("NOSUCH"), nullptr);

    Menu m = load_menu("TESTMENU");
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(menu_item_ids(m), (std::vector<int>{7001, 7005, 7029}));
    EXPECT_EQ(menu_item_text(m, 7005), "Say \"hi\"\tAlt+F9");
    EXPECT_FALSE(menu_item_enabled(m, 7029));

    make(m);
    check_menu_item(m, 7001, true);
    trigger_menu_item(w, 7001);
    trigger_menu_item(w, 7029);   // grayed: a click does nothing
    EXPECT_EQ(params_of(WM_COMMAND), (std::vector<std::uintptr_t>{7001}));
    EXPECT_TRUE(menu_item_checked(m, 7001));   // choosing does not flip the mark

    enable_menu_item(m, 7029, true);
    check_menu_item(m, 7001, false);
    trigger_menu_item(w, 7029);
    EXPECT_EQ(params_of(WM_COMMAND), (std::vector<std::uintptr_t>{7001, 7029}));
    EXPECT_FALSE(menu_item_checked(m, 7001));
    EXPECT_EQ(only(WM_COMMAND).back().lp, 0);
}

// Every command item of the bar: whether it shows a mark, and whether that mark is on.
std::vector<std::pair<bool, bool>> marks(Menu m)
{
    std::vector<std::pair<bool, bool>> out;
    const QList<QAction*> actions = menu_bar_of(m)->findChildren<QAction*>();
    for (int id : menu_item_ids(m))
        for (QAction* a : actions)
            if (a->menu() == nullptr && a->text().toStdString() == menu_item_text(m, id))
                out.push_back({a->isCheckable(), a->isChecked()});
    return out;
}

TEST_F(PlatformCore, OnlyCheckedItemsShowAMark)
{
    Menu m = load_menu("MAINMENU");
    ASSERT_NE(m, nullptr);
    make(m);
    const std::vector<int> ids = menu_item_ids(m);
    for (int id : ids)
        check_menu_item(m, id, false);
    check_menu_item(m, ids[1], true);
    trigger_menu_item(w, ids[1]);   // a click leaves the mark as the program set it
    trigger_menu_item(w, ids[2]);
    std::vector<std::pair<bool, bool>> expected(ids.size(), {false, false});
    expected[1] = {true, true};
    EXPECT_EQ(marks(m), expected);
}

// Alt+letter, then a letter, opens an item at once only where no other item of its menu has the letter.
TEST_F(PlatformCore, EveryMenuHasOneItemPerLetterAndDemoIsInHelp)
{
    QList<QAction*> titles = menu_bar_of(load_menu("MAINMENU"))->actions();
    QString demo_in;
    for (qsizetype i = 0; i < titles.size(); ++i) {   // submenus join the list as they come
        QString letters;
        for (QAction* a : titles[i]->menu()->actions()) {
            if (a->menu() != nullptr)
                titles.append(a->menu()->menuAction());
            demo_in += a->text().startsWith("&Demo...") ? titles[i]->text() : "";
            const qsizetype amp = a->text().indexOf('&') + 1;
            const QChar letter = amp > 0 ? a->text().at(amp).toLower() : QChar();
            EXPECT_TRUE(amp == 0 || !letters.contains(letter)) << a->text().toStdString();
            letters += letter;
        }
    }
    EXPECT_EQ(demo_in.toStdString(), "&Help");
}

// ---- the drag outline ---------------------------------------------------------

TEST_F(PlatformCore, DragOutlineFollowsAndLeavesNothingWhenHidden)
{
    drag_outline_show(Rect{10, 20, 110, 220}, 4, rgb(193, 193, 193));
    drag_outline_show(Rect{40, 30, 140, 230}, 4, rgb(193, 193, 193));
    Rect where{};
    ASSERT_TRUE(drag_outline_visible(&where));
    EXPECT_EQ(qrect(where), QRect(40, 30, 100, 200));

    QWidget* outline = nullptr;
    for (QWidget* top : QApplication::topLevelWidgets())
        if (top->isVisible() && top->geometry() == QRect(40, 30, 100, 200))
            outline = top;
    ASSERT_NE(outline, nullptr);
    EXPECT_TRUE(outline->mask().contains(QPoint(1, 1)));
    EXPECT_FALSE(outline->mask().contains(QPoint(50, 100)));   // the inside shows through

    drag_outline_hide();
    EXPECT_FALSE(drag_outline_visible(&where));
    EXPECT_FALSE(outline->isVisible());
}

}  // namespace
