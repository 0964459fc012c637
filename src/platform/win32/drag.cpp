// The outline that follows the cursor while the clock is dragged: a window of its own above
// everything, shaped to the frame alone, so the screen under it is never drawn on.
#include "win32.h"

namespace plat {
namespace {

HWND outline = nullptr;
HBRUSH outline_brush = nullptr;
COLORREF outline_colour = 0xFFFFFFFF;
bool shown = false;
Rect shown_at{};

LRESULT CALLBACK outline_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_NCHITTEST)
        return HTTRANSPARENT;     // clicks go to what lies below
    if (msg == WM_ERASEBKGND) {
        RECT r;
        GetClientRect(hwnd, &r);
        FillRect(reinterpret_cast<HDC>(wp), &r, outline_brush);
        return 1;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

HWND make_outline()
{
    static const wchar_t class_name[] = L"TavrinDragOutline";
    static bool registered = false;
    if (!registered) {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = outline_proc;
        wc.hInstance = instance();
        wc.lpszClassName = class_name;
        registered = RegisterClassExW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
    }
    return CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE | WS_EX_TRANSPARENT, class_name,
                           L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, instance(), nullptr);
}

// The frame lies inside the rectangle; the inside is left out of the window altogether.
HRGN frame_region(int width, int height, int pen)
{
    const HRGN whole = CreateRectRgn(0, 0, width, height);
    if (width > 2 * pen && height > 2 * pen) {
        const HRGN inside = CreateRectRgn(pen, pen, width - pen, height - pen);
        CombineRgn(whole, whole, inside, RGN_DIFF);
        DeleteObject(inside);
    }
    return whole;
}

}  // namespace

void drag_outline_show(const Rect& r, int pen_width, COLORREF colour)
{
    const int width = r.right - r.left, height = r.bottom - r.top;
    if (width <= 0 || height <= 0) {
        drag_outline_hide();
        return;
    }
    if (outline == nullptr && (outline = make_outline()) == nullptr)
        return;
    if (outline_brush == nullptr || colour != outline_colour) {
        if (outline_brush != nullptr)
            DeleteObject(outline_brush);
        outline_brush = CreateSolidBrush(::COLORREF(colour & 0x00FFFFFF));
        outline_colour = colour;
    }
    SetWindowRgn(outline, frame_region(width, height, pen_width < 1 ? 1 : pen_width), FALSE);   // the window owns it
    SetWindowPos(outline, HWND_TOPMOST, r.left, r.top, width, height, SWP_NOACTIVATE | SWP_SHOWWINDOW);
    InvalidateRect(outline, nullptr, TRUE);
    UpdateWindow(outline);
    shown = true;
    shown_at = r;
}

void drag_outline_hide()
{
    if (outline != nullptr)
        ShowWindow(outline, SW_HIDE);
    shown = false;
}

bool drag_outline_visible(Rect* where)
{
    if (shown && where != nullptr)
        *where = shown_at;
    return shown;
}

}  // namespace plat
