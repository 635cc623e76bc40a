// The window on a real port whose line misbehaves: the device goes away at awkward moments, a
// second window wants the same port, the receiver stops reading, the receiver floods. Port 1 is
// the near end of a socat pseudo-terminal pair; the test plays the receiver at the far end.

#include "app/look.h"
#include "faults.h"
#include "serial/qt_comm_port.h"
#include "tests/app/window_fixture.h"
#include "tests/support/pty_line.h"

#include <QCheckBox>
#include <QFile>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <cstddef>
#include <random>

#if defined(__SANITIZE_ADDRESS__)
#define KESTRUNE_ASAN
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KESTRUNE_ASAN
#endif
#endif
#ifdef KESTRUNE_ASAN
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
#endif

using namespace kestrune;
using namespace kestrune::app;
using kestrune::app::testing::WindowFixture;
using kestrune::testing::FarEnd;
using kestrune::testing::SocatPair;
using kestrune::testing::spinEvents;
using kestrune::testing::waitFor;

namespace {

const QByteArray kPortInUse = "The comm port is being used by another app.";
const QByteArray kCommErr = "COMM Err: ";
const QByteArray kQueueFull = "Send WITS Error: Output queue full";
// Turns of the event loop given to a lost line to report itself again, if it wrongly would.
constexpr int kQuietTurns = 40;

// The real port with a record of what the window asked of it.
class WatchedPort final : public serial::MSComm {
public:
    explicit WatchedPort(serial::MSComm& inner) : inner_(inner) {
        connect(&inner_, &serial::MSComm::portLost, this, &serial::MSComm::portLost);
    }

    Status setCommPort(std::int16_t number) override { return inner_.setCommPort(number); }
    int CommPort() const override { return inner_.CommPort(); }
    Status setSettings(const QByteArray& settings) override { return inner_.setSettings(settings); }
    Status setInputLen(int length) override { return inner_.setInputLen(length); }
    bool PortOpen() const override { return inner_.PortOpen(); }
    Status setPortOpen(bool open) override { return inner_.setPortOpen(open); }
    Result<int> InBufferCount() override { return inner_.InBufferCount(); }
    Result<QByteArray> Input() override {
        Result<QByteArray> got = inner_.Input();
        ++inputs;
        if (got) {
            input += *got;
            lastInput = *got;
        }
        return got;
    }
    Status Output(const QByteArray& bytes) override {
        Status sent = inner_.Output(bytes);
        ++outputs;
        lastOutput = bytes;
        if (sent) {
            accepted += bytes;
        } else {
            ++refused;
        }
        return sent;
    }

    int inputs = 0;
    QByteArray input; // everything read, in order
    QByteArray lastInput;
    int outputs = 0;
    int refused = 0;
    QByteArray accepted; // everything queued, in order
    QByteArray lastOutput;

private:
    serial::MSComm& inner_;
};

// The window on port 1 of a socat line whose far end is open here.
struct Line {
    SocatPair pair;
    serial::QtCommPort port{pair.env()};
    WatchedPort watched{port};
    std::unique_ptr<FarEnd> far;
    WindowFixture f; // last, so the window goes before the port

    explicit Line(std::vector<double> draws = {0.5}) : f(std::move(draws)) {
        f.line = &watched;
        f.environment = pair.env();
    }

    // Starts the line, or starts it again after a loss.
    bool start() {
        far.reset();
        if (!pair.start()) {
            return false;
        }
        far = std::make_unique<FarEnd>(pair.far());
        return far->isOpen();
    }

    QByteArray nearName() const { return pair.near().toLatin1(); }
};

void runOtherTimers(fm_kestrune& w) {
    w.old_tmr_data_chage_Timer();
    w.tmr_maintaince_Timer();
    w.tmr_pump1_Timer();
    w.tmr_pump2_Timer();
    w.tmr_pump3_Timer();
}

// Memory in use, kB: the resident set, or under the address sanitizer, whose quarantine keeps
// freed blocks resident, the heap's live bytes.
qint64 memoryInUseKilobytes() {
#ifdef KESTRUNE_ASAN
    return static_cast<qint64>(__sanitizer_get_current_allocated_bytes() / 1024);
#else
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) {
        return -1;
    }
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:")) {
            return line.mid(6).trimmed().split(' ').first().toLongLong();
        }
    }
    return -1;
