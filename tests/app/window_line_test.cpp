// The window on a real port: port 1 is the near end of a socat pseudo-terminal pair, and the test
// reads and writes the far end as the receiver would.

#include "app/window_texts.h"
#include "serial/qt_comm_port.h"
#include "tests/support/pty_line.h"
#include "window_fixture.h"

#include <QCheckBox>
#include <QLabel>
#include <QRadioButton>
#include <QTest>

using namespace kestrune;
using namespace kestrune::app;
using kestrune::app::testing::WindowFixture;
using kestrune::testing::FarEnd;
using kestrune::testing::SocatPair;
using kestrune::testing::waitFor;

namespace {

const QByteArray kPortInUse = "The comm port is being used by another app.";
// A key typed after the bytes under test: the line keeps the order, so what arrives before it
// is all that went out before it.
constexpr char kMark = '~';
// How long to watch for repeated reports after a device loss.
constexpr int kAfterLossMs = 500;

// The window on port 1 of a socat line whose far end is open here.
struct Line {
    SocatPair pair;
    serial::QtCommPort port{pair.env()};
    std::unique_ptr<FarEnd> far;
    WindowFixture f; // last, so the window goes before the port

    explicit Line(std::vector<double> draws = {0.5}) : f(std::move(draws)) {
        f.line = &port;
        f.environment = pair.env();
    }

    bool start() {
        if (!pair.start()) {
            return false;
        }
        far = std::make_unique<FarEnd>(pair.far());
        return far->isOpen();
    }

    fm_kestrune& load() { return f.load(); }

    // The far end's bytes up to a key typed now, the key included.
    QByteArray upToTypedKey() {
        QTest::keyClick(f.control("text_window_send"), kMark);
        QByteArray got;
        waitFor([&] {
            got += far->readSome();
            return got.endsWith(kMark);
        });
        return got;
    }

    // The far end sends `bytes`; true once they all wait at the port.
    bool farSends(const QByteArray& bytes) {
        if (!far->writeAll(bytes)) {
            return false;
        }
        return waitFor([&] { return *port.InBufferCount() >= bytes.size(); });
    }
};

qsizetype packetsIn(const QByteArray& bytes) {
    return bytes.count("01082000.0\r\n");
}

} // namespace

class WindowLineTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void startUpOpensTheLine();
    void startUpWithThePortHeldByAnotherProgram();
    void automaticPacketGoesOutAtTheTwentiethTick();
    void requestsAnsweredFromTheLine_data();
    void requestsAnsweredFromTheLine();
    void receivedTextShownWhileStopped();
    void typedKeysGoOutAsOneByte();
    void portButtonClosesAndReopensTheLine();
    void deviceLossReportsOnceAndTheLineCanBeReopened();
    void noisyPacketGoesOutAsShown();
};

void WindowLineTest::init() {
    if (!SocatPair().haveSocat()) {
        QSKIP("socat is not on PATH");
    }
}

void WindowLineTest::startUpOpensTheLine() {
    Line line;
    QVERIFY(line.start());
    line.load();
    QCOMPARE(line.f.button("cmd_comm")->text(), QStringLiteral("Port 1 Active"));
    QCOMPARE(backColour(line.f.button("cmd_comm")), kGreen);
    QVERIFY(line.port.PortOpen());
    QCOMPARE(line.f.sent(), QByteArray());
    QCOMPARE(line.upToTypedKey(), QByteArray(1, kMark));
}

