#include "core/numeric_text.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <limits>
#include <string>

namespace kestrune::text {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

std::string zeros(std::size_t n) {
    return std::string(n, '0');
}

// ---- numericValue -------------------------------------------------------------------------

struct ValueCase {
    std::string text;
    double expected; // ignored when overflow is expected
    bool overflow = false;
};

void checkValues(const std::vector<ValueCase>& cases) {
    for (const ValueCase& c : cases) {
        SCOPED_TRACE("text: \"" + c.text + "\"");
        const Result<double> r = numericValue(QByteArrayView(c.text.data(), c.text.size()));
        if (c.overflow) {
            ASSERT_FALSE(r.ok());
            EXPECT_EQ(r.description(), QStringLiteral("Overflow"));
        } else {
            ASSERT_TRUE(r.ok()) << r.description().toStdString();
            EXPECT_EQ(r.value(), c.expected); // exact: correct rounding is part of the contract
        }
    }
}

TEST(NumericValue, OrdinaryAndBlankedNumbers) {
    checkValues({
        {"2000.00", 2000},    {"77", 77},     {"+7", 7},
        {"-4", -4},           {"1 2 3", 123}, {"- 5", -5},
        {" 12 . 5 ", 12.5},   {"\t4\n2", 42}, {"1.5e 2", 150},
        {"1\te\n-\t2", 0.01}, {".5", 0.5},    {"5.", 5},
        {"-.25", -0.25},      {"2E3", 2000},  {"2e-3", 0.002},
        {"2e+3", 2000},       {"00012", 12},  {"-0", 0},
        {"0e999999", 0},
    });
}

TEST(NumericValue, FirstCharacterThatCannotContinueEndsTheNumber) {
    checkValues({
        {"1,234", 1},
        {"9600,n,8,1", 9600},
        {"12\r34", 12},
        {"7\r\n", 7},
        {"1..2", 1},
        {"1.2.3", 1.2},
        {"3e2e1", 300},
        {"5-3", 5},
        {"5+3", 5},
        {"1e", 1},
        {"1e+", 1},
        {"1E-", 1},
        {"1ex", 1},
        {"1e+-2", 1},
        {"4 ft", 4},
        {"0x1A", 0},
        {"1d2", 1},
    });
}

TEST(NumericValue, NoLeadingNumberReadsAsZero) {
    checkValues({
        {"", 0},
        {"abc", 0},
        {"-", 0},
        {"+", 0},
        {".", 0},
        {"-.", 0},
        {"+.", 0},
        {"--5", 0},
        {"+-5", 0},
        {".-5", 0},
        {"e5", 0},
        {".e5", 0},
        {"   ", 0},
        {"\r5", 0},
        {",5", 0},
        {"\t\n", 0},
    });
}

TEST(NumericValue, CorrectRoundingOfLongMantissas) {
    const double tenth = 0.1;
    const double aboveTenth = std::nextafter(0.1, 1.0);
    checkValues({
        {"0.1000000000000000055511151231257827", tenth},
        // The midpoint between 0.1 and the next double, a hair below it, and a hair above it;
        // the tie goes to 0.1, whose last mantissa bit is even.
        {"0.100000000000000012490009027033011079765856266021728515624", tenth},
        {"0.100000000000000012490009027033011079765856266021728515625", tenth},
        {"0.100000000000000012490009027033011079765856266021728515626", aboveTenth},
        {"9007199254740993", 9007199254740992.0}, // tie, to even
        {"9007199254740993.0000000000000000001", 9007199254740994.0},
        {"2000.0999999999999", 2000.0999999999999},
        {"0." + zeros(399) + "1e400", 1},
        {"1" + zeros(400) + "e-400", 1},
        {"1e0000000000000000000001", 10},
        {"1e-0000000000000000000001", 0.1},
    });
}

TEST(NumericValue, RangeLimits) {
    checkValues({
        {"1.7976931348623157e308", std::numeric_limits<double>::max()},
        {"-1.7976931348623157e308", -std::numeric_limits<double>::max()},
        {"4.9e-324", std::numeric_limits<double>::denorm_min()},
        {"2.2250738585072014e-308", std::numeric_limits<double>::min()},
        {"1e309", 0, true},
        {"-2e308", 0, true},
        {"1.8e308", 0, true},
        {"1" + zeros(400), 0, true},
        {"1e99999999999999999999", 0, true},
        {"0.0001e99999999999999999999", 0, true},
        {"1e-400", 0},
        {"-1e-400", 0},
        {"2e-324", 0},
        {"1e-99999999999999999999", 0},
        {"1" + zeros(500) + "e-99999999999999999999", 0},
    });
}

TEST(NumericValue, IgnoresTheCLocale) {
    // QCoreApplication takes LC_ALL from the environment; a decimal comma must not leak in.
    const char* previous = std::setlocale(LC_NUMERIC, nullptr);
    const std::string saved = previous ? previous : "C";
    if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8") == nullptr) {
        GTEST_SKIP() << "de_DE.UTF-8 locale not installed";
    }
    if (std::string(std::localeconv()->decimal_point) != ",") {
        std::setlocale(LC_NUMERIC, saved.c_str());
        GTEST_SKIP() << "de_DE.UTF-8 has no decimal comma here";
    }
    const Result<double> r = numericValue("12.5");
    const QByteArray fifteen = fifteenDigits(12.5);
    const Result<QByteArray> exact = patternExact(12.5, 2);
    std::setlocale(LC_NUMERIC, saved.c_str());
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(r.value(), 12.5);
    EXPECT_EQ(fifteen, "12.5");
    EXPECT_EQ(exact.value(), "12.50");
}

