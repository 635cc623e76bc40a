#pragma once

#include <QGroupBox>
#include <QImage>
#include <QStyle>

namespace kestrune::app {

// A frame that can draw from a picture of itself. A box inside it that rewrites itself on a
// timer has the frame under it drawn again each time, and the style's frame costs a caption
// layout and nine pixmap draws. The picture holds the window's colour beneath, so it is only
// for a frame that lies on the window clear of every control beneath it.
class FrameBox : public QGroupBox {
    Q_OBJECT
public:
    using QGroupBox::QGroupBox;

    void setDrawsFromPicture(bool on);
    bool drawsFromPicture() const { return drawsFromPicture_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // What the picture was drawn from; any change draws it again.
    struct Look {
        QSize size;
        qreal ratio = 0;
        qint64 palette = 0;
        QStyle::State state;
        QString caption;
        QString font;
        const QStyle* style = nullptr;
        bool operator==(const Look&) const = default;
    };

    bool drawsFromPicture_ = false;
    QImage picture_;
    Look pictureLook_;
};

} // namespace kestrune::app
