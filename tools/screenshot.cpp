// tavrin-screenshot FILE.png: saves what the X display shows, for people and tests
// that have no screen to look at.
#include <QApplication>
#include <QPixmap>
#include <QScreen>
#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: tavrin-screenshot FILE.png\n");
        return 2;
    }
    QApplication app(argc, argv);
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen || !screen->grabWindow(0).save(QString::fromLocal8Bit(argv[1]))) {
        std::fprintf(stderr, "tavrin-screenshot: could not grab the screen into %s\n", argv[1]);
        return 1;
    }
    return 0;
}
