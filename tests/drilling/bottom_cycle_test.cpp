#include "drilling/bottom_cycle.h"

#include "drilling/depth_engine.h"
#include "tests/drilling/fake_drilling_window.h"

#include <gtest/gtest.h>

#include <cfloat>

namespace kestrune::drilling {
namespace {

using testing::FakeDrillingWindow;
using Handler = void (*)(sim_state&, DrillingWindow&);

class BottomCycleTest : public ::testing::Test {
protected:
    BottomCycleTest() {
        state.current_depth = 2000;
        state.bit_depth = 2000;
        state.rop_reload = 60;
        state.rop_countdown = 60;
        state.off_bottom_timer = 300;
        window.watched = &state;
    }

    void tick() { tmr_maintaince_Timer(state, window); }

    sim_state state;
    FakeDrillingWindow window;
};

TEST_F(BottomCycleTest, NoiseHoldOffCountsDownToZeroAndStays) {
    state.noise_holdoff = 3;
    for (const int expected : {2, 1, 0, 0}) {
        tick();
        EXPECT_EQ(state.noise_holdoff, expected);
    }
}

TEST_F(BottomCycleTest, BlinkRunsOnlyWhileStopped) {
    tick();
    tick();
    EXPECT_EQ(window.blinks, 2);
    state.wits_running = true;
    tick();
    EXPECT_EQ(window.blinks, 2);
}

TEST_F(BottomCycleTest, FixedModesSetTheFlagBeforeThePolicySeesIt) {
    struct Case {
        BottomMode mode;
        Handler click;
        bool flagBefore;
        bool flag;
    };
    const Case cases[] = {{BottomMode::OnBottom, op_on_bottom_Click, true, false},
                          {BottomMode::OffBottom, op_off_bottom_Click, false, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.flag);
        window.mode = c.mode;
        c.click(state, window);
        state.off_bottom = c.flagBefore;
        window.policySawOffBottom.clear();
        for (int i = 0; i < 5; ++i) {
            tick();
            state.off_bottom = c.flagBefore; // whatever else sets it, the mode wins
        }
        EXPECT_EQ(window.policySawOffBottom, std::vector<bool>(5, c.flag));
        EXPECT_EQ(window.onBotTimerText, "600");
        EXPECT_EQ(window.offBotTimerText, "180");
    }
}

TEST_F(BottomCycleTest, TimedCycleLastsPPlus179Seconds) {
    struct Case {
        BottomMode mode;
        Handler click;
        int p;
    };
    const Case cases[] = {{BottomMode::Every10, op_off_bottom_10_Click, 600},
                          {BottomMode::Every30, op_off_bottom_30_Click, 1800},
                          {BottomMode::Every60, op_off_bottom_60_Click, 3600}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.p);
        state.off_bottom = false;
        window.mode = c.mode;
        c.click(state, window);
        std::vector<int> changes; // ticks at which the flag flipped
        bool last = state.off_bottom;
        for (int t = 1; t <= 3 * c.p + 400; ++t) {
            tick();
            if (state.off_bottom != last) {
                changes.push_back(t);
                last = state.off_bottom;
            }
        }
        const int p = c.p;
        const std::vector<int> expected{p, p + 180, 2 * p + 179, 2 * p + 359, 3 * p + 358};
        EXPECT_EQ(changes, expected);
    }
}

TEST_F(BottomCycleTest, TimedCycleShowsItsTimersSecondBySecond) {
    constexpr int p = 600;
    window.mode = BottomMode::Every10;
    op_off_bottom_10_Click(state, window);
    for (int t = 1; t <= 2 * p + 179; ++t) {
        int on = 0;
        int off = 180;
        bool offBottom = false;
        if (t < p) {
            on = p - t;
        } else if (t == p) {
            on = p;
            offBottom = true;
        } else if (t < p + 180) {
            on = p;
            off = 180 - (t - p);
            offBottom = true;
        } else if (t < 2 * p + 179) {
            on = p - 1 - (t - (p + 180));
        } else {
            on = p;
            offBottom = true;
        }
        tick();
        ASSERT_EQ(window.onBotTimerText, QByteArray::number(on)) << "tick " << t;
        ASSERT_EQ(window.offBotTimerText, QByteArray::number(off)) << "tick " << t;
        ASSERT_EQ(state.off_bottom, offBottom) << "tick " << t;
    }
    // The policy sees a change of the cycle one tick later.
    EXPECT_FALSE(window.policySawOffBottom[p - 1]);
    EXPECT_TRUE(window.policySawOffBottom[p]);
}

TEST_F(BottomCycleTest, TimedModeChosenOffBottomStaysOff180MoreTicks) {
    state.off_bottom = true;
    window.mode = BottomMode::Every30;
    op_off_bottom_30_Click(state, window);
    for (int t = 1; t < 180; ++t) {
        tick();
        ASSERT_TRUE(state.off_bottom) << "tick " << t;
    }
    tick();
    EXPECT_FALSE(state.off_bottom);
    EXPECT_EQ(window.onBotTimerText, "1799");
    EXPECT_EQ(window.offBotTimerText, "180");
}

TEST_F(BottomCycleTest, Every32ChosenOffBottomReturnsAfter300TicksAndShows600OnBottom) {
    window.mode = BottomMode::OffBottom;
    tick();
    state.footage_since_connection = 17.3;
    window.mode = BottomMode::Every32;
    op_off_bottom_every32_Click(state, window);
    EXPECT_EQ(state.footage_since_connection, 0.0);
    for (int t = 1; t < 300; ++t) {
        tick();
        ASSERT_TRUE(state.off_bottom) << "tick " << t;
        ASSERT_EQ(window.offBotTimerText, QByteArray::number(300 - t)) << "tick " << t;
        ASSERT_EQ(window.onBotTimerText, "0");
    }
    tick();
    EXPECT_FALSE(state.off_bottom);
    EXPECT_EQ(window.offBotTimerText, "600");
    for (int t = 0; t < 20; ++t) {
        tick();
    }
    EXPECT_FALSE(state.off_bottom);
    EXPECT_EQ(window.offBotTimerText, "600");
    EXPECT_EQ(window.onBotTimerText, "0");
}

TEST_F(BottomCycleTest, PolicyFailureEndsTheTickAndHoldsTheCycleBackOneSecond) {
    window.mode = BottomMode::Every10;
    op_off_bottom_10_Click(state, window);
    state.noise_holdoff = 5;
    window.policyFailures.push_back(Failure{"Division by zero"});
    tick();
    EXPECT_EQ(window.sent, "Maintainance timer Err: Division by zero");
    EXPECT_EQ(state.noise_holdoff, 4); // earlier steps stay done
    EXPECT_EQ(window.blinks, 1);
    EXPECT_EQ(state.on_bottom_timer, 600);
    EXPECT_EQ(window.onBotTimerText, "0"); // displays not reached
    EXPECT_EQ(window.offBotTimerText, "0");

    int ticks = 1;
    while (!state.off_bottom && ticks < 1000) {
        tick();
        ++ticks;
    }
    EXPECT_EQ(ticks, 601);
    EXPECT_EQ(window.sent, "Maintainance timer Err: Division by zero");
}

TEST_F(BottomCycleTest, PolicyFailureComesAfterTheFixedModeIsApplied) {
    window.mode = BottomMode::OnBottom;
    state.off_bottom = true;
    window.policyFailures.push_back(Failure{"Overflow"});
    tick();
    EXPECT_FALSE(state.off_bottom);
    EXPECT_EQ(window.sent, "Maintainance timer Err: Overflow");
}

TEST_F(BottomCycleTest, OptionHandlersLoadTheirTimersAndNeverMoveTheBit) {
    struct Case {
        const char* name;
        Handler click;
        int off;
        int on;
    };
    const Case cases[] = {
        {"on", op_on_bottom_Click, 180, 600},      {"off", op_off_bottom_Click, 180, 600},
        {"10", op_off_bottom_10_Click, 180, 600},  {"30", op_off_bottom_30_Click, 180, 1800},
        {"60", op_off_bottom_60_Click, 180, 3600}, {"32", op_off_bottom_every32_Click, 300, 0}};
    for (const Case& c : cases) {
        for (const bool offBottom : {false, true}) {
            SCOPED_TRACE((QByteArray(c.name) + (offBottom ? " off" : " on")).toStdString());
            state.off_bottom = offBottom;
            state.off_bottom_timer = 77;
            state.on_bottom_timer = 77;
            c.click(state, window);
            EXPECT_EQ(state.off_bottom_timer, c.off);
            EXPECT_EQ(state.on_bottom_timer, c.on);
            EXPECT_EQ(state.off_bottom, offBottom);
        }
    }
    EXPECT_EQ(window.sent, "");
}

TEST_F(BottomCycleTest, OnBottomRewritesTheBoxWithTwoDecimals) {
    struct Case {
        const char* typed;
        double depth;
        const char* text;
        double bit;
    };
    const Case cases[] = {
        {"1234.5", 1234.5, "1234.50", 1234.5},
        {"12.345", 12.345, "12.35", 12.35}, // rounded on the 15-digit text, half away from zero
        {"7.999", 7.999, "8.00", 8.0},
        {"", 0, "0.00", 0},
        {"abc", 0, "0.00", 0},
        {"-3.004", -3.004, "-3.00", -3.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        window.depthText = c.typed;
        op_on_bottom_Click(state, window);
        EXPECT_EQ(state.current_depth, c.depth);
        EXPECT_EQ(window.depthText, c.text);
        EXPECT_EQ(state.bit_depth, c.bit);
        EXPECT_EQ(window.bitDepthText, c.text);
    }
}

TEST_F(BottomCycleTest, LiftedOptionsShowTheBit36FtUpAndLeaveTheBox) {
    const Handler lifts[] = {op_off_bottom_Click, op_off_bottom_10_Click, op_off_bottom_30_Click,
                             op_off_bottom_60_Click};
    struct Case {
        const char* typed;
        double depth;
        const char* bitText;
    };
    const Case cases[] = {{"1234.5", 1234.5, "1198.50"},
                          {"", 0, "-36.00"},
                          {"x12", 0, "-36.00"},
                          {"1000.125", 1000.125, "964.13"}};
    for (const Handler lift : lifts) {
        for (const Case& c : cases) {
            SCOPED_TRACE(c.typed);
            window.depthText = c.typed;
            lift(state, window);
            EXPECT_EQ(state.current_depth, c.depth);
            EXPECT_EQ(state.bit_depth, c.depth - 36);
            EXPECT_EQ(window.bitDepthText, c.bitText);
            EXPECT_EQ(window.depthText, c.typed);
        }
    }
    EXPECT_EQ(window.depthWrites, 0);
}

TEST_F(BottomCycleTest, Every32LeavesTheDepthsAlone) {
    window.depthText = "1234.5";
    state.footage_since_connection = 20;
    op_off_bottom_every32_Click(state, window);
    EXPECT_EQ(state.footage_since_connection, 0.0);
    EXPECT_EQ(state.current_depth, 2000.0);
    EXPECT_EQ(state.bit_depth, 2000.0);
    EXPECT_EQ(window.depthWrites + window.bitDepthWrites, 0);
}

TEST_F(BottomCycleTest, DepthBeyondDoubleRangeIsReportedByTheOptionAndChangesNoDepth) {
    const Handler depthHandlers[] = {op_on_bottom_Click, op_off_bottom_Click,
                                     op_off_bottom_10_Click, op_off_bottom_30_Click,
                                     op_off_bottom_60_Click};
    window.depthText = "1e309";
    for (const Handler click : depthHandlers) {
        window.sent.clear();
        state.on_bottom_timer = 1;
        click(state, window);
        EXPECT_EQ(window.sent, "Maintainance timer Err: Overflow");
        EXPECT_NE(state.on_bottom_timer, 1); // the timers were set first
        EXPECT_EQ(state.current_depth, 2000.0);
        EXPECT_EQ(state.bit_depth, 2000.0);
    }
    EXPECT_EQ(window.depthWrites + window.bitDepthWrites, 0);
}

TEST_F(BottomCycleTest, OnBottomWithTheLargestDoubleFailsWhenTheRewrittenBoxIsReadBack) {
    window.depthText = "1.7976931348623157e308";
    op_on_bottom_Click(state, window);
    EXPECT_EQ(window.sent, "Maintainance timer Err: Overflow");
    EXPECT_EQ(state.current_depth, DBL_MAX);
    EXPECT_EQ(window.depthText, "179769313486232" + QByteArray(294, '0') + ".00");
    EXPECT_EQ(state.bit_depth, 2000.0);
    EXPECT_EQ(window.bitDepthWrites, 0);
}

// Both ticks together, as the window runs them: ten depth ticks to a maintenance tick.
TEST_F(BottomCycleTest, AConnectionStopsDrillingFor300SecondsThenCountsFrom32Again) {
    RandomRop randomRop;
    op_01sec_Click(state);
    const auto second = [&] {
        for (int i = 0; i < 10; ++i) {
            old_tmr_data_chage_Timer(state, window, randomRop);
        }
        tick();
    };
    int seconds = 0;
    while (!state.off_bottom && seconds < 100) {
        second();
        ++seconds;
    }
    EXPECT_EQ(seconds, 33); // 320 steps, found at the 321st depth tick
    EXPECT_EQ(window.depthText, "2032.0");
    EXPECT_EQ(window.offBotTimerText, "299"); // counted once in the lift's second
    while (state.off_bottom && seconds < 1000) {
        second();
        ++seconds;
    }
    EXPECT_EQ(seconds, 33 + 299);
    EXPECT_EQ(window.depthText, "2032.0");
    EXPECT_EQ(window.offBotTimerText, "600");
    second();
    EXPECT_EQ(window.connectionCaption, "Connection in 31.10 ft");
    EXPECT_EQ(window.statusCaption, "  ON BOTTOM  ");
    EXPECT_EQ(window.depthText, "2033.0");
}

} // namespace
} // namespace kestrune::drilling
