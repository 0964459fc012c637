// The colour picker, seeded with a colour and the 16 custom colours of the caller.
#include "internal.h"

#include <QColorDialog>
#include <QPointer>

namespace plat {

namespace {

std::function<bool(COLORREF&, COLORREF[16])> choose_color_hook;

QColor qcolor_of(COLORREF c)
{
    return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
}

COLORREF colorref_of(const QColor& c)
{
    return rgb(c.red(), c.green(), c.blue());
}

void lend_custom_colours(const COLORREF custom[16])
{
    for (int i = 0; i < 16; ++i)
        QColorDialog::setCustomColor(i, qcolor_of(custom[i]));
}

void take_back_custom_colours(COLORREF custom[16])
{
    for (int i = 0; i < 16; ++i)
        custom[i] = colorref_of(QColorDialog::customColor(i));
}

}  // namespace

bool choose_color(Window owner, COLORREF& colour, COLORREF custom[16])
{
    if (choose_color_hook)
        return choose_color_hook(colour, custom);
    if (custom != nullptr)
        lend_custom_colours(custom);
    // On the heap: an owner destroyed while the picker is open takes the picker with it.
    QPointer<QColorDialog> dlg = new QColorDialog(qcolor_of(colour), widget_of(owner));
    dlg->setOption(QColorDialog::DontUseNativeDialog);    // native pickers ignore the custom colours
    const bool picked = dlg->exec() == QDialog::Accepted;
    if (dlg.isNull())
        return false;
    // Colours the user added are kept even when the pick is cancelled.
    if (custom != nullptr)
        take_back_custom_colours(custom);
    if (picked)
        colour = colorref_of(dlg->selectedColor());
    delete dlg;
    return picked;
}

void set_choose_color_hook(std::function<bool(COLORREF& colour, COLORREF custom[16])> hook)
{
    choose_color_hook = std::move(hook);
}

}  // namespace plat
