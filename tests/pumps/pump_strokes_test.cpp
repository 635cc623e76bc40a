#include "pumps/pump_strokes.h"

#include "fake_pump_window.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>

namespace kestrune::pumps {
namespace {

using testing::FakePumpWindow;

constexpr std::int32_t kMaxCount = std::numeric_limits<std::int32_t>::max();

TEST(StrokePeriod, FollowsTheRuleWithHalvesToEven) {
    const struct {
        double rate;
        qint64 period;
    } cases[] = {
        {77, 779},
        {82, 732},
        {15, 4000},
        {320, 188},
        {38.4, 1562},
        {12.8, 4688},
        {1, 60000},
        {60, 1000},
        {56.4438, 1063},
        {0.9156, 65531},
        {0.5, 120000},
        // 0.75 ms rounds up; 0.5 ms goes to the even neighbour 0.
        {80000, 1},
        {120000, 0},
    };
    for (const auto& c : cases) {
        const Result<qint64> period = strokePeriod(c.rate);
        ASSERT_TRUE(period.ok()) << c.rate;
        EXPECT_EQ(*period, c.period) << c.rate;
    }
}

TEST(StrokePeriod, FailsOnFloatingFaultsAndOutsideThirtyTwoBits) {
    const struct {
        double rate;
        const char* description;
    } cases[] = {
        {0, "Division by zero"},
        {-0.0, "Division by zero"},
        // Divided by 60 it underflows to 0.
        {5e-324, "Division by zero"},
        // The reciprocal overflows.
        {1e-310, "Overflow"},
        // 6e9 ms is beyond a signed 32-bit period.
        {0.00001, "Overflow"},
        {std::numeric_limits<double>::infinity(), "Overflow"},
        {std::numeric_limits<double>::quiet_NaN(), "Overflow"},
    };
    for (const auto& c : cases) {
        const Result<qint64> period = strokePeriod(c.rate);
        EXPECT_FALSE(period.ok()) << c.rate;
        EXPECT_EQ(period.description(), QString::fromLatin1(c.description)) << c.rate;
    }
}

TEST(RunnablePeriod, StopsAtZeroAndRunsSlowRatesAtTheTimersLimit) {
    const struct {
        double rate;
        qint64 period;
    } cases[] = {
        {0, 0},       {77, 779},        {60000.0 / 65535, 65535}, {0.9156, 65531}, {0.9, 65535},
        {0.5, 65535}, {0.00001, 65535}, {1e-310, 65535},          {5e-324, 65535},
    };
    for (const auto& c : cases) {
        const Result<qint64> period = runnablePeriod(c.rate);
        ASSERT_TRUE(period.ok()) << c.rate;
        EXPECT_EQ(*period, c.period) << c.rate;
    }
    EXPECT_FALSE(runnablePeriod(std::numeric_limits<double>::quiet_NaN()).ok());
    EXPECT_FALSE(runnablePeriod(std::numeric_limits<double>::infinity()).ok());
}

TEST(RateCheck, RestoresTheDefaultForRatesOutOfRange) {
    const struct {
        int pump;
        const char* typed;
        const char* kept;
    } cases[] = {
        {1, "320", "320"},     {2, "3200", "82"},     {3, "320.5", "15"}, {1, "-", "-"},
        {1, "-1", "77"},       {2, "", ""},           {2, "abc", "abc"},  {3, "0", "0"},
        {1, "77abc", "77abc"}, {2, " 3 2 0 1", "82"}, {3, "1e400", "15"}, {3, "-1e400", "15"},
        {1, "-0", "-0"},
    };
    for (const auto& c : cases) {
        FakePumpWindow window;
        window.type(c.pump, c.typed);
        EXPECT_EQ(window.pumpSpmText(c.pump), c.kept) << c.typed;
        // The check never touches the timer.
        EXPECT_EQ(window.periods, (std::array<int, kPumpCount>{779, 732, 4000})) << c.typed;
    }
}

TEST(RateApplied, SetsThePeriodFromTheTextOrStopsThePump) {
    const struct {
        const char* typed;
        const char* shown;
        int period;
    } cases[] = {
        {"", "0", 0},
        {"abc", "0", 0},
        {"0", "0", 0},
        {"-", "0", 0},
        {"77abc", "77abc", 779},
        {"320", "320", 188},
        {"0.5", "0.5", 65535},
        {"1e-310", "1e-310", 65535},
        {" 4 0", " 4 0", 1500},
    };
    for (const auto& c : cases) {
        FakePumpWindow window;
        window.type(2, c.typed);
        txt_Pump2SPM_LostFocus(window);
        EXPECT_EQ(window.pumpSpmText(2), c.shown) << c.typed;
        EXPECT_EQ(window.pumpTimerPeriod(2), c.period) << c.typed;
        EXPECT_EQ(window.pumpTimerPeriod(1), 779) << c.typed;
        EXPECT_EQ(window.pumpTimerPeriod(3), 4000) << c.typed;
    }
}

TEST(RateApplied, LeavingAnUnchangedBoxSetsThePeriodAgain) {
    FakePumpWindow window;
    window.periods[0] = 0;
    txt_Pump1SPM_LostFocus(window);
    EXPECT_EQ(window.pumpTimerPeriod(1), 779);
    window.periods[2] = 0;
    txt_Pump3SPM_LostFocus(window);
    EXPECT_EQ(window.pumpTimerPeriod(3), 4000);
}

TEST(Stroke, FlashesTheRateBoxGreyWhiteGreyFromTheDefaultColour) {
    FakePumpWindow window;
    sim_state state;
    ASSERT_FALSE(window.spmBack[2].has_value());
    tmr_pump3_Timer(state, window);
    EXPECT_EQ(window.spmBack[2], kStrokeGrey);
    EXPECT_EQ(kStrokeGrey, (Rgb{231, 231, 231}));
    tmr_pump3_Timer(state, window);
    EXPECT_EQ(window.spmBack[2], kStrokeWhite);
    EXPECT_EQ(kStrokeWhite, (Rgb{255, 255, 255}));
    tmr_pump3_Timer(state, window);
    EXPECT_EQ(window.spmBack[2], kStrokeGrey);
    EXPECT_FALSE(window.spmBack[0].has_value());
    EXPECT_FALSE(window.spmBack[1].has_value());
}

TEST(Stroke, CountsEachPumpAndTheTotal) {
    FakePumpWindow window;
    sim_state state;
    window.type(2, "");
    txt_Pump2SPM_LostFocus(window);
    ASSERT_EQ(window.pumpTimerPeriod(2), 0);

    for (int i = 0; i < 3; ++i) {
        tmr_pump1_Timer(state, window);
    }
    tmr_pump3_Timer(state, window);

    EXPECT_EQ(window.pumpTsText(1), " 3");
    EXPECT_EQ(window.pumpTsText(2), "0");
    EXPECT_EQ(window.pumpTsText(3), " 1");
    EXPECT_EQ(window.totalStrokesText(), "4");
    EXPECT_EQ(state.pump1_strokes, 3);
    EXPECT_EQ(state.pump2_strokes, 0);
    EXPECT_EQ(state.pump3_strokes, 1);
    EXPECT_EQ(state.total_strokes, 4);
}

TEST(Stroke, NegativeCountsShowWithoutTheBlank) {
    FakePumpWindow window;
    sim_state state;
    state.total_strokes = -7;
    window.ts[1] = "-5";
    txt_Pump2TS_LostFocus(state, window);
    tmr_pump2_Timer(state, window);
    EXPECT_EQ(window.pumpTsText(2), "-4");
    EXPECT_EQ(window.totalStrokesText(), "-6");
}

TEST(Stroke, CountsNeverWrap) {
    FakePumpWindow window;
    sim_state state;
    state.pump1_strokes = kMaxCount;
    state.total_strokes = kMaxCount - 1;

    tmr_pump1_Timer(state, window);
    EXPECT_EQ(state.pump1_strokes, kMaxCount);
    EXPECT_EQ(window.pumpTsText(1), " 2147483647");
    EXPECT_EQ(state.total_strokes, kMaxCount);
    EXPECT_EQ(window.totalStrokesText(), "2147483647");

    // A refused pump count still leaves the total to count, and the other way round.
    tmr_pump2_Timer(state, window);
    EXPECT_EQ(state.pump2_strokes, 1);
    EXPECT_EQ(window.pumpTsText(2), " 1");
    EXPECT_EQ(state.total_strokes, kMaxCount);
    EXPECT_EQ(window.totalStrokesText(), "2147483647");

    state.total_strokes = 5;
    tmr_pump1_Timer(state, window);
    EXPECT_EQ(state.pump1_strokes, kMaxCount);
    EXPECT_EQ(window.totalStrokesText(), "6");
}

TEST(CountEdit, TakesTheRoundedFigureOrKeepsTheCount) {
    const struct {
        const char* shown;
        std::int32_t count;
    } cases[] = {
        {" 123", 123},
        {"12.5", 12},
        {"13.5", 14},
        {"abc", 0},
        {"", 0},
        {"-2147483648", -2147483648},
        {"2147483647", kMaxCount},
        {"2147483648", 42},
        {"-2147483649", 42},
        {"1e400", 42},
        {"1,234", 1},
    };
    for (const auto& c : cases) {
        FakePumpWindow window;
        sim_state state;
        state.pump1_strokes = 42;
        state.pump3_strokes = 42;
        state.total_strokes = 42;
        window.ts[0] = c.shown;
        window.ts[2] = c.shown;
        window.total = c.shown;
        txt_Pump1TS_LostFocus(state, window);
        txt_Pump3TS_LostFocus(state, window);
        txt_TotalStrokes_LostFocus(state, window);
        EXPECT_EQ(state.pump1_strokes, c.count) << c.shown;
        EXPECT_EQ(state.pump3_strokes, c.count) << c.shown;
        EXPECT_EQ(state.total_strokes, c.count) << c.shown;
        EXPECT_EQ(state.pump2_strokes, 0) << c.shown;
        // The boxes are not rewritten.
        EXPECT_EQ(window.pumpTsText(1), c.shown);
        EXPECT_EQ(window.totalStrokesText(), c.shown);
    }
}

TEST(CountEdit, ATypedTotalCarriesOnAtTheNextStroke) {
    FakePumpWindow window;
    sim_state state;
    window.total = "12.5";
    txt_TotalStrokes_LostFocus(state, window);
    EXPECT_EQ(state.total_strokes, 12);
    tmr_pump1_Timer(state, window);
    EXPECT_EQ(window.totalStrokesText(), "13");
}

TEST(ResetTotal, ZeroesTheTotalOnlyAndLeavesTheOldFigureShown) {
    FakePumpWindow window;
    sim_state state;
    for (int i = 0; i < 5; ++i) {
        tmr_pump1_Timer(state, window);
    }
    tmr_pump2_Timer(state, window);
    cmd_Reset_TS_Click(state);
    EXPECT_EQ(state.total_strokes, 0);
    EXPECT_EQ(state.pump1_strokes, 5);
    EXPECT_EQ(state.pump2_strokes, 1);
    EXPECT_EQ(window.totalStrokesText(), "6");

    // Passing through the total box before a stroke takes the old figure back.
    txt_TotalStrokes_LostFocus(state, window);
    EXPECT_EQ(state.total_strokes, 6);

    cmd_Reset_TS_Click(state);
    tmr_pump3_Timer(state, window);
    EXPECT_EQ(window.totalStrokesText(), "1");
}

} // namespace
} // namespace kestrune::pumps