void WindowLineTest::startUpWithThePortHeldByAnotherProgram() {
    Line line;
    QVERIFY(line.start());
    QProcess holder;
    holder.start(QStringLiteral(KESTRUNE_HOLD_PORT),
                 {QFileInfo(line.pair.near()).canonicalFilePath()});
    QVERIFY(holder.waitForStarted());
    QByteArray said;
    QVERIFY(waitFor([&] {
        said += holder.readAllStandardOutput();
        return said.contains("held") || holder.state() == QProcess::NotRunning;
    }));
    QCOMPARE(said, QByteArray("held\n"));

    fm_kestrune& w = line.load();
    QCOMPARE(line.f.sent(), kPortInUse);
    QCOMPARE(line.f.button("cmd_comm")->text(), QStringLiteral("Com Port"));
    QCOMPARE(backColour(line.f.button("cmd_comm")),
             QPushButton().palette().color(QPalette::Button));
    QVERIFY(!line.port.PortOpen());
    QCOMPARE(w.state().half_wits_lines[0], QByteArray("&&\r\n"));
    QCOMPARE(w.state().full_wits_lines[0], QByteArray("&&\r\n"));

    // The button reports the device's own description and keeps its look.
    w.cmd_comm_Click();
    const QByteArray report = "COMM Err: " + line.pair.near().toLatin1() + ": ";
    QVERIFY2(line.f.sent().startsWith(kPortInUse + report), line.f.sent().constData());
    QVERIFY(line.f.sent().size() > kPortInUse.size() + report.size());
    QCOMPARE(line.f.button("cmd_comm")->text(), QStringLiteral("Com Port"));
    QVERIFY(!line.port.PortOpen());

    holder.closeWriteChannel();
    QVERIFY(holder.waitForFinished(kestrune::testing::kLineDeadlineMs));
    QCOMPARE(holder.exitCode(), 0);
    const QByteArray before = line.f.sent();
    w.cmd_comm_Click();
    QCOMPARE(line.f.button("cmd_comm")->text(), QStringLiteral("Port 1 Active"));
    QCOMPARE(backColour(line.f.button("cmd_comm")), kGreen);
    QCOMPARE(line.upToTypedKey(), QByteArray(1, kMark));
    QCOMPARE(line.f.sent(), before + kMark);
}

void WindowLineTest::automaticPacketGoesOutAtTheTwentiethTick() {
    Line line;
    QVERIFY(line.start());
    fm_kestrune& w = line.load();
    QTest::mouseClick(line.f.button("cmd_start_wits"), Qt::LeftButton);
    QVERIFY(w.state().wits_running);
    for (int tick = 1; tick < 20; ++tick) {
        w.tmrDataArrival_Timer();
    }
    QCOMPARE(line.f.sent(), QByteArray());
    w.tmrDataArrival_Timer();
    const QByteArray packet = line.f.sent();
    QVERIFY(packet.startsWith("&&\r\n"));
    QVERIFY(packet.contains("01082000.0\r\n"));
    QVERIFY(packet.endsWith("\r\n"));
    QCOMPARE(packetsIn(packet), 1);
    // Nothing went out before the 20th tick, and the packet went out exactly as shown.
    QCOMPARE(line.upToTypedKey(), packet + kMark);
    QCOMPARE(line.f.control<QLabel>("lbl_PktSize")->text(),
             QStringLiteral("Pkt Size: %1").arg(packet.size()));

    // The next one is 20 ticks on, the same packet again.
    for (int tick = 1; tick < 20; ++tick) {
        w.tmrDataArrival_Timer();
    }
    QCOMPARE(line.upToTypedKey(), QByteArray(1, kMark));
    w.tmrDataArrival_Timer();
    QCOMPARE(line.upToTypedKey(), packet + kMark);
}

void WindowLineTest::requestsAnsweredFromTheLine_data() {
    QTest::addColumn<QList<QByteArray>>("reads"); // what the far end sends before each tick
    QTest::addColumn<QList<QByteArray>>("receivedAtPackets");
    QTest::newRow("marker") << QList<QByteArray>{"!!"} << QList<QByteArray>{"!!"};
    QTest::newRow("marker twice, one packet")
        << QList<QByteArray>{"!!!!"} << QList<QByteArray>{"!!!!"};
    QTest::newRow("marker amid text") << QList<QByteArray>{"ab!!cd"} << QList<QByteArray>{"ab!!cd"};
    QTest::newRow("split over two ticks") << QList<QByteArray>{"!", "!"} << QList<QByteArray>{};
    QTest::newRow("one per tick") << QList<QByteArray>{"!!", "!!"}
                                  << QList<QByteArray>{"!!", "!!!!"};
}

