// The whole window fed bad input: broken template files at start-up and hostile text in every
// box. Whatever comes in, the window reports it with its labels and goes on simulating.

#include "faults.h"
#include "tests/app/window_fixture.h"

#include <QApplication>
#include <QFocusEvent>
#include <QLabel>
#include <QSignalSpy>
#include <QTest>
#include <QTextDocument>
#include <cmath>
#include <random>

using namespace kestrune;
using namespace kestrune::app;
using kestrune::app::testing::WindowFixture;
using kestrune::faults::hasNonNumberWord;
using kestrune::faults::unlabelledText;

namespace {

const QString kFull = QStringLiteral("Full_Wits_Packet.txt");
const QString kHalf = QStringLiteral("Half_Wits_Packet.txt");
const QByteArray kSubscript = "LOAD ERR: Subscript out of range";
// The fixture's clock stands at 09:05:07.
const QByteArray kNotFoundPrefix = "09:05:07 File not found: ";

QByteArray repeatedTo(const QByteArray& unit, qsizetype size) {
    QByteArray out;
    out.reserve(size + unit.size());
    while (out.size() < size) {
        out += unit;
    }
    return out;
}

QByteArray numberedLines(int count, const char* end) {
    QByteArray out;
    for (int i = 1; i <= count; ++i) {
        out += "line " + QByteArray::number(i) + end;
    }
    return out;
}

QByteArray everyByteValue(int repeats) {
    QByteArray out;
    for (int r = 0; r < repeats; ++r) {
        for (int b = 0; b < 256; ++b) {
            out += static_cast<char>(b);
        }
    }
    return out;
}

// The send window after `text` is appended: a window longer than 5000 keeps its last 4500.
void appendShown(QByteArray& window, const QByteArray& text) {
    window += text;
    if (window.size() > 5000) {
        window = window.right(4500);
    }
}

// A short account of two byte strings that should be equal, for big ones.
QByteArray differ(const QByteArray& got, const QByteArray& want) {
    qsizetype at = 0;
    while (at < got.size() && at < want.size() && got[at] == want[at]) {
        ++at;
    }
    return "sizes " + QByteArray::number(got.size()) + " and " + QByteArray::number(want.size()) +
           ", first difference at " + QByteArray::number(at) + ": " +
           got.mid(at, 40).toPercentEncoding() + " vs " + want.mid(at, 40).toPercentEncoding();
}

bool clickOn(const WindowFixture& f, const char* name) {
    QWidget* widget = f.control(name);
    if (!widget) {
        return false;
    }
    QTest::mouseClick(widget, Qt::LeftButton);
    return true;
}

void leave(QLineEdit* box) {
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(box, &out);
}

// The packets of the shipped templates, half then full, as the first two packets of a run.
struct ShippedPackets {
    QByteArray half;
    QByteArray full;
};

ShippedPackets shippedPackets() {
    WindowFixture f;
    fm_kestrune& w = f.load();
    w.cmd_start_wits_Click();
    f.box("txt_msg_timer")->setText("0");
    w.tmrDataArrival_Timer();
    w.cmd_wits_type_Click();
    w.tmrDataArrival_Timer();
    if (f.port.writes.size() != 2) {
        return {};
    }
    return {f.port.writes[0], f.port.writes[1]};
}

// Options in an order that leaves the simulator drilling at one foot a second, pumps following
// the bottom, in an automatic mode and without noise.
const char* const kOptionClicks[] = {"op_600sec",        "op_300sec",
                                     "op_120sec",        "op_60sec",
                                     "op_10sec",         "op_05sec",
                                     "op_02sec",         "op_RNDsec",
                                     "op_01sec",         "op_off_bottom",
                                     "op_off_bottom_10", "op_off_bottom_30",
                                     "op_off_bottom_60", "op_off_bottom_every32",
                                     "op_on_bottom",     "op_pumps_on",
                                     "op_pumps_off",     "op_pumps_off_on_con",
                                     "op_sim_pason_req", "op_sim_epic",
                                     "op_sim_totco",     "op_sim_pason_auto",
                                     "chk_random_noise", "chk_random_noise"};

struct Hostile {
    const char* name;
    QByteArray text;
};

QList<Hostile> hostileTexts() {
    QList<Hostile> texts = {
        {"1e309", "1e309"},
        {"-1e309", "-1e309"},
        {"1e308", "1e308"},
        {"-1.79e308", "-1.79e308"},
        {"400 digits", QByteArray(400, '9')},
        {"-400 digits", "-" + QByteArray(400, '7')},
        {"400 digit fraction", "0." + QByteArray(398, '0') + "1"},
        {"1e-400", "1e-400"},
        {"1e", "1e"},
        {"1e+", "1e+"},
        {"2E3", "2E3"},
        {"minus", "-"},
        {"plus", "+"},
        {"+-5", "+-5"},
        {"1,234", "1,234"},
        {"NUL inside", QByteArray("12\0"
                                  "34",
                                  5)},
        {"NUL first", QByteArray("\0"
                                 "5",
                                 2)},
        {"Latin-1", "\xb5\xe9\xff"},
        {"no-break space", "7\xa0"
                           "8"},
        {"empty", ""},
    };
    std::mt19937 random(20261208);
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<int> length(1, 48);
    for (const char* name : {"random bytes 1", "random bytes 2", "random bytes 3"}) {
        QByteArray text;
        do {
            text.clear();
            const int n = length(random);
            for (int i = 0; i < n; ++i) {
                text += static_cast<char>(byte(random));
            }
        } while (hasNonNumberWord(text)); // such words are what the check looks for
        texts.append({name, text});
    }
    return texts;
}

} // namespace

class InputFaultsTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void brokenTemplatesAtStartUp_data();
    void brokenTemplatesAtStartUp();
    void hostileTextInEveryBox_data();
    void hostileTextInEveryBox();

private:
    ShippedPackets shipped_;
};

void InputFaultsTest::initTestCase() {
    shipped_ = shippedPackets();
    QVERIFY(shipped_.half.startsWith("&&\r\n01082000.0\r\n"));
    QVERIFY(shipped_.full.startsWith("&&\r\n0104090507\r\n"));
}

void InputFaultsTest::brokenTemplatesAtStartUp_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("present");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QByteArray>("message"); // what start-up shows
    QTest::addColumn<QByteArray>("packet");  // what goes out from that template

    const qsizetype tenMegabytes = 10 * 1024 * 1024;
    const QByteArray oneHugeLine = repeatedTo("wits data line\n", tenMegabytes);
    const QByteArray manyLines = repeatedTo("wits data line\r\n", tenMegabytes);
    QByteArray binary = everyByteValue(4);
    QByteArray binaryPacket = binary;
    binaryPacket.replace("\r", "\r\n"); // a lone CR ends a line, a lone LF stays in it
    binaryPacket += "\r\n";

    struct Case {
        const char* name;
        bool present;
        QByteArray content;
        QByteArray message; // "" or a LOAD ERR; a missing file's report is made per file
        QByteArray packet;
    };
    const Case cases[] = {
        {"empty", true, "", "", ""},
        {"10 MB in one line", true, oneHugeLine, "", oneHugeLine + "\r\n"},
        {"10 MB of lines", true, manyLines, kSubscript, repeatedTo("wits data line\r\n", 16 * 200)},
        {"every byte value", true, binary, "", binaryPacket},
        {"CR only", true, "&&\r0108\r0110\rPASON line\r!!", "",
         "&&\r\n01082000.0\r\n01102000.0\r\nPASON line\r\n!!\r\n"},
        {"LF only", true, "&&\n0110\n!!\n", "", "&&\n0110\n!!\n\r\n"},
        {"201 lines", true, numberedLines(201, "\r\n"), "", numberedLines(200, "\r\n")},
        {"202 lines", true, numberedLines(202, "\r\n"), kSubscript, numberedLines(200, "\r\n")},
        {"missing", false, "", "", ""},
    };
    for (const QString& file : {kFull, kHalf}) {
        for (const Case& c : cases) {
            const QByteArray message = c.present ? c.message : kNotFoundPrefix + file.toLatin1();
            QTest::addRow("%s, %s", c.name, qPrintable(file))
                << file << c.present << c.content << message << c.packet;
        }
    }
}