#endif
}

enum class Moment { Idle, DuringBuild, DuringBuildNoticedLater, DuringKey };

} // namespace

class LineFaultsTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void deviceLostAndBack_data();
    void deviceLostAndBack();
    void twoWindowsOnOnePort();
    void receiverThatNeverReads();
    void receiverThatFloods();
};

void LineFaultsTest::init() {
    if (!SocatPair().haveSocat()) {
        QSKIP("socat is not on PATH");
    }
}

void LineFaultsTest::deviceLostAndBack_data() {
    QTest::addColumn<Moment>("moment");
    QTest::newRow("idle") << Moment::Idle;
    QTest::newRow("during a packet build") << Moment::DuringBuild;
    QTest::newRow("during a packet build, noticed later") << Moment::DuringBuildNoticedLater;
    QTest::newRow("during a typed key") << Moment::DuringKey;
}

void LineFaultsTest::deviceLostAndBack() {
    QFETCH(Moment, moment);
    Line line;
    QVERIFY(line.start());
    WindowFixture& f = line.f;
    fm_kestrune& w = f.load();
    QTest::mouseClick(f.button("cmd_start_wits"), Qt::LeftButton);
    f.box("txt_msg_timer")->setText("0");
    QWidget* send = f.control("text_window_send");
    QPushButton* comm = f.button("cmd_comm");
    const QByteArray report = kCommErr + line.nearName() + ": ";

    // Each loss is reported once, also the second time on the same window.
    for (int cycle = 1; cycle <= 2; ++cycle) {
        qsizetype shown = f.sent().size();
        w.tmrDataArrival_Timer();
        const QByteArray packet = f.sent().mid(shown);
        QVERIFY(packet.startsWith("&&\r\n0108"));
        QCOMPARE(line.far->read(packet.size()), packet);

        shown = f.sent().size();
        auto reported = [&] { return f.sent().indexOf(kCommErr, shown) >= 0; };
        bool lossShown = false;
        switch (moment) {
        case Moment::Idle:
            line.pair.stop();
            lossShown = waitFor(reported);
            break;
        case Moment::DuringBuild:
            // Runs in the builder's pause for events, before the first template line.
            QTimer::singleShot(0, &w, [&] {
                line.pair.stop();
                lossShown = waitFor(reported);
            });
            w.tmrDataArrival_Timer();
            break;
        case Moment::DuringBuildNoticedLater:
            // The port may notice within the build, at its write or only after it.
            QTimer::singleShot(0, &w, [&] { line.pair.stop(); });
            w.tmrDataArrival_Timer();
            lossShown = waitFor(reported);
            break;
        case Moment::DuringKey:
            line.pair.stop(); // the port has not noticed yet when the key goes out
            QTest::keyClick(send, 'k');
            lossShown = waitFor(reported);
            break;
        }
        QVERIFY2(lossShown, f.sent().constData());
        const QByteArray after = f.sent().mid(shown);
        QCOMPARE(after.count(kCommErr), 1);
        switch (moment) {
        case Moment::Idle:
            QVERIFY2(after.startsWith(report), after.constData());
            QCOMPARE(after.count("Err"), 1);
            break;
        case Moment::DuringBuild: {
            // The packet is finished and shown; its write to the closed port fails.
            const qsizetype at = after.indexOf(packet);
            QVERIFY2(at > 0, after.constData());
            const QByteArray loss = after.left(at);
            const QByteArray failed = after.mid(at + packet.size());
            QVERIFY2(loss.startsWith(report), after.constData());
            QCOMPARE(loss.count("Err"), 1);
            QVERIFY2(failed.startsWith("Send WITS Error: ") && failed.size() > 17,
                     after.constData());
            QCOMPARE(failed.count("Err"), 1);
            break;
        }
        case Moment::DuringBuildNoticedLater: {
            QCOMPARE(after.count(packet), 1);
            const qsizetype writeFailures = after.count("Send WITS Error: ");
            QVERIFY2(writeFailures <= 1, after.constData());
            QCOMPARE(after.count("Err"), 1 + writeFailures);
            const QString unlabelled = faults::unlabelledText(after, {packet});
            QVERIFY2(unlabelled.isEmpty(), qPrintable(unlabelled));
            break;
        }
        case Moment::DuringKey:
            QVERIFY2(after.startsWith("k" + report), after.constData());
            QCOMPARE(after.count("Err"), 1);
            break;
        }
        QCOMPARE(comm->text(), QStringLiteral("Port Inactive"));
        QCOMPARE(backColour(comm), kPortInactiveGrey);
        QVERIFY(!line.port.PortOpen());

        // Later ticks, keys and turns of the event loop report nothing more.
        const QByteArray settled = f.sent();
        for (int turn = 0; turn < kQuietTurns; ++turn) {
            w.tmrDataArrival_Timer();
            runOtherTimers(w);
            spinEvents();
        }
        QTest::keyClick(send, 'q');
        QCOMPARE(f.sent(), settled + "q");

        // The device is back under the same name; the button reopens it.
        QVERIFY(line.start());
        QTest::mouseClick(comm, Qt::LeftButton);
        QCOMPARE(comm->text(), QStringLiteral("Port 1 Active"));
        QCOMPARE(backColour(comm), kGreen);
        shown = f.sent().size();
        w.tmrDataArrival_Timer();
        const QByteArray again = f.sent().mid(shown);
        QVERIFY2(again.startsWith("&&\r\n0108") && !again.contains("Err"), again.constData());
        QCOMPARE(line.far->read(again.size()), again);
    }
    QVERIFY(f.sent().size() < 4500); // never trimmed, so every slice above was whole
}

