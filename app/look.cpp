#include "app/look.h"

#include "app/caption_label.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QWidget>

namespace kestrune::app {

QFont windowFont(FontKind kind) {
    QFont font;
    font.setFamilies(
        {"MS Sans Serif", "Microsoft Sans Serif", "Arial", "Liberation Sans", "DejaVu Sans"});
    font.setStyleHint(QFont::SansSerif);
    switch (kind) {
    case FontKind::Regular:
        font.setPointSizeF(8.25);
        font.setBold(false);
        break;
    case FontKind::Bold:
        font.setPointSizeF(8.25);
        font.setBold(true);
        break;
    case FontKind::LargeBold:
        font.setPointSizeF(9.75);
        font.setBold(true);
        break;
    case FontKind::Status:
        font.setPointSizeF(13.5);
        font.setBold(false);
        break;
    }
    return font;
}

namespace {

QPalette::ColorRole backRole(const QWidget* widget) {
    if (qobject_cast<const QAbstractButton*>(widget)) {
        return QPalette::Button;
    }
    if (qobject_cast<const QLineEdit*>(widget) || qobject_cast<const QPlainTextEdit*>(widget)) {
        return QPalette::Base;
    }
    return QPalette::Window;
}

QPalette::ColorRole textRole(const QWidget* widget) {
    if (qobject_cast<const QAbstractButton*>(widget)) {
        return QPalette::ButtonText;
    }
    if (qobject_cast<const QLineEdit*>(widget) || qobject_cast<const QPlainTextEdit*>(widget)) {
        return QPalette::Text;
    }
    return QPalette::WindowText;
}

// Whether the widget's own palette already holds the colour in every group, as setting it does.
// Ticks set the same colours over and over, and a new palette costs more than the tick.
bool holdsColour(const QWidget* widget, QPalette::ColorRole role, const QColor& colour) {
    const QPalette& palette = widget->palette();
    for (const QPalette::ColorGroup group :
         {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        const QBrush& brush = palette.brush(group, role);
        if (!palette.isBrushSet(group, role) || brush.style() != Qt::SolidPattern ||
            brush.color() != colour) {
            return false;
        }
    }
    return true;
}

void setColour(QWidget* widget, QPalette::ColorRole role, const QColor& colour) {
    if (holdsColour(widget, role, colour)) {
        return;
    }
    QPalette palette = widget->palette();
    palette.setColor(role, colour);
    widget->setPalette(palette);
}

} // namespace

void setBackColour(QWidget* widget, const QColor& colour) {
    setColour(widget, backRole(widget), colour);
    if (qobject_cast<QLabel*>(widget)) {
        widget->setAutoFillBackground(true);
    }
}

QColor backColour(const QWidget* widget) {
    return widget->palette().color(backRole(widget));
}

void setTextColour(QWidget* widget, const QColor& colour) {
    setColour(widget, textRole(widget), colour);
}

QColor textColour(const QWidget* widget) {
    return widget->palette().color(textRole(widget));
}

void setCaption(QLabel* label, QByteArrayView caption) {
    label->setText(QString::fromLatin1(caption.data(), caption.size()));
    auto* known = qobject_cast<CaptionLabel*>(label);
    const int wanted = known ? known->captionWidth() : label->sizeHint().width();
    if (wanted > label->width()) {
        label->resize(wanted, label->height());
    }
}

} // namespace kestrune::app
