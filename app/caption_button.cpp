#include "app/caption_button.h"

#include <QPainter>
#include <QStyleOptionButton>
#include <QStylePainter>

namespace kestrune::app {

void CaptionButton::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    option.text.clear();
    painter.drawControl(QStyle::CE_PushButton, option);
    const QRect area = style()->subElementRect(QStyle::SE_PushButtonContents, &option, this);
    painter.setPen(palette().color(QPalette::ButtonText));
    painter.drawText(area, Qt::AlignCenter | Qt::TextWordWrap, text());
}

void CaptionButton::initStyleOption(QStyleOptionButton* option) const {
    QPushButton::initStyleOption(option);
    option->palette = drawingPalette(option->palette);
}

// The style caches the drawn bevel under a key holding the palette's identity, and every
// setPalette makes a new identity even for colours seen before, so a blinking button would fill
// the pixmap cache with bevels never drawn again. Drawing with an equal palette kept from
// earlier keeps one key per look.
const QPalette& CaptionButton::drawingPalette(const QPalette& current) const {
    for (const QPalette& kept : kept_) {
        if (kept == current) {
            return kept;
        }
    }
    if (kept_.size() == kKeptPalettes) {
        kept_.pop_back();
    }
    kept_.push_front(current);
    return kept_.front();
}

} // namespace kestrune::app
