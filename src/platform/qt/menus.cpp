// Menu bars built from RC-style menu templates, with Win32-like item states.
#include "internal.h"
#include "rc_lexer.h"

#include <QAction>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QStyleOptionMenuItem>

#include <cstdlib>
#include <deque>
#include <map>

namespace plat {
namespace {

enum class ItemKind { command, separator, popup };

struct MenuNode {
    ItemKind kind = ItemKind::command;
    std::string text;
    int id = 0;
    bool checked = false;
    bool grayed = false;
    std::vector<MenuNode> children;
};

using MenuTree = std::vector<MenuNode>;

}  // namespace

struct MenuObj {
    MenuTree tree;
    Window window = nullptr;
    QPointer<QMenuBar> bar;
    std::map<int, QAction*> actions;
};

namespace {

std::map<std::string, MenuTree> templates;
bool resource_read = false;
// Menus are never freed, so a stale handle stays harmless.
std::deque<MenuObj> menus;

// ---- template parsing -----------------------------------------------------------

bool is_begin(const RcToken& t)
{
    return t.kind == RcToken::word && (t.text == "BEGIN" || t.text == "{");
}

bool is_end(const RcToken& t)
{
    return t.kind == RcToken::word && (t.text == "END" || t.text == "}");
}

bool parse_int(const std::string& text, int& out)
{
    if (text.empty())
        return false;
    char* stop = nullptr;
    const long v = std::strtol(text.c_str(), &stop, 0);
    out = int(v);
    return *stop == '\0';
}

class Parser {
public:
    bool parse_all(const std::string& text, std::map<std::string, MenuTree>& out)
    {
        int error_line = 0;
        if (!rc_tokenize(text.c_str(), RcDialect::menu, tokens, error_line))
            return false;
        while (tok().kind != RcToken::end) {
            if (tok().kind != RcToken::word)
                return false;
            const std::string name = tok().text;
            advance();
            if (tok().kind != RcToken::word || tok().text != "MENU")
                return false;
            advance();
            MenuTree tree;
            if (!parse_block(tree))
                return false;
            out[name] = std::move(tree);
        }
        return true;
    }

private:
    const RcToken& tok() const { return tokens[at]; }
    void advance()
    {
        if (at + 1 < tokens.size())
            ++at;
    }

    bool parse_block(MenuTree& items)
    {
        if (!is_begin(tok()))
            return false;
        advance();
        while (!is_end(tok())) {
            if (tok().kind == RcToken::end || !parse_item(items))
                return false;
        }
        advance();
        return true;
    }

    bool parse_item(MenuTree& items)
    {
        if (tok().kind != RcToken::word)
            return false;
        MenuNode node;
        if (tok().text == "POPUP") {
            advance();
            if (tok().kind != RcToken::string)
                return false;
            node.kind = ItemKind::popup;
            node.text = tok().text;
            advance();
            if (!parse_block(node.children))
                return false;
        } else if (tok().text == "MENUITEM") {
            advance();
            if (tok().kind == RcToken::word && tok().text == "SEPARATOR") {
                node.kind = ItemKind::separator;
                advance();
            } else if (!parse_command(node)) {
                return false;
            }
        } else {
            return false;
        }
        items.push_back(std::move(node));
        return true;
    }

    // "text", id [, CHECKED] [, GRAYED]
    bool parse_command(MenuNode& node)
    {
        if (tok().kind != RcToken::string)
            return false;
        node.text = tok().text;
        advance();
        if (tok().kind != RcToken::comma)
            return false;
        advance();
        if (tok().kind != RcToken::word || !parse_int(tok().text, node.id))
            return false;
        advance();
        while (tok().kind == RcToken::comma) {
            advance();
            if (tok().kind != RcToken::word)
                return false;
            if (tok().text == "CHECKED")
                node.checked = true;
            else if (tok().text == "GRAYED" || tok().text == "INACTIVE")
                node.grayed = true;
            else
                return false;
            advance();
        }
        return true;
    }

