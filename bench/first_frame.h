// Ends a start-up measurement once the first frame has been painted: prints
// the CPU time, the peak resident memory so far and how many font files are
// mapped, then leaves at once.
// With "close" as the mode the top-level windows are closed instead, so that
// the program ends as a user would end it.
#pragma once

#include <QApplication>
#include <QCloseEvent>
#include <QEvent>
#include <QFile>
#include <QSet>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <cstring>
#include <sys/resource.h>
#include <unistd.h>

namespace first_frame {

inline int mapped_font_files()
{
    QFile maps(QStringLiteral("/proc/self/maps"));
    if (!maps.open(QIODevice::ReadOnly))
        return -1;
    QSet<QByteArray> files;
    for (const QByteArray& line : maps.readAll().split('\n'))
        if (line.endsWith(".ttf") || line.endsWith(".otf") || line.endsWith(".ttc") || line.endsWith(".pfb"))
            files.insert(line.mid(line.indexOf('/')));
    return int(files.size());
}

inline void report_and_leave()
{
    rusage use{};
    getrusage(RUSAGE_SELF, &use);
    const long cpu_us = (use.ru_utime.tv_sec + use.ru_stime.tv_sec) * 1000000L + use.ru_utime.tv_usec + use.ru_stime.tv_usec;
    std::printf("%ld %ld %d\n", cpu_us, use.ru_maxrss, mapped_font_files());
    std::fflush(stdout);
    _exit(0);
}

class Watch : public QObject {
public:
    explicit Watch(bool close) : close(close) {}

protected:
    bool eventFilter(QObject* o, QEvent* e) override
    {
        if (e->type() == QEvent::Paint && !seen && o->isWidgetType()) {
            seen = true;
            // Queued: it runs once the paint of the whole frame has returned.
            QTimer::singleShot(0, qApp, [this] {
                if (!close)
                    report_and_leave();
                for (QWidget* top : QApplication::topLevelWidgets())
                    if (top->isVisible())
                        top->close();
            });
        }
        return false;
    }

private:
    bool close;
    bool seen = false;
};

// argv[1] == "close": close the windows after the first frame instead of leaving.
inline void watch(int argc, char** argv)
{
    const bool close = argc > 1 && std::strcmp(argv[1], "close") == 0;
    qApp->installEventFilter(new Watch(close));
}

}  // namespace first_frame
