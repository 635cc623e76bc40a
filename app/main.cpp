#include "app/fm_kestrune.h"
#include "serial/qt_comm_port.h"

#include <QApplication>
#include <QStyleFactory>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    // Fusion paints the buttons in their back colours on every platform.
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));

    kestrune::serial::QtCommPort port;
    kestrune::SystemClock clock;
    kestrune::DefaultRandomSource random;
    kestrune::app::WindowServices services;
    services.port = &port;
    services.clock = &clock;
    services.random = &random;
    services.programFolder = QCoreApplication::applicationDirPath();

    kestrune::app::fm_kestrune window(services);
    window.Form_Load();
    return QApplication::exec();
}
