#include "app/fm_kestrune.h"
#include "app/window_texts.h"
#include "serial/qt_comm_port.h"

#include <QApplication>
#include <QPixmapCache>
#include <QStyleFactory>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    // Fusion paints the buttons in their back colours on every platform.
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    // Each blink of the start button paints a bevel the style caches and never draws again; a
    // small cache bounds that at 1 MiB instead of Qt's 10.
    QPixmapCache::setCacheLimit(kestrune::app::kPixmapCacheKiB);

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
