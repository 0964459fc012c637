// The displayed-time model: time source, displayed hour and increment,
// the colour reversal schedule and the date line.
#include "tavrin.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

Clk clk = {
    0,                       // hour
    0,                       // increment
    " ",                     // tens_digit
    " ",                     // units_digit
    0,                       // disp_hour
    "31/12 Thurs",           // date_text
    0,                       // next_disp_hour
    &clk.disp_hour,          // drawn_hour
    0,                       // demo_running
    0,                       // rvrse_timer_armed
    0,                       // rvrse_in_order
    0,                       // fudge_secs
    5,                       // demo_secs
    {6, 0, 0, 0},            // rvrse_start 6:00
    {18, 1800, 6, 0},        // rvrse_end 18:30
    &clk.rvrse_end,          // next_rvrse
    0,                       // quarter_secs
    0,                       // quarter_increment
    0,                       // quarter_offset
    1,                       // ask_again
    0,                       // demo_hour
    0,                       // demo_minute
    nullptr,                 // demo_dlg
    0,                       // time_source
    0,                       // skip_zero
    {0, 5, 10, 15, 20, 25, 30, 35, 40, 45, 50, 55},
    {0, 8, 15, 23, 30, 38, 45, 53},
};

int incr_secs = 300;
int secs_past_hour = 0;

namespace {

ClockFunction clock_function = nullptr;

enum TimeSource : int {
    real_time = 0,
    frozen = 1,
    demo_first = 2,
    frozen_outline = 3,
    digits_demo_first = 4,
    demo_running = 12,
    digits_demo_running = 14,
};

// ---- reading the time source ---------------------------------------------

int read_real_time()
{
    const std::time_t t = clock_now() + clk.fudge_secs;
    std::tm local{};
    localtime_r(&t, &local);
    clk.hour = local.tm_hour;
    set_date(&local);
    // A leap second (tm_sec 60) would otherwise make a 13th increment.
    const int second = local.tm_sec > 59 ? 59 : local.tm_sec;
    secs_past_hour = local.tm_min * 60 + second;
    return incr_secs - secs_past_hour % incr_secs;
}

int read_first_step()
{
    clk.hour = clk.demo_hour;
    secs_past_hour = clk.demo_minute * 60;
    if (clk.time_source == demo_first) {
        clk.time_source = demo_running;
        return clk.demo_secs;
    }
    if (clk.time_source == digits_demo_first) {
        clk.time_source = digits_demo_running;
        return clk.demo_secs;
    }
    return 0;
}

int read_demo_step()
{
    secs_past_hour += incr_secs;
    if (secs_past_hour > 3599) {
        // Every demo hour starts again on a boundary, whatever the start minute.
        secs_past_hour = 0;
        clk.hour += 1;
    }
    return clk.demo_secs;
}

int read_digits_step()
{
    clk.hour += 1;
    return clk.demo_secs;
}

struct SourceReader {
    int source;
    int (*read)();
    int demo;   // timer delays are scaled from increments to demo steps
};

const SourceReader source_readers[] = {
    {real_time, read_real_time, 0},
    {frozen, read_first_step, 0},
    {demo_first, read_first_step, 1},
    {frozen_outline, read_first_step, 0},
    {digits_demo_first, read_first_step, 1},
    {demo_running, read_demo_step, 1},
    {digits_demo_running, read_digits_step, 1},
};

// Unknown sources fall back to real time, and stay there.
const SourceReader& current_reader()
{
    for (const SourceReader& r : source_readers)
        if (r.source == clk.time_source)
            return r;
    clk.time_source = real_time;
    return source_readers[0];
}

bool is_frozen(int source)
{
    return source == frozen || source == frozen_outline;
}

// ---- display update -------------------------------------------------------

// The time left to a moment at offset seconds into the displayed increment:
// the whole offset when the display has just entered it on its boundary, less
// what has passed when it enters later (start-up, a new fudge factor, a
// wake-up), nothing once the moment is past. A demo step stands for a whole
// increment.
long long timer_delay_secs(int offset, const SourceReader& reader)
{
    if (is_frozen(reader.source))
        return 0;
    const int passed = secs_past_hour - secs_past_hour / incr_secs * incr_secs;
    const long long left = std::max(offset - passed, 0);
    return reader.demo ? left * clk.demo_secs / incr_secs : left;
}

int minute_label(int increment)
{
    const bool eight = (ini_bits & eight_div) != 0;
    const int* labels = eight ? clk.minutes_8 : clk.minutes_12;
    const int count = eight ? 8 : 12;
    return increment >= 0 && increment < count ? labels[increment] : 0;
}

void post_display_update()
{
    if (clk.demo_dlg != nullptr)
        plat::post_message(clk.demo_dlg, WM_DISP_UPDATE, std::uintptr_t(clk.disp_hour),
                           minute_label(clk.increment));
    if (hAbout != nullptr)
        plat::post_message(hAbout, WM_DISP_UPDATE, 0, 0);
}

bool reversal_due_now()
{
    return (non_ini_bits & cycle_on) && clk.next_rvrse->hour == clk.hour
           && clk.next_rvrse->increment == clk.increment;
}

void derive_increments(RvrseTime& r)
{
    r.increment = r.secs / incr_secs;
    r.offset = r.secs % incr_secs;
}

long long seconds_of_day(int hour, int secs)
{
    return hour * 3600LL + secs;
}

void set_digit(char* digit, char c)
{
    digit[0] = c;
    digit[1] = '\0';
}

// ---- date line ------------------------------------------------------------

const char* const month_names[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                     "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
const char* const weekday_names[7] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};

const char* name_in(const char* const* names, int count, int index)
{
    return index >= 0 && index < count ? names[index] : "?";
}

}  // namespace