void WindowLineTest::requestsAnsweredFromTheLine() {
    QFETCH(QList<QByteArray>, reads);
    QFETCH(QList<QByteArray>, receivedAtPackets);
    Line line;
    QVERIFY(line.start());
    fm_kestrune& w = line.load();
    auto* request = line.f.control<QRadioButton>("op_sim_pason_req");
    QTest::mouseClick(request, Qt::LeftButton);
    QVERIFY(request->isChecked());
    QTest::mouseClick(line.f.button("cmd_start_wits"), Qt::LeftButton);
    // Every tick would send in an automatic mode; request mode sends on requests only.
    line.f.box("txt_msg_timer")->setText("0");

    // What the receive window holds when each packet has been sent.
    QList<QByteArray> seen;
    for (const QByteArray& read : reads) {
        QVERIFY(line.farSends(read));
        w.tmrDataArrival_Timer();
        if (packetsIn(line.f.sent()) > seen.size()) {
            seen.append(line.f.received());
        }
    }
    const QByteArray wire = line.upToTypedKey();
    QCOMPARE(seen, receivedAtPackets);
    QCOMPARE(line.f.received(), reads.join());
    QCOMPARE(wire, line.f.sent());
    QCOMPARE(packetsIn(wire), receivedAtPackets.size());
}

void WindowLineTest::receivedTextShownWhileStopped() {
    Line line;
    QVERIFY(line.start());
    fm_kestrune& w = line.load();
    QTest::mouseClick(line.f.control("op_sim_pason_req"), Qt::LeftButton);
    QVERIFY(line.farSends("!!\r\n"));
    w.tmrDataArrival_Timer();
    QCOMPARE(line.f.received(), QByteArray("!!\r\n"));
    QCOMPARE(line.upToTypedKey(), QByteArray(1, kMark));
}

void WindowLineTest::typedKeysGoOutAsOneByte() {
    Line line;
    QVERIFY(line.start());
    line.load();
    QWidget* send = line.f.control("text_window_send");
    QTest::keyClick(send, 'A');
    const QByteArray a = line.far->read(1);
    QCOMPARE(a.size(), 1);
    QCOMPARE(static_cast<int>(a.at(0)), 65);
    QTest::keyClick(send, Qt::Key_Return);
    const QByteArray enter = line.far->read(1);
    QCOMPARE(enter.size(), 1);
    QCOMPARE(static_cast<int>(enter.at(0)), 13);
    QCOMPARE(line.upToTypedKey(), QByteArray(1, kMark));
    QCOMPARE(line.f.sent(), QByteArray("A\r\n") + kMark);
}

void WindowLineTest::portButtonClosesAndReopensTheLine() {
    Line line;
    QVERIFY(line.start());
    fm_kestrune& w = line.load();
    QPushButton* comm = line.f.button("cmd_comm");
    QTest::mouseClick(comm, Qt::LeftButton);
    QCOMPARE(comm->text(), QStringLiteral("Port Inactive"));
    QCOMPARE(backColour(comm), kPortInactiveGrey);
    QVERIFY(!line.port.PortOpen());
    QTest::keyClick(line.f.control("text_window_send"), 'x'); // the line is closed: not sent

    QTest::mouseClick(comm, Qt::LeftButton);
    QCOMPARE(comm->text(), QStringLiteral("Port 1 Active"));
    QCOMPARE(backColour(comm), kGreen);
    QVERIFY(line.port.PortOpen());
    QCOMPARE(line.upToTypedKey(), QByteArray(1, kMark));

    // Both ways again: a packet out, text in.
    QTest::mouseClick(line.f.button("cmd_start_wits"), Qt::LeftButton);
    line.f.box("txt_msg_timer")->setText("0");
    const qsizetype shown = line.f.sent().size();
    w.tmrDataArrival_Timer();
    const QByteArray packet = line.f.sent().mid(shown);
    QCOMPARE(packetsIn(packet), 1);
    QVERIFY(line.farSends("ok"));
    QCOMPARE(line.upToTypedKey(), packet + kMark);
    w.tmrDataArrival_Timer();
    QVERIFY(line.f.received().endsWith("ok"));
}

