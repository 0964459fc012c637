// The auxiliary windows: ticker dialog, About box, help viewer, and the
// placement that keeps every dialog beside the clock instead of over it.
#include "tavrin.h"

plat::Window hAbout = nullptr;

namespace {

// Where a dialog of this length goes along one axis: past the clock's far edge when
// there is more room there, else before its near edge; overlapping it a little either way.
int beside(int clock_near, int clock_far, int length, int desk_near, int desk_far, int overlap)
{
    if (desk_far - clock_far > clock_near - desk_near) {
        int at = clock_far - overlap;
        return at + length > desk_far ? desk_far - length : at;
    }
    int at = clock_near + overlap - length;
    return at < desk_near ? desk_near : at;
}

}  // namespace

int shift_ww(plat::Window dlg, const char* mode)
{
    const plat::Rect desk = plat::desktop_rect();
    const plat::Rect clock = plat::window_rect(plat::get_parent(dlg));
    const plat::Rect own = plat::window_rect(dlg);
    const int w = own.right - own.left, h = own.bottom - own.top;
    const int overlap = (clock.right - clock.left) / 20;
    int x = own.left, y = own.top;
    if (mode != nullptr && mode[0] == 'S') {
        x = beside(clock.left, clock.right, w, desk.left, desk.right, overlap);
    } else {
        if (x + w > desk.right)
            x = desk.right - w;
        y = beside(clock.top, clock.bottom, h, desk.top, desk.bottom, overlap);
    }
    plat::set_window_pos(dlg, x, y, w, h);
    return 0;
}
