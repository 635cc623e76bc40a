#include "app/pump_controls.h"

#include "app/fm_kestrune.h"
#include "app/look.h"
#include "pumps/pump_strokes.h"

#include <QEvent>
#include <QLineEdit>
#include <QRadioButton>

namespace kestrune::app {

static_assert(Ticker::kMaxPeriod == pumps::kMaxStrokePeriod, "one limit for the stroke timers");

PumpControls::PumpControls(QWidget* window, std::array<Ticker*, pumps::kPumpCount> timers,
                           std::function<void(int pump)> rateChanged,
                           std::function<void(QLineEdit* box)> lostFocus)
    : QObject(window), timers_(timers), lostFocus_(std::move(lostFocus)) {
    auto box = [window](const QString& name) { return window->findChild<QLineEdit*>(name); };
    for (int pump = 1; pump <= pumps::kPumpCount; ++pump) {
        spm_[index(pump)] = box(QStringLiteral("txt_Pump%1SPM").arg(pump));
        ts_[index(pump)] = box(QStringLiteral("txt_Pump%1TS").arg(pump));
        // Every change of the text, typed or written by the program, runs the rate check.
        connect(spm_[index(pump)], &QLineEdit::textChanged, this,
                [rateChanged, pump] { rateChanged(pump); });
        spm_[index(pump)]->installEventFilter(this);
        ts_[index(pump)]->installEventFilter(this);
    }
    total_ = box(QStringLiteral("txt_TotalStrokes"));
    total_->installEventFilter(this);
    alwaysOn_ = window->findChild<QRadioButton*>(QStringLiteral("op_pumps_on"));
    alwaysOff_ = window->findChild<QRadioButton*>(QStringLiteral("op_pumps_off"));
}

bool PumpControls::eventFilter(QObject* watched, QEvent* event) {
    // Every loss of focus counts, also when nothing was edited.
    if (event->type() == QEvent::FocusOut) {
        lostFocus_(qobject_cast<QLineEdit*>(watched));
    }
    return QObject::eventFilter(watched, event);
}

QByteArray PumpControls::pumpSpmText(int pump) const {
    return bytesOf(spm_[index(pump)]);
}

void PumpControls::setPumpSpmText(int pump, QByteArrayView text) {
    setBytes(spm_[index(pump)], text);
}

std::optional<Rgb> PumpControls::pumpSpmBackColour(int pump) const {
    if (!painted_[index(pump)]) {
        return std::nullopt;
    }
    const QColor colour = backColour(spm_[index(pump)]);
    return Rgb{colour.red(), colour.green(), colour.blue()};
}

void PumpControls::setPumpSpmBackColour(int pump, Rgb colour) {
    painted_[index(pump)] = true;
    setBackColour(spm_[index(pump)], toQColor(colour));
}

QByteArray PumpControls::pumpTsText(int pump) const {
    return bytesOf(ts_[index(pump)]);
}

void PumpControls::setPumpTsText(int pump, QByteArrayView text) {
    setBytes(ts_[index(pump)], text);
}

QByteArray PumpControls::totalStrokesText() const {
    return bytesOf(total_);
}

void PumpControls::setTotalStrokesText(QByteArrayView text) {
    setBytes(total_, text);
}

int PumpControls::pumpTimerPeriod(int pump) const {
    return timers_[index(pump)]->period();
}

Status PumpControls::setPumpTimerPeriod(int pump, qint64 period) {
    return timers_[index(pump)]->setPeriod(period);
}

pumps::PumpPolicy PumpControls::pumpPolicy() const {
    if (alwaysOn_->isChecked()) {
        return pumps::PumpPolicy::AlwaysOn;
    }
    if (alwaysOff_->isChecked()) {
        return pumps::PumpPolicy::AlwaysOff;
    }
    return pumps::PumpPolicy::OffWhenOffBottom;
}

} // namespace kestrune::app
