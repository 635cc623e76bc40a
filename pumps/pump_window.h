#pragma once

// What the pump handlers read and write of the main window's controls and stroke timers. The
// window implements it over its widgets; texts cross it as 8-bit bytes, one byte per character.

#include "core/rgb.h"
#include "core/status.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QtGlobal>
#include <optional>

namespace kestrune::pumps {

// The pumps are numbered 1, 2 and 3 wherever a control belongs to one of them.
inline constexpr int kPumpCount = 3;

// Which of op_pumps_on, op_pumps_off and op_pumps_off_on_con is selected.
enum class PumpPolicy { AlwaysOn, AlwaysOff, OffWhenOffBottom };

class PumpWindow {
public:
    virtual ~PumpWindow() = default;

    // Text of txt_Pump1SPM, txt_Pump2SPM or txt_Pump3SPM. Setting it runs that box's Change
    // handler (the rate check) before returning, as any change of the text does.
    virtual QByteArray pumpSpmText(int pump) const = 0;
    virtual void setPumpSpmText(int pump, QByteArrayView text) = 0;

    // Back colour of the rate box; empty while it still has the platform's default colour.
    virtual std::optional<Rgb> pumpSpmBackColour(int pump) const = 0;
    virtual void setPumpSpmBackColour(int pump, Rgb colour) = 0;

    // Text of txt_Pump1TS, txt_Pump2TS or txt_Pump3TS.
    virtual QByteArray pumpTsText(int pump) const = 0;
    virtual void setPumpTsText(int pump, QByteArrayView text) = 0;

    // Text of txt_TotalStrokes.
    virtual QByteArray totalStrokesText() const = 0;
    virtual void setTotalStrokesText(QByteArrayView text) = 0;

    // Period of tmr_pump1, tmr_pump2 or tmr_pump3 in ms, 0 meaning stopped. Setting a period
    // below 0 or above the timer's limit fails and changes nothing.
    virtual int pumpTimerPeriod(int pump) const = 0;
    virtual Status setPumpTimerPeriod(int pump, qint64 period) = 0;

    // The selected pump option.
    virtual PumpPolicy pumpPolicy() const = 0;
};

} // namespace kestrune::pumps
