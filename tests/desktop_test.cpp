// The clock as a desktop user meets it: keys of other alphabets, what the shell is told at the
// end, the face after the time of day moved without a timer noticing, what a window hears of
// such moves, and the real font dialog.
#include "dialog_harness.h"

#include <QApplication>
#include <QDir>
#include <QFontDialog>
#include <QListView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <sys/timerfd.h>

#include <cstring>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

using namespace plat;

namespace {

using harness::at;
using harness::fake_clock;
using harness::fake_now;
using harness::settle;

std::vector<int> commands;   // what reached the window, without being carried out

std::intptr_t command_recorder(Window w, unsigned msg, std::uintptr_t wp, std::intptr_t lp)
{
    if (msg == WM_COMMAND) {
        commands.push_back(int(loword(wp)));
        return 0;
    }
    return MainWndProc(w, msg, wp, lp);
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
    const struct { unsigned code; int command; } keys[] = {   // command 0: none
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

// What the kernel does to the watch's timerfd when the clock is set: it becomes readable.
void set_the_clock()
{
    itimerspec now{};
    clock_gettime(CLOCK_REALTIME, &now.it_value);
    ASSERT_EQ(timerfd_settime(clock_set_descriptor(), TFD_TIMER_ABSTIME, &now, nullptr), 0);
}

// The face follows a change of the time of day at once, not when the armed timer runs out.
TEST_F(Desktop, ResumeClockSetAndNewZoneRetimeTheFace)
{
    const struct { const char* what; std::function<void()> change; } changes[] = {
        {"resume", [] {
             fake_now = at(13, 54, 10);
             simulate_prepare_for_sleep(true), simulate_prepare_for_sleep(false);
         }},
        {"clock set", [] { fake_now = at(13, 54, 10), set_the_clock(); }},
        {"new zone", [] { setenv("TZ", "<+0130>-1:30", 1), simulate_time_zone_change(); }},   // 12:24:10 UTC
    };
    for (const auto& c : changes) {
        fake_now = at(12, 24, 0);
        open();
        ASSERT_EQ(timer_interval(w, increment_timer), 60000);
        fake_now = at(12, 24, 10);
        c.change();
        EXPECT_TRUE(QTest::qWaitFor([] { return clk.increment == 10; }, 1000)) << c.what;
        EXPECT_EQ(clk.disp_hour, 1) << c.what;
        EXPECT_EQ(timer_interval(w, increment_timer), 50000) << c.what;
        close();
    }
    setenv("TZ", "UTC0", 1);
    tzset();
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

TEST_F(Desktop, NormalEndsExitWithZeroAndStillDecideTheSavingAndAFailedSaveDoesNot)
{
    EXPECT_EQ(run_clock_then(CMD_EXIT_NO_SAVE), 0);
    EXPECT_FALSE(QFile::exists(style_file_name));
    save_on_exit = 1;
    EXPECT_EQ(run_clock_then(CMD_EXIT), 0);
    EXPECT_TRUE(QFile::exists(style_file_name));
    QFile::remove(style_file_name), QFile::link("no-such-folder/tavrin.sty", style_file_name);
    EXPECT_EQ(run_clock_then(CMD_EXIT), 1);
    EXPECT_EQ(boxes, 1);
}

TEST_F(Desktop, FailedStartUpExitsNonZero)
{
    std::ofstream(style_file_name) << "QZ0.9\n";
    EXPECT_NE(WinMain(""), 0);
    EXPECT_EQ(boxes, 1) << "the wrong-version box said why";
}

// ---- what a window hears when the time of day moves --------------------------

struct Heard {
    unsigned msg;
    std::uintptr_t wp;
    bool operator==(const Heard& o) const { return msg == o.msg && wp == o.wp; }
};
std::vector<Heard> heard;

std::intptr_t listener(Window w, unsigned msg, std::uintptr_t wp, std::intptr_t lp)
{
    if (msg == WM_TIMECHANGE || msg == WM_POWERBROADCAST)
        heard.push_back({msg, wp});
    return def_window_proc(w, msg, wp, lp);
}

class TimeChanges : public ::testing::Test {
protected:
    void SetUp() override
    {
        w = create_window({"Listener", "listener", 0, 0, 100, 100, nullptr, listener});
        watch_time_changes(w);
        heard.clear();
    }
    void TearDown() override { destroy_window(w); }
    Window w = nullptr;
};

const std::vector<Heard> one_change = {{WM_TIMECHANGE, 0}};

// Once told, the timerfd must be armed again for the next setting, and not be left readable.
TEST_F(TimeChanges, EveryClockSetIsToldOnce)
{
    for (int i = 0; i < 2; ++i) {
        heard.clear();
        set_the_clock();
        QTest::qWait(200);
        EXPECT_EQ(heard, one_change) << "setting " << i;
        itimerspec armed{};
        timerfd_gettime(clock_set_descriptor(), &armed);
        EXPECT_GT(armed.it_value.tv_sec, 50L * 365 * 24 * 3600) << "setting " << i;
    }
}

TEST_F(TimeChanges, TheZoneFileReplacedIsToldOtherFilesAreNot)
{
    QTemporaryDir etc;
    watch_zone_folder(etc.path().toLocal8Bit().constData());
    const QString zone = etc.filePath("localtime");
    const struct { const char* what; std::function<void()> act; bool told; } acts[] = {
        {"another file written", [&] { std::ofstream(etc.filePath("hostname").toStdString()) << "x\n"; }, false},
        {"renamed into place", [&] {
             std::ofstream(etc.filePath("localtime.new").toStdString()) << "TZif";
             QFile::rename(etc.filePath("localtime.new"), zone);
         }, true},
        {"replaced by a symlink", [&] { QFile::remove(zone), QFile::link("/usr/share/zoneinfo/UTC", zone); }, true},
    };
    for (const auto& a : acts) {
        heard.clear();
        a.act();
        QTest::qWait(200);
        EXPECT_EQ(heard, a.told ? one_change : std::vector<Heard>()) << a.what;
    }
    watch_zone_folder("");   // none: the folder's removal is no news for the next test
}

TEST_F(TimeChanges, TheResumeIsToldOnceTheSleepIsOver)
{
    simulate_prepare_for_sleep(true);
    QTest::qWait(0);
    EXPECT_TRUE(heard.empty()) << "nothing while going to sleep";
    simulate_prepare_for_sleep(false);
    QTest::qWait(0);
    EXPECT_EQ(heard, (std::vector<Heard>{{WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC}}));
}

// ---- the real font dialog ----------------------------------------------------

struct Opened {
    std::string family;
    bool italic;
    int weight;
    double points;
};

// Runs choose_font while `act` answers the dialog; returns what the dialog opened on.
Opened choose(plat::LogFont& lf, bool& ok, const std::function<void(QFontDialog&)>& act)
{
    Opened opened{};
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QFontDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        const QFont f = dialog->currentFont();
        opened = {f.family().toStdString(), f.italic(), f.weight(), f.pointSizeF()};
        act(*dialog);
    });
    ok = plat::choose_font(nullptr, lf);
    return opened;
}

bool same(const plat::LogFont& a, const plat::LogFont& b)
{
    return a.height == b.height && a.weight == b.weight && a.italic == b.italic && !std::strcmp(a.face, b.face);
}

TEST(FontDialog, OpensOnTheFaceInUseAndOkAloneChangesNothing)
{
    const struct { plat::LogFont lf; const char* opens_on; bool italic; int weight; } starts[] = {
        {{-33, 0, 0, 0, "Arial"}, "Liberation Sans", false, 400},   // served by its metric twin
        {{-60, 700, 255, 0, "DejaVu Serif"}, "DejaVu Serif", true, 700},
        {{-27, 400, 0, 0, "Liberation Sans"}, "Liberation Sans", false, 400},
        {{-27, 400, 0, 0, "Либерейшн Μονο"}, "Либерейшн Μονο", false, 400},   // a name outside Latin-1
    };
    for (const auto& s : starts) {
        plat::LogFont lf = s.lf;
        bool ok = false;
        const Opened opened = choose(lf, ok, [](QFontDialog& d) { d.accept(); });
        EXPECT_EQ(opened.family, s.opens_on) << s.lf.face;
        EXPECT_EQ(opened.italic, s.italic) << s.lf.face;
        EXPECT_EQ(opened.weight, s.weight) << s.lf.face;
        EXPECT_NEAR(opened.points, -s.lf.height * 72.0 / 96.0, 0.5) << s.lf.face;
        EXPECT_TRUE(ok);
        EXPECT_TRUE(same(lf, s.lf)) << s.lf.face << " came back as " << lf.face << " " << lf.height << " "
                                    << lf.weight << " " << int(lf.italic);
    }
}

// A click on a family in the dialog's list, as the user picks one.
void pick_family(QFontDialog& dialog, const char* family)
{
    for (QListView* list : dialog.findChildren<QListView*>()) {
        const QAbstractItemModel* model = list->model();
        for (int row = 0; row < model->rowCount(); ++row)
            if (model->index(row, 0).data().toString() == QString::fromUtf8(family))
                return list->setCurrentIndex(model->index(row, 0));
    }
    ADD_FAILURE() << "no family " << family;
}

void set_size(QFontDialog& dialog, int points)
{
    QFont f = dialog.currentFont();
    f.setPointSize(points);
    dialog.setCurrentFont(f);
}

void set_style(QFontDialog& dialog, const char* style)
{
    QFont f = dialog.currentFont();
    f.setStyleName(QLatin1String(style));
    dialog.setCurrentFont(f);
}

// Families without a style named like the one showing (DejaVu has "Book", not "Regular") must
// not fall on their first style, an oblique or condensed one.
TEST(FontDialog, OnlyWhatWasChangedComesBack)
{
    const struct { plat::LogFont start; std::function<void(QFontDialog&)> change; plat::LogFont expected; }
        changes[] = {
        {{-33, 0, 0, 0, "Arial"}, [](QFontDialog& d) { set_size(d, 36); }, {-48, 0, 0, 0, "Arial"}},
        {{-33, 0, 0, 0, "Arial"}, [](QFontDialog& d) { set_style(d, "Bold Italic"); }, {-33, 700, 255, 0, "Arial"}},
        {{-33, 0, 0, 0, "Arial"}, [](QFontDialog& d) { pick_family(d, "DejaVu Sans"); }, {-33, 0, 0, 0, "DejaVu Sans"}},
        {{-33, 0, 0, 0, "Arial"}, [](QFontDialog& d) { pick_family(d, "DejaVu Serif"); }, {-33, 0, 0, 0, "DejaVu Serif"}},
        {{-33, 0, 0, 0, "Arial"}, [](QFontDialog& d) { pick_family(d, "Liberation Serif"); },
         {-33, 0, 0, 0, "Liberation Serif"}},
        {{-60, 700, 255, 0, "Liberation Serif"}, [](QFontDialog& d) { pick_family(d, "DejaVu Sans"); },
         {-60, 700, 255, 0, "DejaVu Sans"}},
        {{-33, 0, 0, 0, "Arial"}, [](QFontDialog& d) { pick_family(d, "Либерейшн Μονο"); }, {-33, 0, 0, 0, "Либерейшн Μονο"}},
    };
    for (const auto& c : changes) {
        plat::LogFont lf = c.start;
        bool ok = false;
        choose(lf, ok, [&c](QFontDialog& d) {
            c.change(d);
            d.accept();
        });
        EXPECT_TRUE(ok && same(lf, c.expected)) << c.expected.face << ": " << lf.face << " " << lf.height << " "
                                                << lf.weight << " " << int(lf.italic);
    }
}

// The number font's menu command as the user meets it: OK alone is no change of style.
TEST(FontDialog, FontDialogWithoutChangeReturnsZero)
{
    plat::Font font = plat::create_font({-120, 0, 0, 0, "Arial"});
    plat::Font slot = font;
    int height = -33;
    QTimer::singleShot(0, [] { qobject_cast<QFontDialog*>(QApplication::activeModalWidget())->accept(); });
    EXPECT_EQ(font_dialog(&slot, &height), 0);
    EXPECT_EQ(slot, font);
    EXPECT_EQ(height, -33);
    plat::delete_font(font);
}

}  // namespace
