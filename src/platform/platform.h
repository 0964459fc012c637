// The window-system operations the clock needs, and nothing more.
// Plain C++: each back end (one folder below this one) implements it with its window system.
// Text is UTF-8 throughout. The message, key and flag numbers carry Win32's names and values:
// a back end that sees <windows.h> includes this header first, before its macros take the names.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace plat {

// ---- handles -------------------------------------------------------------
struct WindowObj;
struct MenuObj;
struct FontObj;
struct RegionObj;
struct DCObj;
using Window = WindowObj*;   // top-level windows and dialogs alike
using Menu = MenuObj*;
using Font = FontObj*;
using Region = RegionObj*;
using DC = DCObj*;           // a paint context: valid between begin_paint and end_paint

using COLORREF = std::uint32_t;  // 0x00BBGGRR
constexpr COLORREF rgb(int r, int g, int b) {
    return COLORREF(r & 0xFF) | (COLORREF(g & 0xFF) << 8) | (COLORREF(b & 0xFF) << 16);
}

struct Point { int x, y; };
struct Size { int cx, cy; };
struct Rect { int left, top, right, bottom; };

// ---- messages --------------------------------------------------------------
// Numbers as the window procedures know them.
enum : unsigned {
    WM_CREATE = 0x0001,
    WM_DESTROY = 0x0002,
    WM_PAINT = 0x000F,
    WM_CLOSE = 0x0010,
    WM_ERASEBKGND = 0x0014,
    WM_KEYDOWN = 0x0100,
    WM_CHAR = 0x0102,
    WM_SYSKEYDOWN = 0x0104,
    WM_SYSKEYUP = 0x0105,
    WM_INITDIALOG = 0x0110,
    WM_COMMAND = 0x0111,
    WM_TIMER = 0x0113,
    WM_MOUSEMOVE = 0x0200,
    WM_LBUTTONDOWN = 0x0201,
    WM_LBUTTONUP = 0x0202,
    WM_USER = 0x0400,
};
// wParam of mouse messages
enum : unsigned { MK_LBUTTON = 0x01, MK_RBUTTON = 0x02, MK_SHIFT = 0x04, MK_CONTROL = 0x08, MK_MBUTTON = 0x10 };
// virtual key codes of WM_KEYDOWN / WM_SYSKEYDOWN / WM_SYSKEYUP
enum : unsigned { VK_ESCAPE = 0x1B, VK_F4 = 0x73, VK_F9 = 0x78 };

constexpr unsigned loword(std::uintptr_t v) { return unsigned(v & 0xFFFF); }
constexpr unsigned hiword(std::uintptr_t v) { return unsigned((v >> 16) & 0xFFFF); }
// Mouse positions travel as two 16-bit halves, x low, y high (two's complement when negative).
constexpr std::intptr_t make_lparam(int lo, int hi) {
    return std::intptr_t((std::uint32_t(lo) & 0xFFFF) | ((std::uint32_t(hi) & 0xFFFF) << 16));
}

using WndProc = std::intptr_t (*)(Window, unsigned msg, std::uintptr_t wp, std::intptr_t lp);

// ---- application ----------------------------------------------------------
// The process entry lives in the platform (main.cpp); it calls the program's
// start-up with the command-line text: the arguments joined by single blanks.
void post_quit(int exit_code);       // ends run_message_loop once the current handler returns
int run_message_loop();              // returns the exit code given to post_quit
void beep();                         // MessageBeep(0)
int beep_count();                    // beeps so far, for tests
// The error code the window system gave for its last failed call (GetLastError); 0 where it gives none.
int last_error();
Rect desktop_rect();                 // the bounding rectangle of every screen (the virtual desktop)
Rect primary_screen_rect();          // the primary screen alone

// ---- changes of the time of day ----------------------------------------------
// Timers count elapsed time; a window that shows the time of day must hear when it moved otherwise.
enum : unsigned { WM_TIMECHANGE = 0x001E, WM_POWERBROADCAST = 0x0218 };
enum : unsigned { PBT_APMRESUMEAUTOMATIC = 0x0012 };   // wParam of WM_POWERBROADCAST
// From now on w gets WM_TIMECHANGE (posted) within a second when the system time is set or
// steps, or the local time zone changes, and WM_POWERBROADCAST with PBT_APMRESUMEAUTOMATIC
// when the machine resumes from sleep. Nothing polls: the system reports each change. By the
// time WM_TIMECHANGE arrives, the local time the program reads follows the new zone.
void watch_time_changes(Window w);
// Tests: what the session manager announces around a sleep (going is false on the resume).
void simulate_prepare_for_sleep(bool going);
// Tests: the system reports a new local time zone; the zone is read again before windows hear.
void simulate_time_zone_change();

