#pragma once

// What the drilling simulation reads and writes of the main window's controls. The window
// implements it over its widgets; tests implement it with a fake.

#include "core/rgb.h"
#include "core/status.h"

#include <QByteArray>
#include <QByteArrayView>

namespace kestrune::drilling {

// The options of the "Off Bottom Bit Control" group, one selected at a time.
enum class BottomMode {
    OnBottom,  // op_on_bottom
    OffBottom, // op_off_bottom
    Every10,   // op_off_bottom_10
    Every30,   // op_off_bottom_30
    Every60,   // op_off_bottom_60
    Every32,   // op_off_bottom_every32
};

class DrillingWindow {
public:
    virtual ~DrillingWindow();

    // Hole depth box: the operator's and the simulator's shared record of the depth.
    virtual QByteArray txt_depth_text() const = 0;
    virtual void set_txt_depth_text(QByteArrayView text) = 0;
    virtual void set_txt_depth_back(Rgb colour) = 0;

    virtual void set_txt_bit_depth_text(QByteArrayView text) = 0;

    virtual void set_lbl_drilling_status_caption(QByteArrayView caption) = 0;
    virtual void set_lbl_drilling_status_back(Rgb colour) = 0;
    virtual void set_lbl_drilling_status_text_colour(Rgb colour) = 0;

    virtual void set_lbl_connection_info_caption(QByteArrayView caption) = 0;
    virtual void set_lbl_sec_timer_caption(QByteArrayView caption) = 0;
    virtual void set_lbl_TimerReload_caption(QByteArrayView caption) = 0;

    // Which bottom option is selected, and whether "ROP Random Sec/ Ft" is.
    virtual BottomMode bottom_mode() const = 0;
    virtual bool op_RNDsec_selected() const = 0;

    virtual void set_txt_on_bot_timer_text(QByteArrayView text) = 0;
    virtual void set_txt_off_bot_timer_text(QByteArrayView text) = 0;

    // Appends to the send window, unchanged and without a line break.
    virtual void disply_text(QByteArrayView text) = 0;

    // Steps owned elsewhere that the maintenance tick runs in their places. The tick calls
    // blinkStep only while the run switch is off, so the step itself need not check it.
    virtual void blinkStep() = 0;
    virtual Status pumpRunPolicy() = 0;
};

// Appends label + description to the send window.
void report(DrillingWindow& window, const char* label, const QString& description);

} // namespace kestrune::drilling