void set_clock_function(ClockFunction f)
{
    clock_function = f;
}

std::time_t clock_now()
{
    return clock_function != nullptr ? clock_function() : std::time(nullptr);
}

int set_time()
{
    return current_reader().read();
}

int timer_ms(long long secs, int ms_per_sec)
{
    return int(std::clamp<long long>(secs * ms_per_sec, 0, INT_MAX));
}

Clk* set_disp_clock(plat::Window w)
{
    const SourceReader& reader = current_reader();
    const long long reversal_delay = timer_delay_secs(clk.next_rvrse->offset, reader);
    const long long quarter_delay = timer_delay_secs(clk.quarter_offset, reader);

    clk.increment = secs_past_hour / incr_secs;
    if (clk.skip_zero == 1 && clk.increment == 0)
        clk.increment = 1;
    format_hour(ini_bits & military);
    post_display_update();

    if (clk.quarter_secs != 0 && clk.quarter_increment == clk.increment)
        plat::set_timer(w, quarter_timer, timer_ms(quarter_delay, 1000));
    clk.rvrse_timer_armed = 0;
    if (reversal_due_now())
        plat::set_timer(w, reversal_timer, timer_ms(reversal_delay, 1000));
    return &clk;
}

int format_hour(int military_bit)
{
    if (clk.hour > 23)
        clk.hour = 0;
    if (military_bit) {
        clk.disp_hour = clk.hour;
        clk.next_disp_hour = clk.disp_hour + 1 > 23 ? 0 : clk.disp_hour + 1;
    } else {
        clk.disp_hour = clk.hour % 12 == 0 ? 12 : clk.hour % 12;
        clk.next_disp_hour = clk.disp_hour + 1 > 12 ? 1 : clk.disp_hour + 1;
    }

    const int drawn = *clk.drawn_hour;
    char text[12];
    std::snprintf(text, sizeof text, "%d", drawn);
    if (std::strlen(text) >= 2) {
        set_digit(clk.tens_digit, text[0]);
        set_digit(clk.units_digit, text[1]);
    } else {
        set_digit(clk.tens_digit, '\0');
        set_digit(clk.units_digit, text[0]);
    }
    if (military_bit && drawn < 10)
        set_digit(clk.tens_digit, '0');
    return 0;
}

int toggle_hour(const char* word)
{
    const bool next = word != nullptr && word[0] == 'S';
    clk.drawn_hour = next ? &clk.next_disp_hour : &clk.disp_hour;
    return 0;
}

int contracting_span()
{
    return clk.quarter_secs != 0 && secs_past_hour >= clk.quarter_secs;
}

