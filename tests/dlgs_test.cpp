// Placing dialogs beside, above or below the clock.
#include "tavrin.h"

#include <gtest/gtest.h>

using namespace plat;

namespace {

std::intptr_t plain_proc(Window w, unsigned msg, std::uintptr_t wp, std::intptr_t lp)
{
    return def_window_proc(w, msg, wp, lp);
}

std::intptr_t quiet_proc(Window, unsigned msg, std::uintptr_t, std::intptr_t) { return msg == WM_INITDIALOG; }

constexpr int kept = -99999;     // the coordinate the dialog was opened at
constexpr int on_desk = -99998;  // kept where it fits; pulled to the desktop's right edge where not

// A dialog opened at the clock's client origin (where the window system puts it), then placed.
struct Placing { Rect opened, placed; };
Placing placed(const Rect& clock, const char* mode)
{
    Window w = create_window({"QZClockClass", "clock", clock.left, clock.top, clock.right - clock.left,
                              clock.bottom - clock.top, nullptr, plain_proc});
    Window dlg = create_dialog(101, nullptr, w, quiet_proc, 0);   // one of the program's own templates
    const Rect opened = window_rect(dlg);
    shift_ww(dlg, mode);
    const Rect r = window_rect(dlg);
    destroy_window(dlg);
    destroy_window(w);
    return {opened, r};
}

struct Case {
    const char* what;
    Rect clock;     // left, top, right, bottom
    const char* mode;
    int x, x_widths;    // the dialog lands at x + x_widths * its width,
    int y, y_heights;   // y + y_heights * its height
};

TEST(ShiftWw, PlacesTheDialogOnTheSideWithMoreRoom)
{
    const Rect desk = desktop_rect();
    const int right = desk.right, bottom = desk.bottom;
    const Case cases[] = {
        {"right of a clock at the left", {10, 20, 210, 220}, "S", 210 - 10, 0, kept, 0},
        {"left of a clock at the right", {right - 200, 20, right, 220}, "S", right - 200 + 10, -1, kept, 0},
        {"at the right edge when the right is too narrow", {10, 20, right - 60, 220}, "S", right, -1, kept, 0},
        {"at x 0 when the left is too narrow", {60, 20, right - 10, 220}, "S", 0, 0, kept, 0},
        {"left on equal room", {(right - 200) / 2, 20, (right - 200) / 2 + 200, 220}, "S",
         (right - 200) / 2 + 10, -1, kept, 0},
        {"below a clock at the top", {10, 20, 210, 220}, "B", kept, 0, 220 - 10, 0},
        {"above a clock at the bottom", {10, bottom - 200, 210, bottom}, "B", kept, 0, bottom - 200 + 10, -1},
        {"at the bottom edge when below is too short", {10, 20, 210, bottom - 30}, "B", kept, 0, bottom, -1},
        {"at y 0 when above is too short", {10, 30, 210, bottom - 10}, "B", kept, 0, 0, 0},
        {"above on equal room", {10, (bottom - 200) / 2, 210, (bottom - 200) / 2 + 200}, "B", kept, 0,
         (bottom - 200) / 2 + 10, -1},
        {"pulled left off the right edge", {right - 200, 20, right, 100}, "B", on_desk, 0, 100 - 10, 0},
    };
    for (const Case& c : cases) {
        const auto [opened, r] = placed(c.clock, c.mode);
        const int w = r.right - r.left, h = r.bottom - r.top;
        ASSERT_GT(w, 60) << c.what;
        // Some window systems open a dialog on the screen already.
        const int fitting = opened.right > right ? right - w : opened.left;
        EXPECT_EQ(r.left, c.x == kept ? opened.left : c.x == on_desk ? fitting : c.x + c.x_widths * w) << c.what;
        EXPECT_EQ(r.top, c.y == kept ? opened.top : c.y + c.y_heights * h) << c.what;
    }
}

}  // namespace
