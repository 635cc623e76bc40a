#include "app/application_setup.h"
#include "app/fm_kestrune.h"
#include "serial/qt_comm_port.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    kestrune::app::prepareProcess();
    QApplication application(argc, argv);
    kestrune::app::setUpApplication();

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
