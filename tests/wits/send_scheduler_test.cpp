#include "wits/send_scheduler.h"

#include "tests/wits/wits_fixture.h"

#include <QByteArray>

namespace kestrune::wits::testing {
namespace {

using serial::FakeCommPort;

const QByteArray kPacket = "&&\r\n01102000.1\r\n!!\r\n";

class SendSchedulerTest : public WitsTest {
protected:
    void SetUp() override {
        WitsTest::SetUp();
        loadTemplate(state.half_wits_lines, {"&&", "0110", "!!"});
        state.wits_running = true;
    }

    void tick() { tmrDataArrival_Timer(state, window, port, clock, random); }

    // Ticks until the next packet is written; the number of ticks taken, or 0 if none in `limit`.
    int ticksToPacket(int limit = 100) {
        const qsizetype before = port.writes.size();
        for (int n = 1; n <= limit; ++n) {
            tick();
            if (port.writes.size() > before) {
                return n;
            }
        }
        return 0;
    }

    void ticks(int count) {
        for (int n = 0; n < count; ++n) {
            tick();
        }
    }
};

struct IntervalCase {
    QByteArray text;
    int ticks;
};

class IntervalTest : public SendSchedulerTest,
                     public ::testing::WithParamInterface<IntervalCase> {};

TEST_P(IntervalTest, PacketsFallDueEveryInterval) {
    window.msgTimer = GetParam().text;
    EXPECT_EQ(ticksToPacket(), GetParam().ticks);
    EXPECT_EQ(state.auto_send_elapsed, 0);
    EXPECT_EQ(ticksToPacket(), GetParam().ticks);
    EXPECT_EQ(port.writes, (QList<QByteArray>{kPacket, kPacket}));
}

// Ten additions of 0.1 fall just short of 1, so "1" takes 11 ticks.
INSTANTIATE_TEST_SUITE_P(Texts, IntervalTest,
                         ::testing::Values(IntervalCase{"1", 11}, IntervalCase{"2", 20},
                                           IntervalCase{"5", 51}, IntervalCase{"0.5", 5},
                                           IntervalCase{" 1\t", 11}, IntervalCase{"1,5", 11},
                                           IntervalCase{"0.1", 1}, IntervalCase{"0", 1},
                                           IntervalCase{"", 1}, IntervalCase{"abc", 1},
                                           IntervalCase{"-3", 1}));

TEST_F(SendSchedulerTest, NewIntervalTakesEffectAtOnce) {
    ticks(15);
    ASSERT_TRUE(port.writes.isEmpty());
    window.msgTimer = "1";
    tick();
    EXPECT_EQ(port.writes.size(), 1);
}

TEST_F(SendSchedulerTest, CountIsFrozenWhileStoppedOrInRequestMode) {
    ticks(5);
    state.wits_running = false;
    ticks(50);
    state.wits_running = true;
    window.requestMode = true;
    ticks(50);
    window.requestMode = false;
    EXPECT_TRUE(port.writes.isEmpty());
    EXPECT_EQ(ticksToPacket(), 15);
}

TEST_F(SendSchedulerTest, ClosedPortStillResetsTheCountButSendsNothing) {
    ASSERT_TRUE(port.setPortOpen(false).ok());
    ticks(20);
    EXPECT_EQ(state.auto_send_elapsed, 0);
    ticks(5);
    EXPECT_DOUBLE_EQ(state.auto_send_elapsed, 0.5);
    EXPECT_TRUE(window.appends.isEmpty());
    EXPECT_TRUE(window.lastPacketSent.isEmpty());
    EXPECT_EQ(port.calls.count(FakeCommPort::Op::Output), 0);
}

struct RequestCase {
    QByteArray received;
    qsizetype packets;
};

class RequestTest : public SendSchedulerTest, public ::testing::WithParamInterface<RequestCase> {};

TEST_P(RequestTest, OneMarkerReadInATickAsksForOnePacket) {
    window.requestMode = true;
    window.msgTimer = "0";
    port.receive(GetParam().received);
    tick();
    EXPECT_EQ(window.receiveTexts, QList<QByteArray>{GetParam().received});
    EXPECT_EQ(port.writes.size(), GetParam().packets);
}

INSTANTIATE_TEST_SUITE_P(Texts, RequestTest,
                         ::testing::Values(RequestCase{"!!", 1}, RequestCase{"&&\r\n!!\r\n", 1},
                                           RequestCase{"&&\r\n0111-9999\r\n!!\r\n", 1},
                                           RequestCase{"!!!!", 1}, RequestCase{"!!x!!", 1},
                                           RequestCase{"!", 0}, RequestCase{"x", 0}));

TEST_F(SendSchedulerTest, MarkerSplitOverTwoTicksIsNoRequest) {
    window.requestMode = true;
    port.receive("!");
    tick();
    port.receive("!");
    tick();
    EXPECT_EQ(window.receiveTexts, (QList<QByteArray>{"!", "!"}));
    EXPECT_TRUE(port.writes.isEmpty());
}

TEST_F(SendSchedulerTest, ReceivedTextIsShownBeforeTheAnswer) {
    window.requestMode = true;
    port.receive("!!");
    tick();
    EXPECT_EQ(window.appends, (QList<QByteArray>{"rec:!!", "send:" + kPacket}));
}

TEST_F(SendSchedulerTest, StoppedSimulatorShowsDataButNeverAnswers) {
    state.wits_running = false;
    for (const bool request : {true, false}) {
        window.requestMode = request;
        port.receive("!!");
        tick();
    }
    EXPECT_EQ(window.receiveTexts, (QList<QByteArray>{"!!", "!!"}));
    EXPECT_TRUE(port.writes.isEmpty());
}

TEST_F(SendSchedulerTest, MarkerIsNoRequestInAutomaticMode) {
    window.msgTimer = "2";
    port.receive("!!");
    tick();
    EXPECT_EQ(window.receiveTexts, QList<QByteArray>{"!!"});
    EXPECT_TRUE(port.writes.isEmpty());
}

TEST_F(SendSchedulerTest, AutomaticPacketAndReceivedDataInOneTick) {
    window.msgTimer = "0";
    port.receive("ok");
    tick();
    EXPECT_EQ(window.appends, (QList<QByteArray>{"send:" + kPacket, "rec:ok"}));
}

TEST_F(SendSchedulerTest, ReceivedBytesReachTheWindowUnchanged) {
    state.wits_running = false;
    const QByteArray bytes("\0\r\n\xff\xc8!", 6);
    port.receive(bytes);
    tick();
    ASSERT_EQ(window.receiveTexts.size(), 1);
    EXPECT_EQ(window.receiveTexts[0], bytes);
    EXPECT_EQ(window.receiveTexts[0].size(), 6);
}

TEST_F(SendSchedulerTest, OutOfRangeIntervalEndsTheTick) {
    window.msgTimer = "1e309";
    port.receive("!!");
    tick();
    EXPECT_EQ(window.appends, QList<QByteArray>{"send:Timer Data Arrival Err: Overflow"});
    EXPECT_DOUBLE_EQ(state.auto_send_elapsed, 0.1);
    EXPECT_EQ(port.calls.count(FakeCommPort::Op::InBufferCount), 0);

    window.msgTimer = "0";
    tick();
    EXPECT_EQ(port.writes.size(), 1) << "the next tick runs normally";
    EXPECT_EQ(window.receiveTexts, QList<QByteArray>{"!!"});
}

TEST_F(SendSchedulerTest, PortFailuresEndTheTick) {
    state.wits_running = false;
    for (const FakeCommPort::Op op : {FakeCommPort::Op::InBufferCount, FakeCommPort::Op::Input}) {
        window = FakeWitsWindow();
        port.receive("data");
        port.failNext(op, "Resource error");
        tick();
        EXPECT_EQ(window.appends, QList<QByteArray>{"send:Timer Data Arrival Err: Resource error"});
    }
}

TEST_F(SendSchedulerTest, BuilderFailureDoesNotEndTheTick) {
    window.msgTimer = "0";
    port.failNext(FakeCommPort::Op::Output, "Output queue full");
    port.receive("x");
    tick();
    EXPECT_EQ(
        window.appends,
        (QList<QByteArray>{"send:" + kPacket, "send:Send WITS Error: Output queue full", "rec:x"}));
}

TEST_F(SendSchedulerTest, EndedProgramEndsTheTick) {
    window.msgTimer = "0";
    port.receive("!!");
    window.onPause = [this](int) { window.ended = true; };
    tick();
    EXPECT_TRUE(window.appends.isEmpty());
    EXPECT_EQ(port.calls.count(FakeCommPort::Op::InBufferCount), 0);
}

} // namespace
} // namespace kestrune::wits::testing
