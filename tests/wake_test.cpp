// What a window hears when the time of day moves: clock steps, zone changes, resumes.
#include "platform/platform.h"

#include <QTest>

#include <gtest/gtest.h>

#include <vector>

using namespace plat;

namespace {

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
        set_clock_reading_hook([this] { return now; });
        w = create_window({"Listener", "listener", 0, 0, 100, 100, nullptr, listener});
        watch_time_changes(w);
        QTest::qWait(1100);   // the regular check takes the reading above as its start
        heard.clear();
    }
    void TearDown() override
    {
        destroy_window(w);
        set_clock_reading_hook(nullptr);
    }
    ClockReading now{5000, 3600};
    Window w = nullptr;
};

TEST_F(TimeChanges, TheRegularCheckTellsOfStepsAndZoneChangesOnly)
{
    const struct {
        const char* what;
        std::int64_t wall_step_ms;
        long zone_step_secs;
        bool told;
    } steps[] = {
        {"NTP slewing", 40, 0, false},
        {"an hour forward", 3600 * 1000, 0, true},
        {"a little under the threshold", 999, 0, false},
        {"two minutes back", -120 * 1000, 0, true},
        {"a new time zone", 0, -5 * 3600, true},
        {"a resume from a suspend seen only by the clocks", 8 * 3600 * 1000, 0, true},
    };
    for (const auto& s : steps) {
        heard.clear();
        now.wall_minus_elapsed_ms += s.wall_step_ms;
        now.utc_offset_secs += s.zone_step_secs;
        QTest::qWait(1100);
        const std::vector<Heard> told = {{WM_TIMECHANGE, 0}};
        EXPECT_EQ(heard, s.told ? told : std::vector<Heard>()) << s.what;
    }
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

}  // namespace
