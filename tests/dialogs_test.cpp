// Dialogs from templates: parsing, layout, the procedure's messages, keys and
// controls; and the colour picker.
#include "platform/qt/internal.h"

#include <QApplication>
#include <QCheckBox>
#include <QColorDialog>
#include <QFile>
#include <QFontMetrics>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextDocumentLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTextBlock>
#include <QTextLayout>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

using namespace plat;

namespace {

const char* const test_templates = R"rc(
/* templates of these tests,
   numbered out of the program's way */
EveryKind DIALOG 0, 0, 164, 104
CAPTION "Every ""kind"""      // RC doubles a quote inside a string
FONT 8, "MS Sans Serif"
BEGIN
    LTEXT "one\ntwo\tthree \"q\"", 1201, 4, 90, 90, 8
    LTEXT "Le&ft", 1101, 4, 4, 40, 8
    CTEXT "Centre", 1102, 4, 14, 40, 8
    RTEXT "Right", 1103, 4, 24, 40, 8
    EDITTEXT 1001, 50, 4, 30, 12, ES_NUMBER
    EDITTEXT 1002, 50, 18, 30, 12, ES_READONLY | NOT WS_BORDER
    EDITTEXT 1027, 90, 4, 60, 40, ES_MULTILINE | ES_READONLY | WS_VSCROLL
    DEFPUSHBUTTON "Start demo", 1, 10, 80, 44, 14
    PUSHBUTTON "Stop demo", 1003, 60, 80, 44, 14, WS_DISABLED
    PUSHBUTTON "Hidden", 1004, 110, 80, 44, 14, NOT WS_VISIBLE
    AUTORADIOBUTTON "a.m.", 1022, 4, 50, 30, 10, WS_GROUP
    AUTOCHECKBOX "Ask this question next time.", 1029, 4, 62, 120, 10
    GROUPBOX "Location of ticker", 1105, 2, 46, 150, 30
    ICON 100, 1106, 130, 50
END

903 DIALOG 0, 0, 164, 104
CAPTION "Interaction"
FONT 8, "MS Sans Serif"
BEGIN
    LTEXT "Change demo every", -1, 10, 30, 60, 8
    EDITTEXT 1001, 72, 28, 20, 12, ES_NUMBER
    EDITTEXT 1002, 72, 44, 40, 12
    DEFPUSHBUTTON "Start demo", 1, 10, 80, 44, 14
    PUSHBUTTON "Stop demo", 1003, 60, 80, 44, 14
    PUSHBUTTON "Cancel", IDCANCEL, 110, 80, 44, 14
END

906 DIALOG 0, 0, 200, 100
BEGIN
    EDITTEXT 1002, 10, 4, 40, 12
    AUTORADIOBUTTON "a.m.", 1022, 10, 20, 30, 10, WS_GROUP
    LTEXT "between", -1, 10, 26, 30, 6
    AUTORADIOBUTTON "p.m.", 1023, 10, 32, 30, 10
    AUTORADIOBUTTON "a.m.", 1025, 60, 20, 30, 10, WS_GROUP
    AUTORADIOBUTTON "p.m.", 1026, 60, 32, 30, 10
    PUSHBUTTON "Cancel", 2, 10, 60, 40, 14, WS_GROUP
END

905 DIALOG 0, 0, 285, 225
CAPTION "Help on ..."
FONT 8, "MS Sans Serif"
BEGIN
    PUSHBUTTON "Hit Space bar to Cancel", 2, 100, 205, 85, 14
    EDITTEXT 1027, 0, 0, 285, 200, ES_MULTILINE | ES_READONLY | WS_VSCROLL | NOT WS_TABSTOP
    PUSHBUTTON "Other", 1003, 200, 205, 60, 14
END
)rc";

struct Log {
    std::vector<std::string> events;
    std::vector<int> commands;
    std::intptr_t init_param = 0;
    bool hiwords_zero = true;
};
Log record;

