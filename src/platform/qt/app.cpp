// The application's life: the message loop, its end, beeps and the screen.
#include "internal.h"

#include <QApplication>
#include <QEventLoop>
#include <QGuiApplication>
#include <QScreen>

namespace plat {
namespace {

QEventLoop* main_loop = nullptr;
bool quit_pending = false;
int quit_code = 0;
int beeps = 0;

// Ends the loop from a queued call, so that the handler that asked for the
// end, and every handler it is nested in, returns first.
void end_main_loop()
{
    if (main_loop != nullptr && quit_pending)
        main_loop->exit(quit_code);
}

}  // namespace

void post_quit(int exit_code)
{
    quit_code = exit_code;
    quit_pending = true;
    QMetaObject::invokeMethod(qApp, end_main_loop, Qt::QueuedConnection);
}

int run_message_loop()
{
    if (quit_pending) {
        quit_pending = false;
        return quit_code;
    }
    // Only post_quit ends the loop, not the last window going away.
    QApplication::setQuitOnLastWindowClosed(false);
    QEventLoop loop;
    main_loop = &loop;
    const int code = loop.exec();
    main_loop = nullptr;
    quit_pending = false;
    return code;
}

void beep()
{
    ++beeps;
    QApplication::beep();
}

int beep_count()
{
    return beeps;
}

namespace {

Rect rect_of_screen(const QRect& r)
{
    return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

}  // namespace

// Every monitor together: a clock may be kept on any of them.
Rect desktop_rect()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen != nullptr ? rect_of_screen(screen->virtualGeometry()) : Rect{0, 0, 0, 0};
}

Rect primary_screen_rect()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen != nullptr ? rect_of_screen(screen->geometry()) : Rect{0, 0, 0, 0};
}

}  // namespace plat
