// The clock as a desktop user meets it: keys of other alphabets, what the shell is told at the
// end, and the face after the time of day moved without a timer noticing.
#include "platform/internal.h"
#include "tavrin.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <fstream>
#include <vector>

using namespace plat;

namespace {

std::time_t fake_now = 0;
std::time_t fake_clock() { return fake_now; }
std::time_t at(int h, int m, int s) { return std::time_t(h) * 3600 + m * 60 + s; }  // 1 Jan 1970, UTC

std::vector<int> commands;   // what reached the window, without being carried out

std::intptr_t command_recorder(Window w, unsigned msg, std::uintptr_t wp, std::intptr_t lp)
{
    if (msg == WM_COMMAND) {
        commands.push_back(int(loword(wp)));
        return 0;
    }
    return MainWndProc(w, msg, wp, lp);
}

void settle()
{
    for (int i = 0; i < 4; ++i)
        QApplication::processEvents();
}

// A clock window with the default style, in a scratch folder, on the settable clock.
class Desktop : public ::testing::Test {
protected:
    QTemporaryDir scratch;
    QString home;
    Window w = nullptr;
    int boxes = 0;

    void SetUp() override
    {
        home = QDir::currentPath();
        QDir::setCurrent(scratch.path());
        fake_now = at(12, 24, 0);
        set_clock_function(fake_clock);
        set_message_box_hook([this](const MessageBoxCall&) { return ++boxes, int(IDOK); });
        demo_init_sc(0, 0, 0);
        save_on_exit = 1;
        commands.clear();
    }

    void TearDown() override
    {
        if (w && is_window(w))
            send_message(w, WM_CLOSE, 0, 0);
        settle();
        set_message_box_hook(nullptr);
        set_clock_reading_hook(nullptr);
        set_clock_function(nullptr);
        QDir::setCurrent(home);
    }

    void open(WndProc proc = MainWndProc)
    {
        init_stl();
        Menu menu = load_menu("MAINMENU");
        int place[4];
        ASSERT_EQ(get_style('F', menu, place), 0);
        w = create_window({"QZClockClass", "the Tavrin Clock", 100, 100, 400, 300, menu, proc});
        ASSERT_NE(w, nullptr);
        settle();
    }

    void close()
    {
        send_message(w, WM_CLOSE, 0, 0);
        settle();
        close_stl();
    }
};

TEST_F(Desktop, OnlyLatinLettersOfTheKeyTableAct)
{
    open(command_recorder);
    const struct {
        unsigned code;
        int command;   // 0: none
    } keys[] = {
        {'a', CMD_ABOUT}, {'C', CMD_CYCLE_COLORS}, {'d', CMD_DEMO}, {'s', CMD_SQUARE},
        {0x0443, 0}, {0x0444, 0}, {0x0441, 0}, {0x0421, 0},   // Cyrillic у ф с С: low bytes C D A !
        {0x0143, 0}, {0x00E1, 0}, {0x4E4D, 0},                // Ń, á, a CJK character ending in 0x4D ("M")
    };
    for (const auto& k : keys) {
        commands.clear();
        send_message(w, WM_CHAR, k.code, 0);
        settle();
        EXPECT_EQ(commands, k.command ? std::vector<int>{k.command} : std::vector<int>{}) << std::hex << k.code;
    }
    close();
}

// The face follows a change of the time of day at once, not when the armed timer runs out.
TEST_F(Desktop, ResumeAndClockChangesRetimeTheFace)
{
    const std::function<void(std::int64_t&)> changes[] = {
        [](std::int64_t&) { simulate_prepare_for_sleep(true), simulate_prepare_for_sleep(false); },
        [](std::int64_t& wall) { wall += 90 * 60 * 1000; },   // the regular check sees the clock jump
    };
    std::int64_t wall = 0;
    set_clock_reading_hook([&wall] { return ClockReading{wall, 0}; });
    for (const auto& change : changes) {
        fake_now = at(12, 24, 0);
        open();
        QTest::qWait(1100);   // the regular check takes this reading as its start
        ASSERT_EQ(timer_interval(w, increment_timer), 60000);
        fake_now = at(13, 54, 10);   // ninety minutes later
        QTest::qWait(1100);
        EXPECT_EQ(clk.increment, 4) << "nothing told the clock yet";
        change(wall);
        EXPECT_TRUE(QTest::qWaitFor([] { return clk.increment == 10; }, 1500));
        EXPECT_EQ(clk.disp_hour, 1);
        EXPECT_EQ(timer_interval(w, increment_timer), 50000);
        close();
    }
}

// ---- the exit status ------------------------------------------------------------------

int run_clock_then(int command)
{
    post_quit(0);   // takes up the quit that the windows of earlier tests left behind
    run_message_loop();
    QTimer::singleShot(0, [command] {
        for (QWidget* top : QApplication::topLevelWidgets())
            if (Window clock = window_of(top); clock && window_text(clock) == "the Tavrin Clock")
                post_message(clock, WM_COMMAND, command, 0);
    });
    return WinMain("");
}

TEST_F(Desktop, NormalEndsExitWithZeroAndStillDecideTheSaving)
{
    EXPECT_EQ(run_clock_then(CMD_EXIT_NO_SAVE), 0);
    EXPECT_FALSE(QFile::exists(style_file_name));
    save_on_exit = 1;
    EXPECT_EQ(run_clock_then(CMD_EXIT), 0);
    EXPECT_TRUE(QFile::exists(style_file_name));
}

TEST_F(Desktop, FailedStartUpExitsNonZero)
{
    std::ofstream(style_file_name) << "QZ0.9\n";
    EXPECT_NE(WinMain(""), 0);
    EXPECT_EQ(boxes, 1) << "the wrong-version box said why";
}

}  // namespace
