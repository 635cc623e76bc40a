#pragma once

#include "core/clock.h"
#include "core/random_source.h"
#include "core/sim_state.h"
#include "serial/fake_comm_port.h"
#include "tests/wits/fake_wits_window.h"

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QTime>
#include <gtest/gtest.h>
#include <initializer_list>
#include <vector>

namespace kestrune::wits::testing {

// Template slots as the loader stores them: each line followed by CR LF.
inline void loadTemplate(TemplateLines& lines, std::initializer_list<QByteArray> fileLines) {
    std::size_t index = 0;
    for (const QByteArray& line : fileLines) {
        lines.at(index++) = line + "\r\n";
    }
}

inline QByteArray packetOf(std::initializer_list<QByteArray> lines) {
    QByteArray packet;
    for (const QByteArray& line : lines) {
        packet += line + "\r\n";
    }
    return packet;
}

class WitsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(port.setPortOpen(true).ok());
        state.current_depth = 2000.0999999999999;
        state.bit_depth = 1234.5;
        state.pump1_strokes = 1;
        state.pump2_strokes = 2;
        state.pump3_strokes = 3;
        state.total_strokes = -4;
    }

    void useRandom(std::vector<double> values) { random = SequenceRandomSource(std::move(values)); }

    sim_state state;
    FakeWitsWindow window;
    serial::FakeCommPort port;
    FixedClock clock{QDateTime(QDate(2024, 3, 7), QTime(9, 5, 3))};
    SequenceRandomSource random{{}};
};

} // namespace kestrune::wits::testing