// ---- windows --------------------------------------------------------------
struct WindowSpec {
    const char* class_name;
    const char* title;
    int x, y, width, height;         // the whole window, frame included
    Menu menu;                       // may be null
    WndProc proc;
};
// The class the program's windows are made from, registered before the first of them is made;
// false when the window system refuses it.
bool register_window_class(const char* class_name);
// Sends WM_CREATE to the procedure before it returns; null on failure.
Window create_window(const WindowSpec& spec);
// Sends WM_DESTROY, then the handle is dead. Timers and queued messages die with it.
void destroy_window(Window w);
bool is_window(Window w);             // a stale handle never names a newer window
std::intptr_t def_window_proc(Window w, unsigned msg, std::uintptr_t wp, std::intptr_t lp);

// Queued, delivered in the order posted after the current handler returns
// (also inside a modal dialog's loop). Messages to a window that has gone are dropped.
void post_message(Window w, unsigned msg, std::uintptr_t wp, std::intptr_t lp);
// Synchronous: calls the procedure now and returns its result.
std::intptr_t send_message(Window w, unsigned msg, std::uintptr_t wp, std::intptr_t lp);

// Numbered timers per window: periodic until killed; arming an armed number
// replaces its interval and restarts it. Expiries arrive as WM_TIMER (wp = id).
void set_timer(Window w, int id, int ms);
void kill_timer(Window w, int id);
bool timer_active(Window w, int id);
int timer_interval(Window w, int id);  // ms, or -1 when not armed

// Repaint with background erase: all of the client area when r is null.
void invalidate(Window w, const Rect* r);

Rect window_rect(Window w);           // screen pixels, frame included where the window system reports one
Rect client_rect(Window w);           // {0, 0, client width, client height}
void set_window_pos(Window w, int x, int y, int width, int height);  // whole window, shows it
void set_topmost(Window w, bool topmost);
bool is_topmost(Window w);
// Title bar and the border above the client; the sizing border stays where the window system allows.
void set_caption(Window w, bool shown);
bool has_caption(Window w);
// The window's menu bar: attached (shown) or taken off the window.
void set_menu_shown(Window w, bool shown);
bool menu_shown(Window w);
Menu get_menu(Window w);
void set_focus(Window w);
void set_window_text(Window w, const char* text);
// The window's accessible description: what a screen reader reads for it.
void set_accessible_description(Window w, const char* text);
std::string window_text(Window w);
Window get_parent(Window w);          // a dialog's owner

// Where the window system places windows itself, dragging is handed
// to it: true when it has taken the drag over from this button press.
bool start_system_move(Window w);
// False where the window system keeps no window above the others on request.
bool can_stay_on_top();

// The cursor stays with this window while a button is held.
void capture_mouse(Window w);
void release_mouse();

// A rectangle outline drawn over everything on the screen while the clock is
// dragged; it leaves nothing behind when hidden.
void drag_outline_show(const Rect& r, int pen_width, COLORREF colour);
void drag_outline_hide();
bool drag_outline_visible(Rect* where);

// ---- menus ----------------------------------------------------------------
Menu load_menu(const char* name);     // from the menu templates (res/menus.rc); null when missing
bool add_menu_templates(const char* text);   // more templates in the same form (tests use it)
void check_menu_item(Menu m, int id, bool checked);
void enable_menu_item(Menu m, int id, bool enabled);   // disabled = grayed
bool menu_item_checked(Menu m, int id);
bool menu_item_enabled(Menu m, int id);
std::string menu_item_text(Menu m, int id);            // template text, "&" and "\t" included
std::vector<int> menu_item_ids(Menu m);                // every command, in template order
// Choosing an item sends WM_COMMAND (wp = id) to the window the menu belongs to.
void trigger_menu_item(Window w, int id);

// ---- message boxes ----------------------------------------------------------
enum : unsigned {
    MB_OK = 0x00, MB_YESNO = 0x04,
    MB_ICONSTOP = 0x10, MB_ICONQUESTION = 0x20, MB_ICONEXCLAMATION = 0x30, MB_ICONINFORMATION = 0x40,
};
enum : int { IDOK = 1, IDCANCEL = 2, IDYES = 6, IDNO = 7 };
// Modal; owner may be null. Returns the button pressed.
int message_box(Window owner, const char* text, const char* caption, unsigned flags);
struct MessageBoxCall { Window owner; std::string text, caption; unsigned flags; };
// Tests answer boxes without showing them; an empty hook restores the real box.
void set_message_box_hook(std::function<int(const MessageBoxCall&)> hook);

// ---- dialogs ----------------------------------------------------------------
// Dialog procedures get WM_INITDIALOG (lp = the creation parameter) and
// WM_COMMAND (loword(wp) = control id, hiword(wp) = 0 for a click); they return
// non-zero for what they handled.
using DlgProc = std::intptr_t (*)(Window dlg, unsigned msg, std::uintptr_t wp, std::intptr_t lp);
// Modal: runs until end_dialog; -1 when the template does not exist or the dialog cannot be made.
int dialog_box(int template_id, const char* template_name, Window owner, DlgProc proc, std::intptr_t param);
// Modeless: null when it cannot be made.
Window create_dialog(int template_id, const char* template_name, Window owner, DlgProc proc, std::intptr_t param);
void end_dialog(Window dlg, int result);
// Adds templates written in the form of res/dialogs.rc (tests use it for their own).
bool add_dialog_templates(const char* text);
void set_dlg_item_text(Window dlg, int id, const char* text);
int get_dlg_item_text(Window dlg, int id, char* buf, int max);   // copies at most max-1 chars
void check_dlg_button(Window dlg, int id, bool checked);
bool is_dlg_button_checked(Window dlg, int id);
void check_radio_button(Window dlg, int first_id, int last_id, int id);
void enable_dlg_item(Window dlg, int id, bool enabled);
bool is_dlg_item_enabled(Window dlg, int id);
void set_dlg_item_tabstops(Window dlg, int id, const int* stops, int n);  // dialog units
// Tests: press a dialog's button as a user would (sends the click to its procedure).
void click_dlg_button(Window dlg, int id);
// Tests: called with every dialog once it is initialised and shown; may click its buttons.
void set_dialog_hook(std::function<void(Window dlg, int template_id)> hook);

