#include "app/traffic_window.h"

#include <QKeyEvent>
#include <QKeySequence>
#include <QScrollBar>
#include <QTextCursor>

namespace kestrune::app {

TrafficWindow::TrafficWindow(int trimAbove, int keepLast, QWidget* parent)
    : QPlainTextEdit(parent), text_(trimAbove, keepLast) {
    // Edits reach the text only through display() and typed keys, so the window text and its
    // byte count never part ways; the caret stays visible for keyboard selection.
    setReadOnly(true);
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    setUndoRedoEnabled(false);
    setTabChangesFocus(true);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
}

void TrafficWindow::display(QByteArrayView bytes) {
    const bool afterCr = text_.text().endsWith('\r');
    if (text_.append(bytes)) {
        showAll();
        return;
    }
    if (!pendingAll_) {
        pending_ += displayText(bytes, afterCr);
    }
    queueShow();
}

void TrafficWindow::showAll() {
    pendingAll_ = true;
    pending_.clear();
    queueShow();
}

void TrafficWindow::queueShow() {
    if (holds_ > 0) {
        showHeld_ = true;
        return;
    }
    if (!showQueued_) {
        showQueued_ = true;
        QMetaObject::invokeMethod(this, &TrafficWindow::showPending, Qt::QueuedConnection);
    }
}

void TrafficWindow::showPending() {
    showQueued_ = false;
    if (holds_ > 0) {
        showHeld_ = true; // queued before the hold began
        return;
    }
    if (pendingAll_) {
        setPlainText(displayText(text_.text()));
    } else if (!pending_.isEmpty()) {
        QTextCursor cursor(document());
        cursor.movePosition(QTextCursor::End);
        cursor.insertText(pending_);
    }
    pendingAll_ = false;
    pending_.clear();
    caretToEnd();
}

void TrafficWindow::holdShowing() {
    ++holds_;
}

void TrafficWindow::releaseShowing() {
    if (holds_ > 0 && --holds_ == 0 && showHeld_) {
        showHeld_ = false;
        queueShow();
    }
}

void TrafficWindow::caretToEnd() {
    QTextCursor cursor = textCursor();
    cursor.movePosition(QTextCursor::End);
    setTextCursor(cursor);
    ensureCursorVisible();
}

void TrafficWindow::keyPressEvent(QKeyEvent* event) {
    const QString typed = event->text();
    const bool oneCharacter = typed.size() == 1 && typed.at(0).unicode() <= 0xFF;
    if (!oneCharacter || event->key() == Qt::Key_Delete || typed.at(0).unicode() == 0x7F) {
        QPlainTextEdit::keyPressEvent(event); // navigation, selection
        return;
    }
    const int code = typed.at(0).unicode();
    emit keyTyped(code);
    if (code == '\b') {
        text_.backspace();
        showAll();
    } else if (code == '\r') {
        display("\r\n");
    } else if (code >= 0x20) {
        const char byte = static_cast<char>(code);
        display(QByteArrayView(&byte, 1));
    } else if (event->matches(QKeySequence::Copy) || event->matches(QKeySequence::SelectAll)) {
        QPlainTextEdit::keyPressEvent(event);
        return;
    }
    caretToEnd();
}

} // namespace kestrune::app
