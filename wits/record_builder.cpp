#include "wits/record_builder.h"

#include "core/numeric_text.h"

#include <QDateTime>
#include <QLatin1String>
#include <algorithm>
#include <array>
#include <optional>
#include <span>
#include <string_view>
#include <utility>

namespace kestrune::wits {

namespace {

enum class Item {
    TimeOfDay,
    Date,
    BitDepth,
    HoleDepth,
    Pump1Rate,
    Pump2Rate,
    Pump3Rate,
    TotalStrokes,
    Pump1Strokes,
    Pump2Strokes,
    Pump3Strokes,
};

struct ItemCode {
    std::string_view code;
    Item item;
};

constexpr std::array kHalfCodes{
    ItemCode{"0108", Item::BitDepth},     ItemCode{"0110", Item::HoleDepth},
    ItemCode{"1108", Item::HoleDepth},    ItemCode{"0123", Item::Pump1Rate},
    ItemCode{"0124", Item::Pump2Rate},    ItemCode{"0125", Item::Pump3Rate},
    ItemCode{"0137", Item::TotalStrokes}, ItemCode{"0143", Item::Pump1Strokes},
    ItemCode{"0144", Item::Pump2Strokes}, ItemCode{"0145", Item::Pump3Strokes},
};

constexpr std::array kFullCodes{
    ItemCode{"0104", Item::TimeOfDay},    ItemCode{"0105", Item::Date},
    ItemCode{"0108", Item::BitDepth},     ItemCode{"0110", Item::HoleDepth},
    ItemCode{"1108", Item::HoleDepth},    ItemCode{"0123", Item::Pump1Rate},
    ItemCode{"0124", Item::Pump2Rate},    ItemCode{"0125", Item::Pump3Rate},
    ItemCode{"0137", Item::TotalStrokes}, ItemCode{"0143", Item::Pump1Strokes},
    ItemCode{"0144", Item::Pump2Strokes}, ItemCode{"0145", Item::Pump3Strokes},
    ItemCode{"0408", Item::BitDepth},     ItemCode{"0410", Item::HoleDepth},
};

constexpr char kTimeOfDayFormat[] = "hhmmss";
constexpr char kDateFormat[] = "yyMMdd";
constexpr int kDepthDecimals = 1;
constexpr char kLineEnd[] = "\r\n";

QByteArray bytes(std::string_view text) {
    return QByteArray(text.data(), static_cast<qsizetype>(text.size()));
}

Result<QByteArray> itemValue(Item item, const sim_state& state, const WitsWindow& window,
                             const Clock& clock) {
    switch (item) {
    case Item::TimeOfDay:
        return clock.now().time().toString(QLatin1String(kTimeOfDayFormat)).toLatin1();
    case Item::Date:
        return clock.now().date().toString(QLatin1String(kDateFormat)).toLatin1();
    case Item::BitDepth:
        return text::pattern(state.bit_depth, kDepthDecimals);
    case Item::HoleDepth:
        return text::pattern(state.current_depth, kDepthDecimals);
    case Item::Pump1Rate:
        return window.pumpRateText(1);
    case Item::Pump2Rate:
        return window.pumpRateText(2);
    case Item::Pump3Rate:
        return window.pumpRateText(3);
    case Item::TotalStrokes:
        return text::plainInt(state.total_strokes);
    case Item::Pump1Strokes:
        return text::plainInt(state.pump1_strokes);
    case Item::Pump2Strokes:
        return text::plainInt(state.pump2_strokes);
    case Item::Pump3Strokes:
        return text::plainInt(state.pump3_strokes);
    }
    return QByteArray();
}

// The code a slot begins with, if it is one of `codes` and the slot is longer than the code. A
// template line of the code alone is stored with its CR LF, so it is an item line too.
const ItemCode* itemLine(QByteArrayView slot, std::span<const ItemCode> codes) {
    if (slot.size() <= kItemCodeLength) {
        return nullptr;
    }
    const QByteArrayView prefix = slot.first(kItemCodeLength);
    const auto found = std::find_if(codes.begin(), codes.end(), [prefix](const ItemCode& c) {
        return prefix == QByteArrayView(c.code.data(), static_cast<qsizetype>(c.code.size()));
    });
    return found == codes.end() ? nullptr : &*found;
}

// Empty optional: the window was closed while its events ran.
using PassOutcome = Result<std::optional<QByteArray>>;

// One pass over a template: rewrites its item lines in place, filters Pason lines, adds noise
// when due and shows the packet.
PassOutcome buildPass(TemplateLines& lines, std::span<const ItemCode> codes, sim_state& state,
                      WitsWindow& window, const Clock& clock, RandomSource& random) {
    QByteArray packet;
    for (int index = 0; index < kTemplateSentSlots; ++index) {
        // Ticks, clicks and keys run here, so any value, the mode or the port may change between
        // lines. A window timer never delivers a tick while its own handler is still running, so
        // the scheduler cannot start a second, nested build from this pause: its ticks are
        // dropped until this packet is done. Other timers and the operator's clicks do run.
        window.letPendingEventsRun();
        if (window.programEnded()) {
            return std::optional<QByteArray>();
        }
        QByteArray& slot = lines[index];
        if (slot.isEmpty()) {
            break;
        }
        if (const ItemCode* item = itemLine(slot, codes)) {
            const Result<QByteArray> value = itemValue(item->item, state, window, clock);
            if (!value) {
                return Failure{value.description()};
            }
            slot = bytes(item->code) + *value + kLineEnd;
        }
        if (window.pasonModeSelected() || !slot.contains(kPasonMarker)) {
            packet += slot;
        }
    }
    if (window.randomNoiseChecked() && state.noise_holdoff == 0) {
        if (const Status noisy = addLineNoise(packet, state.noise_holdoff, random); !noisy) {
            return Failure{noisy.description()};
        }
    }
    window.disply_text(packet);
    return std::optional<QByteArray>(std::move(packet));
}

// Everything after the port test; an ended program returns success having done nothing more.
Status sendPacket(sim_state& state, WitsWindow& window, serial::MSComm& port, const Clock& clock,
                  RandomSource& random) {
    window.setLastPacketSentCaption(
        QByteArray(kLastPacketSentPrefix) +
        clock.now().time().toString(QLatin1String(kLastPacketSentTimeFormat)).toLatin1());

    QByteArray packet;
    // The caption is read again for the full pass: a switch to full during the half pass makes
    // both run, and the full packet is the one written.
    if (window.witsTypeCaption() == kHalfWitsCaption) {
        PassOutcome half =
            buildPass(state.half_wits_lines, kHalfCodes, state, window, clock, random);
        if (!half) {
            return half.status();
        }
        if (!half.value().has_value()) {
            return {};
        }
        packet = std::move(*half.value());
    }
    if (window.witsTypeCaption() == kFullWitsCaption) {
        PassOutcome full =
            buildPass(state.full_wits_lines, kFullCodes, state, window, clock, random);
        if (!full) {
            return full.status();
        }
        if (!full.value().has_value()) {
            return {};
        }
        packet = std::move(*full.value());
    }

    window.setPktSizeCaption(QByteArray(kPktSizePrefix) + QByteArray::number(packet.size()));
    return port.Output(packet);
}

} // namespace

void Send_Wits_Out_Serial_Port(sim_state& state, WitsWindow& window, serial::MSComm& port,
                               const Clock& clock, RandomSource& random) {
    if (!port.PortOpen()) {
        return;
    }
    if (const Status sent = sendPacket(state, window, port, clock, random); !sent) {
        window.disply_text(QByteArray(kSendWitsErrorLabel) + sent.description().toLatin1());
    }
}

Status addLineNoise(QByteArray& packet, std::int32_t& noise_holdoff, RandomSource& random) {
    const Result<std::int32_t> holdoff = text::toInt32(random.next() * kNoiseHoldoffSpan);
    if (!holdoff) {
        return holdoff.status();
    }
    noise_holdoff = *holdoff;
    const Result<std::int32_t> extraPasses = text::toInt32(random.next() * kNoisePassSpan);
    if (!extraPasses) {
        return extraPasses.status();
    }
    const std::int32_t passes = *extraPasses + 1;
    for (std::int32_t pass = 0; pass < passes; ++pass) {
        const qsizetype length = packet.size();
        if (length <= kNoiseMinLength) {
            continue;
        }
        const Result<std::int32_t> position =
            text::toInt32(random.next() * static_cast<double>(length) - kNoisePositionBack);
        if (!position) {
            return position.status();
        }
        // A position before the start has nowhere to put the byte: the pass is skipped before its
        // byte is drawn, so the next pass takes the next value of the shared sequence.
        if (*position < 0) {
            continue;
        }
        const Result<std::int32_t> code = text::toInt32(random.next() * kNoiseByteSpan);
        if (!code) {
            return code.status();
        }
        // The line repeats the two characters before the inserted byte; near the start that
        // tail is the whole packet.
        const qsizetype head = *position;
        const qsizetype tail = std::min(length - head + kNoiseRepeatedChars, length);
        QByteArray noisy = packet.first(head);
        noisy += static_cast<char>(*code);
        noisy += packet.last(tail);
        packet = std::move(noisy);
    }
    return {};
}

} // namespace kestrune::wits