// ---- toInt16 / toInt32 --------------------------------------------------------------------

struct IntCase {
    double value;
    std::int64_t expected; // ignored when overflow is expected
    bool overflow = false;
};

template <class Fn> void checkInts(Fn convert, const std::vector<IntCase>& cases) {
    for (const IntCase& c : cases) {
        SCOPED_TRACE("value: " + std::to_string(c.value));
        const auto r = convert(c.value);
        if (c.overflow) {
            ASSERT_FALSE(r.ok());
            EXPECT_EQ(r.description(), QStringLiteral("Overflow"));
        } else {
            ASSERT_TRUE(r.ok());
            EXPECT_EQ(static_cast<std::int64_t>(r.value()), c.expected);
        }
    }
}

TEST(ToInt, HalvesToEven) {
    const std::vector<IntCase> cases = {
        {2.5, 2},
        {3.5, 4},
        {-2.5, -2},
        {-3.5, -4},
        {187.5, 188},
        {0.5, 0},
        {-0.5, 0},
        {1.5, 2},
        {2.4999, 2},
        {2.5001, 3},
        {-0.0, 0},
        {1063.4, 1063},
        {779.2207792207792, 779},
    };
    checkInts(toInt16, cases);
    checkInts(toInt32, cases);
}

TEST(ToInt, SixteenBitRange) {
    checkInts(toInt16, {
                           {32767, 32767},
                           {32767.4, 32767},
                           {32766.5, 32766},
                           {32767.5, 0, true},
                           {32768, 0, true},
                           {-32768, -32768},
                           {-32768.5, -32768},
                           {-32768.6, 0, true},
                           {-32769, 0, true},
                           {kNaN, 0, true},
                           {kInf, 0, true},
                           {-kInf, 0, true},
                       });
}

TEST(ToInt, ThirtyTwoBitRange) {
    checkInts(toInt32, {
                           {2147483647, 2147483647},
                           {2147483647.4, 2147483647},
                           {2147483646.5, 2147483646},
                           {2147483647.5, 0, true},
                           {-2147483648.0, -2147483648LL},
                           {-2147483648.5, -2147483648LL},
                           {-2147483648.6, 0, true},
                           {-2147483649.0, 0, true},
                           {1e10, 0, true},
                           {32768, 32768},
                           {kNaN, 0, true},
                           {kInf, 0, true},
                       });
}

// ---- fifteenDigits ------------------------------------------------------------------------

