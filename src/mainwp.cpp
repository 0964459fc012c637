// The clock window: its messages, commands, keys and timers.
#include "tavrin.h"

#include <algorithm>
#include <cctype>
#include <climits>

using namespace plat;

int run_bits = paint_filled;
int microsec_factor = 1000;
int dv_cnt = 0;
char style_source = 'F';
int save_on_exit = 1;
std::time_t esc_hint_until = 0;
int painting_ok = 1;
int rotate_reverse = 0;
int map_width = 0;
Font orig_font = nullptr;
int ticker_count = 0;
int ticker_loc_before = 0;

namespace {

Menu menu = nullptr;
Clk* shown_clock = &clk;            // what set_disp_clock last returned; the painter reads it
COLORREF* custom_colours = rgbCustom;

// ---- small shared steps ------------------------------------------------------

void mark_changed() { style_source = fiddle_file_menu('f', menu); }
bool ask(Window w) { return period_cycle_on_dlg(w) != 0; }
std::string spoken_reading;   // what the window last told a screen reader

// Every change of the face goes through a whole repaint; the ticker's blinks
// repaint only its mark and leave the reading alone.
void speak_reading(Window w)
{
    std::string reading = face_reading(*shown_clock, ini_bits, run_bits);
    if (reading == spoken_reading)
        return;
    spoken_reading = std::move(reading);
    set_accessible_description(w, spoken_reading.c_str());
}

void repaint(Window w)
{
    speak_reading(w);
    invalidate(w, nullptr);
}
void post_command(Window w, int command, std::intptr_t lp = 0) { post_message(w, WM_COMMAND, command, lp); }
void check(int id, bool on) { check_menu_item(menu, id, on); }
int ticker_location() { return ini_bits & ticker_loc_mask; }

void repaint_ticker(Window w, int loc)
{
    if (loc >= 1 && loc <= 9)
        invalidate(w, &tckr_rect[loc]);
}

void error_box(Window w, const char* text) { message_box(w, text, "Error", MB_OK); }

// ---- dialogs ---------------------------------------------------------------------

// The dialogs by command, with what to say when one cannot be made.
struct DialogUse {
    int command;
    int template_id;
    const char* template_name;
    DlgProc proc;
    const char* cannot_create;   // null: a failure is not reported
};

const DialogUse dialog_uses[] = {
    {CMD_TICKER, 102, nullptr, Tickerwp, "Can't create the Ticker dialouge box. Windows didn't tell me why."},
    {CMD_PERIODIC, 103, nullptr, Nightwp, "Can't create the Night dialouge box. Windows didn't tell me why."},
    {CMD_DEMO, 101, nullptr, Demowp, "Can't create the Demo dialouge box. Windows didn't tell me why."},
    {CMD_FUDGE, 106, nullptr, AdvanceRetardwp, "Can't create the Fudge factor dialouge box. Windows didn't tell me why."},
    {CMD_QUARTER, 107, nullptr, QuarterTillwp, nullptr},
    {CMD_DATE, 108, nullptr, DateFormatwp, nullptr},
    {CMD_ABOUT, 0, "AboutBox", Aboutwp, nullptr},
    {CMD_HELP_FILE, 104, nullptr, Editwp, nullptr},   // the help viewers are modeless
};

// Every command that opens a dialog has its row.
const DialogUse& dialog_use(int command)
{
    const DialogUse* d = dialog_uses;
    while (d->command != command)
        ++d;
    return *d;
}

int run_dialog(Window w, int command, std::intptr_t param)
{
    const DialogUse& d = dialog_use(command);
    int result = dialog_box(d.template_id, d.template_name, w, d.proc, param);
    if (result == -1 && d.cannot_create)
        error_box(w, d.cannot_create);
    return result;
}

// ---- display ------------------------------------------------------------------------

// Where the display stood at its last update: the contracting phase ends with
// the first update that finds a new hour outside the contracting span, however it
// gets there (a tick, a tick after a sleep that skipped the hour's first increment,
// a new fudge factor), and whether or not the hour's first increment is shown as
// empty. An update that lands inside the span contracts at once: the digits-only
// demo steps from hour to hour at the same minute, and a sleep may end late in an hour.
struct Shown {
    int hour, secs;
};
Shown last_shown = {0, 0};

void contracting_phase(bool on)
{
    run_bits = on ? run_bits | contracting : run_bits & ~contracting;
    toggle_hour(on ? "Set" : "Reset");
    format_hour(ini_bits & military);
}

void follow_the_hour()
{
    const bool new_hour = clk.hour != last_shown.hour || secs_past_hour < last_shown.secs;
    last_shown = {clk.hour, secs_past_hour};
    const bool in_span = contracting_span() != 0;
    if ((run_bits & contracting) && new_hour && !in_span)
        contracting_phase(false);
    else if (!(run_bits & contracting) && in_span)
        contracting_phase(true);
}

// The display re-read away from a boundary (a new fudge factor, a wake-up):
// the quarter-'til and reversal timers are armed for the time left.
void retime_display(Window w)
{
    int t = set_time();
    shown_clock = set_disp_clock(w);
    if (t != 0)
        set_timer(w, increment_timer, timer_ms(t, 1000));
    follow_the_hour();
    repaint(w);
}

void enter_contracting(Window w)
{
    contracting_phase(true);
    repaint(w);
}

void increment_step(Window w)
{
    int t = set_time();
    shown_clock = set_disp_clock(w);
    if (t != 0) {
        ++dv_cnt;
        set_timer(w, increment_timer, timer_ms(t, microsec_factor));
    }
    follow_the_hour();
    ticker_count = ticker_switch_at;
    run_bits &= ~ticker_lit;
    repaint(w);
}

// One lit and dark cycle of the ticker, in seconds, whatever the two lengths hold.
int ticker_cycle()
{
    return int(std::min<long long>(ticker_switch_at + (long long)ticker_off_for, INT_MAX));
}

void ticker_step(Window w)
{
    ticker_count = ticker_count >= ticker_cycle() - 1 ? 0 : ticker_count + 1;
    if (ticker_count == 0) {
        run_bits |= ticker_lit;
        repaint_ticker(w, ticker_location());
    } else if (ticker_count == ticker_switch_at) {
        run_bits &= ~ticker_lit;
        repaint_ticker(w, ticker_location());
    }
}

void reversal_step(Window w)
{
    kill_timer(w, reversal_timer);
    post_command(w, CMD_CYCLE_COLORS, cycle_restore);
    if (swtch_rvrse_times() == 0)
        post_command(w, CMD_CYCLE_COLORS, cycle_quiet);
}

void colors_now_step(Window w)
{
    kill_timer(w, colors_now_timer);
    post_command(w, CMD_CYCLE_COLORS, cycle_flip);
}

void cycle_start_step(Window w)
{
    kill_timer(w, cycle_start_timer);
    post_command(w, CMD_CYCLE_COLORS, cycle_restore);
    if (within_rvrse_span() == 0)
        post_command(w, CMD_CYCLE_COLORS, cycle_quiet);
    style_source = '0';
}

void quarter_step(Window w)
{
    kill_timer(w, quarter_timer);
    enter_contracting(w);
}

using TimerStep = void (*)(Window);
const struct {
    int id;
    TimerStep step;
} timer_steps[] = {
    {increment_timer, increment_step}, {ticker_timer, ticker_step},
    {reversal_timer, reversal_step},   {colors_now_timer, colors_now_step},
    {cycle_start_timer, cycle_start_step}, {quarter_timer, quarter_step},
};

void on_timer(Window w, int id)
{
    for (const auto& t : timer_steps)
        if (t.id == id)
            t.step(w);
}

// ---- bars, size, place ------------------------------------------------------------------

void hide_bars(Window w)
{
    set_caption(w, false);
    set_menu_shown(w, false);
    esc_hint_until = clock_now() + 10;
    ini_bits &= ~bars_shown;
}

void show_bars(Window w)
{
    set_caption(w, true);
    set_menu_shown(w, true);
    esc_hint_until = 0;
    ini_bits |= bars_shown;
}

void square_it(Window w)
{
    Rect outer = window_rect(w);
    Rect inner = client_rect(w);
    int cw = inner.right - inner.left, ch = inner.bottom - inner.top;
    int frame_w = (outer.right - outer.left) - cw;
    int frame_h = (outer.bottom - outer.top) - ch;
    int side = (cw + ch) / 2;
    set_window_pos(w, outer.left, outer.top, side + frame_w, side + frame_h);
}

void toggle_anchor(Window w)
{
    bool anchor = !(non_ini_bits & anchored);
    non_ini_bits ^= anchored;
    set_topmost(w, anchor);
    check(CMD_ANCHOR, anchor);
}

// ---- colours ----------------------------------------------------------------------------------

void three_colours_on(Window w)
{
    ini_bits |= three_color;
    check(CMD_2_COLOR, false);
    check(CMD_3_COLOR, true);
    enable_menu_item(menu, CMD_COLOR_DIGIT, true);
    mark_changed();
    repaint(w);
}

void rotate_or_swap()
{
    COLORREF back = stl.rgbBkgrnd, fig = stl.rgbFig, digit = stl.rgbDigit;
    if (!(ini_bits & three_color)) {
        stl.rgbBkgrnd = fig;
        stl.rgbFig = back;
    } else if (rotate_reverse != 0) {
        stl.rgbBkgrnd = fig;
        stl.rgbFig = digit;
        stl.rgbDigit = back;
    } else {
        stl.rgbBkgrnd = digit;
        stl.rgbDigit = fig;
        stl.rgbFig = back;
    }
}

void cycle_colours(Window w, int code)
{
    if (code == cycle_user && !ask(w))
        return;
    if (code == cycle_restore) {
        stl.rgbBkgrnd = rgbCCBkgrnd;
        stl.rgbFig = rgbCCFig;
        stl.rgbDigit = rgbCCDigit;
    } else {
        rotate_or_swap();
        if (code == cycle_flip)
            rotate_reverse = ~rotate_reverse;
        else if (code == cycle_user && style_source != '0')
            mark_changed();
    }
    repaint(w);
}

COLORREF* colour_of(int command)
{
    switch (command) {
    case CMD_COLOR_FIG: return &stl.rgbFig;
    case CMD_COLOR_DIGIT: return &stl.rgbDigit;
    default: return &stl.rgbBkgrnd;
    }
}

void colour_dialog(Window w, int command)
{
    COLORREF* color_target = colour_of(command);
    COLORREF picked = *color_target;
    if (!choose_color(w, picked, custom_colours) || picked == *color_target)
        return;
    if (!ask(w))
        return;
    *color_target = picked;
    mark_changed();
    repaint(w);
}

struct Preset {
    int command;
    COLORREF fig, digit, back;
};
const Preset presets[] = {
    {CMD_VORLA, 0xFFFFFF, 0x0000FF, 0xA00000},
    {CMD_GREEN_RED, 0x0000FF, 0x80FFFF, 0x00FF00},
};

void preset_colours(Window w, int command)
{
    if (!ask(w))
        return;
    for (const Preset& p : presets)
        if (p.command == command) {
            stl.rgbFig = p.fig;
            stl.rgbDigit = p.digit;
            stl.rgbBkgrnd = p.back;
        }
    three_colours_on(w);
}

void two_colours(Window w)
{
    if (!(ini_bits & three_color) || !ask(w))
        return;
    ini_bits &= ~three_color;
    check(CMD_3_COLOR, false);
    check(CMD_2_COLOR, true);
    enable_menu_item(menu, CMD_COLOR_DIGIT, false);
    mark_changed();
    repaint(w);
}

void three_colours(Window w)
{
    if ((ini_bits & three_color) || !ask(w))
        return;
    three_colours_on(w);
}

// ---- style attributes ------------------------------------------------------------------------------

void choose_style(Window w, char letter)
{
    if (letter == style_source || !ask(w))
        return;
    style_source = letter;
    fiddle_file_menu(letter, menu);
    int scratch[4] = {0, 0, 0, 0};   // a menu choice never moves the window
    get_style(letter, menu, scratch);
    ticker_count = ticker_switch_at;
    set_style(w, &run_bits);
    set_date(nullptr);
    shown_clock = set_disp_clock(w);
    repaint(w);
}

void set_divisions(Window w, bool eight)
{
    if (bool(ini_bits & eight_div) == eight)
        return;
    ini_bits ^= eight_div;
    check(eight ? CMD_DIV_12 : CMD_DIV_8, false);
    check(eight ? CMD_DIV_8 : CMD_DIV_12, true);
    mark_changed();
    update_rvrse(-1, 0, 0, 0, 0, 0, 0, 0);
    shown_clock = set_disp_clock(w);
    repaint(w);
}

void set_shape(Window w, int shape)
{
    if (stl.shape == shape)
        return;
    check(stl.shape, false);
    check(shape, true);
    stl.shape = shape;
    mark_changed();
    repaint(w);
}

void choose_number_font(Window w)
{
    if (font_dialog(&stl.hfont, &stl.font_height) != 0) {
        mark_changed();
        repaint(w);
    }
}

void toggle_military(Window w)
{
    ini_bits ^= military;
    check(CMD_MILITARY, ini_bits & military);
    format_hour(ini_bits & military);
    mark_changed();
    repaint(w);
}

void toggle_center_single(Window w)
{
    ini_bits ^= center_single;
    check(CMD_CENTER_SINGLE, ini_bits & center_single);
    mark_changed();
    repaint(w);
}

// ---- dialog results --------------------------------------------------------------------------------------

void ticker_dialog(Window w)
{
    ticker_loc_before = 0;
    int result = run_dialog(w, CMD_TICKER, reinterpret_cast<std::intptr_t>(&stl));
    int loc = ticker_location();
    if (result == DLG_DEFAULT_ACTION) {
        ini_bits |= ticker_on;
        ticker_count = (run_bits & ticker_lit) ? ticker_switch_at - 1 : ticker_cycle();
        set_timer(w, ticker_timer, 1000);
        check(CMD_TICKER, true);
        mark_changed();
    } else if (result == DLG_REMOVE_TICKER) {
        kill_timer(w, ticker_timer);
        ini_bits &= ~ticker_on;
        if (run_bits & ticker_lit) {
            run_bits &= ~ticker_lit;
            repaint_ticker(w, loc);
        }
        check(CMD_TICKER, false);
        mark_changed();
    } else if (result == DLG_CANCEL && ticker_loc_before != 0) {
        ini_bits = (ini_bits & ~ticker_loc_mask) | ticker_loc_before;
        run_bits ^= ticker_lit;
        repaint_ticker(w, loc);
    }
}

void preview_ticker(Window w, int new_loc)
{
    if (new_loc < 1 || new_loc > 9)
        return;
    int cur = ticker_location();
    if (ticker_loc_before == 0)
        ticker_loc_before = cur;
    if (run_bits & ticker_lit)
        repaint_ticker(w, cur);
    else
        ticker_count = ticker_cycle();
    run_bits |= ticker_lit;
    ini_bits = (ini_bits & ~ticker_loc_mask) | new_loc;
    repaint_ticker(w, new_loc);
}

void periodic_dialog(Window w)
{
    int result = run_dialog(w, CMD_PERIODIC, ini_bits);
    if (result == DLG_DEFAULT_ACTION) {
        rgbCCFig = stl.rgbFig;
        rgbCCDigit = stl.rgbDigit;
        rgbCCBkgrnd = stl.rgbBkgrnd;
        check(CMD_PERIODIC, true);
    } else if (result == DLG_REMOVE) {
        check(CMD_PERIODIC, false);
    }
}

void demo_dialog(Window w)
{
    int result = run_dialog(w, CMD_DEMO, 0);
    if (result == DLG_DEFAULT_ACTION) {
        check(CMD_DEMO, true);
        repaint(w);   // the display has jumped to the demo's start
    } else if (result == DLG_REMOVE) {
        if (non_ini_bits & cycle_on) {
            post_command(w, CMD_CYCLE_COLORS, cycle_restore);
            if (within_rvrse_span() == 0)
                post_command(w, CMD_CYCLE_COLORS, cycle_quiet);
        }
        check(CMD_DEMO, false);
        repaint(w);
    }
}

void fudge_dialog(Window w)
{
    int result = run_dialog(w, CMD_FUDGE, 0);
    if (result == DLG_DEFAULT_ACTION || result == DLG_REMOVE)
        retime_display(w);
}

void quarter_dialog(Window w)
{
    if (run_dialog(w, CMD_QUARTER, 0) == DLG_DEFAULT_ACTION && contracting_span() != 0)
        enter_contracting(w);
}

void date_dialog(Window w)
{
    // A date dialog that never opened changed nothing, so nothing is marked.
    if (run_dialog(w, CMD_DATE, 0) == -1)
        return;
    set_date(nullptr);
    mark_changed();
    repaint(w);
}

void help_viewer(Window w, int command)
{
    const DialogUse& d = dialog_use(CMD_HELP_FILE);
    create_dialog(d.template_id, d.template_name, w, d.proc, command);
}

// ---- the command table ------------------------------------------------------------------------------------

using CommandStep = void (*)(Window w, int command, std::intptr_t lp);

const struct {
    int command;
    CommandStep step;
} command_steps[] = {
    {CMD_STYLE_RECENT, [](Window w, int, std::intptr_t) { choose_style(w, 'R'); }},
    {CMD_STYLE_FILE, [](Window w, int, std::intptr_t) { choose_style(w, 'F'); }},
    {CMD_STYLE_DEFAULT, [](Window w, int, std::intptr_t) { choose_style(w, 'D'); }},
    {CMD_ANCHOR, [](Window w, int, std::intptr_t) { toggle_anchor(w); }},
    {CMD_EXIT, [](Window w, int, std::intptr_t) { post_message(w, WM_CLOSE, 0, 0); }},
    {CMD_EXIT_NO_SAVE, [](Window w, int, std::intptr_t) {
         save_on_exit = 0;
         post_message(w, WM_CLOSE, 0, 0);
     }},
    {CMD_DIV_12, [](Window w, int, std::intptr_t) { set_divisions(w, false); }},
    {CMD_DIV_8, [](Window w, int, std::intptr_t) { set_divisions(w, true); }},
    {CMD_TICKER, [](Window w, int, std::intptr_t) { ticker_dialog(w); }},
    {CMD_DATE, [](Window w, int, std::intptr_t) { date_dialog(w); }},
    {CMD_FUDGE, [](Window w, int, std::intptr_t) { fudge_dialog(w); }},
    {CMD_QUARTER, [](Window w, int, std::intptr_t) { quarter_dialog(w); }},
    {CMD_SHAPE_CIRCLE, [](Window w, int c, std::intptr_t) { set_shape(w, c); }},
    {CMD_SHAPE_INDICIA, [](Window w, int c, std::intptr_t) { set_shape(w, c); }},
    {CMD_SHAPE_RECT, [](Window w, int c, std::intptr_t) { set_shape(w, c); }},
    {CMD_SHAPE_USA, [](Window w, int c, std::intptr_t) { set_shape(w, c); }},
    {CMD_FONT, [](Window w, int, std::intptr_t) { choose_number_font(w); }},
    {CMD_MILITARY, [](Window w, int, std::intptr_t) { toggle_military(w); }},
    {CMD_CENTER_SINGLE, [](Window w, int, std::intptr_t) { toggle_center_single(w); }},
    {CMD_HIDE_BARS, [](Window w, int, std::intptr_t) { hide_bars(w); }},
    {CMD_SQUARE, [](Window w, int, std::intptr_t) { square_it(w); }},
    {CMD_SQUARE_HIDE, [](Window w, int, std::intptr_t) {
         post_command(w, CMD_HIDE_BARS);
         post_command(w, CMD_SQUARE);
     }},
    {CMD_CYCLE_COLORS, [](Window w, int, std::intptr_t lp) { cycle_colours(w, int(lp)); }},
    {CMD_PERIODIC, [](Window w, int, std::intptr_t) { periodic_dialog(w); }},
    {CMD_COLOR_FIG, [](Window w, int c, std::intptr_t) { colour_dialog(w, c); }},
    {CMD_COLOR_DIGIT, [](Window w, int c, std::intptr_t) { colour_dialog(w, c); }},
    {CMD_COLOR_BKGRND, [](Window w, int c, std::intptr_t) { colour_dialog(w, c); }},
    {CMD_VORLA, [](Window w, int c, std::intptr_t) { preset_colours(w, c); }},
    {CMD_GREEN_RED, [](Window w, int c, std::intptr_t) { preset_colours(w, c); }},
    {CMD_2_COLOR, [](Window w, int, std::intptr_t) { two_colours(w); }},
    {CMD_3_COLOR, [](Window w, int, std::intptr_t) { three_colours(w); }},
    {CMD_DEMO, [](Window w, int, std::intptr_t) { demo_dialog(w); }},
    {CMD_HELP_FILE, [](Window w, int c, std::intptr_t) { help_viewer(w, c); }},
    {CMD_HELP_FILE_MORE, [](Window w, int c, std::intptr_t) { help_viewer(w, c); }},
    {CMD_HELP_COLORS, [](Window w, int c, std::intptr_t) { help_viewer(w, c); }},
    {CMD_HELP_AHEAD, [](Window w, int c, std::intptr_t) { help_viewer(w, c); }},
    {CMD_ABOUT, [](Window w, int, std::intptr_t) { run_dialog(w, CMD_ABOUT, 0); }},
    {CMD_TICKER_PREVIEW, [](Window w, int, std::intptr_t lp) { preview_ticker(w, int(lp & 0xF)); }},
};

// false for numbers the window does not know
bool on_command(Window w, int command, std::intptr_t lp)
{
    for (const auto& c : command_steps)
        if (c.command == command) {
            c.step(w, command, lp);
            return true;
        }
    return false;
}

// ---- keys ---------------------------------------------------------------------------------------------------

const struct {
    char key;
    int command;
} key_commands[] = {
    {'A', CMD_ABOUT}, {'C', CMD_CYCLE_COLORS}, {'D', CMD_DEMO},
    {'M', CMD_MILITARY}, {'N', CMD_CENTER_SINGLE}, {'S', CMD_SQUARE},
};

bool on_char(Window w, unsigned code)
{
    if (code == VK_ESCAPE) {
        if (ini_bits & bars_shown)
            post_command(w, CMD_HIDE_BARS);
        else
            show_bars(w);
        return true;
    }
    // A character beyond ASCII is no key of the table, whatever its low byte spells
    // (Cyrillic "с" is U+0441, whose low byte is "A").
    if (code > 0x7F)
        return false;
    int key = std::toupper(int(code));
    for (const auto& k : key_commands)
        if (k.key == key) {
            post_command(w, k.command);
            return true;
        }
    return false;
}

// ---- life of the window ----------------------------------------------------------------------------------------

void on_create(Window w)
{
    map_width = compute_map_width();
    menu = get_menu(w);
    orig_font = current_font(window_dc(w));
    int t = set_time();
    if (contracting_span() != 0) {
        run_bits |= contracting;
        toggle_hour("Set");
    }
    shown_clock = set_disp_clock(w);
    last_shown = {clk.hour, secs_past_hour};
    if (t != 0)
        set_timer(w, increment_timer, timer_ms(t, 1000));
    ticker_count = ticker_switch_at;
    custom_colours = set_style(w, &run_bits);
    if (!(ini_bits & bars_shown))
        set_window_pos(w, ww_pos_size[0], ww_pos_size[1], ww_pos_size[2], ww_pos_size[3]);
    if (non_ini_bits & cycle_on) {
        set_timer(w, cycle_start_timer, 1000);
        check(CMD_PERIODIC, true);
    }
    enable_menu_item(menu, CMD_ANCHOR, can_stay_on_top());
    if (non_ini_bits & anchored) {
        set_topmost(w, true);
        check(CMD_ANCHOR, true);
    }
    spoken_reading.clear();
    speak_reading(w);
}

void on_paint(Window w)
{
    if (esc_hint_until == 0) {
        run_bits &= ~esc_hint;
    } else if (clock_now() > esc_hint_until) {
        esc_hint_until = 0;
        run_bits &= ~esc_hint;
    } else {
        run_bits |= esc_hint;
    }
    if (painting_ok != 1)
        return;
    Font left = qzpaint(w, orig_font, ini_bits, run_bits, map_width, shown_clock);
    if (left != nullptr && left != orig_font)
        cleanup_font(left);
}

// Without a background brush nothing more is painted, and the program ends.
void on_erase(Window w, DC dc)
{
    if (painting_ok != 1 || fill_rect(dc, client_rect(w), stl.rgbBkgrnd))
        return;
    painting_ok = 0;
    report_brush_failure(w, "mainwp: WM ERASEBKGRND brush failied to create at %d(%d) after %d iterations.", clk);
}

void on_close(Window w)
{
    Font left = select_font(window_dc(w), orig_font);
    if (left != nullptr && left != orig_font)
        cleanup_font(left);
    destroy_window(w);
}

void on_destroy(Window w)
{
    Rect r = window_rect(w);
    ww_pos_size[0] = r.left;
    ww_pos_size[1] = r.top;
    ww_pos_size[2] = r.right - r.left;
    ww_pos_size[3] = r.bottom - r.top;
    kill_timer(w, increment_timer);
    kill_timer(w, ticker_timer);
    kill_timer(w, reversal_timer);
    post_quit(save_on_exit);
}

}  // namespace

