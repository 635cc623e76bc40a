// Writes the window's icon as a PNG, for the desktop entry: kestrune-icon <file.png>
#include "app/window_icon.h"

#include <QGuiApplication>

int main(int argc, char* argv[]) {
    QGuiApplication application(argc, argv);
    if (argc != 2) {
        return 2;
    }
    return kestrune::app::windowIconPicture().save(QString::fromLocal8Bit(argv[1]), "PNG") ? 0 : 1;
}
