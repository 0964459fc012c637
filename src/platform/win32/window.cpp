// Windows as the clock's procedures see them: handles, messages, timers, geometry, the paint
// pass, the message loop and the notices of changed time.
#include "win32.h"

#include <oleacc.h>

#include <cstdlib>
#include <ctime>
#include <deque>
#include <map>
#include <set>
#include <unordered_set>
#include <utility>

namespace plat {

static_assert(WM_PAINT == 0x000F && WM_TIMECHANGE == 0x001E && WM_POWERBROADCAST == 0x0218,
              "the program's message numbers are Win32's");
static_assert(sizeof(Point) == sizeof(POINT) && sizeof(Rect) == sizeof(RECT), "same layout as Win32's");

namespace {

// Handles are never freed, so a stale one can never name a newer window.
std::deque<WindowObj> windows;
std::unordered_set<Window> live_windows;          // what GWLP_USERDATA may name
std::map<std::pair<Window, int>, int> timer_ms;    // armed timers and their intervals
std::set<std::wstring> registered_classes;
int beeps = 0;

RECT win_rect(const Rect& r) { return RECT{r.left, r.top, r.right, r.bottom}; }
Rect our_rect(const RECT& r) { return Rect{r.left, r.top, r.right, r.bottom}; }

// The messages of platform.h, and the program's own from WM_USER up; the rest are Windows' business.
bool reaches_program(UINT msg)
{
    switch (msg) {
    case WM_CREATE:
    case WM_DESTROY:
    case WM_CLOSE:
    case WM_KEYDOWN:
    case WM_CHAR:
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
    case WM_COMMAND:
    case WM_TIMER:
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
        return true;
    default:
        return msg >= WM_USER && msg < WM_APP;
    }
}

// Every WM_PAINT ends with the window validated, whether or not the procedure painted:
// otherwise Windows sends it again and again.
LRESULT paint_pass(Window w)
{
    w->painting = true;
    w->proc(w, WM_PAINT, 0, 0);
    w->painting = false;
    if (!is_window(w))
        return 0;
    if (w->dc.in_paint) {
        end_paint(w, &w->dc);
    } else if (GetUpdateRect(w->hwnd, nullptr, FALSE)) {
        PAINTSTRUCT ps;
        BeginPaint(w->hwnd, &ps);
        EndPaint(w->hwnd, &ps);
    }
    return 0;
}

LRESULT erase_background(Window w, WPARAM wp)
{
    const HDC hdc = reinterpret_cast<HDC>(wp);
    if (hdc == w->dc.hdc)
        return w->proc(w, WM_ERASEBKGND, std::uintptr_t(&w->dc), 0);
    // Not the window's own context (someone else asked for the erase): a context for this once.
    DCObj once;
    once.hdc = hdc;
    once.owner = w;
    return w->proc(w, WM_ERASEBKGND, std::uintptr_t(&once), 0);
}

// The C library keeps the zone it read first; a change of time may come with a new zone.
void reread_zone() { _tzset(); }

// Seconds east of UTC by the system's zone, daylight saving included.
long system_utc_offset()
{
    TIME_ZONE_INFORMATION zone{};
    const DWORD which = GetTimeZoneInformation(&zone);
    long bias = zone.Bias;
    if (which == TIME_ZONE_ID_DAYLIGHT)
        bias += zone.DaylightBias;
    else if (which == TIME_ZONE_ID_STANDARD)
        bias += zone.StandardBias;
    return -bias * 60;
}

long known_utc_offset = 0;

// A new zone chosen in the settings comes as a change of settings; it counts as a change of
// time only when the offset from UTC has moved.
bool zone_moved()
{
    const long now = system_utc_offset();
    const bool moved = now != known_utc_offset;
    known_utc_offset = now;
    return moved;
}

LRESULT CALLBACK clock_window_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_NCCREATE) {
        const auto* cs = reinterpret_cast<const CREATESTRUCTW*>(lp);
        Window w = static_cast<Window>(cs->lpCreateParams);
        w->hwnd = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, LONG_PTR(w));
        w->dc.hdc = GetDC(hwnd);
        w->dc.owner = w;
        SelectObject(w->dc.hdc, hfont_of(stock_font()));
        return DefWindowProcW(hwnd, msg, wp, lp);
    }
    Window w = window_of(hwnd);
    if (w == nullptr || w->proc == nullptr)
        return DefWindowProcW(hwnd, msg, wp, lp);
    switch (msg) {
    case WM_PAINT:
        return paint_pass(w);
    case WM_ERASEBKGND:
        return erase_background(w, wp);
    case WM_TIMECHANGE:
        reread_zone();
        zone_moved();
        if (w->watched)
            return w->proc(w, WM_TIMECHANGE, 0, 0);
        break;
    case WM_SETTINGCHANGE:
        if (w->watched && zone_moved()) {
            reread_zone();
            w->proc(w, WM_TIMECHANGE, 0, 0);
        }
        break;
    case WM_POWERBROADCAST:
        if (w->watched && wp == PBT_APMRESUMEAUTOMATIC) {
            reread_zone();
            w->proc(w, WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, 0);
            return TRUE;
        }
        break;
    case WM_NCDESTROY:
        forget_window(w);
        break;
    default:
        if (reaches_program(msg))
            return w->proc(w, msg, wp, lp);
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

// One class per name the program asks for, registered on first use. Every one has a context
// of its own (CS_OWNDC) and erases its own background (no brush).
bool register_class(const std::wstring& name)
{
    if (registered_classes.count(name) != 0)
        return true;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_VREDRAW | CS_HREDRAW | CS_OWNDC;
    wc.lpfnWndProc = clock_window_proc;
    wc.hInstance = instance();
    wc.hIcon = LoadIconW(instance(), MAKEINTRESOURCEW(100));
    wc.hIconSm = static_cast<HICON>(LoadImageW(instance(), MAKEINTRESOURCEW(100), IMAGE_ICON,
                                               GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
    wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));   // IDC_ARROW
    wc.lpszClassName = name.c_str();
    if (RegisterClassExW(&wc) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        return false;
    registered_classes.insert(name);
    return true;
}

void set_style_bits(HWND hwnd, LONG_PTR bits, bool on)
{
    const LONG_PTR style = GetWindowLongPtrW(hwnd, GWL_STYLE);
    SetWindowLongPtrW(hwnd, GWL_STYLE, on ? style | bits : style & ~bits);
    // The frame is drawn anew and the client area takes what the frame gave up.
    SetWindowPos(hwnd, nullptr, 0, 0, 0, 0,
                 SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

// ---- handles ---------------------------------------------------------------------------------

HINSTANCE instance() { return GetModuleHandleW(nullptr); }

Window adopt_window(HWND hwnd)
{
    WindowObj& obj = windows.emplace_back();
    obj.hwnd = hwnd;
    obj.alive = true;
    live_windows.insert(&obj);
    return &obj;
}

void forget_window(Window w)
{
    if (w == nullptr || !w->alive)
        return;
    for (auto it = timer_ms.begin(); it != timer_ms.end();)
        it = it->first.first == w ? timer_ms.erase(it) : std::next(it);
    if (w->hwnd != nullptr)
        SetWindowLongPtrW(w->hwnd, GWLP_USERDATA, 0);
    w->alive = false;
    w->hwnd = nullptr;
    w->dc.hdc = nullptr;
    live_windows.erase(w);
}

Window window_of(HWND hwnd)
{
    if (hwnd == nullptr)
        return nullptr;
    auto* w = reinterpret_cast<Window>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    // GWLP_USERDATA of a window that is not ours may hold anything: only our own objects count.
    return live_windows.count(w) != 0 && w->hwnd == hwnd ? w : nullptr;
}

HWND hwnd_of(Window w) { return is_window(w) ? w->hwnd : nullptr; }

bool is_window(Window w) { return w != nullptr && w->alive && w->hwnd != nullptr; }

bool in_paint_of(Window w) { return is_window(w) && w->painting; }

void forget_selected_font(Font f)
{
    for (WindowObj& obj : windows)
        if (obj.dc.font == f) {
            if (obj.dc.hdc != nullptr)
                SelectObject(obj.dc.hdc, hfont_of(stock_font()));
            obj.dc.font = nullptr;
        }
}

bool register_window_class(const char* class_name)
{
    return !refused(Refusal::window_class) && register_class(wide(class_name));
}

int last_error() { return int(GetLastError()); }

// ---- creation and destruction -------------------------------------------------------------------

Window create_window(const WindowSpec& spec)
{
    const std::wstring class_name = wide(spec.class_name != nullptr ? spec.class_name : "QZClockClass");
    if (!register_class(class_name))
        return nullptr;
    Window w = adopt_window(nullptr);
    WindowObj& obj = *w;
    obj.proc = spec.proc;
    obj.menu = spec.menu;
    const HMENU hmenu = spec.menu != nullptr ? spec.menu->h : nullptr;
    const HWND hwnd = CreateWindowExW(0, class_name.c_str(), wide(spec.title).c_str(),
                                      WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_VISIBLE, spec.x, spec.y,
                                      spec.width, spec.height, nullptr, hmenu, instance(), w);
    if (hwnd == nullptr) {
        // The menu stays the program's: a window that never was does not take it along.
        forget_window(w);
        return nullptr;
    }
    return is_window(w) ? w : nullptr;
}

void destroy_window(Window w)
{
    if (HWND hwnd = hwnd_of(w)) {
        // The menu is the program's: Windows would destroy it with the window.
        if (w->menu != nullptr && GetMenu(hwnd) != nullptr)
            SetMenu(hwnd, nullptr);
        DestroyWindow(hwnd);
    }
}

std::intptr_t def_window_proc(Window w, unsigned msg, std::uintptr_t wp, std::intptr_t lp)
{
    HWND hwnd = hwnd_of(w);
    if (hwnd == nullptr || w->dialog)
        return 0;   // a dialog's defaults are the dialog manager's, once its procedure returns 0
    if (msg == WM_SYSKEYDOWN && wp == VK_F4) {
        // Alt+F4 as a close request, whether it came from the keyboard or from a test.
        send_message(w, WM_CLOSE, 0, 0);
        return 0;
    }
    if (msg == WM_ERASEBKGND)
        wp = std::uintptr_t(reinterpret_cast<DC>(wp) != nullptr ? reinterpret_cast<DC>(wp)->hdc : nullptr);
    return DefWindowProcW(hwnd, msg, wp, lp);
}

// ---- messages ----------------------------------------------------------------------------------

void post_message(Window w, unsigned msg, std::uintptr_t wp, std::intptr_t lp)
{
    if (HWND hwnd = hwnd_of(w))
        PostMessageW(hwnd, msg, wp, lp);
}

std::intptr_t send_message(Window w, unsigned msg, std::uintptr_t wp, std::intptr_t lp)
{
    HWND hwnd = hwnd_of(w);
    if (hwnd == nullptr)
        return 0;
    if (!w->dialog)
        return SendMessageW(hwnd, msg, wp, lp);
    // A dialog answers through DWLP_MSGRESULT, where the trampoline puts its procedure's answer.
    SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, 0);
    SendMessageW(hwnd, msg, wp, lp);
    return IsWindow(hwnd) ? GetWindowLongPtrW(hwnd, DWLP_MSGRESULT) : 0;
}

// ---- timers -------------------------------------------------------------------------------------

void set_timer(Window w, int id, int ms)
{
    HWND hwnd = hwnd_of(w);
    if (hwnd == nullptr)
        return;
    ms = ms < 0 ? 0 : ms;
    // Re-arming a number replaces its interval and starts it afresh.
    if (SetTimer(hwnd, UINT_PTR(id), UINT(ms < int(USER_TIMER_MINIMUM) ? USER_TIMER_MINIMUM : ms), nullptr) != 0)
        timer_ms[{w, id}] = ms;
}

void kill_timer(Window w, int id)
{
    if (HWND hwnd = hwnd_of(w))
        KillTimer(hwnd, UINT_PTR(id));
    timer_ms.erase({w, id});
}

bool timer_active(Window w, int id) { return is_window(w) && timer_ms.count({w, id}) != 0; }

int timer_interval(Window w, int id)
{
    auto it = timer_ms.find({w, id});
    return is_window(w) && it != timer_ms.end() ? it->second : -1;
}

// ---- painting -----------------------------------------------------------------------------------

void invalidate(Window w, const Rect* r)
{
    HWND hwnd = hwnd_of(w);
    if (hwnd == nullptr)
        return;
    if (r == nullptr) {
        InvalidateRect(hwnd, nullptr, TRUE);
        return;
    }
    const RECT area = win_rect(*r);
    InvalidateRect(hwnd, &area, TRUE);
}

DC begin_paint(Window w)
{
    if (!in_paint_of(w) || w->dc.hdc == nullptr)
        return nullptr;
    if (!w->dc.in_paint) {
        // Sends WM_ERASEBKGND when the update region asks for it.
        const HDC hdc = BeginPaint(w->hwnd, &w->dc.ps);
        if (hdc == nullptr)
            return nullptr;
        w->dc.hdc = hdc;    // the window's own context, by its class
        w->dc.in_paint = true;
    }
    return &w->dc;
}

DC window_dc(Window w) { return is_window(w) && w->dc.hdc != nullptr ? &w->dc : nullptr; }

void end_paint(Window w, DC dc)
{
    if (!is_window(w) || dc == nullptr || !dc->in_paint)
        return;
    EndPaint(w->hwnd, &dc->ps);
    dc->in_paint = false;
}

Rect paint_rect(DC dc)
{
    if (dc == nullptr || dc->hdc == nullptr)
        return Rect{0, 0, 0, 0};
    if (dc->in_paint)
        return our_rect(dc->ps.rcPaint);
    RECT box{};
    GetClipBox(dc->hdc, &box);
    return our_rect(box);
}

// ---- geometry and appearance ------------------------------------------------------------------------

Rect window_rect(Window w)
{
    RECT r{};
    if (HWND hwnd = hwnd_of(w))
        GetWindowRect(hwnd, &r);
    return our_rect(r);
}

Rect client_rect(Window w)
{
    RECT r{};
    if (HWND hwnd = hwnd_of(w))
        GetClientRect(hwnd, &r);
    return our_rect(r);
}

void set_window_pos(Window w, int x, int y, int width, int height)
{
    if (HWND hwnd = hwnd_of(w))
        SetWindowPos(hwnd, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

void set_topmost(Window w, bool topmost)
{
    if (HWND hwnd = hwnd_of(w))
        SetWindowPos(hwnd, topmost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

bool is_topmost(Window w)
{
    HWND hwnd = hwnd_of(w);
    return hwnd != nullptr && (GetWindowLongPtrW(hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
}

void set_caption(Window w, bool shown)
{
    if (HWND hwnd = hwnd_of(w))
        if (has_caption(w) != shown)
            set_style_bits(hwnd, WS_CAPTION, shown);
}

bool has_caption(Window w)
{
    HWND hwnd = hwnd_of(w);
    return hwnd != nullptr && (GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_CAPTION) == WS_CAPTION;
}

void set_menu_shown(Window w, bool shown)
{
    HWND hwnd = hwnd_of(w);
    if (hwnd == nullptr || w->menu == nullptr || menu_shown(w) == shown)
        return;
    SetMenu(hwnd, shown ? w->menu->h : nullptr);
}

bool menu_shown(Window w)
{
    HWND hwnd = hwnd_of(w);
    return hwnd != nullptr && GetMenu(hwnd) != nullptr;
}

Menu get_menu(Window w) { return is_window(w) ? w->menu : nullptr; }

void set_focus(Window w)
{
    if (HWND hwnd = hwnd_of(w))
        SetFocus(hwnd);
}

void set_window_text(Window w, const char* text)
{
    if (HWND hwnd = hwnd_of(w))
        SetWindowTextW(hwnd, wide(text).c_str());
}

std::string window_text(Window w)
{
    HWND hwnd = hwnd_of(w);
    if (hwnd == nullptr)
        return std::string();
    std::wstring text(std::size_t(GetWindowTextLengthW(hwnd)) + 1, L'\0');
    const int n = GetWindowTextW(hwnd, text.data(), int(text.size()));
    return utf8(text.c_str(), n);
}

namespace {
std::map<Window, std::string> descriptions;
}

// Through the Dynamic Annotation service: the screen reader asks the window's own
// accessible object, which answers with the text given here.
void set_accessible_description(Window w, const char* text)
{
    HWND hwnd = hwnd_of(w);
    if (hwnd == nullptr)
        return;
    descriptions[w] = text != nullptr ? text : "";
    static const bool com_ready = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    (void)com_ready;   // another mode chosen earlier serves as well
    IAccPropServices* services = nullptr;
    if (FAILED(CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER, IID_IAccPropServices,
                                reinterpret_cast<void**>(&services))))
        return;
    const std::wstring desc = wide(text);
    services->SetHwndPropStr(hwnd, DWORD(OBJID_CLIENT), CHILDID_SELF, PROPID_ACC_DESCRIPTION, desc.c_str());
    services->Release();
}

// Tests: the description last given, whether or not an accessibility service took it.
std::string accessible_description(Window w)
{
    auto it = descriptions.find(w);
    return is_window(w) && it != descriptions.end() ? it->second : std::string();
}

Window get_parent(Window w)
{
    HWND hwnd = hwnd_of(w);
    return hwnd != nullptr ? window_of(GetWindow(hwnd, GW_OWNER)) : nullptr;
}

// Windows leaves moving to the program, which draws its own outline.
bool start_system_move(Window) { return false; }

bool can_stay_on_top() { return true; }

void capture_mouse(Window w)
{
    if (HWND hwnd = hwnd_of(w))
        SetCapture(hwnd);
}

void release_mouse() { ReleaseCapture(); }

// ---- the application --------------------------------------------------------------------------------

void post_quit(int exit_code) { PostQuitMessage(exit_code); }

// A plain loop, as the clock has always had: no accelerators, and no dialog keyboard handling for
// the modeless help viewers (their button keeps the keyboard; only its space bar works there).
int run_message_loop()
{
    MSG msg;
    for (;;) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0)
            return int(msg.wParam);
        if (got == -1)
            return -1;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

void beep()
{
    ++beeps;
    MessageBeep(0);
}

int beep_count() { return beeps; }

Rect desktop_rect()
{
    const int x = GetSystemMetrics(SM_XVIRTUALSCREEN), y = GetSystemMetrics(SM_YVIRTUALSCREEN);
    return Rect{x, y, x + GetSystemMetrics(SM_CXVIRTUALSCREEN), y + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
}

Rect primary_screen_rect() { return Rect{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}; }

// ---- changes of the time of day -------------------------------------------------------------------------
// Windows itself tells every top-level window: WM_TIMECHANGE when the time is set,
// WM_POWERBROADCAST on a resume, WM_SETTINGCHANGE when settings (the zone among them) change.
// The window procedure passes them on to watched windows as WM_TIMECHANGE and WM_POWERBROADCAST.

void watch_time_changes(Window w)
{
    if (!is_window(w))
        return;
    w->watched = true;
    known_utc_offset = system_utc_offset();
}

void simulate_prepare_for_sleep(bool going)
{
    if (going)
        return;
    for (WindowObj& obj : windows)
        if (is_window(&obj) && obj.watched)
            PostMessageW(obj.hwnd, WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, 0);
}

void simulate_time_zone_change()
{
    reread_zone();
    for (WindowObj& obj : windows)
        if (is_window(&obj) && obj.watched)
            PostMessageW(obj.hwnd, WM_TIMECHANGE, 0, 0);
}

// ---- text -------------------------------------------------------------------------------------------------

// Valid UTF-8 as such; anything else byte for byte as Latin-1, so no text is ever lost.
std::wstring wide(const char* text)
{
    if (text == nullptr || *text == '\0')
        return std::wstring();
    const int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text, -1, nullptr, 0);
    if (n > 0) {
        std::wstring out(std::size_t(n), L'\0');
        MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text, -1, out.data(), n);
        out.resize(std::size_t(n) - 1);
        return out;
    }
    std::wstring out;
    for (const char* p = text; *p != '\0'; ++p)
        out += wchar_t(static_cast<unsigned char>(*p));
    return out;
}

std::string utf8(const wchar_t* text, int length)
{
    if (text == nullptr || length == 0)
        return std::string();
    const int n = WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
    if (n <= 0)
        return std::string();
    std::string out(std::size_t(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, length, out.data(), n, nullptr, nullptr);
    if (length < 0)
        out.resize(std::size_t(n) - 1);
    return out;
}

}  // namespace plat
