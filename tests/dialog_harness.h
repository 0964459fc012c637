// The clock window with the default style, for tests that open its dialogs
// from the menu and act on them through the dialog hook.
#pragma once

#include "platform/internal.h"
#include "tavrin.h"

#include <QApplication>
#include <QDir>
#include <QWidget>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace harness {

inline std::time_t fake_now = 0;
inline std::time_t fake_clock() { return fake_now; }
inline std::time_t at(int h, int m, int s) { return std::time_t(h) * 3600 + m * 60 + s; }  // 1 Jan 1970, UTC
inline int paints = 0;

inline std::intptr_t counting_proc(plat::Window w, unsigned msg, std::uintptr_t wp, std::intptr_t lp)
{
    if (msg == plat::WM_PAINT)
        ++paints;
    return MainWndProc(w, msg, wp, lp);
}

inline void settle()
{
    for (int i = 0; i < 4; ++i)
        QApplication::processEvents();
}

inline std::string text_of(plat::Window dlg, int id)
{
    char buf[64];
    plat::get_dlg_item_text(dlg, id, buf, sizeof buf);
    return buf;
}

class ClockWithDialogs : public ::testing::Test {
protected:
    QTemporaryDir scratch;
    QString home;
    plat::Window w = nullptr;
    plat::Menu menu = nullptr;
    int boxes = 0;

    void SetUp() override
    {
        home = QDir::currentPath();
        QDir::setCurrent(scratch.path());   // no style file: the default style
        fake_now = at(12, 24, 0);
        set_clock_function(fake_clock);
        plat::set_message_box_hook([this](const plat::MessageBoxCall&) { return ++boxes, int(plat::IDOK); });
        run_bits = paint_filled;
        ticker_switch_at = 2;
        ticker_off_for = 4;
        clk.fudge_secs = 0;
        init_stl();
        menu = plat::load_menu("MAINMENU");
        fiddle_file_menu('F', menu);
        int place[4];
        ASSERT_EQ(get_style('F', menu, place), 0);
        update_rvrse(ini_bits, 6, 0, 18, 1800, 5, 0, 0);
        w = plat::create_window({"QZClockClass", "the Tavrin Clock", 100, 100, 400, 300, menu, counting_proc});
        ASSERT_NE(w, nullptr);
        settle();
    }

    void TearDown() override
    {
        plat::set_dialog_hook(nullptr);
        if (w && plat::is_window(w))
            plat::send_message(w, plat::WM_CLOSE, 0, 0);
        settle();
        close_stl();
        plat::set_message_box_hook(nullptr);
        plat::set_choose_font_hook(nullptr);
        set_clock_function(nullptr);
        QDir::setCurrent(home);
    }

    // Opens the dialog of this menu command and acts on it as a user would; a
    // dialog the action leaves open is cancelled. The dialog's handle stays in `dlg`.
    plat::Window dlg = nullptr;
    void use(int command, const std::function<void(plat::Window)>& act)
    {
        plat::set_dialog_hook([this, act](plat::Window d, int) {
            dlg = d;
            act(d);
            if (plat::widget_of(d)->isVisible())
                plat::click_dlg_button(d, plat::IDCANCEL);
        });
        plat::send_message(w, plat::WM_COMMAND, command, 0);
        settle();
    }

    // Types the text into the edit, then presses the button.
    void type_and_press(int command, int edit, const char* text, int button)
    {
        use(command, [&](plat::Window d) {
            plat::set_dlg_item_text(d, edit, text);
            plat::click_dlg_button(d, button);
        });
    }

    // What the edit shows when the dialog opens.
    std::string shown(int command, int edit)
    {
        std::string text;
        use(command, [&](plat::Window d) { text = text_of(d, edit); });
        return text;
    }
};

}  // namespace harness
