// Records, flag words, command numbers and the operations every module offers.
#pragma once

#include "platform/platform.h"

#include <cstdint>
#include <ctime>
#include <string>

using plat::COLORREF;

// ---- command numbers (menu "MAINMENU" and private) -------------------------
enum Command : int {
    CMD_STYLE_RECENT = 7001,
    CMD_STYLE_FILE = 7002,
    CMD_STYLE_DEFAULT = 7003,
    CMD_EXIT = 7004,
    CMD_EXIT_NO_SAVE = 7005,
    CMD_DIV_12 = 7006,
    CMD_DIV_8 = 7007,
    CMD_TICKER = 7008,
    CMD_SHAPE_CIRCLE = 7009,
    CMD_SHAPE_INDICIA = 7010,
    CMD_SHAPE_RECT = 7011,
    CMD_SHAPE_USA = 7012,
    CMD_FONT = 7013,
    CMD_MILITARY = 7014,
    CMD_HIDE_BARS = 7015,
    CMD_SQUARE = 7016,
    CMD_SQUARE_HIDE = 7017,
    CMD_CYCLE_COLORS = 7019,
    CMD_PERIODIC = 7020,
    CMD_COLOR_FIG = 7021,
    CMD_COLOR_DIGIT = 7022,
    CMD_COLOR_BKGRND = 7023,
    CMD_2_COLOR = 7024,
    CMD_3_COLOR = 7025,
    CMD_TICKER_PREVIEW = 7026,   // not in the menu; lParam & 0xF = location
    CMD_DEMO = 7027,
    CMD_HELP_FILE = 7028,
    CMD_ABOUT = 7029,
    CMD_VORLA = 7030,
    CMD_HELP_COLORS = 40001,
    CMD_HELP_FILE_MORE = 40002,
    CMD_ANCHOR = 40003,
    CMD_DATE = 40005,
    CMD_HELP_AHEAD = 40006,
    CMD_FUDGE = 40009,
    CMD_QUARTER = 40010,
    CMD_GREEN_RED = 40012,
    CMD_CENTER_SINGLE = 40013,
};

// Codes of CMD_CYCLE_COLORS in lParam.
enum CycleCode : int { cycle_user = 0, cycle_flip = 1, cycle_restore = 2, cycle_quiet = 9 };

// Dialog results shared by the setting dialogs.
enum : int { DLG_DEFAULT_ACTION = 1, DLG_CANCEL = 2, DLG_REMOVE = 1003, DLG_REMOVE_TICKER = 1007 };

// Timers of the main window.
enum Timer : int {
    increment_timer = 1,
    ticker_timer = 2,
    reversal_timer = 3,
    colors_now_timer = 4,
    cycle_start_timer = 5,
    quarter_timer = 6,
};

// The display-update notice posted to an open Demo dialog or About box.
constexpr unsigned WM_DISP_UPDATE = plat::WM_USER + 300;

// ---- run_bits: the main window's run-time flags, never saved -----------------
enum RunBits : int {
    paint_filled = 0x01,
    ticker_lit = 0x02,
    esc_hint = 0x04,
    map_plot = 0x08,
    contracting = 0x10,
};

// ---- ini_bits: switched with the style ---------------------------------------
enum IniBits : int {
    ticker_loc_mask = 0x0F,
    eight_div = 0x10,
    ticker_on = 0x20,
    military = 0x40,
    bars_shown = 0x80,
    three_color = 0x100,
    date_on = 0x200,
    date_month_name = 0x400,
    date_truetype = 0x800,
    center_single = 0x1000,
};
constexpr int default_ini_bits = 0x485;

// ---- non_ini_bits: saved, never switched with the style -------------------------
enum NonIniBits : int {
    non_ini_file_mask = 0xF00000,
    cycle_on = 0x100000,
    anchored = 0x200000,
};

// ---- displayed-time model (setclock) -------------------------------------------
struct RvrseTime {
    int hour;
    int secs;        // past that hour
    int increment;   // secs / incr_secs
    int offset;      // secs % incr_secs
};

