#include "serial/port_names.h"

#include <gtest/gtest.h>

namespace {

using kestrune::serial::devicePathForPort;
using kestrune::serial::portToolTip;

QProcessEnvironment envWith(const QString& name, const QString& value) {
    QProcessEnvironment env;
    env.insert(name, value);
    return env;
}

#ifndef Q_OS_WIN
TEST(PortNames, NumbersMapToDeviceFamilies) {
    const struct {
        int number;
        const char* path;
    } cases[] = {
        {1, "/dev/ttyS0"},     {2, "/dev/ttyS1"},    {32, "/dev/ttyS31"},   {33, "/dev/ttyUSB0"},
        {64, "/dev/ttyUSB31"}, {65, "/dev/ttyACM0"}, {96, "/dev/ttyACM31"},
    };
    for (const auto& c : cases) {
        const auto path = devicePathForPort(c.number, QProcessEnvironment());
        ASSERT_TRUE(path.ok()) << c.number;
        EXPECT_EQ(*path, QString::fromLatin1(c.path)) << c.number;
    }
}
#else
TEST(PortNames, NumbersMapToComNames) {
    EXPECT_EQ(*devicePathForPort(1, QProcessEnvironment()), QStringLiteral("COM1"));
    EXPECT_EQ(*devicePathForPort(96, QProcessEnvironment()), QStringLiteral("COM96"));
}
#endif

TEST(PortNames, NumbersOutsideTheRangeNameNoDevice) {
    const struct {
        int number;
        const char* description;
    } cases[] = {
        {0, "Port 0 names no serial device (1-96, or set KESTRUNE_COM0)"},
        {-1, "Port -1 names no serial device (1-96, or set KESTRUNE_COM-1)"},
        {97, "Port 97 names no serial device (1-96, or set KESTRUNE_COM97)"},
        {32767, "Port 32767 names no serial device (1-96, or set KESTRUNE_COM32767)"},
    };
    for (const auto& c : cases) {
        const auto path = devicePathForPort(c.number, QProcessEnvironment());
        ASSERT_FALSE(path.ok()) << c.number;
        EXPECT_EQ(path.description(), QString::fromLatin1(c.description));
        EXPECT_EQ(portToolTip(c.number, QProcessEnvironment()), path.description());
    }
}

TEST(PortNames, EnvironmentNamesAPortAndWins) {
    const QString device = QStringLiteral("/tmp/link with space/a");
    const struct { int number; } cases[] = {{1}, {0}, {97}, {-5}};
    for (const auto& c : cases) {
        const auto env = envWith(QStringLiteral("KESTRUNE_COM%1").arg(c.number), device);
        const auto path = devicePathForPort(c.number, env);
        ASSERT_TRUE(path.ok()) << c.number;
        EXPECT_EQ(*path, device);
        EXPECT_EQ(portToolTip(c.number, env),
                  QStringLiteral("Port %1 is %2").arg(c.number).arg(device));
    }
    // Another port's variable, or an empty one, leaves the mapping alone.
    EXPECT_FALSE(devicePathForPort(0, envWith(QStringLiteral("KESTRUNE_COM1"), device)).ok());
    EXPECT_FALSE(devicePathForPort(0, envWith(QStringLiteral("KESTRUNE_COM0"), QString())).ok());
#ifndef Q_OS_WIN
    EXPECT_EQ(*devicePathForPort(1, envWith(QStringLiteral("KESTRUNE_COM10"), device)),
              QStringLiteral("/dev/ttyS0"));
    EXPECT_EQ(portToolTip(1, QProcessEnvironment()), QStringLiteral("Port 1 is /dev/ttyS0"));
#endif
}

} // namespace
