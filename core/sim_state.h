#pragma once

#include <QByteArray>
#include <array>
#include <cstdint>

namespace kestrune {

// Slots per template; the builder sends at most the first kTemplateSentSlots.
inline constexpr int kTemplateSlots = 201;
inline constexpr int kTemplateSentSlots = 200;
using TemplateLines = std::array<QByteArray, kTemplateSlots>;

// The record of simulator state that every handler of the window shares. Plain data: created
// zeroed with the window, given its start values by start-up, discarded at the end.
struct sim_state {
    TemplateLines half_wits_lines;
    TemplateLines full_wits_lines;
    double current_depth = 0;
    double bit_depth = 0;
    std::int32_t pump1_strokes = 0;
    std::int32_t pump2_strokes = 0;
    std::int32_t pump3_strokes = 0;
    std::int32_t total_strokes = 0;
    double rop_countdown = 0;
    double auto_send_elapsed = 0;
    std::int32_t rop_reload = 0;
    bool wits_running = false;
    bool off_bottom = false;
    std::int32_t off_bottom_timer = 0;
    std::int32_t on_bottom_timer = 0;
    std::int32_t noise_holdoff = 0;
    double footage_since_connection = 0;
    bool start_button_blink = false;
};

} // namespace kestrune
