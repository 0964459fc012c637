// The process entry: the application object, then the clock's own start-up.
#include "tavrin.h"

#include <QApplication>

#include <string>

int main(int argc, char** argv)
{
    plat::prefer_x11();
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    // QApplication has taken its own options out of argv by now.
    std::string command_line;
    for (int i = 1; i < argc; ++i) {
        if (i > 1)
            command_line += ' ';
        command_line += argv[i];
    }
    return WinMain(command_line.c_str());
}
