// Modal message boxes, and the hook that lets tests answer them unseen.
#include "internal.h"

#include <QMessageBox>

namespace plat {
namespace {

std::function<int(const MessageBoxCall&)> box_hook;

QMessageBox::Icon icon_of(unsigned flags)
{
    static const struct { unsigned flag; QMessageBox::Icon icon; } icons[] = {
        {MB_ICONSTOP, QMessageBox::Critical},
        {MB_ICONQUESTION, QMessageBox::Question},
        {MB_ICONEXCLAMATION, QMessageBox::Warning},
        {MB_ICONINFORMATION, QMessageBox::Information},
    };
    for (const auto& i : icons)
        if ((flags & 0xF0) == i.flag)
            return i.icon;
    return QMessageBox::NoIcon;
}

bool asks_yes_no(unsigned flags)
{
    return (flags & 0x0F) == MB_YESNO;
}

int show_box(Window owner, const char* text, const char* caption, unsigned flags)
{
    const QMessageBox::StandardButtons buttons =
        asks_yes_no(flags) ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok;
    QMessageBox box(icon_of(flags), QString::fromUtf8(caption), QString::fromUtf8(text), buttons, widget_of(owner));
    box.setTextFormat(Qt::PlainText);
    box.setWindowModality(Qt::ApplicationModal);
    const int pressed = box.exec();
    if (!asks_yes_no(flags))
        return IDOK;
    // Closing a yes/no box any other way counts as no.
    return pressed == QMessageBox::Yes ? IDYES : IDNO;
}

}  // namespace

int message_box(Window owner, const char* text, const char* caption, unsigned flags)
{
    text = text != nullptr ? text : "";
    caption = caption != nullptr ? caption : "";
    if (box_hook)
        return box_hook(MessageBoxCall{owner, text, caption, flags});
    return show_box(owner, text, caption, flags);
}

void set_message_box_hook(std::function<int(const MessageBoxCall&)> hook)
{
    box_hook = std::move(hook);
}

}  // namespace plat