struct Clk {
    int hour;
    int increment;
    char tens_digit[2];
    char units_digit[2];
    int disp_hour;
    char date_text[12];
    int next_disp_hour;
    int* drawn_hour;
    int demo_running;
    int rvrse_timer_armed;
    int rvrse_in_order;
    int fudge_secs;
    int demo_secs;
    RvrseTime rvrse_start;
    RvrseTime rvrse_end;
    RvrseTime* next_rvrse;
    int quarter_secs;
    int quarter_increment;
    int quarter_offset;
    int ask_again;
    int demo_hour;
    int demo_minute;
    plat::Window demo_dlg;
    int time_source;
    int skip_zero;
    int minutes_12[12];
    int minutes_8[8];
};

extern Clk clk;
extern int incr_secs;
extern int secs_past_hour;

// The calendar time the model reads. Tests set their own; null restores time().
using ClockFunction = std::time_t (*)();
void set_clock_function(ClockFunction f);
std::time_t clock_now();

int set_time();
// Milliseconds for a timer of secs seconds at ms_per_sec, within what a timer takes.
int timer_ms(long long secs, int ms_per_sec);
Clk* set_disp_clock(plat::Window w);
int format_hour(int military_bit);
int toggle_hour(const char* word);
int contracting_span();
int update_rvrse(int flags, int start_hour, int start_secs, int end_hour, int end_secs,
                 int demo, int fudge, int quarter);
int rtrn_rvrse(int* start_hour, int* start_secs, int* end_hour, int* end_secs,
               int* demo, int* fudge, int* quarter);
void demo_init_sc(int option, int hour, int minute);
int normalize_time_field(char kind, const char* text, int* first, int* second);
// A decimal number as "%d" scans it, held within int however many digits it has;
// at moves past it. false when no number starts there.
bool scan_number(const char*& at, int& out);
// The longest ticker phase and demo step there is: an hour.
constexpr int longest_step_secs = 3600;
// Seconds typed in a digits-only field, at most longest_step_secs; 0 when none are.
int typed_step_secs(const char* text);
int within_rvrse_span();
int swtch_rvrse_times();
int set_date(const std::tm* when);
// What the face shows, as a sentence for a screen reader: the number and the filled
// (or, counting down, remaining) divisions, the span of time they stand for, the
// date when it is shown. ini and run are the flag words the face is painted with.
std::string face_reading(const Clk& c, int ini, int run);
// Asks before a temporary colour change while the periodic cycle is on; 0 = declined.
int period_cycle_on_dlg(plat::Window main_window);
// The periodic-cycle dialog (103), its question (105) and the demo dialog (101).
int read_reversal_fields(plat::Window dlg, int edit_id, int pm_id, RvrseTime* time);   // pm_id 0: military
std::intptr_t Nightwp(plat::Window dlg, unsigned msg, std::uintptr_t wp, std::intptr_t lp);
std::intptr_t PeriodOnwp(plat::Window dlg, unsigned msg, std::uintptr_t wp, std::intptr_t lp);
std::intptr_t Demowp(plat::Window dlg, unsigned msg, std::uintptr_t wp, std::intptr_t lp);
// The fudge-factor, quarter-'til and date dialogs (templates 106, 107, 108).
std::intptr_t AdvanceRetardwp(plat::Window dlg, unsigned msg, std::uintptr_t wp, std::intptr_t lp);
std::intptr_t QuarterTillwp(plat::Window dlg, unsigned msg, std::uintptr_t wp, std::intptr_t lp);
std::intptr_t DateFormatwp(plat::Window dlg, unsigned msg, std::uintptr_t wp, std::intptr_t lp);

// ---- trace ------------------------------------------------------------------------
struct MsgName {
    const char* name;
    int number;
};
extern MsgName add_msgs[];
extern void* logptr;
std::int16_t trace_init(MsgName* table, int a, int b, int c, int d, int e);
void trace();
void trace_messages();
std::int16_t trace_block();
std::int16_t trace_close();
int msgnum_comp(const void* a, const void* b);

