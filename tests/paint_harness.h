// A real window whose procedure erases with the background and paints the face.
#pragma once

#include "platform/qt/internal.h"
#include "tavrin.h"

#include <QApplication>
#include <QImage>
#include <QWidget>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace paint_test {

using namespace plat;

constexpr COLORREF back_colour = rgb(255, 255, 255), fig_colour = rgb(200, 0, 0), digit_colour = rgb(0, 0, 200);

struct Face { int ini = 0, run = paint_filled; Clk clock{}; };   // what the window paints
inline Face face;
inline Font last_result = nullptr;
inline std::vector<std::uintptr_t> commands;

inline std::intptr_t face_proc(Window w, unsigned msg, std::uintptr_t wp, std::intptr_t lp)
{
    switch (msg) {
    case WM_ERASEBKGND: fill_rect(reinterpret_cast<DC>(wp), client_rect(w), stl.rgbBkgrnd); return 1;
    case WM_PAINT: last_result = qzpaint(w, stock_font(), face.ini, face.run, compute_map_width(), &face.clock); return 0;
    case WM_COMMAND: commands.push_back(wp); return 0;
    default: return def_window_proc(w, msg, wp, lp);
    }
}

inline Font arial(int height)
{
    LogFont lf;
    lf.height = height;
    std::strcpy(lf.face, "Arial");
    return create_font(lf);
}

// Test colours, a small "3" and a date shown only when asked for.
inline void plain_style(int shape, int ini = 0, int run = paint_filled, int increment = 0)
{
    static const Font number = arial(-120);
    stl = {shape, number, -5, digit_colour, fig_colour, back_colour};
    hfDate = number;
    date_font_hi = -33;
    face = Face{ini, run, {}};
    face.clock.increment = increment;
    std::strcpy(face.clock.units_digit, "3");
    std::strcpy(face.clock.date_text, "Dec 25");
}

inline Window face_window()
{
    static Window w = [] {
        // Gone with the application, like any window the program makes.
        qAddPostRoutine([] { destroy_window(face_window()); });
        return create_window({"PaintTest", "paint test", 0, 0, 400, 300, nullptr, face_proc});
    }();
    return w;
}

inline QImage grab_face()   // one paint pass of the client area as it stands
{
    return client_widget_of(face_window())->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

inline QImage render(int width, int height)
{
    widget_of(face_window())->resize(width, height);
    QApplication::processEvents();
    return grab_face();
}

inline bool near(QRgb c, COLORREF want, int tolerance = 48)
{
    return std::abs(qRed(c) - int(want & 0xFF)) <= tolerance && std::abs(qGreen(c) - int((want >> 8) & 0xFF)) <= tolerance &&
           std::abs(qBlue(c) - int((want >> 16) & 0xFF)) <= tolerance;
}

}  // namespace paint_test
