#include "app/caption_label.h"

#include <QEvent>

namespace kestrune::app {

int CaptionLabel::captionWidth() {
    const QString caption = text();
    if (const auto kept = widths_.constFind(caption); kept != widths_.constEnd()) {
        return *kept;
    }
    if (widths_.size() >= kKeptWidths) {
        widths_.clear();
    }
    const int width = sizeHint().width();
    widths_.insert(caption, width);
    return width;
}

void CaptionLabel::changeEvent(QEvent* event) {
    // A new font or style measures every caption differently.
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) {
        widths_.clear();
    }
    QLabel::changeEvent(event);
}

} // namespace kestrune::app