void LineFaultsTest::twoWindowsOnOnePort() {
    SocatPair pair;
    QVERIFY(pair.start());
    FarEnd far(pair.far());
    QVERIFY(far.isOpen());
    serial::QtCommPort firstPort(pair.env());
    serial::QtCommPort secondPort(pair.env());
    WindowFixture first;
    WindowFixture second;
    for (auto [f, port] : {std::pair{&first, &firstPort}, std::pair{&second, &secondPort}}) {
        f->line = port;
        f->environment = pair.env();
    }
    fm_kestrune& a = first.load();
    fm_kestrune& b = second.load();
    const QByteArray refusal = kCommErr + pair.near().toLatin1() + ": ";

    QCOMPARE(first.sent(), QByteArray());
    QCOMPARE(first.button("cmd_comm")->text(), QStringLiteral("Port 1 Active"));
    QCOMPARE(second.sent(), kPortInUse);
    QCOMPARE(second.button("cmd_comm")->text(), QStringLiteral("Com Port"));
    QVERIFY(!secondPort.PortOpen());
    b.cmd_comm_Click();
    const QByteArray refused = second.sent().mid(kPortInUse.size());
    QVERIFY2(refused.startsWith(refusal) && refused.size() > refusal.size(),
             second.sent().constData());
    QCOMPARE(second.button("cmd_comm")->text(), QStringLiteral("Com Port"));
    QVERIFY(!secondPort.PortOpen());

    // Both run on: the first sends, the second drills and pumps with no line and no reports.
    for (WindowFixture* f : {&first, &second}) {
        QTest::mouseClick(f->button("cmd_start_wits"), Qt::LeftButton);
        f->box("txt_msg_timer")->setText("0");
    }
    for (int tick = 0; tick < 60; ++tick) {
        if (tick % 20 == 0) {
            a.tmrDataArrival_Timer();
        }
        b.tmrDataArrival_Timer();
        runOtherTimers(b);
    }
    QCOMPARE(second.sent(), kPortInUse + refused);
    QCOMPARE(second.box("txt_depth")->text(), QStringLiteral("2000.1"));
    QVERIFY(b.state().pump1_strokes > 0);
    QCOMPARE(second.box("txt_Pump1TS")->text(), QStringLiteral(" %1").arg(b.state().pump1_strokes));
    // Only the first window's packets are on the line.
    const QByteArray firstPackets = first.sent();
    QCOMPARE(firstPackets.count("&&\r\n01082000.0\r\n"), 3);
    QCOMPARE(far.read(firstPackets.size()), firstPackets);

    // The first lets go; the second takes the line, and now the first is the one refused.
    a.cmd_comm_Click();
    QCOMPARE(first.button("cmd_comm")->text(), QStringLiteral("Port Inactive"));
    b.cmd_comm_Click();
    QCOMPARE(second.button("cmd_comm")->text(), QStringLiteral("Port 1 Active"));
    qsizetype shown = second.sent().size();
    b.tmrDataArrival_Timer();
    const QByteArray packet = second.sent().mid(shown);
    QVERIFY2(packet.contains("\r\n01102000.1\r\n"), packet.constData());
    QCOMPARE(far.read(packet.size()), packet);
    shown = first.sent().size();
    a.cmd_comm_Click();
    QVERIFY2(first.sent().mid(shown).startsWith(refusal), first.sent().constData());
    QCOMPARE(first.button("cmd_comm")->text(), QStringLiteral("Port Inactive"));
    QVERIFY(!firstPort.PortOpen());
    QVERIFY(secondPort.PortOpen());
}

