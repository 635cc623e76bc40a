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

    // Appends the bytes unchanged and trims to the bound at once; the widget shows them, with the
    // caret at the end, when the event loop next turns. Laying out a packet costs about a
    // millisecond, which a packet being answered should not wait for, and what is appended within
    // one turn is laid out together.
    void display(QByteArrayView bytes);
    const QByteArray& trafficText() const { return text_.text(); }

    // While held, what is displayed is kept unshown; the last release shows it. Holds nest.
    void holdShowing();
    void releaseShowing();

signals:
    // A key that yields a character code (printable, Enter 13, Backspace 8, control codes).
    void keyTyped(int code);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void showAll();
    void queueShow();
    void showPending();
    void caretToEnd();

    TrafficText text_;
    QString pending_;         // shown text still to be appended
    bool pendingAll_ = false; // the whole text is to be shown afresh
    bool showQueued_ = false;
    int holds_ = 0;
    bool showHeld_ = false; // a show was wanted while held
};

} // namespace kestrune::app
