// Windows as the clock's procedures see them: handles, messages, timers,
// geometry and the paint pass of the main window's client area.
#include "internal.h"

#include <QApplication>
#include <QDialog>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLayout>
#include <QMainWindow>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPointer>
#include <QTimer>
#include <QWindow>

#include <deque>
#include <map>

namespace plat {
namespace {

// Receives the messages posted to one window and owns its timers. It is not
// a child of the window's widgets, so that it can outlive them by a moment.
class Mailbox : public QObject {
public:
    explicit Mailbox(Window w) : owner(w) {}
    bool event(QEvent* e) override;
    Window owner;
};

}  // namespace

struct WindowObj {
    QPointer<QWidget> top;
    QPointer<QWidget> client;
    WndProc proc = nullptr;
    bool alive = false;
    bool destroying = false;
    bool caption = true;
    bool topmost = false;
    bool menu_visible = false;
    Menu menu = nullptr;
    Mailbox* mailbox = nullptr;
    std::map<int, QTimer*> timers;
    DCObj dc;
    // The whole-window rectangle asked for before the frame was known, and
    // the timer that looks for the frame until it comes or is given up.
    Rect wanted{};
    QTimer* frame_watch = nullptr;
    int frame_looks_left = 0;
};

namespace {

// Handles are never freed, so a stale one can never name a newer window.
std::deque<WindowObj> windows;
QPointer<QWidget> mouse_holder;

const QEvent::Type posted_type = QEvent::Type(QEvent::registerEventType());

struct PostedMessage : QEvent {
    PostedMessage(unsigned m, std::uintptr_t w, std::intptr_t l) : QEvent(posted_type), msg(m), wp(w), lp(l) {}
    unsigned msg;
    std::uintptr_t wp;
    std::intptr_t lp;
};

bool Mailbox::event(QEvent* e)
{
    if (e->type() != posted_type)
        return QObject::event(e);
    const auto* m = static_cast<PostedMessage*>(e);
    send_message(owner, m->msg, m->wp, m->lp);
    return true;
}

QRect qrect_of(const Rect& r)
{
    return QRect(QPoint(r.left, r.top), QSize(r.right - r.left, r.bottom - r.top));
}

Rect rect_of(const QRect& q)
{
    return {q.x(), q.y(), q.x() + q.width(), q.y() + q.height()};
}

unsigned mouse_flags(Qt::MouseButtons buttons, Qt::KeyboardModifiers mods)
{
    static const struct { Qt::MouseButton button; unsigned flag; } button_flags[] = {
        {Qt::LeftButton, MK_LBUTTON}, {Qt::RightButton, MK_RBUTTON}, {Qt::MiddleButton, MK_MBUTTON}};
    static const struct { Qt::KeyboardModifier mod; unsigned flag; } mod_flags[] = {
        {Qt::ShiftModifier, MK_SHIFT}, {Qt::ControlModifier, MK_CONTROL}};
    unsigned flags = 0;
    for (const auto& b : button_flags)
        if (buttons & b.button)
            flags |= b.flag;
    for (const auto& m : mod_flags)
        if (mods & m.mod)
            flags |= m.flag;
    return flags;
}

// The virtual key of a Qt key, 0 for keys the clock has no use for.
unsigned virtual_key(int key)
{
    if (key == Qt::Key_Escape)
        return VK_ESCAPE;
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24)
        return 0x70 + unsigned(key - Qt::Key_F1);
    if ((key >= Qt::Key_0 && key <= Qt::Key_9) || (key >= Qt::Key_A && key <= Qt::Key_Z))
        return unsigned(key);
    return 0;
}

unsigned char_code(const QKeyEvent* e)
{
    if (e->key() == Qt::Key_Escape)
        return VK_ESCAPE;
    const QString text = e->text();
    return text.isEmpty() ? 0 : unsigned(text.at(0).unicode());
}

// Keyboard messages as a Win32 window would receive them.
void deliver_key_press(Window w, const QKeyEvent* e)
{
    if (e->modifiers() & Qt::AltModifier) {
        if (unsigned vk = virtual_key(e->key()))
            send_message(w, WM_SYSKEYDOWN, vk, 0);
        return;
    }
    if (unsigned code = char_code(e))
        send_message(w, WM_CHAR, code, 0);
}

void deliver_key_release(Window w, const QKeyEvent* e)
{
    if (e->isAutoRepeat() || !(e->modifiers() & Qt::AltModifier))
        return;
    if (unsigned vk = virtual_key(e->key()))
        send_message(w, WM_SYSKEYUP, vk, 0);
}

void deliver_mouse(Window w, unsigned msg, const QMouseEvent* e)
{
    const QPoint p = e->position().toPoint();
    send_message(w, msg, mouse_flags(e->buttons(), e->modifiers()), make_lparam(p.x(), p.y()));
}

void paint_pass(Window w, QWidget* client, const QPaintEvent* e)
{
    QPainter painter(client);
    painter.setClipRegion(e->region());
    DCObj& dc = w->dc;
    dc.painter = &painter;
    dc.paint_rect = e->region().boundingRect();
    send_message(w, WM_ERASEBKGND, std::uintptr_t(&dc), 0);
    send_message(w, WM_PAINT, 0, 0);
    dc.painter = nullptr;
}

class ClientArea : public QWidget {
public:
    ClientArea()
    {
        setMouseTracking(true);
        setFocusPolicy(Qt::StrongFocus);
        // The window erases its own background when it paints: Qt need not fill it first.
        setAttribute(Qt::WA_OpaquePaintEvent);
    }
    Window handle = nullptr;

protected:
    void paintEvent(QPaintEvent* e) override
    {
        if (is_window(handle))
            paint_pass(handle, this, e);
    }
    void mousePressEvent(QMouseEvent* e) override
    {
        if (e->button() == Qt::LeftButton)
            deliver_mouse(handle, WM_LBUTTONDOWN, e);
    }
    void mouseReleaseEvent(QMouseEvent* e) override
    {
        if (e->button() == Qt::LeftButton)
            deliver_mouse(handle, WM_LBUTTONUP, e);
    }
    void mouseMoveEvent(QMouseEvent* e) override { deliver_mouse(handle, WM_MOUSEMOVE, e); }
};

// Read from the window system's own window each time: the frame comes and goes
// with the window manager's decorations, and a widget's cached frame lags behind.
QMargins frame_margins(const QWidget* top)
{
    if (const QWindow* native = top->windowHandle())
        return native->frameMargins();
    const QRect frame = top->frameGeometry();
    const QRect inner = top->geometry();
    return QMargins(inner.left() - frame.left(), inner.top() - frame.top(),
                    frame.right() - inner.right(), frame.bottom() - inner.bottom());
}

QRect inner_geometry(const QWidget* top)
{
    const QWindow* native = top->windowHandle();
    return native != nullptr ? native->geometry() : top->geometry();
}

bool frame_known(const QWidget* top)
{
    return !frame_margins(top).isNull();
}

// The inside is placed, not the frame, so that a rectangle read with
// window_rect and given back here lands exactly where it was, frame or not.
void place_whole_window(QWidget* top, const Rect& r)
{
    const QMargins m = frame_margins(top);
    top->setGeometry(r.left + m.left(), r.top + m.top(), std::max(1, r.right - r.left - m.left() - m.right()),
                     std::max(1, r.bottom - r.top - m.top() - m.bottom()));
}

// The window manager puts its frame round the window a moment after it shows,
// without moving the inside; the whole-window rectangle asked for is honoured
// once the frame is seen. Where none comes (no window manager, no
// decorations) the window stays as first placed.
constexpr int frame_look_ms = 20;
constexpr int frame_looks = 150;

void look_for_frame(Window w)
{
    const bool known = w->top && frame_known(w->top);
    if (known || --w->frame_looks_left <= 0)
        w->frame_watch->stop();
    if (known)
        place_whole_window(w->top, w->wanted);
}

void watch_for_frame(Window w, const Rect& r)
{
    w->wanted = r;
    w->frame_looks_left = frame_looks;
    if (w->frame_watch == nullptr) {
        w->frame_watch = new QTimer(w->mailbox);
        QObject::connect(w->frame_watch, &QTimer::timeout, w->mailbox, [w] { look_for_frame(w); });
    }
    w->frame_watch->start(frame_look_ms);
}

class ClockWindow : public QMainWindow {
public:
    Window handle = nullptr;

protected:
    // The window manager's close button: the procedure decides.
    void closeEvent(QCloseEvent* e) override
    {
        e->ignore();
        send_message(handle, WM_CLOSE, 0, 0);
    }
    void keyPressEvent(QKeyEvent* e) override { deliver_key_press(handle, e); }
    void keyReleaseEvent(QKeyEvent* e) override { deliver_key_release(handle, e); }
};

// A Wayland client neither knows nor sets where its windows are, and nothing
// there keeps a window above the others.
bool compositor_places_windows()
{
    return QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

// Without a caption the frame keeps its sizing border where the window manager
// draws it; Qt's own Wayland decoration is all or nothing.
Qt::WindowFlags top_flags(bool caption, bool topmost)
{
    Qt::WindowFlags flags = Qt::Window;
    if (!caption)
        flags |= compositor_places_windows() ? Qt::FramelessWindowHint : Qt::CustomizeWindowHint;
    if (topmost)
        flags |= Qt::WindowStaysOnTopHint;
    return flags;
}

// Flags change on the window that is already there: a window made anew would
// lose its place in the window manager's eyes and the keyboard with it.
void apply_flags(Window w)
{
    QWidget* top = w->top;
    const Qt::WindowFlags flags = top_flags(w->caption, w->topmost);
    // A frame that comes or goes now is not the one a placement was waiting for.
    if (w->frame_watch != nullptr)
        w->frame_watch->stop();
    QWindow* native = top->windowHandle();
    if (native == nullptr) {
        top->setWindowFlags(flags);
        return;
    }
    top->overrideWindowFlags(flags);
    native->setFlags(flags);
}

// The frame may be known as soon as the window shows, or only later when the
// window manager has put it on; either way the whole window ends up at r.
void show_whole_window(Window w, const Rect& r)
{
    if (w->frame_watch != nullptr)
        w->frame_watch->stop();
    place_whole_window(w->top, r);
    w->top->show();
    if (frame_known(w->top))
        place_whole_window(w->top, r);
    else
        watch_for_frame(w, r);
}

}  // namespace

// ---- registration ------------------------------------------------------------

Window register_window(QWidget* top, QWidget* client, WndProc proc)
{
    WindowObj& obj = windows.emplace_back();
    Window w = &obj;
    obj.top = top;
    obj.client = client;
    obj.proc = proc;
    obj.alive = true;
    obj.mailbox = new Mailbox(w);
    QObject::connect(top, &QObject::destroyed, [w] { unregister_window(w); });
    return w;
}

void unregister_window(Window w)
{
    if (!is_window(w))
        return;
    w->alive = false;
    for (auto& [id, timer] : w->timers)
        timer->stop();
    w->timers.clear();
    if (w->frame_watch != nullptr)
        w->frame_watch->stop();
    w->frame_watch = nullptr;
    // Deleting the mailbox also drops the messages still queued for it; later
    // would be too late if this runs inside one of its own deliveries.
    w->mailbox->deleteLater();
    w->mailbox = nullptr;
}

bool is_window(Window w)
{
    return w != nullptr && w->alive;
}

QWidget* widget_of(Window w)
{
    return is_window(w) ? w->top.data() : nullptr;
}

QWidget* client_widget_of(Window w)
{
    return is_window(w) ? w->client.data() : nullptr;
}

Window window_of(QWidget* top)
{
    for (WindowObj& obj : windows)
        if (obj.alive && obj.top == top)
            return &obj;
    return nullptr;
}

DC own_dc(Window w)
{
    return w != nullptr ? &w->dc : nullptr;
}

// ---- creation and destruction ----------------------------------------------------

// Qt keeps no classes of windows: only a refusal that tests ask for stands in the way.
bool register_window_class(const char*) { return !refused(Refusal::window_class); }

Window create_window(const WindowSpec& spec)
{
    auto* top = new ClockWindow;
    auto* client = new ClientArea;
    top->setCentralWidget(client);
    top->setWindowTitle(QString::fromUtf8(spec.title ? spec.title : ""));
    // The area that takes the keyboard is the clock itself to a screen reader.
    client->setAccessibleName(top->windowTitle());
    Window w = register_window(top, client, spec.proc);
    top->handle = w;
    client->handle = w;
    if (spec.menu != nullptr) {
        menu_bind(spec.menu, w);
        top->setMenuBar(menu_bar_of(spec.menu));
        w->menu = spec.menu;
        w->menu_visible = true;
    }
    place_whole_window(top, Rect{spec.x, spec.y, spec.x + spec.width, spec.y + spec.height});
    send_message(w, WM_CREATE, 0, 0);
    if (!is_window(w))
        return nullptr;
    // WM_CREATE may have placed the window itself.
    if (!top->isVisible())
        show_whole_window(w, Rect{spec.x, spec.y, spec.x + spec.width, spec.y + spec.height});
    return w;
}

void destroy_window(Window w)
{
    if (!is_window(w) || w->destroying)
        return;
    w->destroying = true;
    send_message(w, WM_DESTROY, 0, 0);
    QPointer<QWidget> top = w->top;
    unregister_window(w);
    if (top) {
        top->hide();
        // This may run inside one of the widget's own event handlers.
        top->deleteLater();
    }
}

std::intptr_t def_window_proc(Window w, unsigned msg, std::uintptr_t wp, std::intptr_t)
{
    if (msg == WM_CLOSE)
        destroy_window(w);
    else if (msg == WM_SYSKEYDOWN && wp == VK_F4)
        send_message(w, WM_CLOSE, 0, 0);
    return 0;
}

// ---- messages ---------------------------------------------------------------------

void post_message(Window w, unsigned msg, std::uintptr_t wp, std::intptr_t lp)
{
    if (is_window(w))
        QCoreApplication::postEvent(w->mailbox, new PostedMessage(msg, wp, lp));
}

std::intptr_t send_message(Window w, unsigned msg, std::uintptr_t wp, std::intptr_t lp)
{
    if (!is_window(w))
        return 0;
    if (w->proc == nullptr)
        return def_window_proc(w, msg, wp, lp);
    return w->proc(w, msg, wp, lp);
}

// ---- timers ------------------------------------------------------------------------

void set_timer(Window w, int id, int ms)
{
    if (!is_window(w))
        return;
    QTimer*& timer = w->timers[id];
    if (timer == nullptr) {
        timer = new QTimer(w->mailbox);
        timer->setTimerType(Qt::PreciseTimer);
        QObject::connect(timer, &QTimer::timeout, w->mailbox,
                         [w, id] { send_message(w, WM_TIMER, std::uintptr_t(id), 0); });
    }
    timer->start(std::max(0, ms));
}

void kill_timer(Window w, int id)
{
    if (!is_window(w))
        return;
    auto it = w->timers.find(id);
    if (it != w->timers.end())
        it->second->stop();
}

bool timer_active(Window w, int id)
{
    if (!is_window(w))
        return false;
    auto it = w->timers.find(id);
    return it != w->timers.end() && it->second->isActive();
}

int timer_interval(Window w, int id)
{
    return timer_active(w, id) ? w->timers[id]->interval() : -1;
}

// ---- painting -----------------------------------------------------------------------

void invalidate(Window w, const Rect* r)
{
    QWidget* client = client_widget_of(w);
    if (client == nullptr)
        return;
    if (r != nullptr)
        client->update(qrect_of(*r));
    else
        client->update();
}

DC begin_paint(Window w)
{
    return is_window(w) && w->dc.painter != nullptr ? &w->dc : nullptr;
}

DC window_dc(Window w)
{
    return is_window(w) ? &w->dc : nullptr;
}

// The pass ends when the paint event returns, whatever the procedure does.
void end_paint(Window, DC) {}

Rect paint_rect(DC dc)
{
    return dc != nullptr ? rect_of(dc->paint_rect) : Rect{0, 0, 0, 0};
}

bool fill_rect(DC dc, const Rect& r, COLORREF colour)
{
    if (refused(Refusal::brush))
        return false;
    if (dc == nullptr || dc->painter == nullptr)
        return true;
    dc->painter->fillRect(qrect_of(r), QColor(int(colour & 0xFF), int((colour >> 8) & 0xFF), int((colour >> 16) & 0xFF)));
    return true;
}

// ---- geometry and appearance ----------------------------------------------------------

// A dialog gets its frame only once it is shown, but it is placed before that:
// until then the frame of a window already shown stands in for its own.
namespace {
QMargins expected_frame(const QWidget* top)
{
    if (qobject_cast<const QDialog*>(top) == nullptr || frame_known(top))
        return {};
    for (const WindowObj& obj : windows)
        if (obj.alive && obj.caption && obj.top && obj.top->isVisible() && frame_known(obj.top))
            return frame_margins(obj.top);
    return {};
}
}  // namespace

Rect window_rect(Window w)
{
    QWidget* top = widget_of(w);
    if (top == nullptr)
        return Rect{0, 0, 0, 0};
    QRect whole = inner_geometry(top).marginsAdded(frame_margins(top));
    whole.setSize(whole.size().grownBy(expected_frame(top)));
    return rect_of(whole);
}

Rect client_rect(Window w)
{
    QWidget* client = client_widget_of(w);
    return client != nullptr ? Rect{0, 0, client->width(), client->height()} : Rect{0, 0, 0, 0};
}

void set_window_pos(Window w, int x, int y, int width, int height)
{
    QWidget* top = widget_of(w);
    if (top == nullptr)
        return;
    show_whole_window(w, Rect{x, y, x + width, y + height});
}

void set_topmost(Window w, bool topmost)
{
    if (!is_window(w) || w->topmost == topmost)
        return;
    w->topmost = topmost;
    apply_flags(w);
}

bool is_topmost(Window w)
{
    return is_window(w) && w->topmost;
}

void set_caption(Window w, bool shown)
{
    if (!is_window(w) || w->caption == shown)
        return;
    w->caption = shown;
    apply_flags(w);
}

bool has_caption(Window w)
{
    return is_window(w) && w->caption;
}

void set_menu_shown(Window w, bool shown)
{
    auto* top = qobject_cast<QMainWindow*>(widget_of(w));
    if (top == nullptr || w->menu == nullptr)
        return;
    w->menu_visible = shown;
    top->menuBar()->setVisible(shown);
    // Make the client's new size known at once, not at the next layout pass.
    if (top->layout() != nullptr)
        top->layout()->activate();
}

bool menu_shown(Window w)
{
    return is_window(w) && w->menu_visible;
}

Menu get_menu(Window w)
{
    return is_window(w) ? w->menu : nullptr;
}

void set_focus(Window w)
{
    QWidget* top = widget_of(w);
    if (top == nullptr)
        return;
    top->activateWindow();
    if (QWidget* client = client_widget_of(w))
        client->setFocus(Qt::OtherFocusReason);
}

void set_window_text(Window w, const char* text)
{
    if (QWidget* top = widget_of(w))
        top->setWindowTitle(QString::fromUtf8(text ? text : ""));
}

// On the window and on the area the clock paints in, which holds the keyboard
// focus: a screen reader reads the description of whichever it has reached.
// Qt announces the change (QAccessible::DescriptionChanged) itself, and only a change.
void set_accessible_description(Window w, const char* text)
{
    const QString description = QString::fromUtf8(text ? text : "");
    for (QWidget* widget : {widget_of(w), client_widget_of(w)})
        if (widget != nullptr && widget->accessibleDescription() != description)
            widget->setAccessibleDescription(description);
}

std::string window_text(Window w)
{
    QWidget* top = widget_of(w);
    return top != nullptr ? top->windowTitle().toStdString() : std::string();
}

Window get_parent(Window w)
{
    QWidget* top = widget_of(w);
    if (top == nullptr || top->parentWidget() == nullptr)
        return nullptr;
    return window_of(top->parentWidget()->window());
}

bool start_system_move(Window w)
{
    QWidget* top = widget_of(w);
    QWindow* native = top != nullptr ? top->windowHandle() : nullptr;
    return native != nullptr && compositor_places_windows() && native->startSystemMove();
}

bool can_stay_on_top()
{
    return !compositor_places_windows();
}

void capture_mouse(Window w)
{
    QWidget* client = client_widget_of(w);
    if (client == nullptr)
        return;
    client->grabMouse();
    mouse_holder = client;
}

void release_mouse()
{
    if (mouse_holder)
        mouse_holder->releaseMouse();
    mouse_holder = nullptr;
}

}  // namespace plat
