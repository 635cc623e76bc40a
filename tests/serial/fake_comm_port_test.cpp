#include "serial/fake_comm_port.h"

#include <gtest/gtest.h>

namespace {

using kestrune::serial::FakeCommPort;
using Op = FakeCommPort::Op;

TEST(FakeCommPort, KeepsTheRulesOfARealPort) {
    FakeCommPort port;
    EXPECT_FALSE(port.setCommPort(0).ok());
    EXPECT_FALSE(port.setSettings("0").ok());
    EXPECT_EQ(port.settings, QByteArray("9600"));

    port.receive("lost");
    EXPECT_EQ(*port.InBufferCount(), 0);
    EXPECT_FALSE(port.Output("x").ok());

    ASSERT_TRUE(port.setPortOpen(true).ok());
    EXPECT_FALSE(port.setPortOpen(true).ok());
    EXPECT_FALSE(port.setCommPort(2).ok());
    EXPECT_EQ(port.CommPort(), 1);

    ASSERT_TRUE(port.Output(QByteArray("a\0b", 3)).ok());
    ASSERT_TRUE(port.Output("cd").ok());
    EXPECT_EQ(port.writes, (QList<QByteArray>{QByteArray("a\0b", 3), "cd"}));
    EXPECT_EQ(port.written, QByteArray("a\0bcd", 5));

    port.receive("hello");
    ASSERT_TRUE(port.setInputLen(2).ok());
    EXPECT_EQ(*port.InBufferCount(), 5);
    EXPECT_EQ(*port.Input(), QByteArray("he"));
    ASSERT_TRUE(port.setInputLen(0).ok());
    EXPECT_EQ(*port.Input(), QByteArray("llo"));
    EXPECT_EQ(*port.InBufferCount(), 0);
}

TEST(FakeCommPort, InjectedFailuresChangeNothing) {
    FakeCommPort port;
    port.failNext(Op::SetCommPort, QStringLiteral("once"));
    EXPECT_EQ(port.setCommPort(5).description(), QStringLiteral("once"));
    EXPECT_EQ(port.CommPort(), 1);
    ASSERT_TRUE(port.setCommPort(5).ok());
    EXPECT_EQ(port.CommPort(), 5);

    port.failAlways(Op::Open, QStringLiteral("busy"));
    EXPECT_EQ(port.setPortOpen(true).description(), QStringLiteral("busy"));
    EXPECT_EQ(port.setPortOpen(true).description(), QStringLiteral("busy"));
    EXPECT_FALSE(port.PortOpen());
    port.clearFailures();
    ASSERT_TRUE(port.setPortOpen(true).ok());

    port.failNext(Op::Output, QStringLiteral("jammed"));
    EXPECT_FALSE(port.Output("x").ok());
    EXPECT_TRUE(port.writes.isEmpty());

    port.receive("ab");
    port.failNext(Op::Input, QStringLiteral("garbled"));
    EXPECT_EQ(port.Input().description(), QStringLiteral("garbled"));
    EXPECT_EQ(*port.Input(), QByteArray("ab"));

    EXPECT_EQ(port.calls, (QList<Op>{Op::SetCommPort, Op::SetCommPort, Op::Open, Op::Open, Op::Open,
                                     Op::Output, Op::Input, Op::Input}));
}

TEST(FakeCommPort, LosingTheDeviceClosesAndReportsOnce) {
    FakeCommPort port;
    QStringList lost;
    QObject::connect(&port, &FakeCommPort::portLost,
                     [&lost](const QString& description) { lost.append(description); });
    port.loseDevice(QStringLiteral("not open yet"));
    ASSERT_TRUE(port.setPortOpen(true).ok());
    port.receive("pending");
    port.loseDevice(QStringLiteral("unplugged"));
    port.loseDevice(QStringLiteral("again"));
    EXPECT_EQ(lost, QStringList{QStringLiteral("unplugged")});
    EXPECT_FALSE(port.PortOpen());
    EXPECT_EQ(*port.InBufferCount(), 0);

    ASSERT_TRUE(port.setPortOpen(true).ok());
    EXPECT_EQ(*port.InBufferCount(), 0);
}

} // namespace
