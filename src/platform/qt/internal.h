// What the pieces of the platform layer share among themselves. Qt lives here.
#pragma once

#include "platform.h"
#include "testing.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>
#include <QRect>

class QWidget;
class QMenuBar;

namespace plat {

// Counts the objects of one kind that exist, whoever holds them: what the
// platform has made and not yet freed.
template <typename T>
struct Held {
    Held() { ++count; }
    Held(const Held&) { ++count; }
    ~Held() { --count; }
    static inline int count = 0;
};

// A window's own paint context. It outlives paint passes so that the font
// selected into it stays selected; the painter is set only during a pass.
struct DCObj {
    QPainter* painter = nullptr;
    Font font = nullptr;          // starts as stock_font()
    QPainterPath path;            // the path being built or last ended
    bool building_path = false;
    QRect paint_rect;
};

// window.cpp: every window and dialog is registered, so that handles, posted
// messages and timers work alike for both. proc receives the messages.
Window register_window(QWidget* top, QWidget* client, WndProc proc);
void unregister_window(Window w);         // kills its timers; queued messages to it are dropped
QWidget* widget_of(Window w);             // the top-level widget (null for a null handle)
QWidget* client_widget_of(Window w);      // the widget the clock paints on
Window window_of(QWidget* top);           // reverse look-up, null when unknown
DC own_dc(Window w);

// menus.cpp
QMenuBar* menu_bar_of(Menu m);            // built on first use; the window takes it over
void menu_bind(Menu m, Window w);         // item choices go to w as WM_COMMAND

// fonts.cpp
QFont qfont_of(Font f);                   // pixel size from the description's height
int held_font_count();                    // font objects in memory, the stock font included

// gdi.cpp
int held_region_count();                  // region objects in memory

// refusal.cpp: true when tests have the window system refuse this call now.
bool refused(Refusal what);

// wake.cpp
int clock_set_descriptor();               // the timerfd that a clock set cancels; -1 without one
void watch_zone_folder(const char* folder);   // where a new "localtime" is looked for instead of /etc

}  // namespace plat
