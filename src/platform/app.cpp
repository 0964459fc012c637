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

Rect desktop_rect()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr)
        return {0, 0, 0, 0};
    const QSize size = screen->geometry().size();
    return {0, 0, size.width(), size.height()};
}

}  // namespace plat
