// Dialogs made from templates in the resource-script DIALOG form, laid out in
// dialog units and driven by a dialog procedure, modal or modeless.
#include "internal.h"
#include "rc_lexer.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QDialog>
#include <QFile>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QTextOption>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <map>

namespace plat {

namespace {

// ---- style words ---------------------------------------------------------------
enum : std::uint32_t {
    WS_VISIBLE = 0x10000000, WS_DISABLED = 0x08000000, WS_BORDER = 0x00800000,
    WS_VSCROLL = 0x00200000, WS_HSCROLL = 0x00100000, WS_GROUP = 0x00020000, WS_TABSTOP = 0x00010000,
    DS_CENTER = 0x0800,
    ES_CENTER = 0x0001, ES_RIGHT = 0x0002, ES_MULTILINE = 0x0004, ES_PASSWORD = 0x0020,
    ES_AUTOHSCROLL = 0x0080, ES_READONLY = 0x0800, ES_NUMBER = 0x2000,
    BS_TYPEMASK = 0x000F, BS_DEFPUSHBUTTON = 0x0001,
};

struct NamedValue {
    const char* name;
    std::uint32_t value;
};

// The names a template may use in a style or in place of a number.
const NamedValue named_values[] = {
    {"WS_OVERLAPPED", 0}, {"WS_POPUP", 0x80000000}, {"WS_CHILD", 0x40000000}, {"WS_VISIBLE", WS_VISIBLE},
    {"WS_DISABLED", WS_DISABLED}, {"WS_CAPTION", 0x00C00000}, {"WS_BORDER", WS_BORDER},
    {"WS_DLGFRAME", 0x00400000}, {"WS_VSCROLL", WS_VSCROLL}, {"WS_HSCROLL", WS_HSCROLL},
    {"WS_SYSMENU", 0x00080000}, {"WS_THICKFRAME", 0x00040000}, {"WS_GROUP", WS_GROUP},
    {"WS_TABSTOP", WS_TABSTOP}, {"WS_MINIMIZEBOX", 0x00020000}, {"WS_MAXIMIZEBOX", 0x00010000},
    {"WS_EX_DLGMODALFRAME", 0x0001}, {"WS_EX_TOPMOST", 0x0008}, {"WS_EX_TRANSPARENT", 0x0020},
    {"WS_EX_TOOLWINDOW", 0x0080}, {"WS_EX_CLIENTEDGE", 0x0200}, {"WS_EX_STATICEDGE", 0x00020000},
    {"DS_ABSALIGN", 0x0001}, {"DS_SYSMODAL", 0x0002}, {"DS_3DLOOK", 0x0004}, {"DS_FIXEDSYS", 0x0008},
    {"DS_SETFONT", 0x0040}, {"DS_SHELLFONT", 0x0048}, {"DS_MODALFRAME", 0x0080}, {"DS_NOIDLEMSG", 0x0100},
    {"DS_SETFOREGROUND", 0x0200}, {"DS_CONTROL", 0x0400}, {"DS_CENTER", DS_CENTER},
    {"DS_CENTERMOUSE", 0x1000}, {"DS_CONTEXTHELP", 0x2000},
    {"ES_LEFT", 0}, {"ES_CENTER", ES_CENTER}, {"ES_RIGHT", ES_RIGHT}, {"ES_MULTILINE", ES_MULTILINE},
    {"ES_UPPERCASE", 0x0008}, {"ES_LOWERCASE", 0x0010}, {"ES_PASSWORD", ES_PASSWORD},
    {"ES_AUTOVSCROLL", 0x0040}, {"ES_AUTOHSCROLL", ES_AUTOHSCROLL}, {"ES_NOHIDESEL", 0x0100},
    {"ES_OEMCONVERT", 0x0400}, {"ES_READONLY", ES_READONLY}, {"ES_WANTRETURN", 0x1000},
    {"ES_NUMBER", ES_NUMBER},
    {"SS_LEFT", 0}, {"SS_CENTER", 0x0001}, {"SS_RIGHT", 0x0002}, {"SS_ICON", 0x0003},
    {"SS_LEFTNOWORDWRAP", 0x000C}, {"SS_NOPREFIX", 0x0080}, {"SS_NOTIFY", 0x0100}, {"SS_SUNKEN", 0x1000},
    {"BS_PUSHBUTTON", 0}, {"BS_DEFPUSHBUTTON", BS_DEFPUSHBUTTON}, {"BS_CHECKBOX", 0x0002},
    {"BS_AUTOCHECKBOX", 0x0003}, {"BS_RADIOBUTTON", 0x0004}, {"BS_GROUPBOX", 0x0007},
    {"BS_AUTORADIOBUTTON", 0x0009}, {"BS_LEFTTEXT", 0x0020}, {"BS_LEFT", 0x0100}, {"BS_RIGHT", 0x0200},
    {"BS_CENTER", 0x0300}, {"BS_MULTILINE", 0x2000}, {"BS_FLAT", 0x8000},
    {"IDOK", 1}, {"IDCANCEL", 2}, {"IDABORT", 3}, {"IDRETRY", 4}, {"IDIGNORE", 5}, {"IDYES", 6},
    {"IDNO", 7}, {"IDC_STATIC", 0xFFFFFFFF},
};

// Load options RC accepts after DIALOG; they mean nothing here.
const char* const memory_options[] = {
    "DISCARDABLE", "MOVEABLE", "FIXED", "PURE", "IMPURE", "PRELOAD", "LOADONCALL", "SHARED", "NONSHARED",
};

bool same_word(const std::string& a, const char* b)
{
    const std::size_t n = std::strlen(b);
    if (a.size() != n)
        return false;
    for (std::size_t i = 0; i < n; ++i)
        if (std::toupper((unsigned char)a[i]) != std::toupper((unsigned char)b[i]))
            return false;
    return true;
}

const NamedValue* find_named_value(const std::string& word)
{
    for (const NamedValue& nv : named_values)
        if (same_word(word, nv.name))
            return &nv;
    return nullptr;
}

bool is_memory_option(const std::string& word)
{
    for (const char* option : memory_options)
        if (same_word(word, option))
            return true;
    return false;
}

// ---- templates ---------------------------------------------------------------------
enum class CtlKind { text, edit, button, radio, check, group, icon };

struct KindInfo {
    const char* keyword;
    CtlKind kind;
    bool has_text;            // the text comes before the identifier
    int numbers_needed;       // identifier and coordinates that must follow
    std::uint32_t default_style;
    Qt::Alignment align;
};

const KindInfo kinds[] = {
    {"LTEXT", CtlKind::text, true, 5, 0, Qt::AlignLeft},
    {"CTEXT", CtlKind::text, true, 5, 0, Qt::AlignHCenter},
    {"RTEXT", CtlKind::text, true, 5, 0, Qt::AlignRight},
    {"EDITTEXT", CtlKind::edit, false, 5, WS_TABSTOP | WS_BORDER, Qt::AlignLeft},
    {"PUSHBUTTON", CtlKind::button, true, 5, WS_TABSTOP, Qt::AlignHCenter},
    {"DEFPUSHBUTTON", CtlKind::button, true, 5, WS_TABSTOP | BS_DEFPUSHBUTTON, Qt::AlignHCenter},
    {"AUTORADIOBUTTON", CtlKind::radio, true, 5, WS_TABSTOP, Qt::AlignLeft},
    {"AUTOCHECKBOX", CtlKind::check, true, 5, WS_TABSTOP, Qt::AlignLeft},
    {"GROUPBOX", CtlKind::group, true, 5, 0, Qt::AlignLeft},
    {"ICON", CtlKind::icon, true, 3, 0, Qt::AlignLeft},
};

const KindInfo* find_kind(const std::string& word)
{
    for (const KindInfo& k : kinds)
        if (same_word(word, k.keyword))
            return &k;
    return nullptr;
}

struct CtlTemplate {
    const KindInfo* info;
    std::string text;
    int id;
    int x, y, cx, cy;
    std::uint32_t style;
};

struct DlgTemplate {
    int number = 0;            // used when name is empty
    std::string name;
    std::string caption;
    int font_pt = 0;
    std::string font_face;
    int x = 0, y = 0, cx = 0, cy = 0;
    std::uint32_t style = 0;
    std::vector<CtlTemplate> controls;
};

// ---- parsing -------------------------------------------------------------------------------
struct Parser {
    std::vector<RcToken> tokens;
    std::size_t at = 0;