// ---- start-up (tavrin) --------------------------------------------------------------
struct CommandLine {
    int hr = 0;
    int min = 0;
    int option = 1;
    int fields_read = -1;   // -1: nothing to parse
};
extern const char* const usage_text;            // the "?" box
extern const char* const terminal_usage_text;   // --help
extern int ww_pos_size[4];   // x, y, width, height of the whole window
CommandLine parse_command_line(const char* text);
int save_allowed_for(const CommandLine& cl);
// The save at the end of a run: 0 when saved, or left alone because the file could
// not be read at start; 1 when it failed and the user was told why.
int save_style_at_end(const int place[4]);
void exception_init_wp(int option, int hr, int min);
// The process's exit status: 0 after a normal end, saved or not; 1 when start-up or the save at the end failed.
int WinMain(const char* command_line);

// ---- main window (mainwp) --------------------------------------------------------------
extern int run_bits;
extern int microsec_factor;
extern int dv_cnt;
extern char style_source;
extern int save_on_exit;
extern std::time_t esc_hint_until;
extern int painting_ok;
extern int rotate_reverse;
extern int map_width;
extern plat::Font orig_font;
extern int ticker_count;
extern int ticker_loc_before;
std::intptr_t MainWndProc(plat::Window w, unsigned msg, std::uintptr_t wp, std::intptr_t lp);

// ---- dragging (mousemv) ------------------------------------------------------------------
int mouse_move(plat::Window w, unsigned msg, std::intptr_t lp);

// ---- face painting (paint) ----------------------------------------------------------------
struct DivVertex {
    double angle;
    int vcode;
    int div_mark;
};
extern const DivVertex circle_divs_12[];
extern const DivVertex circle_divs_8[];
extern const DivVertex rect_divs_12[];
extern const DivVertex rect_divs_8[];
extern const DivVertex usa_divs_12[];
extern const DivVertex usa_divs_8[];

// The layout of one paint pass, derived from the client size alone.
struct FaceFrame {
    int half_w, half_h;
    float aspect;
    int fig_rx, fig_ry;
    int tick_margin;
    float num_scale_x, num_scale_y;
    float map_scale_x, map_scale_y;
    float date_scale_x, date_scale_y;
};
FaceFrame face_frame(int width, int height, int font_height, int date_font_height, int map_w);

extern plat::Rect tckr_rect[10];
int quadrantize(int quadrant, int a, int b, plat::Point* out);
int trnspt(int x, int y, plat::Point* out, int dx, int dy);
int trnsrct(int left, int top, int right, int bottom, plat::Rect* out, int dx, int dy);
int trans_and_scale(int x, int y, plat::Point* out, int dx, int dy, float sx, float sy);
plat::Font qzpaint(plat::Window w, plat::Font orig, int ini, int run, int map_w, Clk* clock);
int play_digit_fill_array(plat::DC dc, plat::Window w, const char* text, int dx, int dy,
                          int half_w0, int half_h0, float sx, float sy, int* count,
                          plat::Point** points, std::uint8_t** types, double shift);
int draw_array(plat::DC dc, int count, const plat::Point* points, const std::uint8_t* types);
// One box a run (error_reported is then 1), after which the program ends without saving.
int message_and_quit(char* text, plat::Window w);
extern int error_reported;
// A brush that could not be made: format takes the hour, the increment and dv_cnt.
void report_brush_failure(plat::Window w, const char* format, const Clk& clock);

// ---- map outline (mappts) -------------------------------------------------------------------
extern const plat::Point USary[553];
extern const plat::Point map_tckr_ary[10];
extern const char* const map_tckr_langstr[10];
int compute_map_width();

