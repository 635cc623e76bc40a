#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace kestrune::app {

// The text of a traffic window as the system and the operator put it there, one byte per
// character, CR and LF each counted as one. Kept beside the widget because Qt's text widgets
// fold CR LF into one paragraph break and so cannot count it.
class TrafficText {
public:
    TrafficText(int trimAbove, int keepLast) : trimAbove_(trimAbove), keepLast_(keepLast) {}

    // Appends the bytes; when the text grows past the bound only its last keepLast bytes stay.
    // Returns true when it trimmed.
    bool append(QByteArrayView bytes);
    // Removes the last character typed (a CR LF pair as one, as a text box does).
    void backspace();

    const QByteArray& text() const { return text_; }
    int trimAbove() const { return trimAbove_; }
    int keepLast() const { return keepLast_; }

private:
    int trimAbove_;
    int keepLast_;
    QByteArray text_;
};

// What the widget shows for window bytes: CR LF, a lone CR and a lone LF each break the line;
// other control bytes show as their Unicode control pictures so line noise stays visible;
// bytes 128-255 as Latin-1. `afterCr` tells that the text before `bytes` ended in CR, so a
// leading LF completes that line break instead of starting another.
QString displayText(QByteArrayView bytes, bool afterCr = false);

} // namespace kestrune::app
