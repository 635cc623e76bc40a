#include "tools/receiver/wits_stream.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using namespace kestrune::receiver;
using namespace std::string_view_literals;

// One readable string per event, so a table states the expected events and a failure shows them.
std::vector<std::string> transcript(const std::vector<WitsEvent>& events) {
    static const char* const kKinds[] = {"outside", "malformed", "overlong"};
    static const char* const kEnds[] = {"closed", "new-block", "too-long", "stream-end"};
    std::vector<std::string> out;
    for (const WitsEvent& event : events) {
        if (const auto* packet = std::get_if<WitsPacket>(&event)) {
            std::string line = "packet " + std::string(kEnds[static_cast<int>(packet->end)]) + ":";
            for (const WitsItem& item : packet->items)
                line += " " + item.code.toStdString() + "=" + item.value.toStdString();
            for (const GarbageLine& garbage : packet->garbage)
                line += " [" + std::string(kKinds[static_cast<int>(garbage.kind)]) + " " +
                        garbage.text.toStdString() + "]";
            out.push_back(line);
        } else {
            const auto& garbage = std::get<GarbageLine>(event);
            out.push_back(kKinds[static_cast<int>(garbage.kind)] +
                          (" " + garbage.text.toStdString()));
        }
    }
    return out;
}

std::vector<std::string> parse(const std::vector<QByteArray>& chunks) {
    WitsStream stream;
    std::vector<std::string> out;
    for (const QByteArray& chunk : chunks) {
        const auto events = transcript(stream.feed(chunk));
        out.insert(out.end(), events.begin(), events.end());
    }
    const auto rest = transcript(stream.finish());
    out.insert(out.end(), rest.begin(), rest.end());
    return out;
}

// Literals holding NUL bytes.
QByteArray bytes(std::string_view s) {
    return QByteArray(s.data(), static_cast<qsizetype>(s.size()));
}

const QByteArray kLongest = "0108" + QByteArray(kMaxLineLength - kCodeLength, '7');
const QByteArray kTooLong(kMaxLineLength + 1000, 'x');
const std::string kTooLongHead = kTooLong.left(kMaxLineLength).toStdString();

struct Case {
    const char* name;
    std::vector<QByteArray> chunks;
    std::vector<std::string> expected;
};

const Case kCases[] = {
    {"one packet in one chunk",
     {"&&\r\n0108100.5\r\n1984PASON/EDR\r\n!!\r\n"},
     {"packet closed: 0108=100.5 1984=PASON/EDR"}},
    {"CR LF split across chunks",
     {"&&\r", "\n0108100\r", "\n!!\r", "\n"},
     {"packet closed: 0108=100"}},
    {"several packets in one chunk",
     {"&&\r\n0108100\r\n!!\r\n&&\r\n0408200\r\n0410201\r\n!!\r\n&&\r\n!!\r\n"},
     {"packet closed: 0108=100", "packet closed: 0408=200 0410=201", "packet closed:"}},
    {"noise bytes inside values are kept",
     {bytes("&&\r\n011012\0\xff"
            "5\r\n!!\r\n"sv)},
     {bytes("packet closed: 0110=12\0\xff"
            "5"sv)
          .toStdString()}},
    {"a lone CR inside a value splits the line",
     {"&&\r\n01109\r8\r\n!!\r\n"},
     {"packet closed: 0110=9 [malformed 8]"}},
    {"noise between packets",
     {bytes("&&\r\n0108100\r\n!!\r\n\0\r\n\xff\r\r\n&&\r\n0110200\r\n!!\r\n"sv)},
     {"packet closed: 0108=100", bytes("outside \0"sv).toStdString(), "outside \xff",
      "packet closed: 0110=200"}},
    {"a block without its end is reported when the next begins",
     {"&&\r\n0108100\r\n&&\r\n0110200\r\n!!\r\n"},
     {"packet new-block: 0108=100", "packet closed: 0110=200"}},
    {"lone LF and lone CR end lines",
     {"&&\n0108100\n!!\n&&\r0110200\r!!\r"},
     {"packet closed: 0108=100", "packet closed: 0110=200"}},
    {"malformed lines in a block and stray lines outside",
     {"!!\r\n0108100\r\n&&\r\n01\r\n01a8xyz\r\n0110\r\n !!\r\n!!\r\n"},
     {"outside !!", "outside 0108100",
      "packet closed: 0110= [malformed 01] [malformed 01a8xyz] [malformed  !!]"}},
    {"the end of the stream takes the last line and reports the open block",
     {"&&\r\n0108100\r\n0110200"},
     {"packet stream-end: 0108=100 0110=200"}},
    {"a line of the longest length is a line",
     {"&&\r\n" + kLongest + "\r\n!!\r\n"},
     {"packet closed: 0108=" + kLongest.mid(kCodeLength).toStdString()}},
    {"an overlong line in a block keeps its head and drops its rest",
     {"&&\r\n" + kTooLong + "\r\n01081\r\n!!\r\n"},
     {"packet closed: 0108=1 [overlong " + kTooLongHead + "]"}},
    {"an overlong line between blocks",
     {kTooLong + "\r\n&&\r\n01081\r\n!!\r\n"},
     {"overlong " + kTooLongHead, "packet closed: 0108=1"}},
};

TEST(WitsStream, ParsesEachCaseTheSameHoweverTheBytesAreSplit) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(parse(c.chunks), c.expected);

        QByteArray whole;
        for (const QByteArray& chunk : c.chunks)
            whole += chunk;
        for (qsizetype at = 0; at <= whole.size(); ++at)
            ASSERT_EQ(parse({whole.left(at), whole.mid(at)}), c.expected) << "split at " << at;
        std::vector<QByteArray> single;
        for (const char b : whole)
            single.push_back(QByteArray(1, b));
        EXPECT_EQ(parse(single), c.expected) << "byte by byte";
    }
}

TEST(WitsStream, FloodsAreBoundedAndReportedWithoutWaitingForTheirEnd) {
    WitsStream stream;
    EXPECT_EQ(transcript(stream.feed(kTooLong)),
              std::vector<std::string>{"overlong " + kTooLongHead});

    QByteArray block = "&&\r\n";
    for (qsizetype i = 0; i <= kMaxBlockLines; ++i)
        block += "0108" + QByteArray::number(i) + "\r\n";
    const std::vector<WitsEvent> events = stream.feed("\r\n" + block + "!!\r\n");
    ASSERT_EQ(events.size(), 3u);
    const auto& packet = std::get<WitsPacket>(events[0]);
    EXPECT_EQ(packet.end, BlockEnd::TooLong);
    ASSERT_EQ(packet.items.size(), kMaxBlockLines);
    EXPECT_EQ(packet.items.back().value, QByteArray::number(kMaxBlockLines - 1));
    EXPECT_EQ(
        transcript({events[1], events[2]}),
        (std::vector<std::string>{"outside 0108" + std::to_string(kMaxBlockLines), "outside !!"}));
}

} // namespace
