#include "serial/port_rules.h"

#include <gtest/gtest.h>

namespace {

using kestrune::serial::parseBaudRate;

TEST(PortRules, SettingsTextHoldsAPositiveBaudRateAlone) {
    const struct {
        const char* text;
        qint32 rate;
    } valid[] = {
        {"9600", 9600}, {"19200", 19200}, {"1", 1}, {"0300", 300}, {"2147483647", 2147483647}};
    for (const auto& c : valid) {
        const auto rate = parseBaudRate(c.text);
        ASSERT_TRUE(rate.ok()) << c.text;
        EXPECT_EQ(*rate, c.rate);
    }

    const char* invalid[] = {
        "0",     "",      "-9600", "+9600",      "9600,n,8,1",          " 9600",
        "9600 ", "96.00", "1e4",   "2147483648", "99999999999999999999"};
    for (const char* text : invalid) {
        const auto rate = parseBaudRate(text);
        ASSERT_FALSE(rate.ok()) << text;
        EXPECT_EQ(rate.description(), QStringLiteral("Invalid settings: ") + QLatin1String(text));
    }
}

TEST(PortRules, EmbeddedNulEndsNothing) {
    const QByteArray text("96\0"
                          "00",
                          5);
    EXPECT_FALSE(parseBaudRate(text).ok());
}

} // namespace
