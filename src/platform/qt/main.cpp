// The process entry: answers for the terminal, the application object, then the clock's own start-up.
#include "tavrin.h"

#include <QApplication>
#include <QDirIterator>
#include <QIcon>

#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// Printed before the application object exists, so that they work without a display.
struct TerminalAnswer {
    const char* argument;
    const char* text;
};

const char* const version_text = "tavrin " TAVRIN_VERSION "\n";

const TerminalAnswer terminal_answers[] = {
    {"--help", terminal_usage_text},
    {"-h", terminal_usage_text},
    {"--version", version_text},
};

// The text to print for the first argument that asks for one, or null.
const char* terminal_answer(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i)
        for (const TerminalAnswer& a : terminal_answers)
            if (std::strcmp(argv[i], a.argument) == 0)
                return a.text;
    return nullptr;
}

// ---- is there a display? ------------------------------------------------------------------

// Qt aborts (a core dump on many systems) when none of its platforms can
// connect, so the connections it would make are tried here first, with the
// libraries its own plugins use. A library that is missing means the plugin
// cannot work either.
template <class F>
F symbol(void* lib, const char* name)
{
    return reinterpret_cast<F>(dlsym(lib, name));
}

bool x11_server_answers()
{
    void* lib = dlopen("libxcb.so.1", RTLD_NOW | RTLD_LOCAL);
    if (lib == nullptr)
        return false;
    auto connect = symbol<void* (*)(const char*, int*)>(lib, "xcb_connect");
    auto has_error = symbol<int (*)(void*)>(lib, "xcb_connection_has_error");
    auto disconnect = symbol<void (*)(void*)>(lib, "xcb_disconnect");
    if (connect == nullptr || has_error == nullptr || disconnect == nullptr)
        return false;
    void* c = connect(nullptr, nullptr);   // DISPLAY, as Qt reads it
    const bool ok = has_error(c) == 0;
    disconnect(c);
    return ok;
}

bool wayland_compositor_answers()
{
    // Without a runtime folder a relative socket name has nowhere to be, and
    // the library would complain on the terminal before failing.
    const QByteArray name = qgetenv("WAYLAND_DISPLAY");
    if (qEnvironmentVariableIsEmpty("WAYLAND_SOCKET") && !name.startsWith('/') &&
        qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR"))
        return false;
    void* lib = dlopen("libwayland-client.so.0", RTLD_NOW | RTLD_LOCAL);
    if (lib == nullptr)
        return false;
    auto connect = symbol<void* (*)(const char*)>(lib, "wl_display_connect");
    auto disconnect = symbol<void (*)(void*)>(lib, "wl_display_disconnect");
    if (connect == nullptr || disconnect == nullptr)
        return false;
    void* d = connect(nullptr);   // WAYLAND_DISPLAY, or its default
    if (d != nullptr)
        disconnect(d);
    return d != nullptr;
}

// Only the window systems are looked at: any other platform (offscreen for
// the tests, vnc, ...) is Qt's to start, and so is one named with -platform.
bool display_reachable(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i)
        for (const char* option : {"-platform", "--platform", "-display", "--display"})
            if (std::strcmp(argv[i], option) == 0)
                return true;
    const std::string platforms = qEnvironmentVariable("QT_QPA_PLATFORM").toStdString() + ';';
    std::size_t start = 0;
    for (std::size_t end; (end = platforms.find(';', start)) != std::string::npos; start = end + 1) {
        const std::string entry = platforms.substr(start, end - start);
        const std::string name = entry.substr(0, entry.find(':'));
        if (name == "xcb") {
            if (x11_server_answers())
                return true;
        } else if (name.rfind("wayland", 0) == 0) {
            if (wayland_compositor_answers())
                return true;
        } else if (!name.empty()) {
            return true;
        }
    }
    return false;
}

std::string shown(const char* variable)
{
    const char* value = std::getenv(variable);
    return std::string(variable) + (value == nullptr ? " is not set" : " is \"" + std::string(value) + '"');
}

// Only on X11 can the clock put itself where it was and stay above other
// windows, so a Wayland session's XWayland is taken first, unless the user
// names a platform; Wayland itself still serves where there is no X11.
void prefer_x11()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "xcb;wayland");
}

void name_the_application()
{
    QApplication::setApplicationName("tavrin");
    QApplication::setApplicationVersion(TAVRIN_VERSION);
    QApplication::setDesktopFileName("tavrin");
    QIcon icon;
    for (QDirIterator sizes(":/data/icons"); sizes.hasNext();)
        icon.addFile(sizes.next());
    QApplication::setWindowIcon(icon);
}

}  // namespace

int main(int argc, char** argv)
{
    if (const char* text = terminal_answer(argc, argv)) {
        std::fputs(text, stdout);
        return 0;
    }
    prefer_x11();
    if (!display_reachable(argc, argv)) {
        std::fprintf(stderr, "tavrin: cannot open a display: %s, %s\n", shown("DISPLAY").c_str(),
                     shown("WAYLAND_DISPLAY").c_str());
        return 1;
    }
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    name_the_application();
    // QApplication has taken its own options out of argv by now.
    std::string command_line;
    for (int i = 1; i < argc; ++i) {
        if (i > 1)
            command_line += ' ';
        command_line += argv[i];
    }
    return WinMain(command_line.c_str());
}
