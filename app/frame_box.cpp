#include "app/frame_box.h"

#include <QPaintEvent>
#include <QPainter>
#include <QStyleOptionGroupBox>
#include <QStylePainter>

namespace kestrune::app {

void FrameBox::setDrawsFromPicture(bool on) {
    drawsFromPicture_ = on;
    picture_ = QImage();
    update();
}

void FrameBox::paintEvent(QPaintEvent* event) {
    QStyleOptionGroupBox option;
    initStyleOption(&option);
    if (!drawsFromPicture_) {
        QStylePainter painter(this);
        painter.drawComplexControl(QStyle::CC_GroupBox, option);
        return;
    }
    const Look look{size(),       devicePixelRatioF(), option.palette.cacheKey(),
                    option.state, option.text,         font().key(),
                    style()};
    if (picture_.isNull() || !(look == pictureLook_)) {
        picture_ = QImage(size() * look.ratio, QImage::Format_RGB32);
        picture_.setDevicePixelRatio(look.ratio);
        const QWidget* below = parentWidget();
        picture_.fill(below->palette().color(below->backgroundRole()));
        QPainter painter(&picture_);
        // As a painter on the frame itself starts.
        painter.setFont(font());
        painter.setPen(palette().color(foregroundRole()));
        painter.setBrush(palette().brush(backgroundRole()));
        style()->drawComplexControl(QStyle::CC_GroupBox, &option, &painter, this);
        pictureLook_ = look;
    }
    QPainter painter(this);
    for (const QRect& area : event->region()) {
        painter.drawImage(
            area, picture_,
            QRectF(QPointF(area.topLeft()) * look.ratio, QSizeF(area.size()) * look.ratio));
    }
}

} // namespace kestrune::app