void WindowLineTest::deviceLossReportsOnceAndTheLineCanBeReopened() {
    Line line;
    QVERIFY(line.start());
    fm_kestrune& w = line.load();
    QTest::mouseClick(line.f.button("cmd_start_wits"), Qt::LeftButton);
    line.f.box("txt_msg_timer")->setText("0");
    w.tmrDataArrival_Timer();
    const QByteArray packet = line.f.sent();
    QCOMPARE(line.upToTypedKey(), packet + kMark);
    const QByteArray before = line.f.sent();

    line.pair.stop();
    const QByteArray label = "COMM Err: ";
    QVERIFY(waitFor([&] { return line.f.sent().contains(label); }));
    // Ticks keep running and packets keep falling due; none of it may report the loss again.
    waitFor(
        [&] {
            w.tmrDataArrival_Timer();
            return false;
        },
        kAfterLossMs);
    const QByteArray after = line.f.sent().mid(before.size());
    QVERIFY2(after.startsWith(label + line.pair.near().toLatin1() + ": "), after.constData());
    QCOMPARE(after.count(label), 1);
    QCOMPARE(after.count("Err: "), 1); // no report of any other kind either
    QCOMPARE(line.f.button("cmd_comm")->text(), QStringLiteral("Port Inactive"));
    QCOMPARE(backColour(line.f.button("cmd_comm")), kPortInactiveGrey);
    QVERIFY(!line.port.PortOpen());

    // The device is back under the same name.
    QVERIFY(line.start());
    w.cmd_comm_Click();
    QCOMPARE(line.f.button("cmd_comm")->text(), QStringLiteral("Port 1 Active"));
    QCOMPARE(backColour(line.f.button("cmd_comm")), kGreen);
    const qsizetype shown = line.f.sent().size();
    w.tmrDataArrival_Timer();
    const QByteArray again = line.f.sent().mid(shown);
    QCOMPARE(packetsIn(again), 1);
    QCOMPARE(line.upToTypedKey(), again + kMark);
}

void WindowLineTest::noisyPacketGoesOutAsShown() {
    // Hold-off 0 so the noise applies, four passes, each at a position well inside the packet
    // and inserting NUL, CR, LF and a byte above 127.
    Line line({0.0, 0.375, 0.5, 0.0, 0.3, 13.0 / 254, 0.7, 10.0 / 254, 0.9, 200.0 / 254});
    QVERIFY(line.start());
    fm_kestrune& w = line.load();
    QTest::mouseClick(line.f.button("cmd_start_wits"), Qt::LeftButton);
    line.f.box("txt_msg_timer")->setText("0");
    w.tmrDataArrival_Timer();
    const QByteArray clean = line.f.sent();
    QCOMPARE(line.upToTypedKey(), clean + kMark);

    auto* noise = line.f.control<QCheckBox>("chk_random_noise");
    QTest::mouseClick(noise, Qt::LeftButton);
    QVERIFY(noise->isChecked());
    const qsizetype shown = line.f.sent().size();
    w.tmrDataArrival_Timer();
    const QByteArray noisy = line.f.sent().mid(shown);
    // Each pass inserts one byte and repeats the two before it.
    QCOMPARE(noisy.size(), clean.size() + 4 * 3);
    for (const char inserted : {'\0', '\r', '\n', static_cast<char>(200)}) {
        QVERIFY2(noisy.count(inserted) > clean.count(inserted), QByteArray(1, inserted).toHex());
    }
    QCOMPARE(line.f.control<QLabel>("lbl_PktSize")->text(),
             QStringLiteral("Pkt Size: %1").arg(noisy.size()));
    QCOMPARE(line.upToTypedKey(), noisy + kMark);
}

QTEST_MAIN(WindowLineTest)
#include "window_line_test.moc"
