// The platform core: messages, timers, keys, mouse, painting, menus, boxes.
#include "platform/internal.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPixmap>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <functional>
#include <vector>

using namespace plat;

namespace {

struct Msg {
    unsigned msg;
    std::uintptr_t wp;
    std::intptr_t lp;
};

std::vector<Msg> received;
std::function<std::intptr_t(Window, unsigned, std::uintptr_t, std::intptr_t)> behaviour;

constexpr unsigned probe = WM_USER + 1;

std::intptr_t RecordingProc(Window w, unsigned msg, std::uintptr_t wp, std::intptr_t lp)
{
    received.push_back({msg, wp, lp});
    if (behaviour)
        return behaviour(w, msg, wp, lp);
    return def_window_proc(w, msg, wp, lp);
}

std::vector<Msg> only(unsigned msg)
{
    std::vector<Msg> out;
    for (const Msg& m : received)
        if (m.msg == msg)
            out.push_back(m);
    return out;
}

std::vector<std::uintptr_t> params_of(unsigned msg)
{
    std::vector<std::uintptr_t> out;
    for (const Msg& m : only(msg))
        out.push_back(m.wp);
    return out;
}

void pump(int ms = 0)
{
    QTest::qWait(ms);
}

bool wait_until(const std::function<bool()>& done, int ms = 2000)
{
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < ms)
        QTest::qWait(5);
    return done();
}

class PlatformCore : public ::testing::Test {
protected:
    void SetUp() override
    {
        received.clear();
        behaviour = nullptr;
    }
    void TearDown() override
    {
        behaviour = nullptr;
        if (is_window(w))
            destroy_window(w);
        pump();
    }
    Window make(Menu menu = nullptr)
    {
        WindowSpec spec{"QZClockClass", "the Tavrin Clock", 20, 30, 400, 300, menu, RecordingProc};
        w = create_window(spec);
        return w;
    }
    Window w = nullptr;
};

// ---- messages ----------------------------------------------------------------------

TEST_F(PlatformCore, PostedMessagesArriveInOrderAfterTheHandlerThatPostedThem)
{
    make();
    behaviour = [](Window w, unsigned msg, std::uintptr_t wp, std::intptr_t) -> std::intptr_t {
        if (msg == probe && wp == 1) {
            post_message(w, probe, 3, 0);
            // Still inside the handler: nothing posted may have arrived yet.
            EXPECT_EQ(params_of(probe).size(), 1u);
        }
        return 0;
    };
    post_message(w, probe, 1, 0);
    post_message(w, probe, 2, 0);
    EXPECT_TRUE(params_of(probe).empty());
    pump();
    EXPECT_EQ(params_of(probe), (std::vector<std::uintptr_t>{1, 2, 3}));
}

TEST_F(PlatformCore, PostedMessagesArriveWhileAModalDialogRuns)
{
    make();
    static QDialog* dialog = nullptr;
    static bool exec_returned_after_probe = false;
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
    ASSERT_TRUE(wait_until([] { return dialog == nullptr && !only(WM_COMMAND).empty(); }));
    EXPECT_TRUE(exec_returned_after_probe);
}

