#include "mainwindow.h"
#include "resources.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    // An installed copy keeps its settings in ~/.config/vorlap/, and the
    // desktop shows the window with the icon of its desktop entry.
    QCoreApplication::setApplicationName(QStringLiteral("vorlap"));
    QGuiApplication::setDesktopFileName(QStringLiteral(VORLAP_APP_ID));
    Vorlap::initResources();
    MainWindow window;
    window.show();
    return app.exec();
}
