#pragma once

#include "core/sim_state.h"
#include "drilling/drilling_window.h"

#include <QByteArray>
#include <deque>
#include <ostream>
#include <vector>

// Failure messages show texts as texts.
inline void PrintTo(const QByteArray& bytes, std::ostream* os) {
    *os << '"' << bytes.toStdString() << '"';
}

namespace kestrune::drilling::testing {

// Records what the drilling logic writes and hands it what a test sets.
class FakeDrillingWindow final : public DrillingWindow {
public:
    QByteArray txt_depth_text() const override { return depthText; }
    void set_txt_depth_text(QByteArrayView text) override {
        depthText = text.toByteArray();
        ++depthWrites;
    }
    void set_txt_depth_back(Rgb colour) override { depthBack = colour; }
    void set_txt_bit_depth_text(QByteArrayView text) override {
        bitDepthText = text.toByteArray();
        ++bitDepthWrites;
    }
    void set_lbl_drilling_status_caption(QByteArrayView caption) override {
        statusCaption = caption.toByteArray();
    }
    void set_lbl_drilling_status_back(Rgb colour) override { statusBack = colour; }
    void set_lbl_drilling_status_text_colour(Rgb colour) override { statusText = colour; }
    void set_lbl_connection_info_caption(QByteArrayView caption) override {
        connectionCaption = caption.toByteArray();
    }
    void set_lbl_sec_timer_caption(QByteArrayView caption) override {
        secTimerCaption = caption.toByteArray();
    }
    void set_lbl_TimerReload_caption(QByteArrayView caption) override {
        timerReloadCaption = caption.toByteArray();
    }
    BottomMode bottom_mode() const override { return mode; }
    bool op_RNDsec_selected() const override { return randomRopSelected; }
    void set_txt_on_bot_timer_text(QByteArrayView text) override {
        onBotTimerText = text.toByteArray();
    }
    void set_txt_off_bot_timer_text(QByteArrayView text) override {
        offBotTimerText = text.toByteArray();
    }
    void disply_text(QByteArrayView text) override { sent += text; }
    void blinkStep() override { ++blinks; }
    Status pumpRunPolicy() override {
        ++policyRuns;
        if (watched != nullptr) {
            policySawOffBottom.push_back(watched->off_bottom);
        }
        if (policyFailures.empty()) {
            return {};
        }
        Status next = policyFailures.front();
        policyFailures.pop_front();
        return next;
    }

    QByteArray depthText = "2000.00";
    int depthWrites = 0;
    Rgb depthBack{};
    QByteArray bitDepthText = "2000.00";
    int bitDepthWrites = 0;
    QByteArray statusCaption = "  OFF BOTTOM  ";
    Rgb statusBack{};
    Rgb statusText{};
    QByteArray connectionCaption;
    QByteArray secTimerCaption = "Gseconds Counter";
    QByteArray timerReloadCaption = "Gtimer Reload";
    BottomMode mode = BottomMode::Every32;
    bool randomRopSelected = false;
    QByteArray onBotTimerText = "0";
    QByteArray offBotTimerText = "0";
    QByteArray sent;
    int blinks = 0;
    int policyRuns = 0;
    std::deque<Status> policyFailures;  // handed out one per run, then success
    const sim_state* watched = nullptr; // when set, the policy records off_bottom as it sees it
    std::vector<bool> policySawOffBottom;
};

} // namespace kestrune::drilling::testing