void LineFaultsTest::receiverThatNeverReads() {
    // Every draw puts the noise hold-off at 0 and one noise byte a little way into the packet.
    Line line({0.02, 0.03, 0.01});
    WindowFixture& f = line.f;
    {
        // Packets of 10 kB fill the queue in a few ticks.
        QFile half(f.folder.filePath(QStringLiteral("Half_Wits_Packet.txt")));
        QVERIFY(half.open(QIODevice::Append));
        for (int i = 0; i < 4; ++i) {
            half.write("&&\r\n9901" + QByteArray(2500, static_cast<char>('a' + i)) + "\r\n!!\r\n");
        }
    }
    QVERIFY(line.start());
    fm_kestrune& w = f.load();
    QTest::mouseClick(f.button("cmd_start_wits"), Qt::LeftButton);
    f.box("txt_msg_timer")->setText("0");
    auto* noise = f.control<QCheckBox>("chk_random_noise");
    QTest::mouseClick(noise, Qt::LeftButton);
    QVERIFY(noise->isChecked());
    const QSerialPort& device = line.port.device();

    auto tick = [&] {
        w.tmrDataArrival_Timer();
        runOtherTimers(w);
        return device.bytesToWrite() <= serial::kOutputQueueLimit;
    };
    // The kernel's buffers fill first, then the port's queue.
    int ticks = 0;
    while (line.watched.refused == 0) {
        QVERIFY2(++ticks <= 5000, "no packet was ever refused");
        QVERIFY(tick());
    }
    QVERIFY2(f.sent().contains(kQueueFull), f.sent().right(300).constData());
    QVERIFY(line.watched.lastOutput.size() > 10000);
    // The noise is in: its bytes (3, 5 or 8 with these draws) are in no template line.
    QVERIFY(std::any_of(line.watched.lastOutput.begin(), line.watched.lastOutput.end(),
                        [](char c) { return c > 0 && c < 9; }));

    // Memory stays flat while every further packet is refused; were the refused packets kept,
    // it would grow by some 8 MB.
    for (int i = 0; i < 100; ++i) {
        QVERIFY(tick());
    }
    const int refusedBefore = line.watched.refused;
    const qint64 before = memoryInUseKilobytes();
    QVERIFY(before > 0);
    constexpr int kRefusedTicks = 800;
    for (int i = 0; i < kRefusedTicks; ++i) {
        QVERIFY(tick());
    }
    const qint64 grown = memoryInUseKilobytes() - before;
    QVERIFY2(grown < 4096, qPrintable(QStringLiteral("memory in use grew %1 kB").arg(grown)));
    QCOMPARE(line.watched.refused - refusedBefore, kRefusedTicks);
    QVERIFY(f.sent().lastIndexOf(kQueueFull) > f.sent().size() - 200);
    QVERIFY(!f.sent().contains(kCommErr));
    QCOMPARE(f.button("cmd_comm")->text(), QStringLiteral("Port 1 Active"));

    // Once the receiver reads, exactly what was queued arrives, and packets go out again.
    QTest::keyClick(f.control("text_window_send"), '~');
    QByteArray drained;
    QVERIFY(waitFor(
        [&] {
            drained += line.far->readSome();
            return drained.endsWith('~');
        },
        20000));
    QVERIFY2(drained == line.watched.accepted,
             qPrintable(QStringLiteral("%1 bytes arrived, %2 queued")
                            .arg(drained.size())
                            .arg(line.watched.accepted.size())));
    QCOMPARE(device.bytesToWrite(), 0);
    const int refused = line.watched.refused;
    QVERIFY(tick());
    QCOMPARE(line.watched.refused, refused);
    const QByteArray packet = line.watched.lastOutput;
    // Shown last, with no report after it; the window holds less than one such packet.
    QVERIFY(packet.endsWith(f.sent().right(4000)));
    QCOMPARE(line.far->read(packet.size()), packet);
}