    std::vector<RcToken> tokens;
    std::size_t at = 0;
};

bool parse_templates(const std::string& text)
{
    std::map<std::string, MenuTree> parsed;
    if (!Parser().parse_all(text, parsed))
        return false;
    for (auto& [name, tree] : parsed)
        templates[name] = std::move(tree);
    return true;
}

void read_resource_templates()
{
    if (resource_read)
        return;
    resource_read = true;
    QFile file(QStringLiteral(":/res/menus.rc"));
    if (file.open(QIODevice::ReadOnly))
        parse_templates(file.readAll().toStdString());
}

// ---- item look-up ------------------------------------------------------------------

MenuNode* find_item(MenuTree& tree, int id)
{
    for (MenuNode& node : tree) {
        if (node.kind == ItemKind::command && node.id == id)
            return &node;
        if (node.kind == ItemKind::popup)
            if (MenuNode* found = find_item(node.children, id))
                return found;
    }
    return nullptr;
}

void collect_ids(const MenuTree& tree, std::vector<int>& ids)
{
    for (const MenuNode& node : tree) {
        if (node.kind == ItemKind::command)
            ids.push_back(node.id);
        else if (node.kind == ItemKind::popup)
            collect_ids(node.children, ids);
    }
}

QAction* action_of(Menu m, int id)
{
    auto it = m->actions.find(id);
    return it != m->actions.end() && m->bar ? it->second : nullptr;
}

// ---- building the bar ------------------------------------------------------------------

// After Esc closes a menu opened with Alt+letter, the bar keeps the keyboard
// with that menu's title selected, as on Windows, but Qt's styles highlight a
// title only while its menu is open. Windows shows the selection, so this bar
// does too, for as long as it has the keyboard.
class KeyboardMenuBar : public QMenuBar {
protected:
    void initStyleOption(QStyleOptionMenuItem* option, const QAction* action) const override
    {
        QMenuBar::initStyleOption(option, action);
        if (hasFocus() && action != nullptr && action == activeAction())
            option->state |= QStyle::State_Selected | QStyle::State_Sunken;
    }
};

// Only a checked item is checkable: Qt draws an empty box beside every
// checkable item, where a Win32 menu shows nothing.
void show_mark(QAction* a, bool checked)
{
    a->setCheckable(checked);
    a->setChecked(checked);
}

// Qt would flip the check mark on a click; here only the program sets it.
void command_chosen(Menu m, const MenuNode* node)
{
    if (QAction* a = action_of(m, node->id))
        show_mark(a, node->checked);
    if (is_window(m->window))
        send_message(m->window, WM_COMMAND, std::uintptr_t(node->id), 0);
}

void add_items(Menu m, QWidget* parent, const MenuTree& tree, QMenu* into, QMenuBar* bar);

void add_item(Menu m, QWidget* parent, const MenuNode& node, QMenu* into, QMenuBar* bar)
{
    const QString text = QString::fromUtf8(node.text.c_str());
    if (node.kind == ItemKind::popup) {
        auto* sub = new QMenu(text, parent);
        add_items(m, sub, node.children, sub, nullptr);
        if (into != nullptr)
            into->addMenu(sub);
        else
            bar->addMenu(sub);
        return;
    }
    if (node.kind == ItemKind::separator) {
        if (into != nullptr)
            into->addSeparator();
        else
            bar->addSeparator();
        return;
    }
    // The text after the tab shows in the shortcut column; it is no shortcut.
    auto* action = new QAction(text, parent);
    show_mark(action, node.checked);
    action->setEnabled(!node.grayed);
    QObject::connect(action, &QAction::triggered, action, [m, &node] { command_chosen(m, &node); });
    m->actions[node.id] = action;
    if (into != nullptr)
        into->addAction(action);
    else
        bar->addAction(action);
}

void add_items(Menu m, QWidget* parent, const MenuTree& tree, QMenu* into, QMenuBar* bar)
{
    for (const MenuNode& node : tree)
        add_item(m, parent, node, into, bar);
}

}  // namespace

// ---- interface ---------------------------------------------------------------------------

bool add_menu_templates(const char* text)
{
    read_resource_templates();
    return text != nullptr && parse_templates(text);
}

Menu load_menu(const char* name)
{
    read_resource_templates();
    auto it = name != nullptr ? templates.find(name) : templates.end();
    if (it == templates.end())
        return nullptr;
    MenuObj& m = menus.emplace_back();
    m.tree = it->second;
    return &m;
}

QMenuBar* menu_bar_of(Menu m)
{
    if (m == nullptr)
        return nullptr;
    if (!m->bar) {
        m->actions.clear();
        m->bar = new KeyboardMenuBar;
        add_items(m, m->bar, m->tree, nullptr, m->bar);
    }
    return m->bar;
}

void menu_bind(Menu m, Window w)
{
    if (m != nullptr)
        m->window = w;
}

void check_menu_item(Menu m, int id, bool checked)
{
    MenuNode* node = m != nullptr ? find_item(m->tree, id) : nullptr;
    if (node == nullptr)
        return;
    node->checked = checked;
    if (QAction* a = action_of(m, id))
        show_mark(a, checked);
}

void enable_menu_item(Menu m, int id, bool enabled)
{
    MenuNode* node = m != nullptr ? find_item(m->tree, id) : nullptr;
    if (node == nullptr)
        return;
    node->grayed = !enabled;
    if (QAction* a = action_of(m, id))
        a->setEnabled(enabled);
}

bool menu_item_checked(Menu m, int id)
{
    const MenuNode* node = m != nullptr ? find_item(m->tree, id) : nullptr;
    return node != nullptr && node->checked;
}

bool menu_item_enabled(Menu m, int id)
{
    const MenuNode* node = m != nullptr ? find_item(m->tree, id) : nullptr;
    return node != nullptr && !node->grayed;
}

std::string menu_item_text(Menu m, int id)
{
    const MenuNode* node = m != nullptr ? find_item(m->tree, id) : nullptr;
    return node != nullptr ? node->text : std::string();
}

std::vector<int> menu_item_ids(Menu m)
{
    std::vector<int> ids;
    if (m != nullptr)
        collect_ids(m->tree, ids);
    return ids;
}

// As a click would: through the item's action, so a grayed item does nothing.
void trigger_menu_item(Window w, int id)
{
    Menu m = get_menu(w);
    if (m == nullptr || find_item(m->tree, id) == nullptr)
        return;
    menu_bar_of(m);
    if (QAction* a = action_of(m, id))
        a->trigger();
}

}  // namespace plat
