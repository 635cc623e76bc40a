#pragma once

#include "app/traffic_text.h"

#include <QPlainTextEdit>

namespace kestrune::app {

// A traffic window: shows a bounded TrafficText and takes typed characters into it. Typed keys
// are reported first (the send window puts them on the line), then echoed at the end.
class TrafficWindow : public QPlainTextEdit {
    Q_OBJECT
public:
    TrafficWindow(int trimAbove, int keepLast, QWidget* parent = nullptr);

    // Appends the bytes unchanged, trims to the bound and puts the caret at the end.
    void display(QByteArrayView bytes);
    const QByteArray& trafficText() const { return text_.text(); }

signals:
    // A key that yields a character code (printable, Enter 13, Backspace 8, control codes).
    void keyTyped(int code);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void showAll();
    void caretToEnd();

    TrafficText text_;
};

} // namespace kestrune::app
