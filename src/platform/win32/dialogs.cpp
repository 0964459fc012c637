// Dialogs built by the system from the DIALOG templates in the program (res/dialogs.rc), driven by
// the program's dialog procedures through one trampoline.
#include "win32.h"

#include <cstring>

namespace plat {
namespace {

// Tells a dialog, once it is on the screen, to call the dialog hook.
constexpr UINT hook_message = WM_APP + 1;

std::function<void(Window, int)> dialog_hook;

// What WM_INITDIALOG needs to adopt the dialog: handed over as its creation parameter.
struct Launch {
    DlgProc proc;
    std::intptr_t param;
    bool modal;
    int template_id;
};

// A dialog without a procedure of its own closes with the button pressed.
std::intptr_t button_ends_dialog(Window dlg, unsigned msg, std::uintptr_t wp, std::intptr_t)
{
    if (msg == WM_COMMAND) {
        end_dialog(dlg, int(loword(wp)));
        return 1;
    }
    return msg == WM_INITDIALOG;
}

// What the program's dialog procedures hear of: clicks (notification 0), timers, its own
// messages and the end. Edit notifications and the like stay with the dialog manager.
bool reaches_dialog_proc(UINT msg, WPARAM wp)
{
    if (msg == WM_COMMAND)
        return HIWORD(wp) == 0;
    return msg == WM_TIMER || msg == WM_DESTROY || (msg >= WM_USER && msg < WM_APP);
}

Window adopt_dialog(HWND hdlg, const Launch& launch)
{
    Window w = adopt_window(hdlg);
    w->dialog = true;
    w->dlg_proc = launch.proc != nullptr ? launch.proc : button_ends_dialog;
    w->modeless = !launch.modal;
    w->template_id = launch.template_id;
    SetWindowLongPtrW(hdlg, GWLP_USERDATA, LONG_PTR(w));
    return w;
}

INT_PTR CALLBACK dialog_trampoline(HWND hdlg, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_INITDIALOG) {
        const auto* launch = reinterpret_cast<const Launch*>(lp);
        Window w = adopt_dialog(hdlg, *launch);
        const INT_PTR focus_first = w->dlg_proc(w, WM_INITDIALOG, 0, launch->param);
        // A modal dialog shows itself once its loop runs: the hook waits for that.
        if (launch->modal && dialog_hook && is_window(w) && !w->ended)
            PostMessageW(hdlg, hook_message, 0, 0);
        return focus_first;
    }
    Window w = window_of(hdlg);
    if (w == nullptr)
        return FALSE;
    if (msg == hook_message) {
        if (dialog_hook && !w->ended) {
            if (!IsWindowVisible(hdlg))
                ShowWindow(hdlg, SW_SHOW);
            dialog_hook(w, w->template_id);
        }
        return TRUE;
    }
    if (msg == WM_NCDESTROY) {
        forget_window(w);
        return FALSE;
    }
    if (!reaches_dialog_proc(msg, wp))
        return FALSE;
    // A control's own handle is Windows' business; the program gets 0 for it, as for any click.
    if (msg == WM_COMMAND && lp != 0 && IsChild(hdlg, reinterpret_cast<HWND>(lp)))
        lp = 0;
    const INT_PTR result = w->dlg_proc(w, msg, wp, lp);
    if (IsWindow(hdlg))
        SetWindowLongPtrW(hdlg, DWLP_MSGRESULT, result);
    return result;
}

std::wstring template_name_of(const char* template_name)
{
    return template_name != nullptr ? wide(template_name) : std::wstring();
}

HWND item(Window dlg, int id)
{
    HWND hdlg = hwnd_of(dlg);
    return hdlg != nullptr ? GetDlgItem(hdlg, id) : nullptr;
}

bool is_multiline_edit(HWND control)
{
    wchar_t cls[16] = {};
    GetClassNameW(control, cls, 16);
    return _wcsicmp(cls, L"Edit") == 0 && (GetWindowLongPtrW(control, GWL_STYLE) & ES_MULTILINE) != 0;
}

// A multi-line edit breaks lines only at CR LF.
std::wstring with_crlf(const std::wstring& text)
{
    std::wstring out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'\n' && (i == 0 || text[i - 1] != L'\r'))
            out += L'\r';
        out += text[i];
    }
    return out;
}

// Cuts on a character boundary, so a multi-byte character is never split.
std::size_t utf8_prefix(const std::string& bytes, std::size_t room)
{
    std::size_t n = bytes.size() < room ? bytes.size() : room;
    if (n < bytes.size())
        while (n > 0 && (static_cast<unsigned char>(bytes[n]) & 0xC0) == 0x80)
            --n;
    return n;
}

LONG_PTR style_of(HWND control) { return GetWindowLongPtrW(control, GWL_STYLE); }

// What an automatic radio button does on a click: it is checked, the others of its group are not.
void check_in_group(HWND hdlg, HWND radio)
{
    HWND first = radio;
    while (!(style_of(first) & WS_GROUP)) {
        HWND prev = GetWindow(first, GW_HWNDPREV);
        if (prev == nullptr)
            break;
        first = prev;
    }
    for (HWND c = first; c != nullptr; c = GetWindow(c, GW_HWNDNEXT)) {
        if (c != first && (style_of(c) & WS_GROUP))
            break;
        if ((style_of(c) & BS_TYPEMASK) == BS_AUTORADIOBUTTON)
            SendMessageW(c, BM_SETCHECK, c == radio ? BST_CHECKED : BST_UNCHECKED, 0);
    }
    (void)hdlg;
}

}  // namespace

