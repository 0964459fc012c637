// The displayed-time model: time source, displayed hour and increment,
// the colour reversal schedule and the date line.
#include "tavrin.h"
#include "platform/os/os.h"

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
    const std::tm local = os::local_time(t);
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

int typed_step_secs(const char* text)
{
    int secs = 0;
    if (text == nullptr || !scan_number(text, secs) || secs <= 0)
        return 0;
    return std::min(secs, longest_step_secs);
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
        local = os::local_time(t);
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

// ---- the face in words, for a screen reader ------------------------------------

namespace {

bool is_demo(int source)
{
    for (const SourceReader& r : source_readers)
        if (r.source == source)
            return r.demo != 0;
    return false;
}

// A displayed time of day as the face's hour scheme writes it: 10:40, 19:40,
// 07:40, and the half minutes of eight divisions as 10:37:30.
std::string time_words(int hour, int secs, bool military_time)
{
    char text[32];
    if (secs % 60 == 0)
        std::snprintf(text, sizeof text, military_time ? "%02d:%02d" : "%d:%02d", hour, secs / 60);
    else
        std::snprintf(text, sizeof text, military_time ? "%02d:%02d:%02d" : "%d:%02d:%02d", hour, secs / 60,
                      secs % 60);
    return text;
}

}  // namespace

std::string face_reading(const Clk& c, int ini, int run)
{
    const bool military_time = (ini & military) != 0;
    const bool counting_down = (run & contracting) != 0;
    const int divisions = (ini & eight_div) ? 8 : 12;
    const int step = 3600 / divisions;
    const int shown = std::clamp(c.increment, 0, divisions - 1);

    std::string number;
    for (char digit : {c.tens_digit[0], c.units_digit[0]})
        if (digit != '\0' && digit != ' ')
            number += digit;

    std::string words = is_demo(c.time_source) ? "Demonstration: " : "";
    if (counting_down)
        words += "counting down to ";
    words += number + (military_time ? " hours, " : " o'clock, ");
    words += std::to_string(counting_down ? divisions - shown : shown) + " of " + std::to_string(divisions) +
             (counting_down ? " divisions left" : " divisions");

    const int from = shown * step, to = from + step;
    words += ": between " + time_words(c.disp_hour, from, military_time) + " and " +
             (to >= 3600 ? time_words(c.next_disp_hour, 0, military_time)
                         : time_words(c.disp_hour, to, military_time));
    if (ini & date_on)
        words += "; " + std::string(c.date_text, std::find(c.date_text, std::end(c.date_text), '\0'));
    return words;
}

// ---- setting dialogs: periodic colour cycle, its question, the demo -----------

namespace {

constexpr int field_chars = 20;   // edit texts are read into buffers of this size

struct ReversalFields {
    int edit;
    int am;
    int pm;
    RvrseTime* time;
};

const ReversalFields reversal_fields[] = {
    {1019, 1022, 1023, &clk.rvrse_start},
    {1020, 1025, 1026, &clk.rvrse_end},
};

void show_reversal(plat::Window dlg, const ReversalFields& f, bool military_time)
{
    const int hour = f.time->hour;
    const int shown = military_time ? hour : (hour % 12 == 0 ? 12 : hour % 12);
    char text[field_chars];
    std::snprintf(text, sizeof text, "%d:%02d", shown, f.time->secs / 60);
    plat::set_dlg_item_text(dlg, f.edit, text);
    if (military_time) {
        plat::enable_dlg_item(dlg, f.am, false);
        plat::enable_dlg_item(dlg, f.pm, false);
    } else {
        plat::check_radio_button(dlg, f.am, f.pm, hour >= 12 ? f.pm : f.am);
    }
}

// Real seconds past the hour, unfudged: the reversal timer runs in real time.
int real_secs_past_hour()
{
    const std::time_t t = clock_now();
    const std::tm local = os::local_time(t);
    return local.tm_min * 60 + std::min(local.tm_sec, 59);
}

// Arms the reversal timer when the next reversal is still ahead inside the displayed increment.
void arm_reversal_now(plat::Window main_window)
{
    const RvrseTime& next = *clk.next_rvrse;
    const bool real_time_shown = clk.demo_running == 0 && clk.time_source == real_time;
    if (!real_time_shown || next.hour != clk.hour || next.increment != clk.increment)
        return;
    const int now = real_secs_past_hour();
    if (next.secs > now) {
        plat::set_timer(main_window, reversal_timer, (next.secs - now) * 1000);
        clk.rvrse_timer_armed = 1;
    }
}

int set_colors_now(plat::Window dlg, plat::Window main_window, bool military_time)
{
    const RvrseTime start = clk.rvrse_start;
    const RvrseTime end = clk.rvrse_end;
    for (const ReversalFields& f : reversal_fields)
        read_reversal_fields(dlg, f.edit, military_time ? 0 : f.pm, f.time);
    update_rvrse(-1, 0, 0, 0, 0, 0, 0, 0);
    const int inside = within_rvrse_span();
    if (inside == 2) {
        clk.rvrse_start = start;
        clk.rvrse_end = end;
        return DLG_CANCEL;
    }
    non_ini_bits |= cycle_on;
    clk.ask_again = 1;
    clk.rvrse_timer_armed = 0;
    arm_reversal_now(main_window);
    if (inside == 0) {
        plat::post_message(main_window, plat::WM_COMMAND, CMD_CYCLE_COLORS, cycle_quiet);
    } else if (clk.rvrse_timer_armed == 0) {
        plat::post_message(main_window, plat::WM_COMMAND, CMD_CYCLE_COLORS, cycle_flip);
        plat::set_timer(main_window, colors_now_timer, 500);
    }
    return DLG_DEFAULT_ACTION;
}

int stop_cycling(plat::Window main_window)
{
    plat::kill_timer(main_window, reversal_timer);
    non_ini_bits &= ~cycle_on;
    return DLG_REMOVE;
}

// The hours:minutes text of a displayed hour and minute label.
void format_shown(char* text, int hour, int minute)
{
    std::snprintf(text, field_chars, "%d:%02d", hour, minute);
}

char demo_shown[field_chars] = "";

void show_demo_start(plat::Window dlg, int hour, int minute)
{
    format_shown(demo_shown, hour, minute);
    plat::set_dlg_item_text(dlg, 1002, demo_shown);
}

// The start hour of a typed h in the 12-hour form: its half of the day is the
// displayed one. An hour above 12 cannot be in either half, so it is read as
// an hour of the 24-hour day.
int demo_start_hour(int h)
{
    if (ini_bits & military)
        return h;
    if (h > 12)
        return h;
    if (clk.hour > 12)
        return h + 12;
    return clk.hour == 0 ? 0 : h;
}

void read_demo_start(plat::Window dlg)
{
    char text[field_chars] = "";
    plat::get_dlg_item_text(dlg, 1001, text, sizeof text);
    if (const int secs = typed_step_secs(text))
        clk.demo_secs = secs;

    plat::get_dlg_item_text(dlg, 1002, text, sizeof text);
    int h = 0;
    int m = 0;
    if (normalize_time_field('H', text, &h, &m)) {
        clk.demo_hour = demo_start_hour(h);
        clk.demo_minute = m;
    } else {
        clk.demo_hour = clk.hour;
        clk.demo_minute = minute_label(clk.increment);
    }
}

// A reversal timer armed for the other time source would fire at the wrong
// moment; the display update re-arms it when the new time holds the reversal.
void switch_time_source(plat::Window main_window, int source)
{
    clk.time_source = source;
    plat::kill_timer(main_window, reversal_timer);
}

int start_demo(plat::Window dlg, plat::Window main_window)
{
    clk.demo_dlg = nullptr;
    read_demo_start(dlg);
    switch_time_source(main_window, demo_first);
    set_time();
    set_disp_clock(main_window);
    plat::set_timer(main_window, increment_timer, clk.demo_secs * microsec_factor);
    clk.demo_running = 1;
    return DLG_DEFAULT_ACTION;
}

int stop_demo(plat::Window main_window)
{
    switch_time_source(main_window, real_time);
    clk.demo_dlg = nullptr;
    const int t = set_time();
    set_disp_clock(main_window);
    if (t != 0)
        plat::set_timer(main_window, increment_timer, t * 1000);
    clk.demo_running = 0;
    return DLG_REMOVE;
}

// The start field follows the clock for as long as the user has not typed in it.
void follow_display(plat::Window dlg, int hour, int minute)
{
    char text[field_chars] = "";
    plat::get_dlg_item_text(dlg, 1002, text, sizeof text);
    if (std::strcmp(text, demo_shown) == 0)
        show_demo_start(dlg, hour, minute);
}

void open_demo(plat::Window dlg)
{
    shift_ww(dlg, "S");
    char text[field_chars];
    std::snprintf(text, sizeof text, "%d", clk.demo_secs);
    plat::set_dlg_item_text(dlg, 1001, text);
    show_demo_start(dlg, clk.disp_hour, minute_label(clk.increment));
    if (clk.demo_running == 0)
        plat::enable_dlg_item(dlg, DLG_REMOVE, false);
    clk.demo_dlg = dlg;
}

void open_question(plat::Window dlg)
{
    char text[256];
    std::snprintf(text, sizeof text,
                  "This color change will NOT affect the colors PERIODICALLY CYCLE will change to "
                  "at %d:%02d.\n\nIf you want to change the colors PERIODICALLY CYCLE uses, first "
                  "\"Stop cycling\", then change colors.",
                  clk.next_rvrse->hour, clk.next_rvrse->secs / 60);
    plat::set_dlg_item_text(dlg, 1028, text);
    plat::check_dlg_button(dlg, 1029, clk.ask_again == 1);
}

}  // namespace

int read_reversal_fields(plat::Window dlg, int edit_id, int pm_id, RvrseTime* time)
{
    char text[field_chars] = "";
    plat::get_dlg_item_text(dlg, edit_id, text, sizeof text);
    int h = 0;
    int m = 0;
    if (!normalize_time_field('H', text, &h, &m))
        return 0;
    int hour = h;
    if (pm_id != 0 && h <= 12) {
        if (plat::is_dlg_button_checked(dlg, pm_id))
            hour += 12;
        if (h == 12)
            hour -= 12;
    }
    time->hour = hour;
    time->secs = m * 60;
    return 0;
}

std::intptr_t Nightwp(plat::Window dlg, unsigned msg, std::uintptr_t wp, std::intptr_t lp)
{
    static bool military_time = false;
    if (msg == plat::WM_INITDIALOG) {
        military_time = (lp & military) != 0;
        shift_ww(dlg, "B");
        for (const ReversalFields& f : reversal_fields)
            show_reversal(dlg, f, military_time);
        if (!(non_ini_bits & cycle_on))
            plat::enable_dlg_item(dlg, DLG_REMOVE, false);
        return 1;
    }
    if (msg != plat::WM_COMMAND)
        return 0;
    const plat::Window main_window = plat::get_parent(dlg);
    switch (plat::loword(wp)) {
    case DLG_DEFAULT_ACTION: plat::end_dialog(dlg, set_colors_now(dlg, main_window, military_time)); return 1;
    case DLG_REMOVE: plat::end_dialog(dlg, stop_cycling(main_window)); return 1;
    case DLG_CANCEL: plat::end_dialog(dlg, DLG_CANCEL); return 1;
    }
    return 0;
}

// Only Yes and No close the question: Esc and the title bar do nothing.
std::intptr_t PeriodOnwp(plat::Window dlg, unsigned msg, std::uintptr_t wp, std::intptr_t)
{
    if (msg == plat::WM_INITDIALOG) {
        open_question(dlg);
        return 1;
    }
    if (msg != plat::WM_COMMAND)
        return 0;
    const int id = int(plat::loword(wp));
    if (id != plat::IDYES && id != plat::IDNO)
        return 0;
    clk.ask_again = plat::is_dlg_button_checked(dlg, 1029) ? 1 : 0;
    plat::end_dialog(dlg, id);
    return 1;
}

std::intptr_t Demowp(plat::Window dlg, unsigned msg, std::uintptr_t wp, std::intptr_t lp)
{
    switch (msg) {
    case plat::WM_INITDIALOG: open_demo(dlg); return 1;
    case WM_DISP_UPDATE: follow_display(dlg, int(wp), int(lp)); return 1;
    case plat::WM_DESTROY:
        // However the dialog went, updates must not reach it any more.
        if (clk.demo_dlg == dlg)
            clk.demo_dlg = nullptr;
        return 0;
    case plat::WM_COMMAND: break;
    default: return 0;
    }
    const plat::Window main_window = plat::get_parent(dlg);
    switch (plat::loword(wp)) {
    case DLG_DEFAULT_ACTION: plat::end_dialog(dlg, start_demo(dlg, main_window)); return 1;
    case DLG_REMOVE: plat::end_dialog(dlg, stop_demo(main_window)); return 1;
    case DLG_CANCEL:
        clk.demo_dlg = nullptr;
        plat::end_dialog(dlg, DLG_CANCEL);
        return 1;
    }
    return 0;
}

// Asks first while the periodic cycle is on; 0 when the user keeps the colours.
int period_cycle_on_dlg(plat::Window main_window)
{
    if ((non_ini_bits & cycle_on) && clk.ask_again == 1
        && plat::dialog_box(105, nullptr, main_window, PeriodOnwp, 0) == plat::IDNO)
        return 0;
    return 1;
}

// ---- the fudge-factor, quarter-'til and date dialogs ------------------------------------

namespace {

enum : int {
    fudge_edit = 1030,
    quarter_edit = 1031,
    month_name_button = 1035,
    month_number_button = 1036,
    mono_font_button = 1037,
    truetype_button = 1038,
    choose_font_button = 1039,
};
constexpr int fudge_zero = 1800;   // shown as 30:00: the display changes at the real boundaries

void show_min_sec(plat::Window dlg, int id, int secs)
{
    char text[field_chars];
    std::snprintf(text, sizeof text, "%d:%02d", secs / 60, secs % 60);
    plat::set_dlg_item_text(dlg, id, text);
}

// The typed minutes:seconds as seconds; -1 when the field holds no number.
int typed_min_sec(plat::Window dlg, int id)
{
    char text[field_chars];
    plat::get_dlg_item_text(dlg, id, text, sizeof text);
    int minutes = 0, seconds = 0;
    return normalize_time_field('M', text, &minutes, &seconds) ? minutes * 60 + seconds : -1;
}

void set_quarter(int secs)
{
    clk.quarter_secs = secs;
    clk.quarter_increment = secs / incr_secs;
    clk.quarter_offset = secs % incr_secs;
}

// The dialog ends with the button's own number for its buttons 1, 1003 and 2.
std::intptr_t end_with(plat::Window dlg, int button)
{
    plat::end_dialog(dlg, button);
    return 1;
}

bool is_closing_button(int id) { return id == DLG_DEFAULT_ACTION || id == DLG_REMOVE || id == DLG_CANCEL; }

plat::Window date_owner = nullptr;
plat::Menu date_menu = nullptr;

void set_ini_bit(int bit, bool on) { ini_bits = on ? ini_bits | bit : ini_bits & ~bit; }

void show_date(plat::Window dlg)
{
    set_ini_bit(date_on, true);
    plat::check_menu_item(date_menu, CMD_DATE, true);
    set_ini_bit(date_month_name, plat::is_dlg_button_checked(dlg, month_name_button));
    set_ini_bit(date_truetype, plat::is_dlg_button_checked(dlg, truetype_button));
}

void remove_date()
{
    set_ini_bit(date_on, false);
    plat::check_menu_item(date_menu, CMD_DATE, false);
}

// The old date font goes only when no style record holds it; the clock shows the new one at once.
void choose_date_font()
{
    const plat::Font old = hfDate;
    if (font_dialog(&hfDate, &date_font_hi) == 0)
        return;
    cleanup_font(old);
    plat::invalidate(date_owner, nullptr);
}

}  // namespace

std::intptr_t AdvanceRetardwp(plat::Window dlg, unsigned msg, std::uintptr_t wp, std::intptr_t)
{
    if (msg == plat::WM_INITDIALOG) {
        show_min_sec(dlg, fudge_edit, fudge_zero - clk.fudge_secs);
        plat::enable_dlg_item(dlg, DLG_REMOVE, clk.fudge_secs != 0);
        return 1;
    }
    const int id = int(plat::loword(wp));
    if (msg != plat::WM_COMMAND || !is_closing_button(id))
        return 0;
    if (id == DLG_DEFAULT_ACTION) {
        const int typed = typed_min_sec(dlg, fudge_edit);
        clk.fudge_secs = typed < 0 ? 0 : fudge_zero - typed;
    } else if (id == DLG_REMOVE) {
        clk.fudge_secs = 0;
    }
    return end_with(dlg, id);
}

std::intptr_t QuarterTillwp(plat::Window dlg, unsigned msg, std::uintptr_t wp, std::intptr_t)
{
    if (msg == plat::WM_INITDIALOG) {
        show_min_sec(dlg, quarter_edit, clk.quarter_secs);
        plat::enable_dlg_item(dlg, DLG_REMOVE, clk.quarter_secs != 0);
        return 1;
    }
    const int id = int(plat::loword(wp));
    if (msg != plat::WM_COMMAND || !is_closing_button(id))
        return 0;
    if (id == DLG_DEFAULT_ACTION) {
        // A start within the first increment would never show an expanding figure at all.
        const int typed = typed_min_sec(dlg, quarter_edit);
        set_quarter(typed > incr_secs ? typed : 0);
    } else if (id == DLG_REMOVE) {
        set_quarter(0);
    }
    return end_with(dlg, id);
}

std::intptr_t DateFormatwp(plat::Window dlg, unsigned msg, std::uintptr_t wp, std::intptr_t)
{
    if (msg == plat::WM_INITDIALOG) {
        shift_ww(dlg, "B");
        date_owner = plat::get_parent(dlg);
        date_menu = plat::get_menu(date_owner);
        const bool truetype = (ini_bits & date_truetype) != 0;
        plat::enable_dlg_item(dlg, DLG_REMOVE, (ini_bits & date_on) != 0);
        plat::check_radio_button(dlg, month_name_button, month_number_button,
                                 (ini_bits & date_month_name) ? month_name_button : month_number_button);
        plat::check_radio_button(dlg, mono_font_button, truetype_button,
                                 truetype ? truetype_button : mono_font_button);
        plat::enable_dlg_item(dlg, choose_font_button, truetype);
        return 1;
    }
    if (msg != plat::WM_COMMAND)
        return 0;
    const int id = int(plat::loword(wp));
    if (id == mono_font_button || id == truetype_button) {
        if (plat::is_dlg_button_checked(dlg, id))
            plat::enable_dlg_item(dlg, choose_font_button, id == truetype_button);
        return 1;
    }
    if (id == choose_font_button) {
        choose_date_font();
        return 1;
    }
    if (!is_closing_button(id))
        return 0;
    if (id == DLG_DEFAULT_ACTION)
        show_date(dlg);
    else if (id == DLG_REMOVE)
        remove_date();
    return end_with(dlg, id);
}
