#include "app/draw_hold.h"

#include <QApplication>
#include <QEvent>

namespace kestrune::app {

DrawHold::DrawHold(std::initializer_list<TrafficWindow*> windows) {
    for (TrafficWindow* window : windows) {
        window->holdShowing();
        windows_.append(window);
    }
    QCoreApplication::instance()->installEventFilter(this);
    limit_.setSingleShot(true);
    connect(&limit_, &QTimer::timeout, this, &DrawHold::release);
    limit_.start(kLimitMs);
}

DrawHold::~DrawHold() {
    release();
}

void DrawHold::release() {
    if (!holding_) {
        return;
    }
    holding_ = false;
    limit_.stop();
    QCoreApplication::instance()->removeEventFilter(this);
    for (const QPointer<TrafficWindow>& window : windows_) {
        if (window) {
            window->releaseShowing();
        }
    }
    // A window's repaint manager posts one update request and waits for it, so a held one must be
    // posted again, at the priority Qt gives it, or that window would never be drawn again.
    for (const QPointer<QObject>& window : heldUpdates_) {
        if (window) {
            QCoreApplication::postEvent(window, new QEvent(QEvent::UpdateRequest),
                                        Qt::LowEventPriority);
        }
    }
    heldUpdates_.clear();
}

bool DrawHold::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::UpdateRequest || !watched->isWidgetType()) {
        return false;
    }
    if (QApplication::activeModalWidget() || QApplication::activePopupWidget()) {
        release();
        return false;
    }
    if (!heldUpdates_.contains(watched)) {
        heldUpdates_.append(watched);
    }
    return true;
}

} // namespace kestrune::app
