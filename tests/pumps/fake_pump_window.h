#pragma once

// The pump controls and stroke timers in memory. Writing a rate box runs its rate check, as the
// window's change event does.

#include "pumps/pump_strokes.h"
#include "pumps/pump_window.h"

#include <QByteArray>
#include <array>
#include <optional>
#include <utility>
#include <vector>

namespace kestrune::pumps::testing {

class FakePumpWindow : public PumpWindow {
public:
    std::array<QByteArray, kPumpCount> spm{"77", "82", "15"};
    std::array<std::optional<Rgb>, kPumpCount> spmBack;
    std::array<QByteArray, kPumpCount> ts{"0", "0", "0"};
    QByteArray total = "0";
    std::array<int, kPumpCount> periods{779, 732, 4000};
    PumpPolicy policy = PumpPolicy::OffWhenOffBottom;
    // Every text written into a rate box, by the code under test or by its own check.
    std::vector<std::pair<int, QByteArray>> spmWrites;
    // The timer of this pump refuses every period, as a broken timer would.
    std::optional<int> refusingTimer;

    // The operator types a whole text into a rate box: one change.
    void type(int pump, QByteArrayView text) { setPumpSpmText(pump, text); }

    QByteArray pumpSpmText(int pump) const override { return spm.at(slot(pump)); }
    void setPumpSpmText(int pump, QByteArrayView text) override {
        spm.at(slot(pump)) = text.toByteArray();
        spmWrites.emplace_back(pump, text.toByteArray());
        checkRate(*this, pump);
    }
    std::optional<Rgb> pumpSpmBackColour(int pump) const override { return spmBack.at(slot(pump)); }
    void setPumpSpmBackColour(int pump, Rgb colour) override { spmBack.at(slot(pump)) = colour; }
    QByteArray pumpTsText(int pump) const override { return ts.at(slot(pump)); }
    void setPumpTsText(int pump, QByteArrayView text) override {
        ts.at(slot(pump)) = text.toByteArray();
    }
    QByteArray totalStrokesText() const override { return total; }
    void setTotalStrokesText(QByteArrayView text) override { total = text.toByteArray(); }
    int pumpTimerPeriod(int pump) const override { return periods.at(slot(pump)); }
    Status setPumpTimerPeriod(int pump, qint64 period) override {
        if (period < 0 || period > kMaxStrokePeriod || refusingTimer == pump) {
            return Failure{QStringLiteral("Invalid property value")};
        }
        periods.at(slot(pump)) = static_cast<int>(period);
        return {};
    }
    PumpPolicy pumpPolicy() const override { return policy; }

private:
    static std::size_t slot(int pump) { return static_cast<std::size_t>(pump - 1); }
};

} // namespace kestrune::pumps::testing