TEST(FifteenDigits, PlainDecimalWithFifteenSignificantDigits) {
    const std::string denormMin = "0." + zeros(323) + "494065645841247";
    const struct {
        double value;
        const char* expected;
    } cases[] = {
        {2000.0999999999999, "2000.1"},
        {2000, "2000"},
        {0.1 + 0.2, "0.3"},
        {0.1, "0.1"},
        {1.0 / 3.0, "0.333333333333333"},
        {-2.0 / 3.0, "-0.666666666666667"},
        {-36, "-36"},
        {-2.5, "-2.5"},
        {1e20, "100000000000000000000"},
        {123456789012345678.0, "123456789012346000"},
        {999999999999999.9, "1000000000000000"},
        {1.5e-7, "0.00000015"},
        {0.0, "0"},
        {-0.0, "0"},
        {std::numeric_limits<double>::denorm_min(), denormMin.c_str()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.expected);
        EXPECT_EQ(fifteenDigits(c.value), QByteArray(c.expected));
    }
}

// ---- pattern / patternExact ---------------------------------------------------------------

struct PatternCase {
    double value;
    int decimals;
    std::string fromFifteen; // pattern()
    std::string fromExact;   // patternExact()
};

TEST(Pattern, RoundsHalfAwayFromZeroOnFifteenDigitTextOrExactValue) {
    const PatternCase cases[] = {
        {2000, 1, "2000.0", "2000.0"},
        {2000, 2, "2000.00", "2000.00"},
        {2000.0999999999999, 1, "2000.1", "2000.1"},
        {2000.0999999999999, 2, "2000.10", "2000.10"},
        {2000.05, 1, "2000.1", "2000.0"}, // binary 2000.0499999999999545...
        {0.05, 1, "0.1", "0.1"},          // binary 0.05000000000000000277...
        {-0.05, 1, "-0.1", "-0.1"},
        {0.04, 1, "0.0", "0.0"},
        {-0.04, 1, "0.0", "0.0"}, // never "-0.0"
        {-0.0, 1, "0.0", "0.0"},
        {-0.0, 2, "0.00", "0.00"},
        {1999.95, 1, "2000.0", "2000.0"}, // binary 1999.95000000000004547...
        {9.995, 2, "10.00", "9.99"},      // binary 9.9949999999999992184...
        {-36, 1, "-36.0", "-36.0"},
        {0.125, 2, "0.13", "0.13"}, // exact tie: away from zero, unlike printf's 0.12
        {-0.125, 2, "-0.13", "-0.13"},
        {2.675, 2, "2.68", "2.67"}, // binary 2.67499999999999982236431605997495353221893310546875
        {1.005, 2, "1.01", "1.00"}, // binary 1.00499999999999989341858963598497211933135986328125
        {31.899999999999999, 2, "31.90", "31.90"},
        {0.999, 2, "1.00", "1.00"},
        {-9.96, 1, "-10.0", "-10.0"},
        {1e20, 1, "100000000000000000000.0", "100000000000000000000.0"},
        {std::numeric_limits<double>::denorm_min(), 2, "0.00", "0.00"},
        {-std::numeric_limits<double>::denorm_min(), 2, "0.00", "0.00"},
    };
    for (const PatternCase& c : cases) {
        SCOPED_TRACE(c.fromFifteen + " / " + c.fromExact);
        const Result<QByteArray> text = pattern(c.value, c.decimals);
        const Result<QByteArray> exact = patternExact(c.value, c.decimals);
        ASSERT_TRUE(text.ok());
        ASSERT_TRUE(exact.ok());
        EXPECT_EQ(text.value().toStdString(), c.fromFifteen);
        EXPECT_EQ(exact.value().toStdString(), c.fromExact);
    }
}

TEST(Pattern, LargestMagnitudes) {
    const Result<QByteArray> big = pattern(1e308, 1);
    ASSERT_TRUE(big.ok());
    EXPECT_EQ(big.value().toStdString(), "1" + zeros(308) + ".0");

    const Result<QByteArray> bigExact = patternExact(-1e308, 1);
    ASSERT_TRUE(bigExact.ok());
    EXPECT_EQ(bigExact.value().size(), 1 + 309 + 2);
    EXPECT_TRUE(bigExact.value().startsWith("-1000000000000000010979063629440455"));
    EXPECT_TRUE(bigExact.value().endsWith(".0"));

    const Result<QByteArray> max = patternExact(std::numeric_limits<double>::max(), 2);
    ASSERT_TRUE(max.ok());
    EXPECT_TRUE(max.value().startsWith("17976931348623157"));
    EXPECT_EQ(max.value().size(), 309 + 3);
}

