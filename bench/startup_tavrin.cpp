// The clock's own start-up, ended at its first painted frame (first_frame.h).
#include "first_frame.h"
#include "tavrin.h"

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    first_frame::watch(argc, argv);
    return WinMain("");
}