TEST_F(PlatformCore, SendIsImmediateAndPostsToADestroyedWindowAreDropped)
{
    make();
    behaviour = [](Window, unsigned msg, std::uintptr_t wp, std::intptr_t) -> std::intptr_t {
        return msg == probe ? std::intptr_t(wp * 2) : 0;
    };
    EXPECT_EQ(send_message(w, probe, 21, 0), 42);
    EXPECT_EQ(only(probe).size(), 1u);

    post_message(w, probe, 5, 0);   // queued before the window goes
    destroy_window(w);
    EXPECT_FALSE(is_window(w));
    EXPECT_EQ(only(WM_DESTROY).size(), 1u);
    post_message(w, probe, 6, 0);   // posted to the dead handle
    EXPECT_EQ(send_message(w, probe, 7, 0), 0);
    pump(20);
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
    ASSERT_NE(w, nullptr);
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

TEST_F(PlatformCore, QuitEndsTheLoopWithItsCodeAfterTheHandler)
{
    make();
    static bool handler_finished = false;
    handler_finished = false;
    behaviour = [](Window, unsigned msg, std::uintptr_t, std::intptr_t) -> std::intptr_t {
        if (msg == probe) {
            post_quit(7);
            handler_finished = true;
        }
        return 0;
    };
    post_message(w, probe, 0, 0);
    EXPECT_EQ(run_message_loop(), 7);
    EXPECT_TRUE(handler_finished);
}

// ---- timers --------------------------------------------------------------------------

TEST_F(PlatformCore, TimersRepeatCanBeReArmedAndKilled)
{
    make();
    set_timer(w, 1, 5000);
    set_timer(w, 1, 10);   // re-arming replaces the long interval
    EXPECT_EQ(timer_interval(w, 1), 10);
    ASSERT_TRUE(wait_until([] { return only(WM_TIMER).size() >= 3; }));
    for (const Msg& m : only(WM_TIMER))
        EXPECT_EQ(m.wp, 1u);

    kill_timer(w, 1);
    EXPECT_FALSE(timer_active(w, 1));
    EXPECT_EQ(timer_interval(w, 1), -1);
    const auto fired = only(WM_TIMER).size();
    pump(50);
    EXPECT_EQ(only(WM_TIMER).size(), fired);

    kill_timer(w, 99);   // never armed
    EXPECT_FALSE(timer_active(w, 99));
    EXPECT_EQ(timer_interval(w, 99), -1);
}

TEST_F(PlatformCore, TimersDieWithTheirWindow)
{
    make();
    set_timer(w, 2, 10);
    destroy_window(w);
    EXPECT_FALSE(timer_active(w, 2));
    set_timer(w, 3, 10);
    EXPECT_FALSE(timer_active(w, 3));
    pump(50);
    EXPECT_TRUE(only(WM_TIMER).empty());
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
    QMouseEvent move(QEvent::MouseMove, QPointF(-3, -20), client->mapToGlobal(QPointF(-3, -20)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(client, &move);
    QTest::mouseRelease(client, Qt::LeftButton, Qt::NoModifier, QPoint(7, 8));

    ASSERT_EQ(only(WM_LBUTTONDOWN).size(), 1u);
    EXPECT_EQ(only(WM_LBUTTONDOWN)[0].lp, make_lparam(5, 6));
    EXPECT_EQ(only(WM_LBUTTONDOWN)[0].wp, MK_LBUTTON | MK_SHIFT);
    const Msg m = only(WM_MOUSEMOVE).back();
    EXPECT_EQ(m.wp, MK_LBUTTON);
    EXPECT_EQ(loword(m.lp), 0xFFFDu);
    EXPECT_EQ(hiword(m.lp), 0xFFECu);
    ASSERT_EQ(only(WM_LBUTTONUP).size(), 1u);
    EXPECT_EQ(only(WM_LBUTTONUP)[0].lp, make_lparam(7, 8));
    EXPECT_EQ(only(WM_LBUTTONUP)[0].wp, 0u);
}

// ---- painting --------------------------------------------------------------------------

TEST_F(PlatformCore, PaintPassErasesThenPaintsWithTheOwnContext)
{
    make();
    static std::vector<DC> seen;
    seen.clear();
    behaviour = [](Window w, unsigned msg, std::uintptr_t wp, std::intptr_t lp) -> std::intptr_t {
        if (msg == WM_ERASEBKGND) {
            seen.push_back(DC(wp));
            fill_rect(DC(wp), client_rect(w), rgb(0, 0, 160));
            return 1;
        }
        if (msg == WM_PAINT) {
            DC dc = begin_paint(w);
            seen.push_back(dc);
            fill_rect(dc, Rect{0, 0, 10, 10}, rgb(255, 0, 0));
            end_paint(w, dc);
            return 0;
        }
        return def_window_proc(w, msg, wp, lp);
    };
    EXPECT_EQ(begin_paint(w), nullptr);
    received.clear();
    const QImage shot = client_widget_of(w)->grab().toImage();
    EXPECT_EQ(begin_paint(w), nullptr);

    std::vector<unsigned> order;
    for (const Msg& m : received)
        if (m.msg == WM_ERASEBKGND || m.msg == WM_PAINT)
            order.push_back(m.msg);
    ASSERT_EQ(order, (std::vector<unsigned>{WM_ERASEBKGND, WM_PAINT}));
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0], own_dc(w));
    EXPECT_EQ(seen[1], own_dc(w));
    EXPECT_EQ(shot.pixelColor(2, 2), QColor(255, 0, 0));
    EXPECT_EQ(shot.pixelColor(50, 50), QColor(0, 0, 160));
}

// ---- geometry ------------------------------------------------------------------------------

TEST_F(PlatformCore, MenuBarTakesClientSpaceAndCaptionChangesKeepTheClient)
{
    ASSERT_TRUE(add_menu_templates("GEOM MENU BEGIN POPUP \"&File\" BEGIN MENUITEM \"&Exit\", 7004 END END"));
    make(load_menu("GEOM"));
    const Rect whole = window_rect(w);
    const Rect with_bar = client_rect(w);
    EXPECT_EQ(whole.right - whole.left, 400);
    EXPECT_LT(with_bar.bottom, whole.bottom - whole.top);
    set_menu_shown(w, false);
    EXPECT_FALSE(menu_shown(w));
    EXPECT_GT(client_rect(w).bottom, with_bar.bottom);

    const Rect client = client_rect(w);
    set_caption(w, false);
    set_topmost(w, true);
    EXPECT_FALSE(has_caption(w));
    EXPECT_TRUE(is_topmost(w));
    EXPECT_TRUE(widget_of(w)->isVisible());
    EXPECT_EQ(client_rect(w).right, client.right);
    EXPECT_EQ(client_rect(w).bottom, client.bottom);

    set_window_pos(w, 50, 60, 300, 200);
    const Rect moved = window_rect(w);
    EXPECT_EQ(moved.left, 50);
    EXPECT_EQ(moved.top, 60);
    EXPECT_EQ(moved.right - moved.left, 300);
}

// ---- menus ------------------------------------------------------------------------------------

const char* const test_menu = R"(// a comment
TESTMENU MENU
BEGIN
    POPUP "&File"
    BEGIN
        MENUITEM "most &Recent style", 7001

        MENUITEM SEPARATOR
        POPUP "Ad&vanced"
        BEGIN
            MENUITEM "Say \"hi\"\tAlt+F9", 7005   // escapes
        END
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
    EXPECT_NE(load_menu("MAINMENU"), nullptr);

    Menu m = load_menu("TESTMENU");
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(menu_item_ids(m), (std::vector<int>{7001, 7005, 7029}));
    EXPECT_EQ(menu_item_text(m, 7005), "Say \"hi\"\tAlt+F9");
    EXPECT_FALSE(menu_item_enabled(m, 7029));

    make(m);
    check_menu_item(m, 7001, true);
    EXPECT_TRUE(menu_item_checked(m, 7001));
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

// ---- message boxes and the drag outline ---------------------------------------------------------

TEST_F(PlatformCore, MessageBoxHookAnswersInsteadOfTheBox)
{
    make();
    std::vector<MessageBoxCall> calls;
    set_message_box_hook([&calls](const MessageBoxCall& c) {
        calls.push_back(c);
        return IDNO;
    });
    EXPECT_EQ(message_box(w, "Change colours?", "Tavrin", MB_YESNO | MB_ICONQUESTION), IDNO);
    set_message_box_hook(nullptr);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].owner, w);
    EXPECT_EQ(calls[0].text, "Change colours?");
    EXPECT_EQ(calls[0].caption, "Tavrin");
    EXPECT_EQ(calls[0].flags, MB_YESNO | MB_ICONQUESTION);
}

TEST_F(PlatformCore, DragOutlineFollowsAndLeavesNothingWhenHidden)
{
    const Rect a{10, 20, 110, 220};
    const Rect b{40, 30, 140, 230};
    drag_outline_show(a, 4, rgb(193, 193, 193));
    drag_outline_show(b, 4, rgb(193, 193, 193));
    Rect where{};
    ASSERT_TRUE(drag_outline_visible(&where));
    EXPECT_EQ(where.left, b.left);
    EXPECT_EQ(where.bottom, b.bottom);

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
