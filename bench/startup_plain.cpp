// The yardstick for the clock's start-up: a plain Qt window of the same size
// with the same five menus, read from the clock's menu template, and an empty
// client area that Qt paints.
#include "first_frame.h"

#include <QFile>
#include <QMainWindow>
#include <QMenuBar>
#include <QRegularExpression>
#include <QScreen>

#include <vector>

namespace {

// POPUP opens a menu, END closes one, MENUITEM adds an item or a separator.
void add_menus(QMenuBar* bar, const QString& rc)
{
    static const QRegularExpression quoted(QStringLiteral("\"([^\"]*)\""));
    std::vector<QMenu*> open;
    for (const QString& raw : rc.split('\n')) {
        const QString line = raw.trimmed();
        const QString text = quoted.match(line).captured(1).replace(QStringLiteral("\\t"), QStringLiteral("\t"));
        if (line.startsWith(QLatin1String("POPUP")))
            open.push_back(open.empty() ? bar->addMenu(text) : open.back()->addMenu(text));
        else if (line == QLatin1String("END") && !open.empty())
            open.pop_back();
        else if (line.startsWith(QLatin1String("MENUITEM SEPARATOR")) && !open.empty())
            open.back()->addSeparator();
        else if (line.startsWith(QLatin1String("MENUITEM")) && !open.empty())
            open.back()->addAction(text);
    }
}

}  // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    first_frame::watch(argc, argv);
    QMainWindow top;
    QFile rc(QStringLiteral(TAVRIN_MENUS_RC));
    rc.open(QIODevice::ReadOnly);
    add_menus(top.menuBar(), QString::fromLatin1(rc.readAll()));
    top.setCentralWidget(new QWidget);
    top.setWindowTitle(QStringLiteral("the Tavrin Clock"));
    const QSize desk = QGuiApplication::primaryScreen()->geometry().size();
    top.setGeometry(10, 5, desk.width() / 3, desk.height() / 2);
    top.show();
    return app.exec();
}