int update_rvrse(int flags, int start_hour, int start_secs, int end_hour, int end_secs,
                 int demo, int fudge, int quarter)
{
    const int bits = flags == -1 ? ini_bits : flags;
    incr_secs = (bits & eight_div) ? 450 : 300;
    if (flags != -1) {
        clk.rvrse_start.hour = start_hour;
        clk.rvrse_start.secs = start_secs;
        clk.rvrse_end.hour = end_hour;
        clk.rvrse_end.secs = end_secs;
        clk.quarter_secs = quarter;
    }
    derive_increments(clk.rvrse_start);
    derive_increments(clk.rvrse_end);
    clk.quarter_increment = clk.quarter_secs / incr_secs;
    clk.quarter_offset = clk.quarter_secs % incr_secs;
    if (demo != 0)
        clk.demo_secs = demo;
    if (fudge != 0)
        clk.fudge_secs = fudge;
    return 0;
}

int rtrn_rvrse(int* start_hour, int* start_secs, int* end_hour, int* end_secs,
               int* demo, int* fudge, int* quarter)
{
    *start_hour = clk.rvrse_start.hour;
    *start_secs = clk.rvrse_start.secs;
    *end_hour = clk.rvrse_end.hour;
    *end_secs = clk.rvrse_end.secs;
    *demo = clk.demo_secs;
    *fudge = clk.fudge_secs;
    *quarter = clk.quarter_secs;
    return 0;
}

void demo_init_sc(int option, int hour, int minute)
{
    const bool starts_a_source = option >= frozen && option <= digits_demo_first;
    if (option == 7)
        clk.skip_zero = 1;
    clk.time_source = starts_a_source ? option : real_time;
    // The command line is not checked elsewhere; a minute past 59 would
    // push the increment beyond the figure's divisions.
    clk.demo_hour = hour >= 0 && hour <= 23 ? hour : 0;
    clk.demo_minute = minute < 0 ? 0 : (minute > 59 ? 59 : minute);
}

bool scan_number(const char*& at, int& out)
{
    char* end = nullptr;
    const long long value = std::strtoll(at, &end, 10);
    if (end == at)
        return false;
    at = end;
    out = int(std::clamp<long long>(value, INT_MIN, INT_MAX));
    return true;
}

int normalize_time_field(char kind, const char* text, int* first, int* second)
{
    if (text == nullptr)
        return 0;
    int a = 0;
    int b = 0;
    const char* at = text;
    if (!scan_number(at, a))
        return 0;
    if (*at != ':' || !scan_number(++at, b)) {
        const char* separator = std::strpbrk(text, " ;.,/'-_");
        b = 0;
        if (separator != nullptr)
            scan_number(++separator, b);
    }
    if (kind == 'H') {
        if (a > 23)
            a %= 24;
    } else if (a > 59) {
        a = 59;
    }
    if (a < 0)
        a = 1;
    if (b > 59)
        b = 55;
    if (b < 0)
        b = 0;
    *first = a;
    *second = b;
    return 1;
}

int within_rvrse_span()
{
    const long long start = seconds_of_day(clk.rvrse_start.hour, clk.rvrse_start.secs);
    const long long end = seconds_of_day(clk.rvrse_end.hour, clk.rvrse_end.secs);
    const long long now = seconds_of_day(clk.hour, secs_past_hour);
    if (start == end)
        return 2;
    clk.rvrse_in_order = end > start;
    const bool inside = clk.rvrse_in_order ? (start <= now && now < end) : (now >= start || now < end);
    clk.next_rvrse = inside ? &clk.rvrse_end : &clk.rvrse_start;
    return inside;
}

int swtch_rvrse_times()
{
    const bool entering = clk.next_rvrse == &clk.rvrse_start;
    clk.next_rvrse = entering ? &clk.rvrse_end : &clk.rvrse_start;
    return entering;
}

int set_date(const std::tm* when)
{
    std::tm local{};
    if (when == nullptr) {
        const std::time_t t = clock_now();
        localtime_r(&t, &local);
        when = &local;
    }
    const char* weekday = name_in(weekday_names, 7, when->tm_wday);
    char text[64];
    if (ini_bits & date_month_name)
        std::snprintf(text, sizeof text, "%s %02d %s", name_in(month_names, 12, when->tm_mon),
                      when->tm_mday, weekday);
    else
        std::snprintf(text, sizeof text, "%02ld/%02d %s", long(when->tm_mon) + 1, when->tm_mday,
                      weekday);
    const std::size_t length = std::min(std::strlen(text), sizeof clk.date_text - 1);
    std::memcpy(clk.date_text, text, length);
    clk.date_text[length] = '\0';
    return 0;
}

// The periodic-cycle question dialog is not built yet: colour changes go ahead.
int period_cycle_on_dlg(plat::Window)
{
    return 1;
}
