#include "tools/receiver/report.h"

#include <QSet>
#include <gtest/gtest.h>

namespace {

using kestrune::receiver::escaped;

TEST(Report, EscapingKeepsPrintableTextAndMarksEveryOtherByte) {
    const struct {
        QByteArray raw;
        const char* shown;
    } cases[] = {
        {"0108 1234.5 PASON/EDR ~", "0108 1234.5 PASON/EDR ~"},
        {QByteArray("a\0b", 3), "a\\x00b"},
        {"\x01\x1f\x7f\x80\xff", "\\x01\\x1f\\x7f\\x80\\xff"},
        {"\r\n\t", "\\x0d\\x0a\\x09"},
        {"C:\\x41", "C:\\\\x41"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(escaped(c.raw), QByteArray(c.shown)) << c.shown;

    // Every byte comes out printable, and no two bytes look alike.
    QSet<QByteArray> seen;
    for (int b = 0; b < 256; ++b) {
        const QByteArray shown = escaped(QByteArray(1, static_cast<char>(b)));
        for (const char c : shown)
            EXPECT_TRUE(c >= ' ' && c <= '~') << "byte " << b;
        seen.insert(shown);
    }
    EXPECT_EQ(seen.size(), 256);
}

} // namespace
