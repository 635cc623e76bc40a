#include "wits/record_builder.h"

#include "tests/wits/wits_fixture.h"

#include <QByteArray>
#include <cmath>
#include <limits>

namespace kestrune::wits::testing {
namespace {

using serial::FakeCommPort;

class RecordBuilderTest : public WitsTest {
protected:
    void send() { Send_Wits_Out_Serial_Port(state, window, port, clock, random); }
};

struct ItemCase {
    const char* caption;
    QByteArray line;
    QByteArray sent;
};

class ItemLineTest : public RecordBuilderTest, public ::testing::WithParamInterface<ItemCase> {};

// One-line templates: what each code becomes in each template, and lines that are no item.
TEST_P(ItemLineTest, LineIsSentAndStoredAsExpected) {
    const ItemCase& c = GetParam();
    window.caption = c.caption;
    window.pumpRates = {"77", "", " 15x"};
    TemplateLines& lines =
        window.caption == kHalfWitsCaption ? state.half_wits_lines : state.full_wits_lines;
    loadTemplate(lines, {c.line});

    send();

    const QByteArray packet = c.sent + "\r\n";
    EXPECT_EQ(port.writes, QList<QByteArray>{packet});
    EXPECT_EQ(window.sendTexts, QList<QByteArray>{packet});
    EXPECT_EQ(lines[0], packet) << "the slot keeps the line as last sent";
}

INSTANTIATE_TEST_SUITE_P(
    Codes, ItemLineTest,
    ::testing::Values(
        // Half template: the time, date and record-04 depths are not written.
        ItemCase{kHalfWitsCaption, "0104999999", "0104999999"},
        ItemCase{kHalfWitsCaption, "0105x", "0105x"},
        ItemCase{kHalfWitsCaption, "04081.0", "04081.0"},
        ItemCase{kHalfWitsCaption, "0410", "0410"},
        ItemCase{kHalfWitsCaption, "0108", "01081234.5"},
        ItemCase{kHalfWitsCaption, "0110", "01102000.1"},
        ItemCase{kHalfWitsCaption, "1108old value", "11082000.1"},
        ItemCase{kHalfWitsCaption, "0123", "012377"}, ItemCase{kHalfWitsCaption, "0124-1", "0124"},
        ItemCase{kHalfWitsCaption, "0125", "0125 15x"},
        ItemCase{kHalfWitsCaption, "0137", "0137-4"}, ItemCase{kHalfWitsCaption, "0143", "01431"},
        ItemCase{kHalfWitsCaption, "0144", "01442"}, ItemCase{kHalfWitsCaption, "0145", "01453"},
        // Full template: the half codes plus time, date and record-04 depths.
        ItemCase{kFullWitsCaption, "0104999999", "0104090503"},
        ItemCase{kFullWitsCaption, "0105", "0105240307"},
        ItemCase{kFullWitsCaption, "04081.0", "04081234.5"},
        ItemCase{kFullWitsCaption, "0410", "04102000.1"},
        ItemCase{kFullWitsCaption, "0108", "01081234.5"},
        ItemCase{kFullWitsCaption, "0123", "012377"}, ItemCase{kFullWitsCaption, "0144", "01442"},
        // Not item lines: other codes, a code not at the start, lines shorter than a code.
        ItemCase{kFullWitsCaption, "&&", "&&"},
        ItemCase{kFullWitsCaption, "0111-9999", "0111-9999"},
        ItemCase{kFullWitsCaption, " 0110", " 0110"}, ItemCase{kFullWitsCaption, "011", "011"},
        ItemCase{kFullWitsCaption, "01O8", "01O8"}));

TEST_F(RecordBuilderTest, HalfPacketGoesOutInOneWriteWithLabels) {
    loadTemplate(state.half_wits_lines, {"&&", "0108", "1984PASON/EDR", "0123", "!!"});
    loadTemplate(state.full_wits_lines, {"&&", "0104", "!!"});

    send();

    const QByteArray packet = packetOf({"&&", "01081234.5", "1984PASON/EDR", "012377", "!!"});
    EXPECT_EQ(port.writes, QList<QByteArray>{packet});
    EXPECT_EQ(window.sendTexts, QList<QByteArray>{packet});
    EXPECT_EQ(window.lastPacketSent, "Last packet sent 09:05:03");
    EXPECT_EQ(window.pktSize, "Pkt Size: " + QByteArray::number(packet.size()));
    EXPECT_EQ(state.full_wits_lines[1], "0104\r\n") << "the other template is untouched";
}

TEST_F(RecordBuilderTest, LabelShowsTwentyFourHourTime) {
    clock.set(QDateTime(QDate(2024, 3, 7), QTime(23, 59, 8)));
    send();
    EXPECT_EQ(window.lastPacketSent, "Last packet sent 23:59:08");
}

TEST_F(RecordBuilderTest, EmptyTemplateSendsEmptyPacket) {
    send();
    EXPECT_EQ(port.writes, QList<QByteArray>{QByteArray()});
    EXPECT_EQ(window.sendTexts, QList<QByteArray>{QByteArray()});
    EXPECT_EQ(window.pktSize, "Pkt Size: 0");
}

TEST_F(RecordBuilderTest, ClosedPortLeavesEverythingAsItWas) {
    ASSERT_TRUE(port.setPortOpen(false).ok());
    window.noiseChecked = true;
    loadTemplate(state.half_wits_lines, {"0110"});
    const sim_state before = state;

    send();

    EXPECT_TRUE(port.writes.isEmpty());
    EXPECT_TRUE(window.appends.isEmpty());
    EXPECT_TRUE(window.lastPacketSent.isEmpty());
    EXPECT_TRUE(window.pktSize.isEmpty());
    EXPECT_EQ(window.pauses, 0);
    EXPECT_EQ(random.drawn(), 0u);
    EXPECT_EQ(state.half_wits_lines, before.half_wits_lines);
}

struct PasonCase {
    bool pasonMode;
    QByteArray line;
    QByteArray sent; // empty: left out
};

class PasonFilterTest : public RecordBuilderTest,
                        public ::testing::WithParamInterface<PasonCase> {};

TEST_P(PasonFilterTest, MarkerLinesFollowTheMode) {
    const PasonCase& c = GetParam();
    window.pasonMode = c.pasonMode;
    loadTemplate(state.half_wits_lines, {"&&", c.line, "!!"});

    send();

    const QByteArray middle = c.sent.isEmpty() ? QByteArray() : c.sent + "\r\n";
    EXPECT_EQ(port.writes, QList<QByteArray>{"&&\r\n" + middle + "!!\r\n"});
}

INSTANTIATE_TEST_SUITE_P(
    Modes, PasonFilterTest,
    ::testing::Values(PasonCase{true, "1984PASON/EDR", "1984PASON/EDR"},
                      PasonCase{false, "1984PASON/EDR", ""}, PasonCase{false, "x PASON", ""},
                      PasonCase{false, "1984pason/edr", "1984pason/edr"},
                      PasonCase{false, "1984Pason", "1984Pason"},
                      // Rewritten before the filter: the marker is gone, so it goes in every mode.
                      PasonCase{false, "0110PASON", "01102000.1"},
                      PasonCase{true, "0110PASON", "01102000.1"}));

TEST_F(RecordBuilderTest, ModeIsReadForEveryLine) {
    loadTemplate(state.half_wits_lines, {"1PASON", "2PASON", "3PASON"});
    window.onPause = [this](int pause) { window.pasonMode = pause < 2; };

    send();

    EXPECT_EQ(port.writes, QList<QByteArray>{"1PASON\r\n"});
}

TEST_F(RecordBuilderTest, ValuesAreTakenWhenTheirLineIsProcessed) {
    window.caption = kFullWitsCaption;
    loadTemplate(state.full_wits_lines, {"0110", "0104", "0110", "0123"});
    window.onPause = [this](int pause) {
        if (pause == 2) {
            state.current_depth = 2000.2;
            clock.set(QDateTime(QDate(2024, 3, 7), QTime(9, 5, 4)));
            window.pumpRates[0] = "0";
        }
    };

    send();

    EXPECT_EQ(port.writes,
              QList<QByteArray>{packetOf({"01102000.1", "0104090504", "01102000.2", "01230"})});
    EXPECT_EQ(window.lastPacketSent, "Last packet sent 09:05:03");
}

TEST_F(RecordBuilderTest, RewrittenSlotsAreRewrittenAgainNextPacket) {
    loadTemplate(state.half_wits_lines, {"0110 placeholder", "0143"});
    send();
    EXPECT_EQ(state.half_wits_lines[0], "01102000.1\r\n");
    EXPECT_EQ(state.half_wits_lines[1], "01431\r\n");

    state.current_depth = 2001;
    state.pump1_strokes = 12;
    send();
    ASSERT_EQ(port.writes.size(), 2);
    EXPECT_EQ(port.writes[1], packetOf({"01102001.0", "014312"}));
}

TEST_F(RecordBuilderTest, OnlyTheFirstTwoHundredSlotsAreSent) {
    for (std::size_t i = 0; i < state.half_wits_lines.size(); ++i) {
        state.half_wits_lines[i] = "L" + QByteArray::number(static_cast<qulonglong>(i)) + "\r\n";
    }
    send();
    ASSERT_EQ(port.writes.size(), 1);
    EXPECT_TRUE(port.writes[0].endsWith("\r\nL199\r\n"));
    EXPECT_FALSE(port.writes[0].contains("L200"));
    EXPECT_EQ(port.writes[0].count("\r\n"), kTemplateSentSlots);
    EXPECT_EQ(window.pauses, kTemplateSentSlots);
}

TEST_F(RecordBuilderTest, FirstEmptySlotEndsTheTemplate) {
    loadTemplate(state.half_wits_lines, {"a", "b"});
    state.half_wits_lines[3] = "d\r\n";
    send();
    EXPECT_EQ(port.writes, QList<QByteArray>{packetOf({"a", "b"})});
    EXPECT_EQ(window.pauses, 3);
}

TEST_F(RecordBuilderTest, EveryByteValueCrossesUnchanged) {
    QByteArray line;
    for (int b = 0; b < 256; ++b) {
        if (b != '\r' && b != '\n') {
            line += static_cast<char>(b);
        }
    }
    loadTemplate(state.half_wits_lines, {line, QByteArray("\0\r", 2)});
    send();
    const QByteArray packet = line + "\r\n" + QByteArray("\0\r\r\n", 4);
    EXPECT_EQ(port.writes, QList<QByteArray>{packet});
    EXPECT_EQ(window.sendTexts, QList<QByteArray>{packet});
    EXPECT_EQ(window.pktSize, "Pkt Size: " + QByteArray::number(packet.size()));
}

TEST_F(RecordBuilderTest, SwitchToFullDuringHalfPassSendsOnlyTheFull) {
    loadTemplate(state.half_wits_lines, {"H1", "0110"});
    loadTemplate(state.full_wits_lines, {"F1", "0104", "0410"});
    window.onPause = [this](int pause) {
        if (pause == 1) {
            window.caption = kFullWitsCaption;
        }
    };

    send();

    const QByteArray half = packetOf({"H1", "01102000.1"});
    const QByteArray full = packetOf({"F1", "0104090503", "04102000.1"});
    EXPECT_EQ(window.sendTexts, (QList<QByteArray>{half, full}));
    EXPECT_EQ(port.writes, QList<QByteArray>{full});
    EXPECT_EQ(window.pktSize, "Pkt Size: " + QByteArray::number(full.size()));
}

TEST_F(RecordBuilderTest, SwitchToHalfDuringFullPassChangesNothing) {
    window.caption = kFullWitsCaption;
    loadTemplate(state.half_wits_lines, {"H1"});
    loadTemplate(state.full_wits_lines, {"F1", "F2"});
    window.onPause = [this](int) { window.caption = kHalfWitsCaption; };

    send();

    EXPECT_EQ(window.sendTexts, QList<QByteArray>{packetOf({"F1", "F2"})});
    EXPECT_EQ(port.writes, QList<QByteArray>{packetOf({"F1", "F2"})});
}

TEST_F(RecordBuilderTest, EndedProgramStopsAtOnce) {
    for (const int endAt : {1, 2}) {
        SCOPED_TRACE(endAt);
        window = FakeWitsWindow();
        window.caption = kHalfWitsCaption;
        loadTemplate(state.half_wits_lines, {"a", "0110"});
        window.onPause = [this, endAt](int pause) {
            if (pause == endAt) {
                window.ended = true;
                window.caption = kFullWitsCaption;
            }
        };
        send();
        EXPECT_TRUE(window.appends.isEmpty());
        EXPECT_TRUE(window.pktSize.isEmpty());
        EXPECT_EQ(window.pauses, endAt);
        EXPECT_TRUE(port.writes.isEmpty());
    }
}

TEST_F(RecordBuilderTest, PortClosedDuringBuildIsReportedAndNothingWritten) {
    loadTemplate(state.half_wits_lines, {"a", "b"});
    window.onPause = [this](int pause) {
        if (pause == 2) {
            ASSERT_TRUE(port.setPortOpen(false).ok());
        }
    };

    send();

    EXPECT_TRUE(port.writes.isEmpty());
    EXPECT_EQ(window.sendTexts,
              (QList<QByteArray>{packetOf({"a", "b"}),
                                 QByteArray("Send WITS Error: ") + serial::kNotOpenMessage}));
}

TEST_F(RecordBuilderTest, FailedWriteIsReported) {
    loadTemplate(state.half_wits_lines, {"a"});
    port.failNext(FakeCommPort::Op::Output, "Output queue full");
    send();
    EXPECT_TRUE(port.writes.isEmpty());
    EXPECT_EQ(window.sendTexts.last(), "Send WITS Error: Output queue full");
    EXPECT_EQ(port.calls.count(FakeCommPort::Op::Output), 1);
}

TEST_F(RecordBuilderTest, UnwritableValueEndsTheCallKeepingEarlierRewrites) {
    loadTemplate(state.half_wits_lines, {"0108", "0110", "0143"});
    state.current_depth = std::numeric_limits<double>::infinity();

    send();

    EXPECT_EQ(window.sendTexts, QList<QByteArray>{"Send WITS Error: Overflow"});
    EXPECT_TRUE(window.pktSize.isEmpty());
    EXPECT_EQ(port.calls.count(FakeCommPort::Op::Output), 0);
    EXPECT_EQ(state.half_wits_lines[0], "01081234.5\r\n");
    EXPECT_EQ(state.half_wits_lines[1], "0110\r\n");
    EXPECT_EQ(state.half_wits_lines[2], "0143\r\n");
    EXPECT_EQ(window.lastPacketSent, "Last packet sent 09:05:03");
}

TEST_F(RecordBuilderTest, NoiseIsAddedWhenCheckedAndHoldoffIsZero) {
    window.noiseChecked = true;
    loadTemplate(state.half_wits_lines, {"&&", "0110", "!!"});
    // Packet "&&\r\n01102000.1\r\n!!\r\n", 20 bytes. Hold-off 8; one pass at 10 inserting NUL.
    useRandom({0.5, 0.0, 0.75, 0.0});

    send();

    const QByteArray noisy = QByteArray("&&\r\n011020") + '\0' + "2000.1\r\n!!\r\n";
    ASSERT_EQ(noisy.size(), 23);
    EXPECT_EQ(port.writes, QList<QByteArray>{noisy});
    EXPECT_EQ(window.sendTexts, QList<QByteArray>{noisy});
    EXPECT_EQ(window.pktSize, "Pkt Size: 23");
    EXPECT_EQ(state.noise_holdoff, 8);
    EXPECT_EQ(state.half_wits_lines[1], "01102000.1\r\n") << "noise never reaches the template";
}

TEST_F(RecordBuilderTest, NoNoiseWhileHeldOffOrUnchecked) {
    loadTemplate(state.half_wits_lines, {"&&", "0110", "!!"});
    const QByteArray clean = packetOf({"&&", "01102000.1", "!!"});
    useRandom({0.5, 0.0, 0.75, 0.0});

    window.noiseChecked = true;
    state.noise_holdoff = 1;
    send();
    window.noiseChecked = false;
    state.noise_holdoff = 0;
    send();

    EXPECT_EQ(port.writes, (QList<QByteArray>{clean, clean}));
    EXPECT_EQ(state.noise_holdoff, 0);
    EXPECT_EQ(random.drawn(), 0u);
}

TEST_F(RecordBuilderTest, HoldoffCountedDownDuringTheBuildLetsNoiseIn) {
    window.noiseChecked = true;
    state.noise_holdoff = 1;
    loadTemplate(state.half_wits_lines, {"X123456789ABCDEFGH"});
    window.onPause = [this](int) { state.noise_holdoff = 0; };
    useRandom({0.0, 0.0, 0.25, 0.0});

    send();

    ASSERT_EQ(port.writes.size(), 1);
    EXPECT_EQ(port.writes[0], QByteArray(1, '\0') + "X123456789ABCDEFGH\r\n");
}

} // namespace
} // namespace kestrune::wits::testing
