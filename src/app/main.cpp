// Quadrel: tests a serial PPM interface by showing its channels live.
#include <QApplication>

#include "app/application.h"
#include "ui/program_icon.h"

int main(int argc, char** argv) {
    QApplication qt(argc, argv);
    QApplication::setWindowIcon(quadrel::programIcon());
    quadrel::QuadrelApplication quadrel(quadrel::defaultSettingsPath());
    quadrel.start();
    return qt.exec();
}