TEST(Pattern, InfinityAndNaNOverflow) {
    for (const double v : {kInf, -kInf, kNaN}) {
        for (const int decimals : {1, 2}) {
            const Result<QByteArray> a = pattern(v, decimals);
            const Result<QByteArray> b = patternExact(v, decimals);
            EXPECT_FALSE(a.ok());
            EXPECT_FALSE(b.ok());
            EXPECT_EQ(a.description(), QStringLiteral("Overflow"));
            EXPECT_EQ(b.description(), QStringLiteral("Overflow"));
        }
    }
}

TEST(Pattern, ConnectionCountdownOfAccumulatedFootage) {
    // The connection label: "Connection in " + (32 - footage) with "0.00", footage grown by 0.1 per
    // step.
    double footage = 0;
    for (int step = 0; step <= 320; ++step) {
        SCOPED_TRACE(step);
        const int hundredths = 3200 - 10 * step; // what a person expects
        const std::string expected = (hundredths < 0 ? "-" : "") +
                                     std::to_string(std::abs(hundredths) / 100) + "." +
                                     std::to_string(std::abs(hundredths) / 10 % 10) + "0";
        const Result<QByteArray> label = patternExact(32 - footage, 2);
        ASSERT_TRUE(label.ok());
        EXPECT_EQ(label.value().toStdString(), expected);
        footage += 0.1;
    }
}

// ---- integer and single-precision texts ---------------------------------------------------

TEST(IntegerText, PlainAndSignPosition) {
    const struct {
        std::int64_t value;
        const char* plain;
        const char* signPosition;
    } cases[] = {
        {25, "25", " 25"},
        {-4, "-4", "-4"},
        {0, "0", " 0"},
        {2147483647, "2147483647", " 2147483647"},
        {-2147483648LL, "-2147483648", "-2147483648"},
        {std::numeric_limits<std::int64_t>::min(), "-9223372036854775808", "-9223372036854775808"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.plain);
        EXPECT_EQ(plainInt(c.value), QByteArray(c.plain));
        EXPECT_EQ(signPositionInt(c.value), QByteArray(c.signPosition));
    }
}

TEST(SingleSignPosition, SevenSignificantDigits) {
    const struct {
        float value;
        const char* expected;
    } cases[] = {
        {56.4438019f, " 56.4438"},
        {0.5316f, " .5316"},
        {12.0f, " 12"},
        {0.0f, " 0"},
        {-0.0f, " 0"},
        {79.99999f, " 79.99999"},
        {0.01f, " .01"}, // binary 0.00999999977648...: seven digits carry into .01
        {1234567.8f, " 1234568"},
        {9999999.0f, " 9999999"},
        {-1.5f, "-1.5"},
        {-0.25f, "-.25"},
        {0.1f, " .1"}, // binary 0.100000001490116...
        {0.0001f, " .0001"},
        {0.00012345678f, " .0001234568"},
        {0.00001f, " 1E-05"},
        {1.5e-7f, " 1.5E-07"},
        {-2.5e-6f, "-2.5E-06"},
        {1e-30f, " 1E-30"},
        {1e-40f, " 9.999946E-41"}, // subnormal: its exact value rounded
        {10000000.0f, " 1E+07"},
        {12345678.0f, " 1.234568E+07"},
        {1e8f, " 1E+08"},
        {3.4e38f, " 3.4E+38"},
        {-1e20f, "-1E+20"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.expected);
        EXPECT_EQ(singleSignPosition(c.value), QByteArray(c.expected));
    }
}

TEST(SingleSignPosition, RandomPumpRatesReadBackToTheSevenDigitValue) {
    // A drawn pump rate: u * 80 as a float, written and read back through its text.
    for (const double u : {0.0, 0.705547511577606, 0.533424019813538, 0.579518616199493,
                           0.999999999, 1.0 / 80.0, 0.5}) {
        SCOPED_TRACE(u);
        const float rate = static_cast<float>(u * 80);
        const QByteArray text = singleSignPosition(rate);
        ASSERT_TRUE(text.startsWith(' '));
        const Result<double> back = numericValue(text);
        ASSERT_TRUE(back.ok());
        EXPECT_LE(back.value(), 80.0);
        EXPECT_NEAR(back.value(), rate, 1e-5);
    }
}

} // namespace
} // namespace kestrune::text