    const RcToken& peek() const { return tokens[at]; }
    const RcToken& take() { return tokens[at < tokens.size() - 1 ? at++ : at]; }
    bool peek_word(const char* w) const { return peek().kind == RcToken::word && same_word(peek().text, w); }
};

// One argument: a string, or numbers and names joined by "|", where
// "NOT name" takes bits away from the control's default style.
struct Arg {
    bool is_string = false;
    std::string text;
    std::uint32_t set = 0, clear = 0;
    int number() const { return int(std::int32_t(set)); }
};

bool parse_term(Parser& ps, Arg& arg)
{
    const bool negate = ps.peek_word("NOT");
    if (negate)
        ps.take();
    const RcToken& t = ps.take();
    std::uint32_t v = 0;
    if (t.kind == RcToken::number) {
        v = t.value;
    } else if (t.kind == RcToken::word) {
        const NamedValue* nv = find_named_value(t.text);
        if (nv == nullptr)
            return false;
        v = nv->value;
    } else {
        return false;
    }
    if (negate)
        arg.clear |= v;
    else
        arg.set |= v;
    return true;
}

bool parse_arg(Parser& ps, Arg& arg)
{
    if (ps.peek().kind == RcToken::string) {
        arg.is_string = true;
        arg.text = ps.take().text;
        return true;
    }
    if (!parse_term(ps, arg))
        return false;
    while (ps.peek().kind == RcToken::bar) {
        ps.take();
        if (!parse_term(ps, arg))
            return false;
    }
    return true;
}

bool parse_args(Parser& ps, std::vector<Arg>& args)
{
    for (;;) {
        args.emplace_back();
        if (!parse_arg(ps, args.back()))
            return false;
        if (ps.peek().kind != RcToken::comma)
            return true;
        ps.take();
    }
}

bool all_numbers(const std::vector<Arg>& args, std::size_t from)
{
    for (std::size_t i = from; i < args.size(); ++i)
        if (args[i].is_string)
            return false;
    return true;
}

std::uint32_t styled(std::uint32_t defaults, const Arg* arg)
{
    return arg == nullptr ? defaults : (defaults & ~arg->clear) | arg->set;
}

bool parse_control(Parser& ps, const KindInfo& kind, CtlTemplate& c)
{
    std::vector<Arg> args;
    if (!parse_args(ps, args))
        return false;
    const std::size_t first = kind.has_text ? 1 : 0;
    const int numbers = int(args.size() - first);
    if (numbers < kind.numbers_needed || numbers > 8 || !all_numbers(args, first))
        return false;
    if (kind.has_text && kind.kind != CtlKind::icon && !args[0].is_string)
        return false;
    auto num = [&](int i) { return i < numbers ? args[first + i].number() : 0; };
    c.info = &kind;
    c.text = kind.has_text && args[0].is_string && kind.kind != CtlKind::icon ? args[0].text : std::string();
    c.id = num(0);
    c.x = num(1);
    c.y = num(2);
    c.cx = num(3);
    c.cy = num(4);
    c.style = styled(WS_VISIBLE | kind.default_style, numbers > 5 ? &args[first + 5] : nullptr);
    return true;
}

bool parse_controls(Parser& ps, DlgTemplate& t)
{
    if (!ps.peek_word("BEGIN"))
        return false;
    ps.take();
    while (!ps.peek_word("END")) {
        const RcToken& keyword = ps.take();
        const KindInfo* kind = keyword.kind == RcToken::word ? find_kind(keyword.text) : nullptr;
        if (kind == nullptr)
            return false;
        t.controls.emplace_back();
        if (!parse_control(ps, *kind, t.controls.back()))
            return false;
    }
    ps.take();
    return true;
}

bool parse_caption(Parser& ps, DlgTemplate& t)
{
    if (ps.peek().kind != RcToken::string)
        return false;
    t.caption = ps.take().text;
    return true;
}

bool parse_font(Parser& ps, DlgTemplate& t)
{
    std::vector<Arg> args;
    if (!parse_args(ps, args) || args.size() < 2 || args[0].is_string || !args[1].is_string)
        return false;
    t.font_pt = args[0].number();
    t.font_face = args[1].text;
    return true;
}

bool parse_style(Parser& ps, DlgTemplate& t)
{
    Arg arg;
    if (!parse_arg(ps, arg) || arg.is_string)
        return false;
    t.style = arg.set & ~arg.clear;
    return true;
}

bool skip_arg(Parser& ps, DlgTemplate&)
{
    Arg arg;
    return parse_arg(ps, arg);
}

bool skip_args(Parser& ps, DlgTemplate&)
{
    std::vector<Arg> args;
    return parse_args(ps, args);
}

bool skip_name(Parser& ps, DlgTemplate&)
{
    return ps.take().kind != RcToken::end;
}

struct OptionStatement {
    const char* keyword;
    bool (*parse)(Parser&, DlgTemplate&);
};

const OptionStatement option_statements[] = {
    {"CAPTION", parse_caption}, {"FONT", parse_font}, {"STYLE", parse_style}, {"EXSTYLE", skip_arg},
    {"LANGUAGE", skip_args}, {"CHARACTERISTICS", skip_arg}, {"VERSION", skip_arg},
    {"MENU", skip_name}, {"CLASS", skip_name},
};

bool parse_options(Parser& ps, DlgTemplate& t)
{
    while (!ps.peek_word("BEGIN")) {
        const RcToken& keyword = ps.take();
        const OptionStatement* found = nullptr;
        for (const OptionStatement& o : option_statements)
            if (keyword.kind == RcToken::word && same_word(keyword.text, o.keyword))
                found = &o;
        if (found == nullptr || !found->parse(ps, t))
            return false;
    }
    return true;
}

bool parse_header(Parser& ps, DlgTemplate& t)
{
    const RcToken& name = ps.take();
    if (name.kind == RcToken::number)
        t.number = int(std::int32_t(name.value));
    else if (name.kind == RcToken::word || name.kind == RcToken::string)
        t.name = name.text;
    else
        return false;
    if (!ps.peek_word("DIALOG") && !ps.peek_word("DIALOGEX"))
        return false;
    ps.take();
    while (ps.peek().kind == RcToken::word && is_memory_option(ps.peek().text))
        ps.take();
    std::vector<Arg> args;
    if (!parse_args(ps, args) || args.size() < 4 || args.size() > 5 || !all_numbers(args, 0))
        return false;
    t.x = args[0].number();
    t.y = args[1].number();
    t.cx = args[2].number();
    t.cy = args[3].number();
    return true;
}

bool parse_template(Parser& ps, DlgTemplate& t)
{
    return parse_header(ps, t) && parse_options(ps, t) && parse_controls(ps, t);
}

// All or nothing: a text with one bad template adds none.
bool parse_templates(const char* text, std::vector<DlgTemplate>& out)
{
    Parser ps;
    int error_line = 0;
    if (!rc_tokenize(text, RcDialect::dialog, ps.tokens, error_line)) {
        qWarning("dialog templates: cannot read line %d", error_line);
        return false;
    }
    while (ps.peek().kind != RcToken::end) {
        out.emplace_back();
        if (!parse_template(ps, out.back())) {
            qWarning("dialog templates: error on line %d", ps.peek().line);
            return false;
        }
    }
    return true;
}

// ---- the template store ----------------------------------------------------------------------
std::vector<DlgTemplate> store;
bool builtin_loaded = false;

bool same_key(const DlgTemplate& a, const DlgTemplate& b)
{
    return a.name.empty() ? b.name.empty() && a.number == b.number : same_word(b.name, a.name.c_str());
}

// A later template of the same number or name replaces the earlier one.
void merge_templates(std::vector<DlgTemplate>& added)
{
    for (DlgTemplate& t : added) {
        auto old = std::find_if(store.begin(), store.end(), [&](const DlgTemplate& s) { return same_key(s, t); });
        if (old != store.end())
            *old = std::move(t);
        else
            store.push_back(std::move(t));
    }
}

void load_builtin_templates()
{
    if (builtin_loaded)
        return;
    builtin_loaded = true;
    QFile file(QStringLiteral(":/res/dialogs.rc"));
    if (!file.open(QIODevice::ReadOnly)) {
        qWarning("dialog templates: :/res/dialogs.rc is missing");
        return;
    }
    std::vector<DlgTemplate> parsed;
    if (parse_templates(file.readAll().constData(), parsed))
        merge_templates(parsed);
}

const DlgTemplate* find_template(int number, const char* name)
{
    load_builtin_templates();
    const bool by_name = name != nullptr && name[0] != '\0';
    for (const DlgTemplate& t : store)
        if (by_name ? same_word(t.name, name) : t.name.empty() && t.number == number)
            return &t;
    return nullptr;
}

// ---- the dialog window ---------------------------------------------------------------------------
struct DlgItem {
    int id;
    CtlKind kind;
    QWidget* widget;
    QString text;              // a static's text as given, "&" marks included
};

class HostDialog : public QDialog {
public:
    HostDialog(QWidget* owner, bool is_modal) : QDialog(owner), modal(is_modal) {}
    ~HostDialog() override;

