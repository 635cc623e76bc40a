#include "wits/record_builder.h"

#include "core/random_source.h"

#include <QByteArray>
#include <gtest/gtest.h>
#include <ostream>
#include <vector>

namespace kestrune::wits {
namespace {

// 20 distinct characters, so every cut and repeat is visible.
const QByteArray kPacket = "0123456789ABCDEFGHIJ";

struct NoiseCase {
    const char* name;
    QByteArray packet;
    std::vector<double> draws;
    std::int32_t holdoff;
    QByteArray result;
    std::size_t drawn;
};

void PrintTo(const NoiseCase& c, std::ostream* os) {
    *os << c.name;
}

class LineNoiseTest : public ::testing::TestWithParam<NoiseCase> {};

TEST_P(LineNoiseTest, CorruptsAsDrawn) {
    const NoiseCase& c = GetParam();
    SequenceRandomSource random(c.draws);
    QByteArray packet = c.packet;
    std::int32_t holdoff = -1;

    ASSERT_TRUE(addLineNoise(packet, holdoff, random).ok());

    EXPECT_EQ(holdoff, c.holdoff);
    EXPECT_EQ(packet, c.result);
    EXPECT_EQ(packet.size(), c.result.size());
    EXPECT_EQ(random.drawn(), c.drawn);
}

// Draw order: hold-off, passes, then per pass the position and (unless skipped) the byte.
// Position r * 20 - 5 rounded; byte r * 254 rounded; both halves to even.
INSTANTIATE_TEST_SUITE_P(
    Draws, LineNoiseTest,
    ::testing::Values(
        NoiseCase{"AtStartGrowsByOne", kPacket, {0.0, 0.0, 0.25, 65.0 / 254}, 0, "A" + kPacket, 4},
        NoiseCase{"AtOneGrowsByTwo", kPacket, {0.0, 0.0, 0.3, 65.0 / 254}, 0, "0A" + kPacket, 4},
        NoiseCase{
            "AtTwoGrowsByThree", kPacket, {0.0, 0.0, 0.35, 65.0 / 254}, 0, "01A" + kPacket, 4},
        NoiseCase{"InTheMiddleRepeatsTwo",
                  kPacket,
                  {0.0, 0.0, 0.75, 65.0 / 254},
                  0,
                  "0123456789A89ABCDEFGHIJ",
                  4},
        NoiseCase{"LastPositionIsFiveShort",
                  kPacket,
                  {0.0, 0.0, 0.9999, 65.0 / 254},
                  0,
                  "0123456789ABCDEADEFGHIJ",
                  4},
        // 0.375 * 20 - 5 = 2.5 goes to 2, not 3.
        NoiseCase{"PositionHalfGoesToEven",
                  kPacket,
                  {0.0, 0.0, 0.375, 65.0 / 254},
                  0,
                  "01A" + kPacket,
                  4},
        NoiseCase{
            "HoldoffHalfGoesToEven", kPacket, {0.5, 0.0, 0.25, 65.0 / 254}, 8, "A" + kPacket, 4},
        NoiseCase{
            "HighestHoldoffAndByte", kPacket, {0.99, 0.0, 0.25, 0.999}, 15, "\xfe" + kPacket, 4},
        NoiseCase{
            "CarriageReturnByte", kPacket, {0.0, 0.0, 0.25, 13.0 / 254}, 0, "\r" + kPacket, 4},
        NoiseCase{"HighByte", kPacket, {0.0, 0.0, 0.25, 200.0 / 254}, 0, "\xc8" + kPacket, 4},
        NoiseCase{"NulByte", kPacket, {0.0, 0.0, 0.25, 0.0}, 0, QByteArray(1, '\0') + kPacket, 4},
        // 0.3125 * 8 = 2.5 gives 2, so three passes; each sees the grown packet (20, 21, 22).
        NoiseCase{"PassesHalfGoesToEven",
                  kPacket,
                  {0.0, 0.3125, 0.25, 65.0 / 254, 0.25, 66.0 / 254, 0.25, 67.0 / 254},
                  0,
                  "CBA" + kPacket,
                  8},
        // 0.4375 * 8 = 3.5 gives 4: five passes. 0.2275 * L - 5 is -0.45 at L = 20 (0, not
        // skipped) and 0.46 at L = 24.
        NoiseCase{"FivePasses",
                  kPacket,
                  {0.0, 0.4375, 0.2275, 65.0 / 254, 0.2275, 65.0 / 254, 0.2275, 65.0 / 254, 0.2275,
                   65.0 / 254, 0.2275, 65.0 / 254},
                  0,
                  "AAAAA" + kPacket,
                  12},
        // 0.1 * 20 - 5 = -3: that pass is skipped without drawing its byte.
        NoiseCase{"NegativePositionSkipsThePass",
                  kPacket,
                  {0.0, 0.125, 0.1, 0.25, 65.0 / 254},
                  0,
                  "A" + kPacket,
                  5},
        NoiseCase{
            "TenCharactersStayClean", "0123456789", {0.4, 1.0, 0.25, 0.5}, 6, "0123456789", 2},
        NoiseCase{"ElevenCharactersDoNot",
                  "0123456789A",
                  {0.0, 0.0, 6.0 / 11, 66.0 / 254},
                  0,
                  "0B0123456789A",
                  4},
        NoiseCase{"EmptyPacket", "", {0.2, 0.0}, 3, "", 2}),
    [](const ::testing::TestParamInfo<NoiseCase>& param) { return param.param.name; });

} // namespace
} // namespace kestrune::wits
