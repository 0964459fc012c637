// The About box and the help viewers, opened from the clock's menu as a user does.
#include "dialog_harness.h"

#include <QClipboard>
#include <QPlainTextDocumentLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>

#include <algorithm>
#include <cstdio>
#include <fstream>

using namespace plat;
using namespace harness;

namespace {

template <class T>
T* item(Window dlg, int id)
{
    return widget_of(dlg)->findChild<T*>(QString::number(id), Qt::FindDirectChildrenOnly);
}

QWidget* focus_of(Window dlg) { return widget_of(dlg)->focusWidget(); }

std::string lf(std::string text)
{
    for (std::size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at))
        text.erase(at, 1);
    return text;
}

class AboutHelp : public Clock {
protected:
    std::vector<Window> opened;   // every dialog, in the order it was shown

    // As at start-up: the default style and placement.
    void SetUp() override
    {
        Clock::SetUp();
        fake_now = at(12, 25, 0);
        open(ww_pos_size[0], ww_pos_size[1], ww_pos_size[2], ww_pos_size[3], MainWndProc);
        set_dialog_hook([this](Window dlg, int) { opened.push_back(dlg); });
    }

    Window viewer(int id)
    {
        command(id);
        return opened.empty() ? nullptr : opened.back();
    }

    // The clock's next increment, as its timer brings it.
    void next_increment()
    {
        fake_now += 300;
        tick(increment_timer);
    }

    std::string data_line_of_style_file()
    {
        EXPECT_EQ(write_style_file("check.sty", ww_pos_size), 0);
        std::ifstream in("check.sty");
        std::string version, data;
        std::getline(in, version);
        std::getline(in, data);
        return data;
    }
};

// ---- About ------------------------------------------------------------------------------

TEST_F(AboutHelp, AboutShowsTheDataLineAndCountsTheIncrementsWhileOpen)
{
    std::string settings;
    std::vector<std::string> counts;
    Window box = nullptr;
    set_dialog_hook([&](Window dlg, int) {
        box = dlg;
        EXPECT_EQ(hAbout, dlg);
        EXPECT_EQ(window_text(dlg), "About Tavrin.exe");
        settings = text_of(dlg, 1000);
        counts.push_back(text_of(dlg, 1034));
        next_increment();
        counts.push_back(text_of(dlg, 1034));
        next_increment();
        counts.push_back(text_of(dlg, 1034));
        click_dlg_button(dlg, IDCANCEL);
    });
    command(CMD_ABOUT);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(counts, (std::vector<std::string>{"0", "1", "2"}));
    EXPECT_EQ(hAbout, nullptr);
    EXPECT_FALSE(is_window(box));

    EXPECT_EQ(settings, "  " + data_line_of_style_file());
    const Rect desk = desktop_rect();
    char place[80];
    std::snprintf(place, sizeof place, " %dx%d (%d,%d)(%d,%d) ", desk.right, desk.bottom, ww_pos_size[0],
                  ww_pos_size[1], ww_pos_size[2], ww_pos_size[3]);
    EXPECT_NE(settings.find(place), std::string::npos) << settings;

    next_increment();   // no box, no notice: nothing goes astray
    EXPECT_EQ(dv_cnt, 3);
}

// ---- help viewers -----------------------------------------------------------------------

