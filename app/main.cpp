#include "mainwindow.h"
#include "resources.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    Vorlap::initResources();
    MainWindow window;
    window.show();
    return app.exec();
}
