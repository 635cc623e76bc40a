#include "pumps/pump_policy.h"

#include "fake_pump_window.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

namespace kestrune::pumps {
namespace {

using testing::FakePumpWindow;
using Periods = std::array<int, kPumpCount>;
using Texts = std::array<QByteArray, kPumpCount>;

// Draws whose rates u * 80, rounded to single precision, give the texts below.
constexpr double kDraw56 = 0.705547524; // 56.4438019 -> " 56.4438"
constexpr double kDraw12 = 0.15;        // 12 exactly -> " 12"
constexpr double kDraw05316 = 0.006645; // 0.5316 -> " .5316"
constexpr double kDrawHalf = 0.00625;   // 0.5 exactly -> " .5"

const Periods kStartPeriods{779, 732, 4000};
const Texts kStartTexts{"77", "82", "15"};
const Periods kStopped{0, 0, 0};
const Texts kZeroTexts{"0", "0", "0"};

struct Rig {
    FakePumpWindow window;
    sim_state state;
    SequenceRandomSource random;

    explicit Rig(std::vector<double> draws = {kDraw56, kDraw12, kDraw56})
        : random(std::move(draws)) {}

    void tick() { ASSERT_TRUE(pumpRunPolicy(state, window, random).ok()); }
    void apply(int pump, QByteArrayView typed) {
        window.type(pump, typed);
        applyRate(window, pump);
    }
};

TEST(PumpPolicy, OnBottomAtStartUpChangesNothing) {
    Rig rig;
    rig.tick();
    rig.tick();
    EXPECT_EQ(rig.window.periods, kStartPeriods);
    EXPECT_EQ(rig.window.spm, kStartTexts);
    EXPECT_EQ(rig.random.drawn(), 0U);
}

TEST(PumpPolicy, OffWhenOffBottomStopsOffBottomAndRestartsOnBottom) {
    Rig rig;
    rig.state.off_bottom = true;
    rig.tick();
    EXPECT_EQ(rig.window.periods, kStopped);
    EXPECT_EQ(rig.window.spm, kZeroTexts);
    rig.tick();
    EXPECT_EQ(rig.random.drawn(), 0U);

    rig.state.off_bottom = false;
    rig.tick();
    EXPECT_EQ(rig.window.spm, (Texts{"56.4438", "12", "56.4438"}));
    EXPECT_EQ(rig.window.periods, (Periods{1063, 5000, 1063}));
    EXPECT_EQ(rig.random.drawn(), 3U);
    rig.tick();
    EXPECT_EQ(rig.random.drawn(), 3U);
}

TEST(PumpPolicy, RandomRatesAreWrittenInSignPositionThenWithoutBlanks) {
    Rig rig({kDraw56, kDraw05316, kDraw12});
    rig.window.policy = PumpPolicy::AlwaysOn;
    rig.window.periods[0] = 0;
    rig.tick();

    const std::vector<std::pair<int, QByteArray>> writes{{1, " 56.4438"}, {2, " .5316"}, {3, " 12"},
                                                         {1, "56.4438"},  {2, ".5316"},  {3, "12"}};
    EXPECT_EQ(rig.window.spmWrites, writes);
    // .5316 SPM is slower than the timer can go: it runs at the longest period instead.
    EXPECT_EQ(rig.window.periods, (Periods{1063, 65535, 5000}));
}

TEST(PumpPolicy, ASlowDrawRunsAtTheLongestPeriodAndADrawOfZeroStopsThatPump) {
    Rig rig({kDrawHalf, 0.0, kDraw12});
    rig.window.policy = PumpPolicy::AlwaysOn;
    rig.window.periods[0] = 0;
    rig.tick();
    EXPECT_EQ(rig.window.spm, (Texts{".5", "0", "12"}));
    EXPECT_EQ(rig.window.periods, (Periods{65535, 0, 5000}));
}

TEST(PumpPolicy, AlwaysOffLooksOnlyAtPumpOne) {
    Rig rig;
    rig.window.policy = PumpPolicy::AlwaysOff;
    rig.tick();
    EXPECT_EQ(rig.window.periods, kStopped);
    EXPECT_EQ(rig.window.spm, kZeroTexts);

    rig.apply(1, "60");
    EXPECT_EQ(rig.window.pumpTimerPeriod(1), 1000);
    rig.tick();
    EXPECT_EQ(rig.window.periods, kStopped);
    EXPECT_EQ(rig.window.pumpSpmText(1), "0");

    rig.apply(2, "60");
    rig.tick();
    rig.tick();
    EXPECT_EQ(rig.window.periods, (Periods{0, 1000, 0}));
    EXPECT_EQ(rig.window.pumpSpmText(2), "60");
    EXPECT_EQ(rig.random.drawn(), 0U);
}

TEST(PumpPolicy, AlwaysOnRestartsAllWhenPumpOneIsStopped) {
    Rig rig;
    rig.window.policy = PumpPolicy::AlwaysOn;
    rig.tick();
    EXPECT_EQ(rig.window.periods, kStartPeriods);
    EXPECT_EQ(rig.random.drawn(), 0U);

    // A stopped pump 2 stays stopped while pump 1 runs.
    rig.apply(2, "0");
    rig.apply(3, "30");
    rig.tick();
    EXPECT_EQ(rig.window.periods, (Periods{779, 0, 2000}));

    // Stopping pump 1 replaces every rate, the typed ones too.
    rig.apply(1, "0");
    rig.tick();
    EXPECT_EQ(rig.window.spm, (Texts{"56.4438", "12", "56.4438"}));
    EXPECT_EQ(rig.window.periods, (Periods{1063, 5000, 1063}));
}

TEST(PumpPolicy, ARateForPumpTwoOffBottomLastsUntilBackOnBottom) {
    Rig rig;
    rig.state.off_bottom = true;
    rig.tick();
    rig.apply(1, "60");
    rig.tick();
    EXPECT_EQ(rig.window.periods, kStopped);

    rig.apply(2, "30");
    rig.tick();
    rig.tick();
    EXPECT_EQ(rig.window.periods, (Periods{0, 2000, 0}));

    rig.state.off_bottom = false;
    rig.tick();
    EXPECT_EQ(rig.window.spm, (Texts{"56.4438", "12", "56.4438"}));
    EXPECT_EQ(rig.window.periods, (Periods{1063, 5000, 1063}));
}

TEST(PumpPolicy, ARefusedPeriodEndsTheStepAtThatPump) {
    Rig rig;
    rig.window.policy = PumpPolicy::AlwaysOn;
    rig.window.periods = {0, 111, 222};
    rig.window.refusingTimer = 2;
    const Status status = pumpRunPolicy(rig.state, rig.window, rig.random);
    ASSERT_FALSE(status.ok());
    EXPECT_EQ(status.description(), "Invalid property value");
    EXPECT_EQ(rig.window.spm, (Texts{"56.4438", "12", "56.4438"}));
    EXPECT_EQ(rig.window.periods, (Periods{1063, 111, 222}));

    // Stopping reports a refusal too, before any box is written.
    Rig stopping;
    stopping.window.policy = PumpPolicy::AlwaysOff;
    stopping.window.refusingTimer = 1;
    EXPECT_FALSE(pumpRunPolicy(stopping.state, stopping.window, stopping.random).ok());
    EXPECT_EQ(stopping.window.spm, kStartTexts);
}

} // namespace
} // namespace kestrune::pumps
