// Dragging the clock by its client area: with the bars hidden there is no title bar to hold.
#include "tavrin.h"

using namespace plat;

namespace {

constexpr int drag_pen_width = 4;
constexpr COLORREF drag_pen_colour = 0x00C1C1C1;

bool dragging = false;   // between a button-down in the client area and the next button-up
Rect drag_rect;          // where the window would go, in screen pixels
Point drag_last;         // the cursor at the previous step, in client pixels
Rect screen_rect;

Point cursor_of(std::intptr_t lp)
{
    // Positions left of or above the client area arrive as 16-bit two's complement.
    int x = int(loword(std::uintptr_t(lp)));
    int y = int(hiword(std::uintptr_t(lp)));
    if (x > screen_rect.right)
        x -= 65536;
    if (y > screen_rect.bottom)
        y -= 65536;
    return {x, y};
}

void begin_drag(Window w, std::intptr_t lp)
{
    drag_last = {int(loword(std::uintptr_t(lp))), int(hiword(std::uintptr_t(lp)))};
    capture_mouse(w);
    drag_rect = window_rect(w);
    screen_rect = desktop_rect();
    dragging = true;
    drag_outline_show(drag_rect, drag_pen_width, drag_pen_colour);
}

void follow_cursor(std::intptr_t lp)
{
    Point p = cursor_of(lp);
    int dx = p.x - drag_last.x, dy = p.y - drag_last.y;
    drag_rect = {drag_rect.left + dx, drag_rect.top + dy, drag_rect.right + dx, drag_rect.bottom + dy};
    drag_last = p;
    drag_outline_show(drag_rect, drag_pen_width, drag_pen_colour);
}

void end_drag(Window w)
{
    drag_outline_hide();
    dragging = false;
    set_window_pos(w, drag_rect.left, drag_rect.top, drag_rect.right - drag_rect.left,
                   drag_rect.bottom - drag_rect.top);
    release_mouse();
}

}  // namespace

int mouse_move(Window w, unsigned msg, std::intptr_t lp)
{
    if (msg == WM_LBUTTONDOWN && !start_system_move(w))
        begin_drag(w, lp);
    else if (msg == WM_MOUSEMOVE && dragging)
        follow_cursor(lp);
    else if (msg == WM_LBUTTONUP && dragging)
        end_drag(w);
    return 0;
}