TEST_F(AboutHelp, EachHelpItemOpensANewViewerBesideTheClock)
{
    struct Case {
        int command;
        const char* caption;
        std::string text;
    };
    const Case cases[] = {
        {CMD_HELP_FILE, "Help on FILE choices", file1},
        {CMD_HELP_FILE_MORE, "More specific help on FILE choices", std::string(file2) + file2_1},
        {CMD_HELP_COLORS, "Help on COLORS and other things", std::string(color1) + color1_1},
        {CMD_HELP_AHEAD, "Looking ahead", future},
        {CMD_HELP_FILE, "Help on FILE choices", file1},
    };
    const Rect clock = window_rect(w);
    ASSERT_GT(desktop_rect().right - clock.right, clock.left);   // more room on the right
    for (const Case& c : cases) {
        Window v = viewer(c.command);
        ASSERT_NE(v, nullptr);
        EXPECT_EQ(window_text(v), c.caption);
        EXPECT_EQ(text_of(v, 1027), c.text) << c.caption;
        EXPECT_EQ(window_rect(v).left, clock.right - (clock.right - clock.left) / 20) << c.caption;
    }
    ASSERT_EQ(opened.size(), 5u);
    for (Window v : opened)
        EXPECT_TRUE(is_window(v));
    EXPECT_NE(opened[0], opened[4]);

    // The button has the keyboard, and the space bar closes the viewer.
    QWidget* button = item<QPushButton>(opened[4], IDCANCEL);
    ASSERT_EQ(focus_of(opened[4]), button);
    QTest::keyClick(button, Qt::Key_Space);
    EXPECT_FALSE(is_window(opened[4]));
    EXPECT_TRUE(is_window(opened[3]));
}

TEST_F(AboutHelp, AnUnknownCommandLeavesTheViewerBlank)
{
    Window v = create_dialog(104, nullptr, w, Editwp, 12345);
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(window_text(v), "Help on ...");
    EXPECT_EQ(text_of(v, 1027), "");
}

TEST_F(AboutHelp, HelpTextsBreakLinesWithCrLf)
{
    for (const char* text : {file1, file2, file2_1, color1, color1_1, future}) {
        const std::string t = text, only_lf = lf(t);   // without a \r before each \n
        ASSERT_GE(t.size(), 2u);
        EXPECT_EQ(t.substr(t.size() - 2), "\r\n") << t.substr(0, 40);
        EXPECT_EQ(only_lf.find('\r'), std::string::npos) << t.substr(0, 40);   // no \r alone
        EXPECT_EQ(t.size() - only_lf.size(), std::size_t(std::count(t.begin(), t.end(), '\n')))
            << t.substr(0, 40);   // no \n alone
    }
}

// The FILE help keeps its topics in this order, one paragraph each: how each begins, a phrase it holds.
TEST_F(AboutHelp, TheFileHelpHasItsTopicsInOrder)
{
    const std::pair<std::string, const char*> topics[] = {
        {"The File menu has three choices for undoing changes you just made in the appearance of your "
         "Tavrin clock window.", ""},
        {"\tORIGINAL DEFAULT STYLE - the way it was the first time", "Tavrin.sty"},
        {"\tSTYLE SAVED IN FILE - the way it was when you first started", ""},
        {"\tMOST RECENT STYLE - how it was before you picked ORIGINAL DEFAULT or SAVED IN FILE.", ""},
        {"", "Alt+F4"},
        {"ANCHOR TO FOREGROUND", "check mark"},
        {"EXIT, NO SAVE leaves the STYLE SAVED IN FILE the way it was", "doesn't overwrite it"},
    };
    const std::string text = file1;
    std::size_t at = 0, n = 0;
    for (; at < text.size(); at = std::min(text.find("\r\n\r\n", at), text.size()) + 4, ++n) {
        const std::string paragraph = text.substr(at, text.find("\r\n\r\n", at) - at);
        ASSERT_LT(n, std::size(topics)) << paragraph;
        EXPECT_EQ(paragraph.rfind(topics[n].first, 0), 0u) << paragraph;
        EXPECT_NE(paragraph.find(topics[n].second), std::string::npos) << paragraph;
    }
    EXPECT_EQ(n, std::size(topics));
}

// The table runs from its heading row to the first empty line.
std::vector<QTextBlock> diary_rows(QPlainTextEdit* memo)
{
    std::vector<QTextBlock> rows;
    QTextBlock b = memo->document()->firstBlock();
    while (b.isValid() && !b.text().startsWith(QStringLiteral("ATTRIBUTE\t")))
        b = b.next();
    for (; b.isValid() && !b.text().isEmpty(); b = b.next())
        rows.push_back(b);
    return rows;
}

