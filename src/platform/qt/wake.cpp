// Changes of the time of day that no timer sees: the system time set or stepped (by hand or by
// NTP), the time zone changed, a resume from sleep, or a clock faked inside the process.
#include "internal.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QObject>
#include <QSocketNotifier>
#include <QTimer>

#include <sys/timerfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <vector>

namespace plat {

namespace {

// Smaller steps wait for the next increment; NTP's slewing never comes near this.
constexpr std::int64_t jump_ms = 1000;
// 2100-01-01: the timer never runs out, it is there to be cancelled when the clock is set.
constexpr time_t far_future = 4102444800;

std::function<ClockReading()> reading_hook;

std::int64_t ms_of(const timespec& t) { return std::int64_t(t.tv_sec) * 1000 + t.tv_nsec / 1000000; }

ClockReading system_reading()
{
    timespec wall{}, elapsed{};
    clock_gettime(CLOCK_REALTIME, &wall);
    clock_gettime(CLOCK_MONOTONIC, &elapsed);
    // localtime_r keeps the zone it first read; tzset looks at it again (one stat when unchanged).
    tzset();
    std::tm local{};
    localtime_r(&wall.tv_sec, &local);
    return {ms_of(wall) - ms_of(elapsed), local.tm_gmtoff};
}

ClockReading reading() { return reading_hook ? reading_hook() : system_reading(); }

// The kernel cancels a CLOCK_REALTIME timerfd armed with TFD_TIMER_CANCEL_ON_SET whenever the
// clock is set, and on resume; logind announces sleep and resume on the system bus. A check once a
// second (two clock reads and a stat, on a coarse timer) catches what neither reports: a zone
// change, a suspend without logind, a clock faked inside the process.
class TimeWatch : public QObject {
    Q_OBJECT
public:
    TimeWatch() : QObject(QCoreApplication::instance()), last(reading())
    {
        heartbeat.setTimerType(Qt::CoarseTimer);
        connect(&heartbeat, &QTimer::timeout, this, &TimeWatch::check);
        heartbeat.start(1000);
        watch_clock_set();
        QDBusConnection bus = QDBusConnection::systemBus();
        if (bus.isConnected())
            bus.connect(QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
                        QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("PrepareForSleep"), this,
                        SLOT(prepare_for_sleep(bool)));
    }
    ~TimeWatch() override
    {
        if (clock_set_fd >= 0)
            close(clock_set_fd);
    }

    std::vector<Window> windows;

public slots:
    void prepare_for_sleep(bool going)
    {
        if (!going)
            tell(WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC);
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
        return timerfd_settime(clock_set_fd, TFD_TIMER_ABSTIME | TFD_TIMER_CANCEL_ON_SET, &spec, nullptr) == 0;
    }

    void clock_was_set()
    {
        std::uint64_t expiries = 0;
        if (read(clock_set_fd, &expiries, sizeof expiries) < 0 && errno == EAGAIN)
            return;
        arm_clock_set();
        tell(WM_TIMECHANGE, 0);
    }

    void check()
    {
        const ClockReading now = reading();
        const bool moved = std::llabs(now.wall_minus_elapsed_ms - last.wall_minus_elapsed_ms) >= jump_ms ||
                           now.utc_offset_secs != last.utc_offset_secs;
        last = now;
        if (moved)
            tell(WM_TIMECHANGE, 0);
    }

    void tell(unsigned msg, std::uintptr_t wp)
    {
        last = reading();   // one change, one message: the check starts again from here
        windows.erase(std::remove_if(windows.begin(), windows.end(), [](Window w) { return !is_window(w); }),
                      windows.end());
        for (Window w : windows)
            post_message(w, msg, wp, 0);
    }

    ClockReading last;
    QTimer heartbeat;
    int clock_set_fd = -1;
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

void set_clock_reading_hook(std::function<ClockReading()> hook) { reading_hook = std::move(hook); }

}  // namespace plat

#include "wake.moc"