// ---- common dialogs -----------------------------------------------------------
// Colour picker starting at colour, with 16 custom colours it may change.
// Returns false when cancelled (or it fails); colour is set to the pick otherwise.
bool choose_color(Window owner, COLORREF& colour, COLORREF custom[16]);
void set_choose_color_hook(std::function<bool(COLORREF& colour, COLORREF custom[16])> hook);

// ---- fonts ------------------------------------------------------------------
struct LogFont {
    int height = 0;         // < 0: character height in pixels; > 0: cell height; 0: default
    int weight = 0;         // 0 default, 100..900
    std::uint8_t italic = 0;
    std::uint8_t charset = 0;
    char face[32] = {};
};
enum : unsigned { RASTER_FONTTYPE = 1, DEVICE_FONTTYPE = 2, TRUETYPE_FONTTYPE = 4 };
Font create_font(const LogFont& lf);           // null on failure
bool get_font_desc(Font f, LogFont& out);      // the description it was made from
bool delete_font(Font f);                      // false for null, stock or already deleted fonts
int live_font_count();                         // fonts made by create_font and not yet deleted
Font stock_font();                             // the window system's plain font, which every paint context starts with
// One call per font family; type has TRUETYPE_FONTTYPE for scalable outline families.
void enum_font_families(int (*proc)(const LogFont& lf, unsigned type, std::intptr_t data), std::intptr_t data);
// Font picker, scalable fonts only, starting from lf (its height is the size).
// Returns false when cancelled; lf holds the pick otherwise.
bool choose_font(Window owner, LogFont& lf);
void set_choose_font_hook(std::function<bool(LogFont& lf)> hook);

// ---- painting -------------------------------------------------------------------
// Only inside WM_ERASEBKGND (wp is the DC) and WM_PAINT. begin_paint gives the
// window's own context, which keeps its selected font from one paint to the next.
DC begin_paint(Window w);
DC window_dc(Window w);                        // the own context at any time: for selecting fonts, not drawing
void end_paint(Window w, DC dc);
Rect paint_rect(DC dc);                        // bounding box of what is being repainted
// Solid fills: false only when the window system could make no brush, and nothing was painted.
// A region that is not there paints nothing and is no failure.
bool fill_rect(DC dc, const Rect& r, COLORREF colour);
Font select_font(DC dc, Font f);               // returns the font it replaces
Font current_font(DC dc);
Size text_extent(DC dc, const char* text);     // in the selected font
bool text_out(DC dc, int x, int y, const char* text, COLORREF colour);  // top-left of the text cell at x, y

// Paths, as GDI builds them: text outlines or replayed points.
enum : std::uint8_t { PT_CLOSEFIGURE = 1, PT_LINETO = 2, PT_BEZIERTO = 4, PT_MOVETO = 6 };
void begin_path(DC dc);
bool path_text(DC dc, int x, int y, const char* text);  // outline of text, top-left of the cell at x, y
void end_path(DC dc);
// With n == 0 returns the number of points; otherwise fills at most n and returns how many. -1 on failure.
int get_path(DC dc, Point* points, std::uint8_t* types, int n);
void path_move_to(DC dc, Point p);
void path_line_to(DC dc, Point p);
void path_bezier_to(DC dc, const Point p[3]);
void path_close_figure(DC dc);
Region path_to_region(DC dc);                  // consumes the path; figures close themselves, counters are holes

// Regions: sets of pixels to combine and fill.
Region create_ellipse_rgn(const Rect& r);      // inscribed in r
Region create_rect_rgn(const Rect& r);
Region create_polygon_rgn(const Point* pts, int n);    // winding fill
enum : int { RGN_AND = 1, RGN_XOR = 3, RGN_DIFF = 4 };
bool combine_rgn(Region dest, Region a, Region b, int mode);  // dest may be a or b
bool fill_rgn(DC dc, Region r, COLORREF colour);   // as fill_rect
bool frame_rgn(DC dc, Region r);               // black, one pixel wide and high
bool delete_rgn(Region r);
int live_region_count();
bool rgn_contains(Region r, int x, int y);     // for tests
// Pen: solid black one pixel. polygon fills with colour inside it.
void polygon(DC dc, const Point* pts, int n, COLORREF fill);
void polyline(DC dc, const Point* pts, int n);

}  // namespace plat
