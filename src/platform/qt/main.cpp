// The process entry: answers for the terminal, the application object, then the clock's own start-up.
#include "tavrin.h"

#include <QApplication>
#include <QDirIterator>
#include <QIcon>

#include <cstdio>
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
    {"--help", usage_text},
    {"-h", usage_text},
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