// Ends on the buttons 1, 2 and 1003, on WM_USER + 1 with the result in wp, and
// with 42 during initialisation when the parameter is 42.
std::intptr_t logging_proc(Window dlg, unsigned msg, std::uintptr_t wp, std::intptr_t lp)
{
    if (msg == WM_INITDIALOG) {
        record.events.push_back("init");
        record.init_param = lp;
        set_dlg_item_text(dlg, 1002, "3:25");
        if (lp == 42)
            end_dialog(dlg, 42);
    } else if (msg == WM_COMMAND) {
        record.commands.push_back(int(loword(wp)));
        record.hiwords_zero = record.hiwords_zero && hiword(wp) == 0;
        if (loword(wp) == 1 || loword(wp) == 2 || loword(wp) == 1003)
            end_dialog(dlg, int(loword(wp)));
    } else if (msg == WM_USER + 1) {
        end_dialog(dlg, int(wp));
    }
    return msg == WM_INITDIALOG || msg == WM_COMMAND || msg == WM_USER + 1;
}

// Like the help viewer: button 2 destroys it.
std::intptr_t viewer_proc(Window dlg, unsigned msg, std::uintptr_t wp, std::intptr_t)
{
    if (msg == WM_COMMAND) {
        record.commands.push_back(int(loword(wp)));
        if (loword(wp) == 2)
            destroy_window(dlg);
    }
    return msg == WM_INITDIALOG || msg == WM_COMMAND;
}

// Runs a modal dialog, acting on it from the hook; a dialog left open ends with -99.
int run_modal(int id, std::function<void(Window)> act, Window owner = nullptr, std::intptr_t param = 0)
{
    set_dialog_hook([act](Window dlg, int) {
        record.events.push_back("hook");
        QTimer::singleShot(3000, [dlg] { end_dialog(dlg, -99); });
        act(dlg);
    });
    return dialog_box(id, nullptr, owner, logging_proc, param);
}

template <class T>
T* item(Window dlg, int id)
{
    return widget_of(dlg)->findChild<T*>(QString::number(id), Qt::FindDirectChildrenOnly);
}

QWidget* focus_of(Window dlg)
{
    QWidget* d = widget_of(dlg);
    return d->focusWidget() != nullptr ? d->focusWidget() : d;
}

void press(QWidget* target, int key, const QString& text = QString())
{
    for (QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
        QKeyEvent event(type, key, Qt::NoModifier, text);
        QApplication::sendEvent(target, &event);
    }
}

std::string text_of(Window dlg, int id)
{
    char buf[256];
    get_dlg_item_text(dlg, id, buf, sizeof buf);
    return buf;
}

// Pixels per 4 horizontal and per 8 vertical dialog units of the default font at pt points.
QSize base_units(int pt)
{
    QFont f = QApplication::font();
    f.setPointSize(pt);
    const QFontMetrics fm(f);
    const int alphabet = fm.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    return QSize((alphabet / 26 + 1) / 2, fm.height());
}

int units_to_px(int units, int base, int per) { return (units * base + per / 2) / per; }

class Dialogs : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(add_dialog_templates(test_templates)); }
    void SetUp() override { record = Log(); }
    void TearDown() override
    {
        set_dialog_hook(nullptr);
        set_choose_color_hook(nullptr);
    }
};

// ---- templates --------------------------------------------------------------------