// ---- style (style) ------------------------------------------------------------------------------
struct Style {
    int shape;
    plat::Font hfont;
    int font_height;
    COLORREF rgbDigit;
    COLORREF rgbFig;
    COLORREF rgbBkgrnd;
};
extern Style stl, dflt_stl, file_stl, recent_stl;
extern Style* const stl_table[5];   // dflt_stl, file_stl, recent_stl, stl, null
extern int ini_bits, non_ini_bits, file_ini_bits, recent_ini_bits;
extern COLORREF rgbCCDigit, rgbCCFig, rgbCCBkgrnd;
extern int ticker_switch_at, ticker_off_for;
extern COLORREF rgbCustom[16];
extern plat::Font hfDate;
extern int date_font_hi;
extern plat::LogFont work_lf;
extern int file_menu_state;
extern int save_recent;
extern int arial_count, other_tt_count;
extern const char* const style_file_name;   // "tavrin.sty", in the working directory
// 1 when the style file is there but could not be read: the user was told, and it is never written over.
extern int style_file_unreadable;
// A side shorter than this is one that no resize gives (the window system keeps a frame
// around a few pixels of client): such a placement could not be seen.
constexpr int min_window_side = 32;

// Every value of the style file's data line and custom-colour line, as the
// program can use them (the reader bounds each one; see style.cpp).
struct StyleValues {
    char face[32];
    int font_height, weight;
    int screen_w, screen_h;
    int place[4];
    unsigned flags;
    int shape;   // command identifier of the Shapes item
    COLORREF digit, fig, bkgrnd;
    int switch_at, off_for;
    int start_hour, start_secs, end_hour, end_secs, demo;
    COLORREF cc_digit, cc_fig, cc_bkgrnd;
    int fudge, quarter;
    char date_face[32];
    int date_hi, date_weight;
    COLORREF custom[16];
};
// Reads the style file's text (version, data and custom-colour lines) into v;
// values the text lacks keep what v held. 0 read; 1 the version is not ours.
int read_style_text(const char* text, StyleValues& v);
// The data line and, when with_custom is non-zero, a newline and the custom-colour line.
std::string style_text_of(const StyleValues& v, int with_custom);

int init_stl();
int get_style(char choice, plat::Menu menu, int place[4]);
// Gives a placement that could not be seen a size and a place on the primary screen: a side
// no resize gives, or a window with no part on the desktop. 1 when it had to be moved.
int keep_window_usable(int place[4]);
COLORREF* set_style(plat::Window w, int* run);
const char* make_style_string(int with_custom, int x, int y, int width, int height);
// Writes the three-line style file; never leaves a half-written one behind. 0 when written.
int write_style_file(const char* path, const int place[4]);
// Puts text in place of the file at path (through a symbolic link, keeping its mode). 0 when written.
int write_style_text(const char* path, const std::string& text);
int close_stl();
char fiddle_file_menu(char event, plat::Menu menu);
int enumfont_proc(const plat::LogFont& lf, unsigned type, std::intptr_t data);
int font_dialog(plat::Font* slot, int* height);
int cleanup_font(plat::Font f);

// ---- auxiliary windows (dlgs) ------------------------------------------------------------------
extern plat::Window hAbout;   // the open About box, or null
std::intptr_t Aboutwp(plat::Window dlg, unsigned msg, std::uintptr_t wp, std::intptr_t lp);
// A help viewer; the creation parameter is the Help menu command that chose its text.
std::intptr_t Editwp(plat::Window dlg, unsigned msg, std::uintptr_t wp, std::intptr_t lp);
// Puts a dialog beside the clock ("S") or above or below it (any other mode); 0.
int shift_ww(plat::Window dlg, const char* mode);
// The ticker dialog (template 102): location with a live preview, on and off seconds.
std::intptr_t Tickerwp(plat::Window dlg, unsigned msg, std::uintptr_t wp, std::intptr_t lp);

// ---- help texts (helptxt), CR LF line breaks ------------------------------------------------------
// The viewer shows file2 and file2_1 as one text, and color1 and color1_1.
extern const char file1[], file2[], file2_1[], color1[], color1_1[], future[];
