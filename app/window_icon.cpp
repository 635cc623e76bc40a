#include "app/window_icon.h"

#include "app/look.h"

#include <QPainter>

namespace kestrune::app {

QPixmap windowIconPicture() {
    QPixmap picture(kIconSize, kIconSize);
    picture.fill(kBlack);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(kTrafficText, 2));
    painter.drawLine(16, 3, 6, 27);
    painter.drawLine(16, 3, 26, 27);
    painter.drawLine(10, 17, 22, 17);
    painter.drawLine(8, 22, 24, 22);
    painter.setPen(QPen(kOffBottomBack, 3));
    painter.drawLine(3, 29, 29, 29);
    return picture;
}

} // namespace kestrune::app
