#include "app/application_setup.h"

#include <QApplication>
#include <QStyleFactory>

namespace kestrune::app {

void prepareProcess() {
    // On X11 a window drawn through shared memory waits on a round trip to the server before
    // each repaint, to know the last one was taken; a counter repainting ten times a second pays
    // that in wake-ups. The window's repaints are a few small rectangles, cheaper sent over the
    // connection. Anyone who sets the variable themselves keeps their choice.
    if (!qEnvironmentVariableIsSet("QT_XCB_NO_MITSHM")) {
        qputenv("QT_XCB_NO_MITSHM", "1");
    }
}

void setUpApplication() {
    // Fusion paints the buttons in their back colours on every platform.
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
}

} // namespace kestrune::app
