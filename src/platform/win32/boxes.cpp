// Message boxes and the colour picker, each with the hook that lets tests answer unseen.
#include "win32.h"

#include <commdlg.h>

namespace plat {
namespace {

std::function<int(const MessageBoxCall&)> box_hook;
std::function<bool(COLORREF&, COLORREF[16])> choose_color_hook;

}  // namespace

int message_box(Window owner, const char* text, const char* caption, unsigned flags)
{
    text = text != nullptr ? text : "";
    caption = caption != nullptr ? caption : "";
    if (box_hook)
        return box_hook(MessageBoxCall{owner, text, caption, flags});
    const int pressed = MessageBoxW(hwnd_of(owner), wide(text).c_str(), wide(caption).c_str(), flags);
    if ((flags & 0x0F) == MB_YESNO)
        return pressed == IDYES ? IDYES : IDNO;
    return IDOK;
}

void set_message_box_hook(std::function<int(const MessageBoxCall&)> hook) { box_hook = std::move(hook); }

// Opened on the colour and with the caller's 16 custom colours, fully open so that they can be defined.
bool choose_color(Window owner, COLORREF& colour, COLORREF custom[16])
{
    if (choose_color_hook)
        return choose_color_hook(colour, custom);
    ::COLORREF boxes[16];
    for (int i = 0; i < 16; ++i)
        boxes[i] = custom != nullptr ? ::COLORREF(custom[i] & 0x00FFFFFF) : RGB(255, 255, 255);
    CHOOSECOLORW cc{};
    cc.lStructSize = sizeof cc;
    cc.hwndOwner = hwnd_of(owner);
    cc.rgbResult = ::COLORREF(colour & 0x00FFFFFF);
    cc.lpCustColors = boxes;
    cc.Flags = CC_RGBINIT | CC_FULLOPEN;
    const bool picked = ChooseColorW(&cc) != 0;
    // Colours the user added are kept even when the pick is cancelled.
    if (custom != nullptr)
        for (int i = 0; i < 16; ++i)
            custom[i] = COLORREF(boxes[i]);
    if (picked)
        colour = COLORREF(cc.rgbResult);
    return picked;
}

void set_choose_color_hook(std::function<bool(COLORREF& colour, COLORREF custom[16])> hook)
{
    choose_color_hook = std::move(hook);
}

}  // namespace plat