std::intptr_t MainWndProc(Window w, unsigned msg, std::uintptr_t wp, std::intptr_t lp)
{
    switch (msg) {
    case WM_CREATE:
        on_create(w);
        watch_time_changes(w);
        return 0;
    case WM_TIMECHANGE:
    case WM_POWERBROADCAST: retime_display(w); return 0;
    case WM_PAINT: on_paint(w); return 0;
    case WM_ERASEBKGND: on_erase(w, reinterpret_cast<DC>(wp)); return 1;
    case WM_CLOSE: on_close(w); return 0;
    case WM_DESTROY: on_destroy(w); return 0;
    case WM_TIMER: on_timer(w, int(wp)); return 0;
    case WM_CHAR:
        if (on_char(w, unsigned(wp)))
            return 0;
        break;
    case WM_SYSKEYUP:
        if (wp == VK_F9) {
            post_command(w, CMD_EXIT_NO_SAVE);
            return 0;
        }
        break;
    case WM_COMMAND:
        if (on_command(w, int(loword(wp)), lp))
            return 0;
        break;
    case WM_MOUSEMOVE:
        if (wp == MK_LBUTTON)
            mouse_move(w, msg, lp);
        break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
        mouse_move(w, msg, lp);
        break;
    }
    return def_window_proc(w, msg, wp, lp);
}
