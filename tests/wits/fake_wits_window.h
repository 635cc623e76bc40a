#pragma once

// The controls the WITS handlers touch, in memory, with a log of every append in order.

#include "wits/wits_window.h"

#include <QByteArray>
#include <QList>
#include <array>
#include <functional>

namespace kestrune::wits::testing {

class FakeWitsWindow final : public WitsWindow {
public:
    QByteArray caption = kHalfWitsCaption;
    bool pasonMode = true;
    bool requestMode = false;
    std::array<QByteArray, 3> pumpRates{"77", "82", "15"};
    bool noiseChecked = false;
    QByteArray msgTimer = "2";
    bool ended = false;

    // Captions as last set; empty until set.
    QByteArray lastPacketSent;
    QByteArray pktSize;
    // Every disply_text / disply_rec argument, one entry per call.
    QList<QByteArray> sendTexts;
    QList<QByteArray> receiveTexts;
    // Both windows' appends in call order, prefixed "send:" or "rec:".
    QList<QByteArray> appends;

    // Called with the 1-based number of each pause, to act as events run in it would.
    std::function<void(int)> onPause;
    int pauses = 0;

    QByteArray witsTypeCaption() const override { return caption; }
    bool pasonModeSelected() const override { return pasonMode; }
    bool requestModeSelected() const override { return requestMode; }
    QByteArray pumpRateText(int pump) const override {
        return pumpRates.at(static_cast<std::size_t>(pump - 1));
    }
    bool randomNoiseChecked() const override { return noiseChecked; }
    QByteArray msgTimerText() const override { return msgTimer; }
    void setLastPacketSentCaption(QByteArrayView text) override {
        lastPacketSent = text.toByteArray();
    }
    void setPktSizeCaption(QByteArrayView text) override { pktSize = text.toByteArray(); }
    void disply_text(QByteArrayView text) override {
        sendTexts.append(text.toByteArray());
        appends.append("send:" + text.toByteArray());
    }
    void disply_rec(QByteArrayView text) override {
        receiveTexts.append(text.toByteArray());
        appends.append("rec:" + text.toByteArray());
    }
    void letPendingEventsRun() override {
        ++pauses;
        if (onPause) {
            onPause(pauses);
        }
    }
    bool programEnded() const override { return ended; }
};

} // namespace kestrune::wits::testing
