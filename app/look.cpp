#include "app/look.h"

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

} // namespace

void setBackColour(QWidget* widget, const QColor& colour) {
    QPalette palette = widget->palette();
    palette.setColor(backRole(widget), colour);
    widget->setPalette(palette);
    if (qobject_cast<QLabel*>(widget)) {
        widget->setAutoFillBackground(true);
    }
}

QColor backColour(const QWidget* widget) {
    return widget->palette().color(backRole(widget));
}

void setTextColour(QWidget* widget, const QColor& colour) {
    QPalette palette = widget->palette();
    palette.setColor(textRole(widget), colour);
    widget->setPalette(palette);
}

QColor textColour(const QWidget* widget) {
    return widget->palette().color(textRole(widget));
}

void setCaption(QLabel* label, QByteArrayView caption) {
    label->setText(QString::fromLatin1(caption.data(), caption.size()));
    const int wanted = label->sizeHint().width();
    if (wanted > label->width()) {
        label->resize(wanted, label->height());
    }
}

} // namespace kestrune::app