    Window handle = nullptr;
    const bool modal;
    bool ended = false;
    int end_result = 0;
    int base_x = 1, base_y = 1;    // pixels per 4 horizontal and per 8 vertical dialog units
    std::vector<DlgItem> items;

    // Esc, and closing from the title bar, ask the procedure to cancel.
    void reject() override;

protected:
    void keyPressEvent(QKeyEvent* e) override;
    bool focusNextPrevChild(bool next) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void press_default_button();
};

int mul_div(int units, int base, int per)
{
    const long long v = (long long)units * base;
    return int((v >= 0 ? v + per / 2 : v - per / 2) / per);
}

int px_x(const HostDialog& d, int units) { return mul_div(units, d.base_x, 4); }
int px_y(const HostDialog& d, int units) { return mul_div(units, d.base_y, 8); }

HostDialog* host_of(Window w)
{
    return w != nullptr ? dynamic_cast<HostDialog*>(widget_of(w)) : nullptr;
}

DlgItem* item_of(Window dlg, int id)
{
    HostDialog* host = host_of(dlg);
    if (host == nullptr)
        return nullptr;
    for (DlgItem& item : host->items)
        if (item.id == id)
            return &item;
    return nullptr;
}

QAbstractButton* button_of(Window dlg, int id)
{
    DlgItem* item = item_of(dlg, id);
    return item != nullptr ? qobject_cast<QAbstractButton*>(item->widget) : nullptr;
}

void send_command(Window w, int id)
{
    if (w != nullptr)
        send_message(w, WM_COMMAND, std::uintptr_t(id) & 0xFFFF, 0);
}

HostDialog::~HostDialog()
{
    if (handle != nullptr && window_of(this) == handle)
        unregister_window(handle);
}

void HostDialog::reject()
{
    send_command(handle, IDCANCEL);
}

bool is_enter(const QKeyEvent* e)
{
    return (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) && e->modifiers() == Qt::NoModifier;
}

void HostDialog::press_default_button()
{
    auto* focused = qobject_cast<QPushButton*>(focusWidget());
    if (focused != nullptr && focused->isEnabled()) {
        focused->click();
        return;
    }
    for (const DlgItem& item : items) {
        auto* b = qobject_cast<QPushButton*>(item.widget);
        if (b != nullptr && b->isDefault()) {
            if (b->isEnabled())
                b->click();
            return;
        }
    }
    send_command(handle, IDOK);
}

// Only a modal dialog has keyboard handling of its own; the program's loop
// does none for a modeless one, where just the space bar on a button works.
void HostDialog::keyPressEvent(QKeyEvent* e)
{
    if (!modal) {
        e->ignore();
    } else if (is_enter(e)) {
        press_default_button();
    } else {
        QDialog::keyPressEvent(e);
    }
}

// A radio group is one stop for Tab: its checked button, or its first when none
// is checked; the arrow keys move within it.
bool is_tab_stop(QWidget* w, QWidget* from)
{
    auto* radio = qobject_cast<QRadioButton*>(w);
    QButtonGroup* group = radio != nullptr ? radio->group() : nullptr;
    if (group == nullptr)
        return true;
    auto* from_button = qobject_cast<QAbstractButton*>(from);
    if (from_button != nullptr && from_button->group() == group)
        return false;
    QAbstractButton* checked = group->checkedButton();
    return radio == (checked != nullptr ? checked : group->buttons().first());
}

int arrow_step(int key)
{
    if (key == Qt::Key_Down || key == Qt::Key_Right)
        return 1;
    return key == Qt::Key_Up || key == Qt::Key_Left ? -1 : 0;
}

// The arrow keys walk round a radio group in template order, checking as they go.
void move_in_group(QAbstractButton* from, int step)
{
    const QList<QAbstractButton*> buttons = from->group()->buttons();
    const int n = int(buttons.size());
    const int at = int(buttons.indexOf(from));
    for (int k = 1; k < n; ++k) {
        QAbstractButton* b = buttons[((at + step * k) % n + n) % n];
        if (b->isEnabled() && !b->isHidden()) {
            b->setFocus(Qt::TabFocusReason);
            b->click();
            return;
        }
    }
}

bool HostDialog::eventFilter(QObject* watched, QEvent* e)
{
    auto* radio = qobject_cast<QRadioButton*>(watched);
    if (e->type() != QEvent::KeyPress || radio == nullptr || radio->group() == nullptr)
        return QDialog::eventFilter(watched, e);
    const int step = arrow_step(static_cast<QKeyEvent*>(e)->key());
    if (step != 0)
        move_in_group(radio, step);
    return step != 0;
}

bool HostDialog::focusNextPrevChild(bool next)
{
    if (!modal)
        return true;
    QWidget* from = focusWidget();
    for (std::size_t tries = 0; tries < items.size(); ++tries)
        if (!QDialog::focusNextPrevChild(next) || is_tab_stop(focusWidget(), from))
            break;
    return true;
}

// ---- controls ---------------------------------------------------------------------------------------
// Statics show "&x" as x and "&&" as "&".
QString without_mnemonics(const QString& text)
{
    QString out;
    for (int i = 0; i < text.size(); ++i) {
        if (text[i] == QLatin1Char('&') && i + 1 < text.size())
            ++i;
        out += text[i];
    }
    return out;
}

QString with_crlf(QString text) { return text.replace(QLatin1Char('\n'), QLatin1String("\r\n")); }
QString without_crlf(QString text) { return text.replace(QLatin1String("\r\n"), QLatin1String("\n")); }

QWidget* make_text(HostDialog& d, const CtlTemplate& c)
{
    auto* label = new QLabel(&d);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setAlignment(c.info->align | Qt::AlignTop);
    label->setText(without_mnemonics(QString::fromUtf8(c.text)));
    return label;
}

QWidget* make_icon(HostDialog& d, const CtlTemplate&)
{
    return new QLabel(&d);     // the program carries no icons
}

void apply_tabstops(QPlainTextEdit* memo, int base_x, const int* stops, int n)
{
    QTextOption option = memo->document()->defaultTextOption();
    option.setTabs({});
    if (stops == nullptr || n <= 0) {
        option.setTabStopDistance(mul_div(32, base_x, 4));
    } else if (n == 1) {
        option.setTabStopDistance(std::max(1, mul_div(stops[0], base_x, 4)));
    } else {
        QList<QTextOption::Tab> tabs;
        for (int i = 0; i < n; ++i)
            tabs.append(QTextOption::Tab(mul_div(stops[i], base_x, 4), QTextOption::LeftTab));
        option.setTabs(tabs);
    }
    memo->document()->setDefaultTextOption(option);
}

QWidget* make_memo(HostDialog& d, const CtlTemplate& c)
{
    auto* memo = new QPlainTextEdit(&d);
    memo->setReadOnly(c.style & ES_READONLY);
    // A read-only text is still there to be copied: the caret moves and Shift selects.
    if (c.style & ES_READONLY)
        memo->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    if (!(c.style & WS_BORDER))
        memo->setFrameShape(QFrame::NoFrame);
    memo->setVerticalScrollBarPolicy(c.style & WS_VSCROLL ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
    memo->setHorizontalScrollBarPolicy(c.style & WS_HSCROLL ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
    const bool wraps = !(c.style & (ES_AUTOHSCROLL | WS_HSCROLL));
    memo->setLineWrapMode(wraps ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
    apply_tabstops(memo, d.base_x, nullptr, 0);
    return memo;
}

Qt::Alignment edit_alignment(std::uint32_t style)
{
    if (style & ES_RIGHT)
        return Qt::AlignRight | Qt::AlignVCenter;
    if (style & ES_CENTER)
        return Qt::AlignHCenter | Qt::AlignVCenter;
    return Qt::AlignLeft | Qt::AlignVCenter;
}

QWidget* make_edit(HostDialog& d, const CtlTemplate& c)
{
    if (c.style & ES_MULTILINE)
        return make_memo(d, c);
    auto* edit = new QLineEdit(&d);
    edit->setReadOnly(c.style & ES_READONLY);
    edit->setFrame(c.style & WS_BORDER);
    edit->setAlignment(edit_alignment(c.style));
    if (c.style & ES_PASSWORD)
        edit->setEchoMode(QLineEdit::Password);
    if (c.style & ES_NUMBER)
        edit->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), edit));
    return edit;
}

void connect_click(HostDialog& d, QAbstractButton* b, int id)
{
    QObject::connect(b, &QAbstractButton::clicked, &d, [&d, id] { send_command(d.handle, id); });
}

// In a modal dialog the default button answers Enter; a modeless one has none.
QWidget* make_button(HostDialog& d, const CtlTemplate& c)
{
    auto* b = new QPushButton(QString::fromUtf8(c.text), &d);
    b->setAutoDefault(false);
    b->setDefault(d.modal && (c.style & BS_TYPEMASK) == BS_DEFPUSHBUTTON);
    connect_click(d, b, c.id);
    return b;
}

QWidget* make_radio(HostDialog& d, const CtlTemplate& c)
{
    auto* b = new QRadioButton(QString::fromUtf8(c.text), &d);
    b->setAutoExclusive(false);     // the groups of the template decide
    if (d.modal)
        b->installEventFilter(&d);
    connect_click(d, b, c.id);
    return b;
}

QWidget* make_check(HostDialog& d, const CtlTemplate& c)
{
    auto* b = new QCheckBox(QString::fromUtf8(c.text), &d);
    connect_click(d, b, c.id);
    return b;
}

// A group box is only a frame drawn around its neighbours: it must not hide them or take their clicks.
QWidget* make_group(HostDialog& d, const CtlTemplate& c)
{
    auto* box = new QGroupBox(QString::fromUtf8(c.text), &d);
    box->setAttribute(Qt::WA_TransparentForMouseEvents);
    return box;
}

QString label_text(const DlgItem& item) { return item.text; }
QString button_text(const DlgItem& item) { return static_cast<QAbstractButton*>(item.widget)->text(); }
QString group_text(const DlgItem& item) { return static_cast<QGroupBox*>(item.widget)->title(); }

QString edit_text(const DlgItem& item)
{
    if (auto* line = qobject_cast<QLineEdit*>(item.widget))
        return line->text();
    return with_crlf(static_cast<QPlainTextEdit*>(item.widget)->toPlainText());
}

void set_label_text(DlgItem& item, const QString& text)
{
    item.text = text;
    if (item.kind == CtlKind::text)
        static_cast<QLabel*>(item.widget)->setText(without_mnemonics(text));
}

void set_button_text(DlgItem& item, const QString& text) { static_cast<QAbstractButton*>(item.widget)->setText(text); }
void set_group_text(DlgItem& item, const QString& text) { static_cast<QGroupBox*>(item.widget)->setTitle(text); }

void set_edit_text(DlgItem& item, const QString& text)
{
    if (auto* line = qobject_cast<QLineEdit*>(item.widget))
        line->setText(text);
    else
        static_cast<QPlainTextEdit*>(item.widget)->setPlainText(without_crlf(text));
}

struct KindOps {
    QWidget* (*make)(HostDialog&, const CtlTemplate&);
    QString (*text)(const DlgItem&);
    void (*set_text)(DlgItem&, const QString&);
    bool takes_focus;
};

// Indexed by CtlKind.
const KindOps kind_ops[] = {
    {make_text, label_text, set_label_text, false},
    {make_edit, edit_text, set_edit_text, true},
    {make_button, button_text, set_button_text, true},
    {make_radio, button_text, set_button_text, true},
    {make_check, button_text, set_button_text, true},
    {make_group, group_text, set_group_text, false},
    {make_icon, label_text, set_label_text, false},
};

const KindOps& ops_of(CtlKind kind) { return kind_ops[int(kind)]; }

void add_control(HostDialog& d, const CtlTemplate& c)
{
    const KindOps& ops = ops_of(c.info->kind);
    QWidget* w = ops.make(d, c);
    w->setObjectName(QString::number(c.id));
    w->setGeometry(px_x(d, c.x), px_y(d, c.y), px_x(d, c.cx), px_y(d, c.cy));
    w->setEnabled(!(c.style & WS_DISABLED));
    if (!(c.style & WS_VISIBLE))
        w->setVisible(false);
    if (ops.takes_focus)
        w->setFocusPolicy(c.style & WS_TABSTOP ? Qt::StrongFocus : Qt::ClickFocus);
    if (c.info->kind == CtlKind::group)
        w->lower();
    d.items.push_back({c.id, c.info->kind, w, c.info->kind == CtlKind::text ? QString::fromUtf8(c.text) : QString()});
}

// A radio group runs from a control marked WS_GROUP to the next one so marked.
void group_radio_buttons(HostDialog& d, const DlgTemplate& t)
{
    std::map<int, QButtonGroup*> groups;
    int group = 0;
    for (std::size_t i = 0; i < t.controls.size(); ++i) {
        const CtlTemplate& c = t.controls[i];
        if (c.style & WS_GROUP)
            ++group;
        if (c.info->kind != CtlKind::radio)
            continue;
        QButtonGroup*& g = groups[group];
        if (g == nullptr)
            g = new QButtonGroup(&d);
        g->addButton(static_cast<QAbstractButton*>(d.items[i].widget));
    }
}

void set_button_checked(QAbstractButton* b, bool checked)
{
    QButtonGroup* g = b->group();
    const bool exclusive = g != nullptr && g->exclusive();
    if (exclusive && !checked)
        g->setExclusive(false);    // an exclusive group refuses to uncheck its last button
    b->setChecked(checked);
    if (exclusive && !checked)
        g->setExclusive(true);
}

// ---- names for a screen reader ----------------------------------------------------------
// As on Windows: an edit is named by the static text just before it in the template (the
// one after it, "seconds." or "(mm:ss)", describes it), a radio button or check box by its
// own text, and each radio button is described by the group box drawn round it.

QString spoken(const std::string& text)
{
    return without_mnemonics(QString::fromUtf8(text)).simplified();
}

bool is_label(const CtlTemplate& c)
{
    return (c.info->kind == CtlKind::text || c.info->kind == CtlKind::group) && !spoken(c.text).isEmpty();
}

bool inside(const CtlTemplate& box, const CtlTemplate& c)
{
    return c.x >= box.x && c.y >= box.y && c.x + c.cx <= box.x + box.cx && c.y + c.cy <= box.y + box.cy;
}

// A button without a text of its own in a grid of them ("top" to its left, "left"
// above it): named by its row's and its column's nearest static texts.
QString grid_name(const DlgTemplate& t, const CtlTemplate& c)
{
    const CtlTemplate* row = nullptr;
    const CtlTemplate* column = nullptr;
    const int mid_x = c.x + c.cx / 2, mid_y = c.y + c.cy / 2;
    for (const CtlTemplate& s : t.controls) {
        if (s.info->kind != CtlKind::text || spoken(s.text).isEmpty())
            continue;
        if (s.y <= mid_y && mid_y <= s.y + s.cy && s.x + s.cx <= c.x && (!row || s.x > row->x))
            row = &s;
        if (s.x <= mid_x && mid_x <= s.x + s.cx && s.y + s.cy <= c.y && (!column || s.y > column->y))
            column = &s;
    }
    QStringList words;
    for (const CtlTemplate* s : {row, column})
        if (s != nullptr)
            words << spoken(s->text);
    return words.join(QLatin1Char(' '));
}

// An edit with no label of its own (the help viewer's text) goes by its dialog's title.
void named_by_title(HostDialog& d, QWidget* edit)
{
    edit->setAccessibleName(d.windowTitle());
    QObject::connect(&d, &QWidget::windowTitleChanged, edit, [edit](const QString& title) {
        edit->setAccessibleName(title);
    });
}

void name_controls(HostDialog& d, const DlgTemplate& t)
{
    const std::size_t n = t.controls.size();
    for (std::size_t i = 0; i < n; ++i) {
        const CtlTemplate& c = t.controls[i];
        QWidget* w = d.items[i].widget;
        const CtlKind kind = c.info->kind;
        if (kind == CtlKind::edit) {
            if (i > 0 && is_label(t.controls[i - 1]))
                w->setAccessibleName(spoken(t.controls[i - 1].text));
            else
                named_by_title(d, w);
            if (i + 1 < n && t.controls[i + 1].info->kind == CtlKind::text && is_label(t.controls[i + 1]))
                w->setAccessibleDescription(spoken(t.controls[i + 1].text));
        } else if ((kind == CtlKind::radio || kind == CtlKind::check) && spoken(c.text).isEmpty()) {
            w->setAccessibleName(grid_name(t, c));
        }
        if (kind != CtlKind::radio)
            continue;
        for (const CtlTemplate& box : t.controls)
            if (box.info->kind == CtlKind::group && inside(box, c))
                w->setAccessibleDescription(spoken(box.text));
    }
}

QFont dialog_font(const DlgTemplate& t)
{
    QFont font = QApplication::font();
    const QString face = QString::fromUtf8(t.font_face);
    if (!face.isEmpty() && QFontDatabase::families().contains(face, Qt::CaseInsensitive))
        font.setFamily(face);
    if (t.font_pt > 0)
        font.setPointSize(t.font_pt);
    return font;
}

void set_base_units(HostDialog& d)
{
    const QFontMetrics fm(d.font());
    const int alphabet = fm.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    d.base_x = std::max(1, (alphabet / 26 + 1) / 2);
    d.base_y = std::max(1, fm.height());
}

// Template positions count from the owner's client area, as for a child of it.
void place_dialog(HostDialog& d, const DlgTemplate& t, Window owner)
{
    if (t.style & DS_CENTER)
        return;
    QWidget* client = client_widget_of(owner);
    const QPoint origin = client != nullptr ? client->mapToGlobal(QPoint(0, 0)) : QPoint(0, 0);
    d.move(origin + QPoint(px_x(d, t.x), px_y(d, t.y)));
}

// Focus starts on the first control that Tab would reach; an edit starts with its
// text selected, so that typing replaces it.
void set_first_focus(HostDialog& d)
{
    for (const DlgItem& item : d.items)
        if (item.widget->focusPolicy() == Qt::StrongFocus && item.widget->isEnabled() &&
            !item.widget->isHidden() && is_tab_stop(item.widget, nullptr)) {
            item.widget->setFocus();
            if (auto* edit = qobject_cast<QLineEdit*>(item.widget))
                edit->selectAll();
            return;
        }
}

HostDialog* build_dialog(const DlgTemplate& t, Window owner, bool modal)
{
    auto* d = new HostDialog(widget_of(owner), modal);
    d->setWindowTitle(QString::fromUtf8(t.caption));
    d->setFont(dialog_font(t));
    set_base_units(*d);
    d->setFixedSize(px_x(*d, t.cx), px_y(*d, t.cy));
    for (const CtlTemplate& c : t.controls)
        add_control(*d, c);
    group_radio_buttons(*d, t);
    name_controls(*d, t);
    place_dialog(*d, t, owner);
    if (modal)
        d->setWindowModality(owner != nullptr ? Qt::WindowModal : Qt::ApplicationModal);
    return d;
}

std::function<void(Window, int)> dialog_hook;

// A dialog without a procedure of its own closes with the button pressed.
std::intptr_t button_ends_dialog(Window dlg, unsigned msg, std::uintptr_t wp, std::intptr_t)
{
    if (msg == WM_COMMAND) {
        end_dialog(dlg, int(loword(wp)));
        return 1;
    }
    return msg == WM_INITDIALOG;
}

// Made, registered, initialised by its procedure, then shown: null on failure.
HostDialog* open_dialog(int template_id, const char* template_name, Window owner, DlgProc proc,
                        std::intptr_t param, bool modal)
{
    const DlgTemplate* t = find_template(template_id, template_name);
    if (t == nullptr)
        return nullptr;
    if (proc == nullptr)
        proc = button_ends_dialog;
    HostDialog* d = build_dialog(*t, owner, modal);
    d->handle = register_window(d, d, proc);
    if (d->handle == nullptr) {
        delete d;
        return nullptr;
    }
    QPointer<HostDialog> alive(d);
    if (send_message(d->handle, WM_INITDIALOG, 0, param) != 0 && alive)
        set_first_focus(*d);
    if (!alive || d->ended)
        return d;
    d->show();
    if (dialog_hook)
        dialog_hook(d->handle, t->name.empty() ? t->number : 0);
    return d;
}

void close_modal(HostDialog* d)
{
    send_message(d->handle, WM_DESTROY, 0, 0);
    unregister_window(d->handle);
    d->handle = nullptr;
    delete d;
}

}  // namespace

// ---- the interface ---------------------------------------------------------------------------------------
bool add_dialog_templates(const char* text)
{
    if (text == nullptr)
        return false;
    load_builtin_templates();
    std::vector<DlgTemplate> parsed;
    if (!parse_templates(text, parsed))
        return false;
    merge_templates(parsed);
    return true;
}

int dialog_box(int template_id, const char* template_name, Window owner, DlgProc proc, std::intptr_t param)
{
    QPointer<HostDialog> d = open_dialog(template_id, template_name, owner, proc, param, true);
    if (d.isNull())
        return -1;
    if (!d->ended)
        d->exec();
    if (d.isNull())
        return 0;    // its owner went away under it
    const int result = d->end_result;
    close_modal(d);
    return result;
}

Window create_dialog(int template_id, const char* template_name, Window owner, DlgProc proc, std::intptr_t param)
{
    QPointer<HostDialog> d = open_dialog(template_id, template_name, owner, proc, param, false);
    return d.isNull() ? nullptr : d->handle;
}

void end_dialog(Window dlg, int result)
{
    HostDialog* d = host_of(dlg);
    if (d == nullptr)
        return;
    d->ended = true;
    d->end_result = result;
    d->done(result);
}

void set_dlg_item_text(Window dlg, int id, const char* text)
{
    DlgItem* item = item_of(dlg, id);
    if (item != nullptr)
        ops_of(item->kind).set_text(*item, QString::fromUtf8(text != nullptr ? text : ""));
}

// Cuts on a character boundary, so a multi-byte character is never split.
int utf8_prefix(const QByteArray& bytes, int room)
{
    int n = std::min(int(bytes.size()), room);
    if (n < bytes.size())
        while (n > 0 && (static_cast<unsigned char>(bytes[n]) & 0xC0) == 0x80)
            --n;
    return n;
}

int get_dlg_item_text(Window dlg, int id, char* buf, int max)
{
    if (buf == nullptr || max <= 0)
        return 0;
    buf[0] = '\0';
    const DlgItem* item = item_of(dlg, id);
    if (item == nullptr)
        return 0;
    const QByteArray bytes = ops_of(item->kind).text(*item).toUtf8();
    const int n = utf8_prefix(bytes, max - 1);
    std::memcpy(buf, bytes.constData(), std::size_t(n));
    buf[n] = '\0';
    return n;
}

void check_dlg_button(Window dlg, int id, bool checked)
{
    QAbstractButton* b = button_of(dlg, id);
    if (b != nullptr && b->isCheckable())
        set_button_checked(b, checked);
}

bool is_dlg_button_checked(Window dlg, int id)
{
    const QAbstractButton* b = button_of(dlg, id);
    return b != nullptr && b->isChecked();
}

void check_radio_button(Window dlg, int first_id, int last_id, int id)
{
    HostDialog* d = host_of(dlg);
    if (d == nullptr)
        return;
    for (const DlgItem& item : d->items)
        if (item.id >= first_id && item.id <= last_id && item.id != id)
            check_dlg_button(dlg, item.id, false);
    check_dlg_button(dlg, id, true);
}

void enable_dlg_item(Window dlg, int id, bool enabled)
{
    DlgItem* item = item_of(dlg, id);
    if (item != nullptr)
        item->widget->setEnabled(enabled);
}

bool is_dlg_item_enabled(Window dlg, int id)
{
    const DlgItem* item = item_of(dlg, id);
    return item != nullptr && item->widget->isEnabledTo(item->widget->window());
}

void set_dlg_item_tabstops(Window dlg, int id, const int* stops, int n)
{
    const DlgItem* item = item_of(dlg, id);
    auto* memo = item != nullptr ? qobject_cast<QPlainTextEdit*>(item->widget) : nullptr;
    if (memo != nullptr)
        apply_tabstops(memo, host_of(dlg)->base_x, stops, n);
}

void click_dlg_button(Window dlg, int id)
{
    QAbstractButton* b = button_of(dlg, id);
    if (b != nullptr && !b->isHidden())
        b->click();    // does nothing for a disabled button, as for a user
}

void set_dialog_hook(std::function<void(Window dlg, int template_id)> hook)
{
    dialog_hook = std::move(hook);
}

}  // namespace plat