TEST_F(Dialogs, EveryControlKindIsBuiltWithItsFlags)
{
    set_dialog_hook([](Window dlg, int) {
        EXPECT_EQ(window_text(dlg), "Every \"kind\"");
        EXPECT_EQ(text_of(dlg, 1201), "one\ntwo\tthree \"q\"");
        EXPECT_EQ(item<QLabel>(dlg, 1101)->text(), "Left");
        EXPECT_EQ(text_of(dlg, 1101), "Le&ft");
        EXPECT_TRUE(item<QLabel>(dlg, 1101)->alignment() & Qt::AlignLeft);
        EXPECT_TRUE(item<QLabel>(dlg, 1102)->alignment() & Qt::AlignHCenter);
        EXPECT_TRUE(item<QLabel>(dlg, 1103)->alignment() & Qt::AlignRight);
        EXPECT_NE(item<QLineEdit>(dlg, 1001)->validator(), nullptr);
        EXPECT_TRUE(item<QLineEdit>(dlg, 1002)->isReadOnly());
        EXPECT_FALSE(item<QLineEdit>(dlg, 1002)->hasFrame());
        ASSERT_NE(item<QPlainTextEdit>(dlg, 1027), nullptr);
        EXPECT_TRUE(item<QPlainTextEdit>(dlg, 1027)->isReadOnly());
        EXPECT_NE(item<QPlainTextEdit>(dlg, 1027)->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
        EXPECT_TRUE(item<QPushButton>(dlg, 1)->isDefault());
        EXPECT_FALSE(is_dlg_item_enabled(dlg, 1003));
        EXPECT_TRUE(item<QPushButton>(dlg, 1004)->isHidden());
        EXPECT_NE(item<QRadioButton>(dlg, 1022), nullptr);
        EXPECT_NE(item<QCheckBox>(dlg, 1029), nullptr);
        EXPECT_EQ(item<QGroupBox>(dlg, 1105)->title(), "Location of ticker");
        EXPECT_NE(item<QLabel>(dlg, 1106), nullptr);
        end_dialog(dlg, 1);
    });
    EXPECT_EQ(dialog_box(0, "everykind", nullptr, logging_proc, 0), 1);    // names ignore case
    EXPECT_EQ(dialog_box(0, "EveryKinds", nullptr, logging_proc, 0), -1);
}

TEST_F(Dialogs, AMalformedTextAddsNoTemplateAndTheShippedOneParses)
{
    const std::string good = "950 DIALOG 0, 0, 10, 10\nBEGIN\nEND\n";
    const char* const faults[] = {
        "951 DIALOG 0, 0, 10, 10\nBEGIN\n SLIDER \"x\", 1, 0, 0, 5, 5\nEND\n",
        "951 DIALOG 0, 0, 10, 10\nBEGIN\n EDITTEXT 1, 0, 0, 5, 5, ES_NUMBR\nEND\n",
        "951 DIALOG 0, 0, 10, 10\nBEGIN\n LTEXT \"open, 1, 0, 0, 5, 5\nEND\n",
        "951 DIALOG 0, 0, 10, 10\nBEGIN\n LTEXT \"x\", 1, 0, 0\nEND\n",
        "951 DIALOG 0, 0, 10, 10\nBEGIN\n LTEXT 7, 1, 0, 0, 5, 5\nEND\n",
        "951 DIALOG 0, 0, 10, 10\nBEGIN\n LTEXT \"x\", 1, 0, 0, 5, 5\n",
        "951 DIALOG 0, 0, 10\nBEGIN\nEND\n",
    };
    for (const char* fault : faults) {
        EXPECT_FALSE(add_dialog_templates((good + fault).c_str())) << fault;
        EXPECT_EQ(create_dialog(950, nullptr, nullptr, logging_proc, 0), nullptr) << fault;
    }
    EXPECT_FALSE(add_dialog_templates(nullptr));

    QFile file(QStringLiteral(":/res/dialogs.rc"));   // the shipped templates parse
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(add_dialog_templates(file.readAll().constData()));
}

TEST_F(Dialogs, SizesAreDialogUnitsOfTheTemplateFont)
{
    const QSize base = base_units(8);
    run_modal(903, [&](Window dlg) {
        QWidget* d = widget_of(dlg);
        EXPECT_EQ(d->font().pointSize(), 8);
        EXPECT_EQ(d->size(), QSize(units_to_px(164, base.width(), 4), units_to_px(104, base.height(), 8)));
        const QRect edit = item<QLineEdit>(dlg, 1001)->geometry();
        EXPECT_EQ(edit.topLeft(), QPoint(units_to_px(72, base.width(), 4), units_to_px(28, base.height(), 8)));
        // Eight units down are one line of the font.
        EXPECT_EQ(d->findChildren<QLabel*>().front()->height(), QFontMetrics(d->font()).height());
        end_dialog(dlg, 1);
    });
}

// ---- the procedure and the modal loop -------------------------------------------------

TEST_F(Dialogs, NoTemplateMakesNoDialogAndNoProcedureEndsWithTheButton)
{
    set_dialog_hook([](Window, int) { record.events.push_back("hook"); });
    EXPECT_EQ(dialog_box(999, nullptr, nullptr, logging_proc, 0), -1);
    EXPECT_EQ(dialog_box(0, "NoSuchBox", nullptr, logging_proc, 0), -1);
    EXPECT_EQ(create_dialog(999, nullptr, nullptr, logging_proc, 0), nullptr);
    EXPECT_TRUE(record.events.empty());
    set_dialog_hook([](Window dlg, int) { click_dlg_button(dlg, 1003); });
    EXPECT_EQ(dialog_box(903, nullptr, nullptr, nullptr, 0), 1003);
}

TEST_F(Dialogs, InitialisationComesFirstWithTheParameterAndMayEndTheDialogUnshown)
{
    std::string seen;
    EXPECT_EQ(run_modal(903, [&](Window dlg) {
        seen = text_of(dlg, 1002);
        EXPECT_TRUE(widget_of(dlg)->isVisible());
        end_dialog(dlg, 1);
    }, nullptr, 4711), 1);
    EXPECT_EQ(record.events, (std::vector<std::string>{"init", "hook"}));
    EXPECT_EQ(record.init_param, 4711);
    EXPECT_EQ(seen, "3:25");

    record = Log();
    EXPECT_EQ(run_modal(903, [](Window) {}, nullptr, 42), 42);
    EXPECT_EQ(record.events, std::vector<std::string>{"init"});
}

TEST_F(Dialogs, ClicksKeysAndTheTitleBarReachTheProcedureAndEndWithTheirResult)
{
    const std::pair<void (*)(Window), int> cases[] = {
        {[](Window d) { click_dlg_button(d, 1003); }, 1003},
        {[](Window d) { enable_dlg_item(d, 1003, false); click_dlg_button(d, 1003); click_dlg_button(d, 2); }, 2},
        {[](Window d) { press(focus_of(d), Qt::Key_Escape); }, 2},
        {[](Window d) { EXPECT_EQ(focus_of(d), item<QLineEdit>(d, 1001)); press(focus_of(d), Qt::Key_Return); }, 1},
        {[](Window d) { widget_of(d)->close(); }, 2},
    };
    for (const auto& [act, result] : cases) {
        record = Log();
        EXPECT_EQ(run_modal(903, act), result);
        EXPECT_EQ(record.commands, std::vector<int>{result});
        EXPECT_TRUE(record.hiwords_zero);
    }
}

TEST_F(Dialogs, TheKeyboardAloneWorksADialog)
{
    std::vector<std::string> stops;
    const auto name = [](Window d) { return focus_of(d)->objectName().toStdString(); };
    run_modal(906, [&](Window d) {
        EXPECT_EQ(item<QLineEdit>(d, 1002)->selectedText(), "3:25");   // typing replaces it
        press(focus_of(d), 0, QStringLiteral("7"));
        EXPECT_EQ(text_of(d, 1002), "7");
        for (int key : {Qt::Key_Tab, Qt::Key_Space, Qt::Key_Down, Qt::Key_Tab, Qt::Key_Tab, Qt::Key_Backtab,
                        Qt::Key_Backtab, Qt::Key_Up}) {
            press(focus_of(d), key, key == Qt::Key_Space ? QStringLiteral(" ") : QString());
            stops.push_back(name(d));
        }
        end_dialog(d, 2);
    });
    // A radio group is one stop, at its checked button; the arrows move and check within it.
    EXPECT_EQ(stops, (std::vector<std::string>{"1022", "1022", "1023", "1025", "2", "1025", "1023", "1022"}));
    EXPECT_EQ(record.commands, (std::vector<int>{1022, 1023, 1022}));
}

// Left edge of character index i in the first line of a multi-line edit, from the line's start.
qreal x_of(QPlainTextEdit* memo, int i)
{
    const QTextBlock block = memo->document()->firstBlock();
    static_cast<QPlainTextDocumentLayout*>(memo->document()->documentLayout())->ensureBlockLayout(block);
    const QTextLine line = block.layout()->lineAt(0);
    return line.cursorToX(i) - line.cursorToX(0);
}

TEST_F(Dialogs, AModelessDialogHasTabStopsInDialogUnitsAndLeavesEscTabAndEnterAlone)
{
    Window dlg = create_dialog(905, nullptr, nullptr, viewer_proc, 0);
    ASSERT_NE(dlg, nullptr);
    QPlainTextEdit* memo = item<QPlainTextEdit>(dlg, 1027);
    const int bx = base_units(8).width();
    set_dlg_item_text(dlg, 1027, "a\tb\tc\r\nnext");
    EXPECT_EQ(memo->document()->blockCount(), 2);
    EXPECT_EQ(text_of(dlg, 1027), "a\tb\tc\r\nnext");
    const int stops[] = {30, 70}, every[] = {20};
    set_dlg_item_tabstops(dlg, 1027, stops, 2);
    EXPECT_NEAR(x_of(memo, 2), units_to_px(30, bx, 4), 1);
    EXPECT_NEAR(x_of(memo, 4), units_to_px(70, bx, 4), 1);
    set_dlg_item_tabstops(dlg, 1027, every, 1);
    EXPECT_NEAR(x_of(memo, 2), units_to_px(20, bx, 4), 1);
    EXPECT_NEAR(x_of(memo, 4), units_to_px(40, bx, 4), 1);

    QWidget* button = item<QPushButton>(dlg, 2);
    ASSERT_EQ(focus_of(dlg), button);
    press(button, Qt::Key_Escape);
    press(button, Qt::Key_Return);
    press(button, Qt::Key_Tab);
    EXPECT_TRUE(record.commands.empty());
    EXPECT_EQ(focus_of(dlg), button);
    press(button, Qt::Key_Space, QStringLiteral(" "));
    EXPECT_EQ(record.commands, std::vector<int>{2});
    EXPECT_FALSE(is_window(dlg));

    record = Log();
    dlg = create_dialog(905, nullptr, nullptr, viewer_proc, 0);
    widget_of(dlg)->close();
    EXPECT_EQ(record.commands, std::vector<int>{2});
    EXPECT_FALSE(is_window(dlg));
}

Window open_dialog = nullptr;
int owner_ticks = 0;

std::intptr_t owner_proc(Window w, unsigned msg, std::uintptr_t wp, std::intptr_t lp)
{
    if (msg == WM_TIMER && ++owner_ticks == 3)
        end_dialog(open_dialog, 77);
    return msg == WM_TIMER ? 0 : def_window_proc(w, msg, wp, lp);
}

TEST_F(Dialogs, TheOwnersTimersAndPostedMessagesRunWhileModal)
{
    const WindowSpec owner_desc{"TavrinTest", "owner", 0, 0, 200, 150, nullptr, owner_proc};
    Window owner = create_window(owner_desc);
    ASSERT_NE(owner, nullptr);
    owner_ticks = 0;
    EXPECT_EQ(run_modal(903, [owner](Window dlg) {
        open_dialog = dlg;
        EXPECT_EQ(get_parent(dlg), owner);
        set_timer(owner, 1, 10);
    }, owner), 77);
    EXPECT_EQ(owner_ticks, 3);
    kill_timer(owner, 1);

    EXPECT_EQ(run_modal(903, [](Window dlg) {
        set_window_text(dlg, "Tick-tock");
        EXPECT_EQ(widget_of(dlg)->windowTitle(), "Tick-tock");
        post_message(dlg, WM_USER + 1, 55, 0);
    }, owner), 55);
    destroy_window(owner);
}

// ---- controls -------------------------------------------------------------------------

TEST_F(Dialogs, RadioButtonsFollowTheirGroups)
{
    run_modal(906, [](Window dlg) {
        const auto checks = [dlg] {   // 1022 1023 | 1025 1026
            std::string marks;
            for (int id : {1022, 1023, 1025, 1026})
                marks += is_dlg_button_checked(dlg, id) ? 'x' : '-';
            return marks;
        };
        click_dlg_button(dlg, 1023);
        click_dlg_button(dlg, 1022);
        EXPECT_EQ(checks(), "x---");   // the static between them does not split the group
        click_dlg_button(dlg, 1026);
        EXPECT_EQ(checks(), "x--x");
        check_radio_button(dlg, 1025, 1026, 1025);
        EXPECT_EQ(checks(), "x-x-");
        check_dlg_button(dlg, 1022, false);
        EXPECT_EQ(checks(), "--x-");
        end_dialog(dlg, 2);
    });
    EXPECT_EQ(record.commands, (std::vector<int>{1023, 1022, 1026}));
}

TEST_F(Dialogs, ItemTextIsCutToTheBufferAndADigitsOnlyEditRefusesLetters)
{
    run_modal(903, [](Window dlg) {
        const struct { int id; const char* text; int size, length; const char* got; } cuts[] = {
            {1002, "hello", 4, 3, "hel"}, {1002, "hello", 1, 0, ""}, {1002, "hello", 0, 0, "keep"},
            {1002, "a\xC3\xA9", 3, 1, "a"},   // a, e acute: the cut may not split the e
            {4242, "", 8, 0, ""},
        };
        for (const auto& c : cuts) {
            char buf[8] = "keep";
            set_dlg_item_text(dlg, c.id, c.text);
            EXPECT_EQ(get_dlg_item_text(dlg, c.id, buf, c.size), c.length) << c.text << " " << c.size;
            EXPECT_STREQ(buf, c.got) << c.text << " " << c.size;
        }
        set_dlg_item_text(dlg, 1, "Keep ticker");
        EXPECT_EQ(text_of(dlg, 1), "Keep ticker");

        for (const char* c : {"4", "a", "2", "-"})
            press(item<QLineEdit>(dlg, 1001), 0, QString::fromLatin1(c));
        EXPECT_EQ(text_of(dlg, 1001), "42");
        end_dialog(dlg, 2);
    });
}

// ---- the colour picker -------------------------------------------------------------------

// Acts on the open picker once its modal loop runs.
void with_picker(std::function<void(QColorDialog*)> act)
{
    QTimer::singleShot(0, [act] {
        auto* picker = qobject_cast<QColorDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(picker, nullptr);
        act(picker);
    });
    QTimer::singleShot(3000, [] {
        if (auto* left_open = qobject_cast<QColorDialog*>(QApplication::activeModalWidget()))
            left_open->reject();
    });
}

TEST_F(Dialogs, ThePickerStartsAtTheColourAndGivesBackThePickUnlessCancelled)
{
    QColor started, custom_seen;
    with_picker([&](QColorDialog* picker) {
        started = picker->currentColor();
        custom_seen = QColorDialog::customColor(5);
        picker->setCurrentColor(QColor(0x12, 0x34, 0x56));
        QColorDialog::setCustomColor(2, QColor(9, 8, 7));
        picker->accept();
    });
    COLORREF colour = 0x00102030, custom[16] = {0, 0, rgb(225, 225, 225), 0, 0, 0x00ABCDEF};
    ASSERT_TRUE(choose_color(nullptr, colour, custom));
    EXPECT_EQ(started, QColor(0x30, 0x20, 0x10));
    EXPECT_EQ(custom_seen, QColor(0xEF, 0xCD, 0xAB));
    EXPECT_EQ(colour, rgb(0x12, 0x34, 0x56));
    EXPECT_EQ(custom[2], rgb(9, 8, 7));
    EXPECT_EQ(custom[5], 0x00ABCDEFu);

    with_picker([](QColorDialog* picker) {
        picker->setCurrentColor(Qt::red);
        picker->reject();
    });
    EXPECT_FALSE(choose_color(nullptr, colour, custom));
    EXPECT_EQ(colour, rgb(0x12, 0x34, 0x56));
}

}  // namespace