void LineFaultsTest::receiverThatFloods() {
    Line line;
    QVERIFY(line.start());
    WindowFixture& f = line.f;
    fm_kestrune& w = f.load();
    auto* request = f.control<QRadioButton>("op_sim_pason_req");
    QTest::mouseClick(request, Qt::LeftButton);
    QVERIFY(request->isChecked());
    QTest::mouseClick(f.button("cmd_start_wits"), Qt::LeftButton);
    QPushButton* type = f.button("cmd_wits_type");

    // Requests amid random bytes.
    std::mt19937 random(1208);
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<int> gap(0, 400);
    QByteArray flood;
    while (flood.size() < 2 * 1024 * 1024) {
        for (int n = gap(random); n > 0; --n) {
            flood += static_cast<char>(byte(random));
        }
        flood += "!!";
    }

    qsizetype written = 0;
    QByteArray wire;
    int ticks = 0;
    const QDeadlineTimer deadline(60000);
    while (line.watched.input.size() < flood.size()) {
        QVERIFY2(!deadline.hasExpired(), qPrintable(QStringLiteral("%1 of %2 bytes read")
                                                        .arg(line.watched.input.size())
                                                        .arg(flood.size())));
        for (qsizetype n = 1; n > 0 && written < flood.size(); written += n) {
            n = line.far->writeSome(flood.mid(written, 65536));
        }
        wire += line.far->readSome();

        const int inputs = line.watched.inputs;
        const int outputs = line.watched.outputs;
        const QString caption = type->text();
        w.tmrDataArrival_Timer();
        runOtherTimers(w);
        ++ticks;
        // At most one read and one packet a tick, the packet of the template selected.
        QVERIFY(line.watched.inputs - inputs <= 1);
        const bool asked = line.watched.inputs > inputs && line.watched.lastInput.contains("!!");
        QCOMPARE(line.watched.outputs - outputs, asked ? 1 : 0);
        if (asked) {
            QCOMPARE(line.watched.lastOutput.contains("\r\n0104"),
                     caption == QLatin1String("Full WITS"));
        }
        QVERIFY(f.received().size() <= 17000);

        // The window answers the operator between ticks.
        QTest::mouseClick(type, Qt::LeftButton);
        QVERIFY(type->text() != caption);
        spinEvents();
    }
    QVERIFY(ticks > 1);
    QVERIFY2(line.watched.input == flood, "the bytes read are not the bytes sent");
    const QByteArray received = f.received();
    QVERIFY(received.size() >= 16000);
    QVERIFY(received == flood.right(received.size()));

    QVERIFY(waitFor([&] {
        wire += line.far->readSome();
        return wire.size() >= line.watched.accepted.size();
    }));
    QCOMPARE(line.watched.refused, 0);
    QVERIFY(wire == line.watched.accepted);
    QVERIFY(!f.sent().contains("Err"));
    QCOMPARE(f.button("cmd_comm")->text(), QStringLiteral("Port 1 Active"));
}

QTEST_MAIN(LineFaultsTest)
#include "line_faults_test.moc"