int dialog_box(int template_id, const char* template_name, Window owner, DlgProc proc, std::intptr_t param)
{
    const Launch launch{proc, param, true, template_name != nullptr ? 0 : template_id};
    const std::wstring name = template_name_of(template_name);
    const LPCWSTR which = template_name != nullptr ? name.c_str() : MAKEINTRESOURCEW(template_id);
    return int(DialogBoxParamW(instance(), which, hwnd_of(owner), dialog_trampoline, LPARAM(&launch)));
}

Window create_dialog(int template_id, const char* template_name, Window owner, DlgProc proc, std::intptr_t param)
{
    const Launch launch{proc, param, false, template_name != nullptr ? 0 : template_id};
    const std::wstring name = template_name_of(template_name);
    const LPCWSTR which = template_name != nullptr ? name.c_str() : MAKEINTRESOURCEW(template_id);
    HWND hdlg = CreateDialogParamW(instance(), which, hwnd_of(owner), dialog_trampoline, LPARAM(&launch));
    Window w = window_of(hdlg);
    if (w == nullptr)
        return nullptr;
    if (!w->ended) {
        ShowWindow(hdlg, SW_SHOW);
        if (dialog_hook)
            dialog_hook(w, w->template_id);
    }
    return is_window(w) ? w : nullptr;
}

void end_dialog(Window dlg, int result)
{
    HWND hdlg = hwnd_of(dlg);
    if (hdlg == nullptr || !dlg->dialog)
        return;
    dlg->ended = true;
    if (dlg->modeless)
        DestroyWindow(hdlg);
    else
        EndDialog(hdlg, result);
}

// Templates are compiled into the program by the resource compiler; there is nothing to add at run time.
bool add_dialog_templates(const char*) { return false; }

void set_dlg_item_text(Window dlg, int id, const char* text)
{
    HWND control = item(dlg, id);
    if (control == nullptr)
        return;
    std::wstring w = wide(text);
    if (is_multiline_edit(control))
        w = with_crlf(w);
    SetWindowTextW(control, w.c_str());
}

int get_dlg_item_text(Window dlg, int id, char* buf, int max)
{
    if (buf == nullptr || max <= 0)
        return 0;
    buf[0] = '\0';
    HWND control = item(dlg, id);
    if (control == nullptr)
        return 0;
    std::wstring text(std::size_t(GetWindowTextLengthW(control)) + 1, L'\0');
    const int got = GetWindowTextW(control, text.data(), int(text.size()));
    const std::string bytes = utf8(text.c_str(), got);
    const std::size_t n = utf8_prefix(bytes, std::size_t(max - 1));
    std::memcpy(buf, bytes.data(), n);
    buf[n] = '\0';
    return int(n);
}

void check_dlg_button(Window dlg, int id, bool checked)
{
    if (HWND control = item(dlg, id))
        SendMessageW(control, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool is_dlg_button_checked(Window dlg, int id)
{
    HWND control = item(dlg, id);
    return control != nullptr && SendMessageW(control, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void check_radio_button(Window dlg, int first_id, int last_id, int id)
{
    if (HWND hdlg = hwnd_of(dlg))
        CheckRadioButton(hdlg, first_id, last_id, id);
}

void enable_dlg_item(Window dlg, int id, bool enabled)
{
    if (HWND control = item(dlg, id))
        EnableWindow(control, enabled ? TRUE : FALSE);
}

bool is_dlg_item_enabled(Window dlg, int id)
{
    HWND control = item(dlg, id);
    return control != nullptr && IsWindowEnabled(control);
}

void set_dlg_item_tabstops(Window dlg, int id, const int* stops, int n)
{
    HWND control = item(dlg, id);
    if (control == nullptr)
        return;
    static_assert(sizeof(int) == sizeof(UINT), "EM_SETTABSTOPS takes an array of unsigned ints");
    SendMessageW(control, EM_SETTABSTOPS, WPARAM(stops != nullptr && n > 0 ? n : 0), LPARAM(stops));
    InvalidateRect(control, nullptr, TRUE);
}

// What a click does, without the mouse (a click message would need the dialog to be active):
// an automatic button changes its mark, then the dialog hears of the click. A disabled or
// hidden button cannot be clicked.
void click_dlg_button(Window dlg, int id)
{
    HWND hdlg = hwnd_of(dlg);
    HWND control = item(dlg, id);
    if (control == nullptr || !IsWindowEnabled(control) || !(style_of(control) & WS_VISIBLE))
        return;
    const LONG_PTR type = style_of(control) & BS_TYPEMASK;
    if (type == BS_AUTOCHECKBOX)
        SendMessageW(control, BM_SETCHECK,
                     SendMessageW(control, BM_GETCHECK, 0, 0) == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED, 0);
    else if (type == BS_AUTORADIOBUTTON)
        check_in_group(hdlg, control);
    SendMessageW(hdlg, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), LPARAM(control));
}

void set_dialog_hook(std::function<void(Window dlg, int template_id)> hook) { dialog_hook = std::move(hook); }

}  // namespace plat