TEST_F(AboutHelp, TheDiarysColumnsStartAtItsTabStops)
{
    Window v = viewer(CMD_HELP_FILE_MORE);
    ASSERT_NE(v, nullptr);
    QPlainTextEdit* memo = item<QPlainTextEdit>(v, 1027);
    const QList<QTextOption::Tab> tabs = memo->document()->defaultTextOption().tabs();
    ASSERT_EQ(tabs.size(), 4);
    const std::vector<QTextBlock> rows = diary_rows(memo);
    ASSERT_GT(rows.size(), 20u);
    auto* layout = static_cast<QPlainTextDocumentLayout*>(memo->document()->documentLayout());
    for (const QTextBlock& row : rows) {
        const QStringList fields = row.text().split(QLatin1Char('\t'));
        ASSERT_EQ(fields.size(), 4) << row.text().toStdString();
        layout->ensureBlockLayout(row);
        ASSERT_EQ(row.layout()->lineCount(), 1) << row.text().toStdString();
        const QTextLine line = row.layout()->lineAt(0);
        int at = 0;
        for (int i = 1; i < 4; ++i) {
            EXPECT_FALSE(fields[i - 1].isEmpty()) << row.text().toStdString();
            at += int(fields[i - 1].size()) + 1;
            EXPECT_NEAR(line.cursorToX(at) - line.cursorToX(0), tabs[i].position, 1)
                << row.text().toStdString() << " column " << i;
        }
    }

    // The other texts keep the field's own even tab stops.
    Window plain = viewer(CMD_HELP_FILE);
    EXPECT_TRUE(item<QPlainTextEdit>(plain, 1027)->document()->defaultTextOption().tabs().isEmpty());
}

// ---- copying -----------------------------------------------------------------------------

void copy_with_keys(QWidget* field)
{
    QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(field, Qt::Key_C, Qt::ControlModifier);
}

TEST_F(AboutHelp, TheSettingsLineCanBeCopiedWithTheKeyboardAndTheMouse)
{
    std::string settings;
    QString by_keys, by_shift, by_mouse;
    set_dialog_hook([&](Window dlg, int) {
        settings = text_of(dlg, 1000);
        auto* field = item<QPlainTextEdit>(dlg, 1000);
        EXPECT_EQ(focus_of(dlg), field);   // ready for Ctrl+A, Ctrl+C
        copy_with_keys(field);
        by_keys = QApplication::clipboard()->text();

        // As in any text: the caret moves with the keys, Shift selects.
        QApplication::clipboard()->clear();
        QTest::keyClick(field, Qt::Key_Home, Qt::ControlModifier);
        QTest::keyClick(field, Qt::Key_Right);
        QTest::keyClick(field, Qt::Key_Right);
        QTest::keyClick(field, Qt::Key_End, Qt::ControlModifier | Qt::ShiftModifier);
        QTest::keyClick(field, Qt::Key_C, Qt::ControlModifier);
        by_shift = QApplication::clipboard()->text();

        QApplication::clipboard()->clear();
        QTextCursor word(field->document());
        word.setPosition(4);
        QTest::mouseDClick(field->viewport(), Qt::LeftButton, {}, field->cursorRect(word).center());
        QTest::keyClick(field, Qt::Key_C, Qt::ControlModifier);
        by_mouse = QApplication::clipboard()->text();
        click_dlg_button(dlg, IDCANCEL);
    });
    command(CMD_ABOUT);
    EXPECT_EQ(by_keys.toStdString(), settings);
    EXPECT_EQ(by_shift.toStdString(), settings.substr(2));
    EXPECT_FALSE(by_mouse.isEmpty());
    EXPECT_NE(settings.find(by_mouse.toStdString()), std::string::npos) << by_mouse.toStdString();
}

TEST_F(AboutHelp, AViewersTextCanBeCopiedOnceClicked)
{
    Window v = viewer(CMD_HELP_COLORS);
    ASSERT_NE(v, nullptr);
    auto* field = item<QPlainTextEdit>(v, 1027);
    QTest::mouseClick(field->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(focus_of(v), field);
    QApplication::clipboard()->clear();
    copy_with_keys(field);
    EXPECT_EQ(QApplication::clipboard()->text().toStdString(), lf(std::string(color1) + color1_1));
}

}  // namespace
