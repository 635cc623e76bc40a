#include "app/application_setup.h"

#include <QApplication>
#include <QStyleFactory>

namespace kestrune::app {

namespace {
constexpr char kNoSharedMemory[] = "QT_XCB_NO_MITSHM";
} // namespace

void prepareProcess() {
    // On X11 a window drawn through shared memory waits on a round trip to the server before
    // each repaint, to know the last one was taken; a counter repainting ten times a second pays
    // that in wake-ups. The window's repaints are a few small rectangles, cheaper sent over the
    // connection. Qt turns shared memory off whenever the variable is set, whatever its value,
    // so "0" is taken here to mean the user wants it on.
    if (!qEnvironmentVariableIsSet(kNoSharedMemory)) {
        qputenv(kNoSharedMemory, "1");
    } else if (qgetenv(kNoSharedMemory) == "0") {
        qunsetenv(kNoSharedMemory);
    }
}

void setUpApplication() {
    // Fusion paints the buttons in their back colours on every platform.
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
}

} // namespace kestrune::app
