#pragma once

#include <QHash>
#include <QLabel>

namespace kestrune::app {

// A label whose caption may be rewritten at run time, ten times a second for a counter. Laying
// out a caption to learn its width costs as much as drawing it, so the label remembers the
// width each caption it has shown needs; a counter cycling through its values measures each
// one once.
class CaptionLabel : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;

    // Widths remembered before the list starts afresh.
    static constexpr qsizetype kKeptWidths = 1024;

    // The width the current caption needs, as sizeHint() gives it.
    int captionWidth();

protected:
    void changeEvent(QEvent* event) override;

private:
    QHash<QString, int> widths_;
};

} // namespace kestrune::app