void InputFaultsTest::brokenTemplatesAtStartUp() {
    QFETCH(QString, file);
    QFETCH(bool, present);
    QFETCH(QByteArray, content);
    QFETCH(QByteArray, message);
    QFETCH(QByteArray, packet);

    WindowFixture f;
    const QString path = f.folder.filePath(file);
    QVERIFY(QFile::remove(path));
    if (present) {
        QFile out(path);
        QVERIFY(out.open(QIODevice::WriteOnly));
        QCOMPARE(out.write(content), content.size());
    }
    fm_kestrune& w = f.load();
    QCOMPARE(f.sent(), message);
    // Start-up went on to its end all the same.
    QCOMPARE(f.button("cmd_comm")->text(), QStringLiteral("Port 1 Active"));
    QCOMPARE(w.state().rop_reload, 60);
    QVERIFY(w.isVisible());

    // The full template is loaded first; when it fails the half one is not read.
    const bool underTestIsFull = file == kFull;
    const QByteArray other =
        underTestIsFull ? (message.isEmpty() ? shipped_.half : QByteArray()) : shipped_.full;

    QTest::mouseClick(f.button("cmd_start_wits"), Qt::LeftButton);
    f.box("txt_msg_timer")->setText("0");
    if (underTestIsFull) {
        QTest::mouseClick(f.button("cmd_wits_type"), Qt::LeftButton);
    }
    w.tmrDataArrival_Timer();
    QCOMPARE(f.port.writes.size(), 1);
    QVERIFY2(f.port.writes[0] == packet, differ(f.port.writes[0], packet).constData());
    QCOMPARE(f.control<QLabel>("lbl_PktSize")->text(),
             QStringLiteral("Pkt Size: %1").arg(packet.size()));
    QTest::mouseClick(f.button("cmd_wits_type"), Qt::LeftButton);
    w.tmrDataArrival_Timer();
    QCOMPARE(f.port.writes.size(), 2);
    QVERIFY2(f.port.writes[1] == other, differ(f.port.writes[1], other).constData());
    QByteArray shown = message;
    appendShown(shown, packet);
    appendShown(shown, other);
    QVERIFY2(f.sent() == shown, differ(f.sent(), shown).constData());

    // The rest of the simulator runs on: a depth step, strokes, the maintenance tick, and the
    // next packet carries the new depth.
    for (int tick = 0; tick < 60; ++tick) {
        w.old_tmr_data_chage_Timer();
    }
    w.tmr_maintaince_Timer();
    w.tmr_pump1_Timer();
    w.tmr_pump2_Timer();
    w.tmr_pump3_Timer();
    QCOMPARE(f.box("txt_depth")->text(), QStringLiteral("2000.1"));
    QCOMPARE(f.box("txt_Pump1TS")->text(), QStringLiteral(" 1"));
    QCOMPARE(f.box("txt_TotalStrokes")->text(), QStringLiteral("3"));
    QVERIFY2(f.sent() == shown, differ(f.sent(), shown).constData());
    w.tmrDataArrival_Timer();
    QCOMPARE(f.port.writes.size(), 3);
    QCOMPARE(f.port.writes[2].contains("01102000.1\r\n"), !other.isEmpty());
    QCOMPARE(f.port.writes[2].isEmpty(), other.isEmpty());
    appendShown(shown, f.port.writes[2]);
    QVERIFY2(f.sent() == shown, differ(f.sent(), shown).constData());
}

void InputFaultsTest::hostileTextInEveryBox_data() {
    QTest::addColumn<QString>("box");
    QTest::addColumn<bool>("typed"); // typed key by key rather than set at once
    QTest::addColumn<QByteArray>("text");
    const char* const boxes[] = {"txt_depth",    "txt_comport",  "txt_baudrate",    "txt_msg_timer",
                                 "txt_Pump1SPM", "txt_Pump2SPM", "txt_Pump3SPM",    "txt_Pump1TS",
                                 "txt_Pump2TS",  "txt_Pump3TS",  "txt_TotalStrokes"};
    const QList<Hostile> texts = hostileTexts();
    for (const char* box : boxes) {
        const bool rateBox = QByteArray(box).endsWith("SPM");
        for (const Hostile& text : texts) {
            QTest::addRow("%s, %s", box, text.name)
                << QString::fromLatin1(box) << false << text.text;
            if (rateBox) {
                QTest::addRow("%s, %s, typed", box, text.name)
                    << QString::fromLatin1(box) << true << text.text;
            }
        }
    }
}

