#include "wits/send_scheduler.h"

#include "core/numeric_text.h"
#include "core/status.h"
#include "wits/record_builder.h"

#include <QByteArray>

namespace kestrune::wits {

namespace {

Status runTick(sim_state& state, WitsWindow& window, serial::MSComm& port, const Clock& clock,
               RandomSource& random) {
    if (state.wits_running && !window.requestModeSelected()) {
        state.auto_send_elapsed += kAutoSendStep;
        // Read at every tick so a new interval takes effect at once.
        const Result<double> interval = text::numericValue(window.msgTimerText());
        if (!interval) {
            return interval.status();
        }
        if (state.auto_send_elapsed >= *interval) {
            state.auto_send_elapsed = 0;
            Send_Wits_Out_Serial_Port(state, window, port, clock, random);
            if (window.programEnded()) {
                return {};
            }
        }
    }

    const Result<int> waiting = port.InBufferCount();
    if (!waiting) {
        return waiting.status();
    }
    if (*waiting > 0) {
        const Result<QByteArray> received = port.Input();
        if (!received) {
            return received.status();
        }
        // Shown before any answer, and not kept: a marker split over two reads is not a request.
        window.disply_rec(*received);
        if (received.value().contains(kRequestMarker) && state.wits_running &&
            window.requestModeSelected()) {
            Send_Wits_Out_Serial_Port(state, window, port, clock, random);
        }
    }
    return {};
}

} // namespace

void tmrDataArrival_Timer(sim_state& state, WitsWindow& window, serial::MSComm& port,
                          const Clock& clock, RandomSource& random) {
    if (const Status ticked = runTick(state, window, port, clock, random); !ticked) {
        window.disply_text(QByteArray(kTimerDataArrivalErrorLabel) +
                           ticked.description().toLatin1());
    }
}

} // namespace kestrune::wits
