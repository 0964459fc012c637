// The auxiliary windows: ticker dialog, About box, help viewer, and the
// placement that keeps every dialog beside the clock instead of over it.
#include "tavrin.h"

#include <cstdio>
#include <cstring>
#include <new>

plat::Window hAbout = nullptr;

namespace {

enum : int { about_settings = 1000, about_count = 1034, help_field = 1027 };

// The diary's table lines up at these, in dialog units.
const int diary_tab_stops[] = {30, 70, 140, 190};

struct HelpPage {
    int command;
    const char* caption;
    const char* text;
    const char* more;         // shown right after text, or null
    const int* tab_stops;     // four of them, or null for the field's own
};

const HelpPage help_pages[] = {
    {CMD_HELP_FILE, "Help on FILE choices", file1, nullptr, nullptr},
    {CMD_HELP_FILE_MORE, "More specific help on FILE choices", file2, file2_1, diary_tab_stops},
    {CMD_HELP_COLORS, "Help on COLORS and other things", color1, color1_1, nullptr},
    {CMD_HELP_AHEAD, "Looking ahead", future, nullptr, nullptr},
};

const HelpPage* help_page(std::intptr_t command)
{
    for (const HelpPage& page : help_pages)
        if (page.command == command)
            return &page;
    return nullptr;
}

// The joined copy lives only until the field holds the text; without memory
// for it the reader still gets the first part.
void show_joined(plat::Window dlg, const char* text, const char* more)
{
    const std::size_t first = std::strlen(text), second = std::strlen(more);
    char* both = new (std::nothrow) char[first + second + 1];
    if (both == nullptr) {
        plat::set_dlg_item_text(dlg, help_field, text);
        return;
    }
    std::memcpy(both, text, first);
    std::memcpy(both + first, more, second + 1);
    plat::set_dlg_item_text(dlg, help_field, both);
    delete[] both;
}

void show_help_page(plat::Window dlg, const HelpPage& page)
{
    plat::set_window_text(dlg, page.caption);
    if (page.tab_stops != nullptr)
        plat::set_dlg_item_tabstops(dlg, help_field, page.tab_stops, 4);
    if (page.more != nullptr)
        show_joined(dlg, page.text, page.more);
    else
        plat::set_dlg_item_text(dlg, help_field, page.text);
}

void show_increment_count(plat::Window dlg)
{
    char count[16];
    std::snprintf(count, sizeof count, "%d", dv_cnt);
    plat::set_dlg_item_text(dlg, about_count, count);
}

}  // namespace

std::intptr_t Aboutwp(plat::Window dlg, unsigned msg, std::uintptr_t wp, std::intptr_t)
{
    if (msg == plat::WM_INITDIALOG) {
        char about_text[504];
        std::snprintf(about_text, sizeof about_text, "  %s",
                      make_style_string(0, ww_pos_size[0], ww_pos_size[1], ww_pos_size[2], ww_pos_size[3]));
        plat::set_dlg_item_text(dlg, about_settings, about_text);
        show_increment_count(dlg);
        hAbout = dlg;
        return 1;
    }
    if (msg == WM_DISP_UPDATE) {
        show_increment_count(dlg);
    } else if (msg == plat::WM_COMMAND && plat::loword(wp) == plat::IDCANCEL) {
        hAbout = nullptr;
        plat::end_dialog(dlg, plat::IDCANCEL);
    }
    return 0;
}

std::intptr_t Editwp(plat::Window dlg, unsigned msg, std::uintptr_t wp, std::intptr_t lp)
{
    if (msg == plat::WM_INITDIALOG) {
        shift_ww(dlg, "S");
        if (const HelpPage* page = help_page(lp))
            show_help_page(dlg, *page);
        return 1;
    }
    if (msg == plat::WM_COMMAND && plat::loword(wp) == plat::IDCANCEL)
        plat::destroy_window(dlg);
    return 0;
}

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

// ---- the ticker dialog ------------------------------------------------------------------

namespace {

enum : int {
    on_secs_edit = 1005,
    off_secs_edit = 1006,
    location_base = 1008,          // location n is button location_base + n
    first_location = location_base + 1,
    last_location = location_base + 9,
    middle_centre = location_base + 5,
};

int picked_loc = 0;         // 0 until a location is clicked
int initial_button = 0;     // the location button checked at opening

void show_seconds(plat::Window dlg, int id, int secs)
{
    char text[20];
    std::snprintf(text, sizeof text, "%d", secs);
    plat::set_dlg_item_text(dlg, id, text);
}

// An empty field, or one that is not a positive number, keeps the value.
void take_seconds(plat::Window dlg, int id, int* secs)
{
    char text[20];
    if (plat::get_dlg_item_text(dlg, id, text, sizeof text) == 0)
        return;
    if (const int typed = typed_step_secs(text))
        *secs = typed;
}

void preview(plat::Window dlg, int button, bool wait)
{
    const plat::Window clock = plat::get_parent(dlg);
    if (wait)
        plat::send_message(clock, plat::WM_COMMAND, CMD_TICKER_PREVIEW, button);
    else
        plat::post_message(clock, plat::WM_COMMAND, CMD_TICKER_PREVIEW, button);
}

void open_ticker(plat::Window dlg)
{
    shift_ww(dlg, "S");
    picked_loc = 0;
    if (ini_bits & ticker_on) {
        initial_button = location_base + (ini_bits & ticker_loc_mask);
        plat::set_dlg_item_text(dlg, DLG_DEFAULT_ACTION, "Keep ticker");
    } else {
        initial_button = middle_centre;
        plat::enable_dlg_item(dlg, DLG_REMOVE_TICKER, false);
    }
    plat::check_radio_button(dlg, first_location, last_location, initial_button);
    show_seconds(dlg, on_secs_edit, ticker_switch_at);
    show_seconds(dlg, off_secs_edit, ticker_off_for);
}

// Without a click the mark must still appear at the checked place before the ticker starts.
void start_ticker(plat::Window dlg)
{
    if (picked_loc == 0)
        preview(dlg, initial_button, true);
    take_seconds(dlg, on_secs_edit, &ticker_switch_at);
    take_seconds(dlg, off_secs_edit, &ticker_off_for);
}

}  // namespace

std::intptr_t Tickerwp(plat::Window dlg, unsigned msg, std::uintptr_t wp, std::intptr_t)
{
    if (msg == plat::WM_INITDIALOG) {
        open_ticker(dlg);
        return 1;
    }
    if (msg != plat::WM_COMMAND)
        return 0;
    const int id = int(plat::loword(wp));
    if (id >= first_location && id <= last_location) {
        picked_loc = id - location_base;
        preview(dlg, picked_loc, false);
        return 1;
    }
    if (id == DLG_DEFAULT_ACTION)
        start_ticker(dlg);
    else if (id != DLG_REMOVE_TICKER && id != DLG_CANCEL)
        return 0;
    plat::end_dialog(dlg, id);
    return 1;
}