void InputFaultsTest::hostileTextInEveryBox() {
    QFETCH(QString, box);
    QFETCH(bool, typed);
    QFETCH(QByteArray, text);

    WindowFixture f;
    fm_kestrune& w = f.load();
    QTest::mouseClick(f.button("cmd_start_wits"), Qt::LeftButton);
    QLineEdit* msgTimer = f.box("txt_msg_timer");
    msgTimer->setText("0");
    // A trim takes text out of the window; without one, all that was shown can be read.
    bool trimmed = false;
    connect(f.control<TrafficWindow>("text_window_send")->document(),
            &QTextDocument::contentsChange, &w,
            [&trimmed](int, int removed, int) { trimmed = trimmed || removed > 0; });
    QLineEdit* target = f.window->findChild<QLineEdit*>(box);
    QVERIFY(target);
    const QString startText =
        box == QLatin1String("txt_msg_timer") ? QStringLiteral("0") : target->text();

    if (typed) {
        target->clear();
        QSignalSpy edited(target, &QLineEdit::textEdited);
        int printable = 0;
        for (const char c : text) {
            const QChar key = QChar::fromLatin1(c);
            printable += key.isPrint() ? 1 : 0;
            QTest::sendKeyEvent(QTest::Click, target, Qt::Key_unknown, QString(key),
                                Qt::NoModifier);
        }
        QVERIFY(edited.count() >= printable); // each printable key reached the box
    } else {
        setBytes(target, text);
    }
    leave(target);

    // Every handler, with the hostile text in place.
    for (const char* option : kOptionClicks) {
        QVERIFY2(clickOn(f, option), option);
        w.old_tmr_data_chage_Timer();
        w.tmr_maintaince_Timer();
    }
    w.tmrDataArrival_Timer();
    for (int round = 0; round < 3; ++round) {
        w.old_tmr_data_chage_Timer();
        w.tmr_maintaince_Timer();
        w.tmr_pump1_Timer();
        w.tmr_pump2_Timer();
        w.tmr_pump3_Timer();
    }
    QTest::mouseClick(f.button("cmd_Reset_TS"), Qt::LeftButton);
    QTest::mouseClick(f.button("cmd_wits_type"), Qt::LeftButton);
    w.tmrDataArrival_Timer();
    QTest::mouseClick(f.button("cmd_wits_type"), Qt::LeftButton);
    QTest::mouseClick(f.button("cmd_comm"), Qt::LeftButton);
    QTest::mouseClick(f.button("cmd_comm"), Qt::LeftButton);

    // The simulator still runs once the box holds a sane text again.
    target->setText(startText);
    leave(target);
    if (!f.port.PortOpen()) {
        f.box("txt_comport")->setText("1");
        f.box("txt_baudrate")->setText("9600,n,8,1");
        w.cmd_comm_Click();
    }
    QVERIFY(f.port.PortOpen()); // a hostile port text may have opened another port: fine
    QCOMPARE(f.button("cmd_comm")->text(), QStringLiteral("Port %1 Active").arg(f.port.CommPort()));
    msgTimer->setText("0");
    const qsizetype writes = f.port.writes.size();
    w.tmrDataArrival_Timer();
    QCOMPARE(f.port.writes.size(), writes + 1);
    QVERIFY(f.port.writes.last().startsWith("&&\r\n0108"));
    QVERIFY(f.sent().endsWith(f.port.writes.last()));

    const QByteArray shown = f.sent();
    QVERIFY2(!trimmed, QByteArray::number(shown.size()).constData());
    const QString unlabelled = unlabelledText(shown, f.port.writes);
    QVERIFY2(unlabelled.isEmpty(), qPrintable(unlabelled));
    QVERIFY2(!hasNonNumberWord(shown), shown.toPercentEncoding(" \r\n").constData());
    for (const char* depthBox : {"txt_depth", "txt_bit_depth"}) {
        QVERIFY2(!hasNonNumberWord(bytesOf(f.box(depthBox))), depthBox);
    }
    QVERIFY(std::isfinite(w.state().current_depth));
    QVERIFY(std::isfinite(w.state().bit_depth));
}

QTEST_MAIN(InputFaultsTest)
#include "input_faults_test.moc"
