// Changes of the time of day that no timer sees: the system time set or stepped (by hand or by
// NTP), a resume from sleep, a new local time zone. Each is reported by the system itself, so the
// clock sleeps between two boundaries instead of looking at the time on a beat.
//
// Every source is optional. Without a system bus, without inotify or without the timerfd the
// clock still runs; a change that nobody reports shows at the next boundary, when the increment
// timer reads the time again.
#include "internal.h"

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QObject>
#include <QSocketNotifier>
#include <QStringList>
#include <QVariantMap>

#include <sys/inotify.h>
#include <sys/timerfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <vector>

namespace plat {

namespace {

// 2100-01-01: the timer never runs out, it is there to be cancelled when the clock is set.
constexpr time_t far_future = 4102444800;
const char zone_file_name[] = "localtime";

// The kernel cancels a CLOCK_REALTIME timerfd armed with TFD_TIMER_ABSTIME and
// TFD_TIMER_CANCEL_ON_SET whenever the offset between the wall clock and the monotonic clock
// changes: settimeofday, clock_settime, an NTP step. A resume counts as well: timekeeping_resume()
// adds the time slept to the wall clock only and calls timerfd_resume(), "resume is equivalent to
// clock_was_set()" (current kernels; older ones built with high-resolution timers got there through
// hrtimers_resume() and clock_was_set_delayed()). So on a resume both the timerfd and logind's
// PrepareForSleep(false) speak; the second re-timing finds nothing to change. logind is still
// needed where the kernel cannot measure the time slept (no persistent clock), so that the
// offset does not move, and on kernels without high-resolution timers.
//
// /etc/localtime is replaced, not written (a rename or a new symlink), so its folder is watched.
// timedated also announces a new zone on the system bus; either one calls tzset(), because
// localtime_r keeps the zone it first read. With TZ set the zone comes from the environment and
// nothing can change it under the running program.
class TimeWatch : public QObject {
    Q_OBJECT
public:
    TimeWatch() : QObject(QCoreApplication::instance())
    {
        watch_clock_set();
        if (std::getenv("TZ") == nullptr)
            watch_zone_folder("/etc");
        QDBusConnection bus = QDBusConnection::systemBus();
        if (!bus.isConnected())
            return;
        bus.connect(QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
                    QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("PrepareForSleep"), this,
                    SLOT(prepare_for_sleep(bool)));
        if (std::getenv("TZ") == nullptr)
            bus.connect(QStringLiteral("org.freedesktop.timedate1"), QStringLiteral("/org/freedesktop/timedate1"),
                        QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("PropertiesChanged"),
                        this, SLOT(timedate_changed(QDBusMessage)));
    }
    ~TimeWatch() override
    {
        if (clock_set_fd >= 0)
            close(clock_set_fd);
        if (zone_fd >= 0)
            close(zone_fd);
    }

    std::vector<Window> windows;
    int clock_set_fd = -1;

    void watch_zone_folder(const char* folder)
    {
        delete zone_notifier;
        zone_notifier = nullptr;
        if (zone_fd >= 0)
            close(zone_fd);
        zone_fd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        if (zone_fd < 0)
            return;
        if (inotify_add_watch(zone_fd, folder, IN_CREATE | IN_MOVED_TO | IN_CLOSE_WRITE | IN_DELETE) < 0) {
            close(zone_fd);
            zone_fd = -1;
            return;
        }
        zone_notifier = new QSocketNotifier(zone_fd, QSocketNotifier::Read, this);
        connect(zone_notifier, &QSocketNotifier::activated, this, &TimeWatch::folder_changed);
    }

public slots:
    void prepare_for_sleep(bool going)
    {
        if (!going)
            tell(WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC);
    }

    void zone_changed()
    {
        tzset();
        tell(WM_TIMECHANGE, 0);
    }

    void timedate_changed(const QDBusMessage& m)
    {
        const QList<QVariant> args = m.arguments();
        if (args.size() < 3 || args[0].toString() != QLatin1String("org.freedesktop.timedate1"))
            return;
        const QString zone = QStringLiteral("Timezone");
        if (qdbus_cast<QVariantMap>(args[1]).contains(zone) || args[2].toStringList().contains(zone))
            zone_changed();
    }

private:
    void watch_clock_set()
    {
        clock_set_fd = timerfd_create(CLOCK_REALTIME, TFD_NONBLOCK | TFD_CLOEXEC);
        if (clock_set_fd < 0 || !arm_clock_set())
            return;
        auto* notifier = new QSocketNotifier(clock_set_fd, QSocketNotifier::Read, this);
        connect(notifier, &QSocketNotifier::activated, this, &TimeWatch::clock_was_set);
    }

    bool arm_clock_set()
    {
        itimerspec spec{};
        spec.it_value.tv_sec = far_future;
        // Fails with ECANCELED when the clock moved since the last read, yet arms the timer all the same.
        return timerfd_settime(clock_set_fd, TFD_TIMER_ABSTIME | TFD_TIMER_CANCEL_ON_SET, &spec, nullptr) == 0 ||
               errno == ECANCELED;
    }

    void clock_was_set()
    {
        std::uint64_t expiries = 0;
        if (read(clock_set_fd, &expiries, sizeof expiries) < 0 && errno == EAGAIN)
            return;
        arm_clock_set();
        tell(WM_TIMECHANGE, 0);
    }

    // One report for a batch: "ln -sf" deletes and creates, timedatectl creates a temporary
    // name and renames it; other files of the folder are none of the clock's business.
    void folder_changed()
    {
        alignas(inotify_event) char buf[4096];
        bool zone = false;
        ssize_t n;
        while ((n = read(zone_fd, buf, sizeof buf)) > 0) {
            for (ssize_t at = 0; at < n;) {
                const auto* e = reinterpret_cast<const inotify_event*>(buf + at);
                if (e->len > 0 && std::strcmp(e->name, zone_file_name) == 0)
                    zone = true;
                at += ssize_t(sizeof(inotify_event)) + e->len;
            }
        }
        if (zone)
            zone_changed();
    }

    void tell(unsigned msg, std::uintptr_t wp)
    {
        windows.erase(std::remove_if(windows.begin(), windows.end(), [](Window w) { return !is_window(w); }),
                      windows.end());
        for (Window w : windows)
            post_message(w, msg, wp, 0);
    }

    int zone_fd = -1;
    QSocketNotifier* zone_notifier = nullptr;
};

TimeWatch& time_watch()
{
    static TimeWatch* watch = new TimeWatch;   // the application owns it
    return *watch;
}

}  // namespace

void watch_time_changes(Window w)
{
    std::vector<Window>& windows = time_watch().windows;
    if (std::find(windows.begin(), windows.end(), w) == windows.end())
        windows.push_back(w);
}

void simulate_prepare_for_sleep(bool going) { time_watch().prepare_for_sleep(going); }

void simulate_time_zone_change() { time_watch().zone_changed(); }

int clock_set_descriptor() { return time_watch().clock_set_fd; }

void watch_zone_folder(const char* folder) { time_watch().watch_zone_folder(folder); }

}  // namespace plat

#include "wake.moc"
