// The clock window with the default style, for tests that open its dialogs
// from the menu and act on them through the dialog hook.
#pragma once

#include "platform/qt/internal.h"
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

// Also runs the deletions a closed window leaves for the event loop, which a test never returns to.
inline void settle()
{
    for (int i = 0; i < 4; ++i)
        QApplication::processEvents();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

inline std::string text_of(plat::Window dlg, int id)
{
    static char buf[8192];
    plat::get_dlg_item_text(dlg, id, buf, sizeof buf);
    return buf;
}

struct Colours {
    COLORREF back, fig, digit;
    bool operator==(const Colours& o) const { return back == o.back && fig == o.fig && digit == o.digit; }
};
inline Colours colours() { return {stl.rgbBkgrnd, stl.rgbFig, stl.rgbDigit}; }

// The clock's state as at start-up with no style file (the default style); the
// window opens when the test has set what it needs.
class Clock : public ::testing::Test {
protected:
    QTemporaryDir scratch;
    QString home;
    plat::Window w = nullptr;
    plat::Menu menu = nullptr;
    int boxes = 0;

    void SetUp() override
    {
        home = QDir::currentPath();
        QDir::setCurrent(scratch.path());
        fake_now = at(12, 24, 0);
        set_clock_function(fake_clock);
        plat::set_message_box_hook([this](const plat::MessageBoxCall&) { return ++boxes, int(plat::IDOK); });
        run_bits = paint_filled;
        microsec_factor = 1000;
        dv_cnt = 0;
        save_on_exit = 1;
        esc_hint_until = 0;
        rotate_reverse = 0;
        ticker_loc_before = 0;
        non_ini_bits = 0;
        ticker_switch_at = 2;
        ticker_off_for = 4;
        clk.time_source = 0;
        clk.demo_running = 0;
        clk.demo_secs = 5;
        clk.fudge_secs = 0;
        clk.skip_zero = 0;
        clk.ask_again = 1;
        clk.drawn_hour = &clk.disp_hour;
        init_stl();
        menu = plat::load_menu("MAINMENU");
        fiddle_file_menu('F', menu);
        ASSERT_EQ(get_style('F', menu, ww_pos_size), 0);
        style_source = 'F';
        update_rvrse(ini_bits, 6, 0, 18, 1800, 5, 0, 0);
        paints = 0;
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
        plat::set_choose_color_hook(nullptr);
        set_clock_function(nullptr);
        QDir::setCurrent(home);
    }

    void open(int x = 100, int y = 100, int width = 400, int height = 300, plat::WndProc proc = counting_proc)
    {
        w = plat::create_window({"QZClockClass", "the Tavrin Clock", x, y, width, height, menu, proc});
        ASSERT_NE(w, nullptr);
        settle();
    }

    void command(int id, std::intptr_t lp = 0) { plat::send_message(w, plat::WM_COMMAND, id, lp); settle(); }
    void tick(int timer) { plat::send_message(w, plat::WM_TIMER, timer, 0); settle(); }
};

class ClockWithDialogs : public Clock {
protected:
    void SetUp() override
    {
        Clock::SetUp();
        open();
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
