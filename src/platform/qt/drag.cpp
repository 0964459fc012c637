// The outline that follows the cursor while the clock is dragged: a window of
// its own above everything, so the screen under it is never drawn on.
#include "internal.h"

#include <QPainter>
#include <QPointer>
#include <QRegion>
#include <QWidget>

namespace plat {
namespace {

class OutlineWindow : public QWidget {
public:
    OutlineWindow()
        : QWidget(nullptr, Qt::Window | Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                               Qt::X11BypassWindowManagerHint | Qt::WindowTransparentForInput |
                               Qt::WindowDoesNotAcceptFocus)
    {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_ShowWithoutActivating);
    }
    QColor colour;

protected:
    void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(rect(), colour); }
};

QPointer<OutlineWindow> outline;
bool shown = false;
Rect shown_at{};

// The frame lies inside the rectangle; the mask leaves its inside see-through
// even where no compositor blends windows.
QRegion frame_region(QSize size, int pen_width)
{
    const QRect whole(QPoint(0, 0), size);
    const QRect inside = whole.adjusted(pen_width, pen_width, -pen_width, -pen_width);
    return inside.isEmpty() ? QRegion(whole) : QRegion(whole).subtracted(QRegion(inside));
}

}  // namespace

void drag_outline_show(const Rect& r, int pen_width, COLORREF colour)
{
    const QRect area(QPoint(r.left, r.top), QSize(r.right - r.left, r.bottom - r.top));
    if (area.isEmpty()) {
        drag_outline_hide();
        return;
    }
    if (!outline)
        outline = new OutlineWindow;
    outline->colour = QColor(int(colour & 0xFF), int((colour >> 8) & 0xFF), int((colour >> 16) & 0xFF));
    outline->setGeometry(area);
    outline->setMask(frame_region(area.size(), std::max(1, pen_width)));
    outline->show();
    outline->raise();
    outline->update();
    shown = true;
    shown_at = r;
}

void drag_outline_hide()
{
    if (outline)
        outline->hide();
    shown = false;
}

bool drag_outline_visible(Rect* where)
{
    if (shown && where != nullptr)
        *where = shown_at;
    return shown;
}

}  // namespace plat
