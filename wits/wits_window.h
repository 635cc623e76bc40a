#pragma once

// What packet building and scheduling read and write of the main window's controls. The window
// implements it over its widgets; every text crosses it as 8-bit bytes, one byte per character.

#include <QByteArray>
#include <QByteArrayView>

namespace kestrune::wits {

// Captions of cmd_wits_type, the Half/Full template switch.
inline constexpr char kHalfWitsCaption[] = "Half WITS";
inline constexpr char kFullWitsCaption[] = "Full WITS";

class WitsWindow {
public:
    virtual ~WitsWindow() = default;

    // Caption of cmd_wits_type.
    virtual QByteArray witsTypeCaption() const = 0;
    // op_sim_pason_req or op_sim_pason_auto is selected.
    virtual bool pasonModeSelected() const = 0;
    // op_sim_pason_req is selected.
    virtual bool requestModeSelected() const = 0;
    // Text of txt_Pump1SPM, txt_Pump2SPM or txt_Pump3SPM for pump 1, 2 or 3, exactly as typed.
    virtual QByteArray pumpRateText(int pump) const = 0;
    // chk_random_noise is checked.
    virtual bool randomNoiseChecked() const = 0;
    // Text of txt_msg_timer.
    virtual QByteArray msgTimerText() const = 0;

    // Caption of lbl_last_packet_sent.
    virtual void setLastPacketSentCaption(QByteArrayView caption) = 0;
    // Caption of lbl_PktSize.
    virtual void setPktSizeCaption(QByteArrayView caption) = 0;

    // Append to the send and the receive traffic window.
    virtual void disply_text(QByteArrayView text) = 0;
    virtual void disply_rec(QByteArrayView text) = 0;

    // Runs the window's pending events (timer ticks, clicks, keys) and returns.
    virtual void letPendingEventsRun() = 0;
    // The window was closed during letPendingEventsRun(): the caller must stop at once and
    // touch nothing more.
    virtual bool programEnded() const = 0;
};

} // namespace kestrune::wits
