#pragma once

#include "app/traffic_window.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <initializer_list>

namespace kestrune::app {

// While it lives, nothing is drawn: the traffic windows keep what is displayed unshown and each
// window's update request is held back. When it ends, both are let go, so whatever changed
// meanwhile is laid out and drawn once, after the work the hold covered. The send scheduler's tick
// holds drawing so that a packet is written before its event pauses draw the window; clicks, keys
// and ticks in those pauses run as ever.
//
// A dialog or menu opened from inside the hold runs its own event loop, and the hold would last as
// long as it: drawing is let go as soon as one is open, and in any case after kLimitMs.
class DrawHold : public QObject {
    Q_OBJECT
public:
    static constexpr int kLimitMs = 50;

    explicit DrawHold(std::initializer_list<TrafficWindow*> windows);
    ~DrawHold() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void release();

    QList<QPointer<TrafficWindow>> windows_;
    QList<QPointer<QObject>> heldUpdates_;
    QTimer limit_;
    bool holding_ = true;
};

} // namespace kestrune::app
