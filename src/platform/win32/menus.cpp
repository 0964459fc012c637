// Menus from the MENU templates built into the program (res/menus.rc), with marks and graying.
#include "win32.h"

#include <deque>

namespace plat {
namespace {

// A handle stays valid as long as the program runs: menus are few and never let go.
std::deque<MenuObj> menus;

HMENU hmenu_of(Menu m) { return m != nullptr ? m->h : nullptr; }

bool has_item(HMENU h, int id) { return h != nullptr && GetMenuState(h, UINT(id), MF_BYCOMMAND) != UINT(-1); }

void collect_ids(HMENU h, std::vector<int>& ids)
{
    const int n = GetMenuItemCount(h);
    for (int i = 0; i < n; ++i) {
        MENUITEMINFOW info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_SUBMENU;
        if (!GetMenuItemInfoW(h, UINT(i), TRUE, &info))
            continue;
        if (info.hSubMenu != nullptr)
            collect_ids(info.hSubMenu, ids);
        else if (!(info.fType & MFT_SEPARATOR))
            ids.push_back(int(info.wID));
    }
}

}  // namespace

Menu load_menu(const char* name)
{
    if (name == nullptr)
        return nullptr;
    const HMENU h = LoadMenuW(instance(), wide(name).c_str());
    if (h == nullptr)
        return nullptr;
    MenuObj& m = menus.emplace_back();
    m.h = h;
    return &m;
}

// The templates are compiled into the program by the resource compiler; there is nothing to add at run time.
bool add_menu_templates(const char*) { return false; }

void check_menu_item(Menu m, int id, bool checked)
{
    if (has_item(hmenu_of(m), id))
        CheckMenuItem(m->h, UINT(id), MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
}

void enable_menu_item(Menu m, int id, bool enabled)
{
    if (has_item(hmenu_of(m), id))
        EnableMenuItem(m->h, UINT(id), MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
}

bool menu_item_checked(Menu m, int id)
{
    return has_item(hmenu_of(m), id) && (GetMenuState(m->h, UINT(id), MF_BYCOMMAND) & MF_CHECKED) != 0;
}

bool menu_item_enabled(Menu m, int id)
{
    return has_item(hmenu_of(m), id) &&
           (GetMenuState(m->h, UINT(id), MF_BYCOMMAND) & (MF_GRAYED | MF_DISABLED)) == 0;
}

std::string menu_item_text(Menu m, int id)
{
    const HMENU h = hmenu_of(m);
    if (!has_item(h, id))
        return std::string();
    const int n = GetMenuStringW(h, UINT(id), nullptr, 0, MF_BYCOMMAND);
    std::wstring text(std::size_t(n) + 1, L'\0');
    const int got = GetMenuStringW(h, UINT(id), text.data(), n + 1, MF_BYCOMMAND);
    return utf8(text.c_str(), got);
}

std::vector<int> menu_item_ids(Menu m)
{
    std::vector<int> ids;
    if (hmenu_of(m) != nullptr)
        collect_ids(m->h, ids);
    return ids;
}

// As a click would: a grayed item does nothing.
void trigger_menu_item(Window w, int id)
{
    const Menu m = get_menu(w);
    if (!has_item(hmenu_of(m), id) || !menu_item_enabled(m, id))
        return;
    send_message(w, WM_COMMAND, std::uintptr_t(id) & 0xFFFF, 0);
}

}  // namespace plat
