#include "drilling/depth_engine.h"

#include "core/numeric_text.h"
#include "drilling/drilling_constants.h"
#include "tests/drilling/fake_drilling_window.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <limits>
#include <set>

namespace kestrune::drilling {
namespace {

using testing::FakeDrillingWindow;

// "Connection in " caption for a whole number of tenths of a foot left.
QByteArray connectionCaption(int tenthsLeft) {
    return "Connection in " + QByteArray::number(tenthsLeft / 10) + '.' +
           QByteArray::number(tenthsLeft % 10) + "0 ft";
}

class DepthEngineTest : public ::testing::Test {
protected:
    DepthEngineTest() {
        // As start-up leaves it with the default controls.
        state.current_depth = 2000;
        state.bit_depth = 2000;
        state.rop_reload = 60;
        state.rop_countdown = 60;
        state.off_bottom_timer = 300;
    }

    void tick() { old_tmr_data_chage_Timer(state, window, randomRop); }

    // Ticks until a depth step has been made; the number of ticks it took, or -1.
    int ticksToNextStep(int limit) {
        const int before = window.bitDepthWrites;
        for (int i = 1; i <= limit; ++i) {
            tick();
            if (window.bitDepthWrites != before) {
                return i;
            }
        }
        return -1;
    }

    sim_state state;
    FakeDrillingWindow window;
    RandomRop randomRop;
};

TEST_F(DepthEngineTest, StatusLabelAndDepthBoxFollowTheFlags) {
    struct Case {
        bool offBottom;
        bool running;
        const char* caption;
        Rgb back;
        Rgb text;
        Rgb depthBack;
    };
    const Case cases[] = {
        {false, false, "  ON BOTTOM  ", {0, 255, 0}, {0, 0, 0}, {255, 0, 0}},
        {false, true, "  ON BOTTOM  ", {0, 255, 0}, {0, 0, 0}, {255, 255, 255}},
        {true, false, "  OFF BOTTOM  ", {255, 128, 0}, {255, 255, 255}, {255, 0, 0}},
        {true, true, "  OFF BOTTOM  ", {255, 128, 0}, {255, 255, 255}, {255, 255, 255}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE((c.caption + QByteArray(c.running ? " running" : " stopped")).toStdString());
        state.off_bottom = c.offBottom;
        state.wits_running = c.running;
        tick();
        EXPECT_EQ(window.statusCaption, c.caption);
        EXPECT_EQ(window.statusBack, c.back);
        EXPECT_EQ(window.statusText, c.text);
        EXPECT_EQ(window.depthBack, c.depthBack);
    }
}

TEST_F(DepthEngineTest, SecondsCounterShowsNDownTo1AndTheStepComesOnTheLast) {
    using Click = void (*)(sim_state&);
    struct Case {
        Click click;
        int n;
    };
    for (const Case c : {Case{op_01sec_Click, 1}, Case{op_02sec_Click, 2}, Case{op_05sec_Click, 5},
                         Case{op_10sec_Click, 10}}) {
        SCOPED_TRACE(c.n);
        c.click(state);
        for (int round = 0; round < 3; ++round) {
            for (int shown = c.n; shown >= 1; --shown) {
                const int writesBefore = window.bitDepthWrites;
                tick();
                EXPECT_EQ(window.secTimerCaption, "Seconds Counter: " + QByteArray::number(shown));
                EXPECT_EQ(window.timerReloadCaption, "Timer Reload: " + QByteArray::number(c.n));
                EXPECT_EQ(window.bitDepthWrites - writesBefore, shown == 1 ? 1 : 0);
            }
        }
    }
}

TEST_F(DepthEngineTest, RopClickSetsTheRateAndRestartsTheInterval) {
    using Click = void (*)(sim_state&);
    struct Case {
        Click click;
        int n;
    };
    const Case cases[] = {{op_600sec_Click, 600}, {op_300sec_Click, 300}, {op_120sec_Click, 120},
                          {op_60sec_Click, 60},   {op_10sec_Click, 10},   {op_05sec_Click, 5},
                          {op_02sec_Click, 2},    {op_01sec_Click, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.n);
        op_60sec_Click(state);
        for (int i = 0; i < 37; ++i) {
            tick(); // part-way into an interval
        }
        c.click(state);
        EXPECT_EQ(state.rop_reload, c.n);
        EXPECT_EQ(state.rop_countdown, c.n);
        EXPECT_EQ(ticksToNextStep(c.n + 1), c.n);
        EXPECT_EQ(ticksToNextStep(c.n + 1), c.n);
    }
}

TEST_F(DepthEngineTest, ConnectionCountdownRunsFrom32To0Point10ThenLiftsTheBit) {
    op_01sec_Click(state);
    for (int step = 0; step < 320; ++step) {
        tick(); // shows the footage before its own step
        ASSERT_EQ(window.connectionCaption, connectionCaption(320 - step)) << "tick " << step + 1;
        ASSERT_FALSE(state.off_bottom) << "tick " << step + 1;
    }
    EXPECT_GE(state.footage_since_connection, 32.0);
    EXPECT_EQ(window.depthText, "2032.0");

    state.off_bottom_timer = 600; // as while on bottom after an earlier connection
    tick();
    EXPECT_TRUE(state.off_bottom);
    EXPECT_EQ(state.off_bottom_timer, 300);
    EXPECT_EQ(state.footage_since_connection, 0.0);
    EXPECT_EQ(window.statusCaption, "  ON BOTTOM  "); // shown before this tick's lift
    EXPECT_EQ(window.depthText, "2032.0");            // the step of the lift tick drills nothing
    EXPECT_EQ(window.bitDepthText, "1996.0");

    tick();
    EXPECT_EQ(window.connectionCaption, connectionCaption(320));
    EXPECT_EQ(window.statusCaption, "  OFF BOTTOM  ");
    for (int i = 0; i < 50; ++i) {
        tick();
    }
    EXPECT_EQ(window.connectionCaption, connectionCaption(320)); // footage stands still
    EXPECT_EQ(state.footage_since_connection, 0.0);
}

TEST_F(DepthEngineTest, WithoutEvery32TheLabelIsEmptyAndTheFootageNeverLifts) {
    window.mode = BottomMode::OnBottom;
    window.connectionCaption = "Connection in 3.00 ft";
    op_01sec_Click(state);
    for (int i = 0; i < 400; ++i) {
        tick();
    }
    EXPECT_EQ(window.connectionCaption, "");
    EXPECT_FALSE(state.off_bottom);
    EXPECT_GT(state.footage_since_connection, 39.9);
    EXPECT_EQ(window.depthText, "2040.0");
}

TEST_F(DepthEngineTest, TypedDepthIsTakenAtTheNextStep) {
    struct Case {
        bool offBottom;
        const char* typed;
        double depth;
        const char* depthText;
        double bit;
        const char* bitText;
    };
    const Case cases[] = {
        {false, "1234.5", 1234.5 + 0.1, "1234.6", 1234.5 + 0.1, "1234.6"},
        {true, "1234.5", 1234.5, "1234.5", 1234.5 - 36, "1198.5"},
        {false, "", 0.1, "0.1", 0.1, "0.1"},
        {true, "", 0, "", -36, "-36.0"},
        {false, "abc", 0.1, "0.1", 0.1, "0.1"},
        {true, "abc", 0, "abc", -36, "-36.0"},
        // Rounded on the 15-digit text: 0.25 + 0.1 is 0.34999999999999998 exactly.
        {false, "0.25", 0.25 + 0.1, "0.4", 0.25 + 0.1, "0.4"},
        {true, "10.04", 10.04, "10.04", 10.04 - 36, "-26.0"},
    };
    op_01sec_Click(state);
    for (const Case& c : cases) {
        SCOPED_TRACE((QByteArray(c.offBottom ? "off " : "on ") + c.typed).toStdString());
        state.off_bottom = c.offBottom;
        window.depthText = c.typed;
        tick();
        EXPECT_EQ(state.current_depth, c.depth);
        EXPECT_EQ(window.depthText, c.depthText);
        EXPECT_EQ(state.bit_depth, c.bit);
        EXPECT_EQ(window.bitDepthText, c.bitText);
        EXPECT_EQ(window.sent, "");
    }
}

TEST_F(DepthEngineTest, TypedDepthWaitsForTheStep) {
    op_10sec_Click(state);
    window.depthText = "5000";
    for (int i = 0; i < 9; ++i) {
        tick();
        ASSERT_EQ(state.current_depth, 2000.0);
    }
    tick();
    EXPECT_EQ(state.current_depth, 5000.1);
    EXPECT_EQ(window.depthText, "5000.1");
}

TEST_F(DepthEngineTest, EachStepStartsFromTheBoxSoRoundingDoesNotAddUp) {
    window.mode = BottomMode::OnBottom;
    window.depthText = "0";
    op_01sec_Click(state);
    for (int i = 0; i < 1000; ++i) {
        tick();
    }
    EXPECT_EQ(window.depthText, "100.0");
    EXPECT_EQ(state.current_depth, 99.9 + 0.1); // the box's value plus 0.1, unrounded
    EXPECT_EQ(state.bit_depth, state.current_depth);
    EXPECT_EQ(window.bitDepthText, "100.0");
}

TEST_F(DepthEngineTest, DepthBeyondDoubleRangeIsReportedAtEachStepAndChangesNothing) {
    for (const bool offBottom : {false, true}) {
        SCOPED_TRACE(offBottom ? "off bottom" : "on bottom");
        window.sent.clear();
        state.off_bottom = offBottom;
        state.current_depth = 2000;
        state.bit_depth = 1964;
        state.footage_since_connection = 12.5;
        window.depthText = "1e309";
        const int depthWrites = window.depthWrites;
        const int bitWrites = window.bitDepthWrites;
        op_02sec_Click(state);

        tick();
        EXPECT_EQ(window.sent, "");
        tick();
        EXPECT_EQ(window.sent, "Data Change Timer Err: Overflow");
        EXPECT_EQ(state.rop_countdown, 2.0); // reloaded before the step failed
        EXPECT_EQ(window.secTimerCaption, "Seconds Counter: 1");
        EXPECT_EQ(state.current_depth, 2000.0);
        EXPECT_EQ(state.bit_depth, 1964.0);
        EXPECT_EQ(state.footage_since_connection, 12.5);
        EXPECT_EQ(window.depthWrites, depthWrites);
        EXPECT_EQ(window.bitDepthWrites, bitWrites);

        tick();
        tick();
        EXPECT_EQ(window.sent, "Data Change Timer Err: OverflowData Change Timer Err: Overflow");
        EXPECT_EQ(window.depthText, "1e309");
    }
}

TEST_F(DepthEngineTest, NonFiniteFootageFailsTheStepAfterTheDepthIsTaken) {
    window.mode = BottomMode::OnBottom;
    state.footage_since_connection = std::numeric_limits<double>::infinity();
    op_01sec_Click(state);
    tick();
    EXPECT_EQ(window.sent, "Data Change Timer Err: Overflow");
    EXPECT_EQ(state.current_depth, 2000.0 + 0.1);
    EXPECT_EQ(window.depthWrites, 0);
    EXPECT_EQ(window.bitDepthWrites, 0);
}

TEST_F(DepthEngineTest, FailingConnectionCountdownSkipsTheRestOfTheTick) {
    state.footage_since_connection = std::numeric_limits<double>::infinity();
    op_01sec_Click(state);
    tick();
    EXPECT_EQ(window.sent, "Data Change Timer Err: Overflow");
    EXPECT_EQ(window.statusCaption, "  ON BOTTOM  ");
    EXPECT_EQ(window.depthBack, (Rgb{255, 0, 0}));
    EXPECT_EQ(window.secTimerCaption, "Gseconds Counter");
    EXPECT_EQ(state.rop_countdown, 1.0);
    EXPECT_FALSE(state.off_bottom);
    EXPECT_EQ(window.bitDepthWrites, 0);
}

TEST_F(DepthEngineTest, HugeFiniteDepthsFormatInFullWithoutFailing) {
    const QByteArray zeros308(308, '0');
    struct Case {
        bool offBottom;
        const char* typed;
        double depth;
        double bit;
        QByteArray depthText;
        QByteArray bitText;
    };
    const Case cases[] = {
        {false, "1e308", 1e308, 1e308, "1" + zeros308 + ".0", "1" + zeros308 + ".0"},
        {true, "-1e308", -1e308, -1e308, "-1e308", "-1" + zeros308 + ".0"},
        {true, "-1.7976931348623157e308", -DBL_MAX, -DBL_MAX, "-1.7976931348623157e308",
         "-179769313486232" + QByteArray(294, '0') + ".0"},
    };
    op_01sec_Click(state);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        state.off_bottom = c.offBottom;
        window.depthText = c.typed;
        tick();
        tick(); // the rewritten box reads back to the same value
        EXPECT_EQ(window.sent, "");
        EXPECT_EQ(state.current_depth, c.depth);
        EXPECT_EQ(state.bit_depth, c.bit);
        EXPECT_EQ(window.depthText, c.depthText);
        EXPECT_EQ(window.bitDepthText, c.bitText);
    }
}

TEST_F(DepthEngineTest, LargestDoubleOnBottomIsWrittenThenReportedWhenReadBack) {
    // Fifteen digits round DBL_MAX up past the range of a double.
    op_01sec_Click(state);
    window.depthText = "1.7976931348623157e308";
    tick();
    EXPECT_EQ(window.sent, "");
    EXPECT_EQ(state.current_depth, DBL_MAX);
    EXPECT_EQ(window.depthText, "179769313486232" + QByteArray(294, '0') + ".0");
    tick();
    EXPECT_EQ(window.sent, "Data Change Timer Err: Overflow");
    EXPECT_EQ(state.current_depth, DBL_MAX);
    EXPECT_EQ(window.bitDepthText, window.depthText);
}

TEST_F(DepthEngineTest, RandomRateDrawsAtOnceAndAnewAtEveryFootDrilled) {
    RandomRop twin; // same seed: the rates to expect
    window.mode = BottomMode::OnBottom;
    window.randomRopSelected = true;
    op_RNDsec_Click(state, randomRop);
    std::int32_t rate = twin.draw();
    EXPECT_EQ(state.rop_reload, rate);
    EXPECT_EQ(state.rop_countdown, rate);

    std::set<std::int32_t> rates{rate};
    for (int foot = 0; foot < 4; ++foot) {
        for (int step = 1; step <= 10; ++step) {
            ASSERT_EQ(ticksToNextStep(rate + 1), rate) << "foot " << foot << " step " << step;
            ASSERT_EQ(window.timerReloadCaption, "Timer Reload: " + QByteArray::number(rate));
            if (step < 10) {
                ASSERT_EQ(state.rop_reload, rate);
            }
        }
        rate = twin.draw();
        EXPECT_EQ(state.rop_reload, rate);
        EXPECT_EQ(state.rop_countdown, rate);
        rates.insert(rate);
    }
    EXPECT_GT(rates.size(), 1u);
}

TEST_F(DepthEngineTest, RandomRateCountsOnlyFeetDrilledOnBottomWhileSelected) {
    RandomRop twin;
    window.randomRopSelected = true;
    op_RNDsec_Click(state, randomRop);
    const std::int32_t first = twin.draw();
    const auto step = [this] {
        state.rop_countdown = 1;
        tick();
    };
    state.off_bottom = true;
    for (int i = 0; i < 15; ++i) {
        step();
    }
    state.off_bottom = false;
    for (int i = 0; i < 9; ++i) {
        step();
    }
    EXPECT_EQ(state.rop_reload, first);
    step();
    EXPECT_EQ(state.rop_reload, twin.draw());

    window.randomRopSelected = false; // another rate chosen: no more draws
    op_10sec_Click(state);
    for (int i = 0; i < 30; ++i) {
        step();
    }
    EXPECT_EQ(state.rop_reload, 10);
}

} // namespace
} // namespace kestrune::drilling
