#pragma once

#include "app/ticker.h"
#include "pumps/pump_window.h"

#include <QObject>
#include <array>

class QLineEdit;
class QRadioButton;
class QWidget;

namespace kestrune::app {

// The pump frame's controls and the stroke timers, as the pump handlers see them. Wires the rate
// boxes' Change and every box's LostFocus to their handlers.
class PumpControls final : public QObject, public pumps::PumpWindow {
    Q_OBJECT
public:
    PumpControls(QWidget* window, std::array<Ticker*, pumps::kPumpCount> timers,
                 std::function<void(int pump)> rateChanged,
                 std::function<void(QLineEdit* box)> lostFocus);

    QByteArray pumpSpmText(int pump) const override;
    void setPumpSpmText(int pump, QByteArrayView text) override;
    std::optional<Rgb> pumpSpmBackColour(int pump) const override;
    void setPumpSpmBackColour(int pump, Rgb colour) override;
    QByteArray pumpTsText(int pump) const override;
    void setPumpTsText(int pump, QByteArrayView text) override;
    QByteArray totalStrokesText() const override;
    void setTotalStrokesText(QByteArrayView text) override;
    int pumpTimerPeriod(int pump) const override;
    Status setPumpTimerPeriod(int pump, qint64 period) override;
    pumps::PumpPolicy pumpPolicy() const override;

    QLineEdit* rateBox(int pump) const { return spm_[index(pump)]; }
    QLineEdit* countBox(int pump) const { return ts_[index(pump)]; }
    QLineEdit* totalBox() const { return total_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    static std::size_t index(int pump) { return static_cast<std::size_t>(pump - 1); }

    std::array<QLineEdit*, pumps::kPumpCount> spm_{};
    std::array<QLineEdit*, pumps::kPumpCount> ts_{};
    std::array<bool, pumps::kPumpCount> painted_{};
    QLineEdit* total_ = nullptr;
    std::array<Ticker*, pumps::kPumpCount> timers_;
    QRadioButton* alwaysOn_ = nullptr;
    QRadioButton* alwaysOff_ = nullptr;
    std::function<void(QLineEdit*)> lostFocus_;
};

} // namespace kestrune::app
