// The one door to <windows.h> for the Win32 back end, and what its files share.
// platform.h comes first: its enum values carry the names that <windows.h> makes macros of.
#pragma once

#include "platform.h"
#include "testing.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef UNICODE
#define UNICODE
#endif
#ifndef _UNICODE
#define _UNICODE
#endif
#include <windows.h>

#include <string>

namespace plat {

// A window's own paint context (its class has CS_OWNDC): the same device context for the
// window's whole life, so a font selected into it stays selected from one paint to the next.
struct DCObj {
    HDC hdc = nullptr;
    Window owner = nullptr;
    Font font = nullptr;          // null: the stock font
    bool in_paint = false;        // between BeginPaint and EndPaint
    bool building_path = false;
    PAINTSTRUCT ps{};
};

struct MenuObj {
    HMENU h = nullptr;
};

struct WindowObj {
    HWND hwnd = nullptr;
    WndProc proc = nullptr;       // main windows
    DlgProc dlg_proc = nullptr;   // dialogs
    bool alive = false;
    bool dialog = false;
    bool modeless = false;
    bool watched = false;         // hears of time changes
    bool painting = false;        // inside the WM_PAINT of this window
    Menu menu = nullptr;
    bool ended = false;           // end_dialog was called
    int template_id = 0;
    DCObj dc;
};

// window.cpp
Window window_of(HWND hwnd);                     // null for windows that are not ours
HWND hwnd_of(Window w);                          // null for dead or null handles
Window adopt_window(HWND hwnd);                  // a new handle for a window being made
void forget_window(Window w);                    // the window is going: its handle dies
bool in_paint_of(Window w);
HINSTANCE instance();

void forget_selected_font(Font f);               // a font that goes leaves every context first

// refusal.cpp: true when tests have Windows refuse this call now (the last error is set).
bool refused(Refusal what);

// fonts.cpp
HFONT hfont_of(Font f);                          // the stock font for unknown ones

// entry.cpp: the program's start-up and usage text, reached from a file without <windows.h>
// (the program's header and <windows.h> both name COLORREF and WinMain).
int start_program(const char* command_line);
const char* program_usage();

// The two encodings: UTF-8 for the program, UTF-16 for Win32.
std::wstring wide(const char* text);
std::string utf8(const wchar_t* text, int length = -1);

}  // namespace plat
