// The window's wiring across the simulator's parts: options clicked, keys typed and ticks run as
// the timers would, with the consequences read from the controls and from what goes out.

#include "app/window_texts.h"
#include "window_fixture.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

using namespace kestrune;
using namespace kestrune::app;
using kestrune::app::testing::WindowFixture;

namespace {

const QString kOnBottom = QStringLiteral("  ON BOTTOM  ");
const QString kOffBottom = QStringLiteral("  OFF BOTTOM  ");

QString labelText(const WindowFixture& f, const char* name) {
    return f.control<QLabel>(name)->text();
}

// Clicks an option as the operator would; false when the click did not select it.
bool choose(const WindowFixture& f, const char* option) {
    auto* button = f.control<QRadioButton>(option);
    QTest::mouseClick(button, Qt::LeftButton);
    return button->isChecked();
}

// Sends a packet at the next data-arrival tick and returns what was written.
QByteArray nextPacket(WindowFixture& f) {
    if (!f.window->state().wits_running) {
        f.window->cmd_start_wits_Click();
    }
    f.box("txt_msg_timer")->setText("0");
    const qsizetype before = f.port.writes.size();
    f.window->tmrDataArrival_Timer();
    return f.port.writes.size() == before + 1 ? f.port.writes.last() : QByteArray();
}

QString rates(const WindowFixture& f) {
    return f.box("txt_Pump1SPM")->text() + "/" + f.box("txt_Pump2SPM")->text() + "/" +
           f.box("txt_Pump3SPM")->text();
}

QList<int> periods(const WindowFixture& f) {
    return {f.window->timer("tmr_pump1")->period(), f.window->timer("tmr_pump2")->period(),
            f.window->timer("tmr_pump3")->period()};
}

const QList<int> kStartPeriods{779, 732, 4000};

} // namespace

class WindowFlowTest : public QObject {
    Q_OBJECT
private slots:
    void ropOptionsSetTheDrillingRate_data();
    void ropOptionsSetTheDrillingRate();
    void runSwitchPaintsTheDepthBox();
    void fixedBottomModes();
    void timedModeCountsDownAndLiftsTheBit();
    void depthDrivenModeBringsTheBitBack();
    void pumpsStopOffBottomAndRestartWithNewRatesInPackets();
    void rateBoxRejectsOutOfRangeTyping_data();
    void rateBoxRejectsOutOfRangeTyping();
    void leavingARateBoxSetsThePeriod_data();
    void leavingARateBoxSetsThePeriod();
    void strokesReachBoxesAndPackets();
    void firstMaintenanceTick();
    void closingTheWindowDuringABuildWritesNothing();
    void switchToFullDuringTheHalfPass();
    void keyTypedDuringABuildGoesOutFirst();
    void requestIsShownOnceItsPacketIsWritten();
};

void WindowFlowTest::ropOptionsSetTheDrillingRate_data() {
    QTest::addColumn<QString>("option");
    QTest::addColumn<int>("ticksPerStep");
    QTest::newRow("10 min/ft") << "op_600sec" << 600;
    QTest::newRow("5 min/ft") << "op_300sec" << 300;
    QTest::newRow("2 min/ft") << "op_120sec" << 120;
    QTest::newRow("10 s/ft") << "op_10sec" << 10;
    QTest::newRow("5 s/ft") << "op_05sec" << 5;
    QTest::newRow("2 s/ft") << "op_02sec" << 2;
    QTest::newRow("1 s/ft") << "op_01sec" << 1;
}

void WindowFlowTest::ropOptionsSetTheDrillingRate() {
    QFETCH(QString, option);
    QFETCH(int, ticksPerStep);
    WindowFixture f;
    fm_kestrune& w = f.load();
    // Some ticks into the start rate's interval: the click starts a fresh one.
    for (int tick = 0; tick < 7; ++tick) {
        w.old_tmr_data_chage_Timer();
    }
    QVERIFY(choose(f, option.toLatin1().constData()));
    QString previous = QStringLiteral("2000.00");
    for (const QString depth : {"2000.1", "2000.2", "2000.3"}) {
        for (int tick = 1; tick < ticksPerStep; ++tick) {
            w.old_tmr_data_chage_Timer();
        }
        QCOMPARE(f.box("txt_depth")->text(), previous);
        w.old_tmr_data_chage_Timer();
        QCOMPARE(f.box("txt_depth")->text(), depth);
        QCOMPARE(f.box("txt_bit_depth")->text(), depth);
        previous = depth;
    }
    QCOMPARE(labelText(f, "lbl_TimerReload"), QStringLiteral("Timer Reload: %1").arg(ticksPerStep));
    QVERIFY(f.sent().isEmpty());
    // The packet carries the drilled depth.
    QVERIFY(nextPacket(f).contains("01102000.3\r\n"));
}

void WindowFlowTest::runSwitchPaintsTheDepthBox() {
    WindowFixture f;
    fm_kestrune& w = f.load();
    w.old_tmr_data_chage_Timer();
    QCOMPARE(backColour(f.box("txt_depth")), kRed);
    QTest::mouseClick(f.button("cmd_start_wits"), Qt::LeftButton);
    w.old_tmr_data_chage_Timer();
    QCOMPARE(backColour(f.box("txt_depth")), kWhite);
    QTest::mouseClick(f.button("cmd_start_wits"), Qt::LeftButton);
    w.old_tmr_data_chage_Timer();
    QCOMPARE(backColour(f.box("txt_depth")), kRed);
}

void WindowFlowTest::fixedBottomModes() {
    WindowFixture f;
    fm_kestrune& w = f.load();
    QVERIFY(choose(f, "op_01sec"));
    w.old_tmr_data_chage_Timer();
    QCOMPARE(labelText(f, "lbl_drilling_status"), kOnBottom);
    QCOMPARE(f.box("txt_depth")->text(), QStringLiteral("2000.1"));

    QVERIFY(choose(f, "op_off_bottom"));
    QCOMPARE(f.box("txt_bit_depth")->text(), QStringLiteral("1964.10"));
    QCOMPARE(f.box("txt_depth")->text(), QStringLiteral("2000.1"));
    w.tmr_maintaince_Timer();
    QCOMPARE(f.box("txt_on_bot_timer")->text(), QStringLiteral("600"));
    QCOMPARE(f.box("txt_off_bot_timer")->text(), QStringLiteral("180"));
    for (int tick = 0; tick < 3; ++tick) {
        w.old_tmr_data_chage_Timer();
        QCOMPARE(labelText(f, "lbl_drilling_status"), kOffBottom);
        QCOMPARE(backColour(f.control("lbl_drilling_status")), kOffBottomBack);
        QCOMPARE(f.box("txt_depth")->text(), QStringLiteral("2000.1")); // no longer drilling
        QCOMPARE(f.box("txt_bit_depth")->text(), QStringLiteral("1964.1"));
    }
    QVERIFY(nextPacket(f).contains("01081964.1\r\n01102000.1\r\n"));

    QVERIFY(choose(f, "op_on_bottom"));
    QCOMPARE(f.box("txt_depth")->text(), QStringLiteral("2000.10"));
    QCOMPARE(f.box("txt_bit_depth")->text(), QStringLiteral("2000.10"));
    w.tmr_maintaince_Timer();
    w.old_tmr_data_chage_Timer();
    QCOMPARE(labelText(f, "lbl_drilling_status"), kOnBottom);
    QCOMPARE(f.box("txt_depth")->text(), QStringLiteral("2000.2"));
    QCOMPARE(f.box("txt_on_bot_timer")->text(), QStringLiteral("600"));
    QCOMPARE(f.box("txt_off_bot_timer")->text(), QStringLiteral("180"));
}

void WindowFlowTest::timedModeCountsDownAndLiftsTheBit() {
    WindowFixture f;
    fm_kestrune& w = f.load();
    QVERIFY(choose(f, "op_01sec"));
    QVERIFY(choose(f, "op_off_bottom_10"));
    // The bit depth box shows the lift at once, though the bit stays on bottom.
    QCOMPARE(f.box("txt_bit_depth")->text(), QStringLiteral("1964.00"));
    w.old_tmr_data_chage_Timer();
    QCOMPARE(labelText(f, "lbl_drilling_status"), kOnBottom);
    QCOMPARE(f.box("txt_bit_depth")->text(), QStringLiteral("2000.1"));
    for (const char* left : {"599", "598", "597"}) {
        w.tmr_maintaince_Timer();
        QCOMPARE(f.box("txt_on_bot_timer")->text(), QLatin1String(left));
        QCOMPARE(f.box("txt_off_bot_timer")->text(), QStringLiteral("180"));
    }
    for (int tick = 3; tick < 599; ++tick) {
        w.tmr_maintaince_Timer();
    }
    QVERIFY(!w.state().off_bottom);
    w.tmr_maintaince_Timer(); // the 600th second on bottom
    QCOMPARE(f.box("txt_on_bot_timer")->text(), QStringLiteral("600"));
    w.old_tmr_data_chage_Timer();
    QCOMPARE(labelText(f, "lbl_drilling_status"), kOffBottom);
    // The pump policy sees the cycle's change one tick later.
    QCOMPARE(rates(f), QStringLiteral("77/82/15"));
    w.tmr_maintaince_Timer();
    QCOMPARE(rates(f), QStringLiteral("0/0/0"));
    QCOMPARE(f.box("txt_off_bot_timer")->text(), QStringLiteral("179"));
}

void WindowFlowTest::depthDrivenModeBringsTheBitBack() {
    WindowFixture f({0.5, 0.25, 0.125});
    fm_kestrune& w = f.load();
    QVERIFY(choose(f, "op_01sec"));
    QVERIFY(choose(f, "op_off_bottom"));
    w.tmr_maintaince_Timer();
    QVERIFY(w.state().off_bottom);
    QVERIFY(choose(f, "op_off_bottom_every32"));
    for (int tick = 1; tick < 300; ++tick) {
        w.tmr_maintaince_Timer();
        QCOMPARE(f.box("txt_off_bot_timer")->text(), QString::number(300 - tick));
    }
    QCOMPARE(f.box("txt_on_bot_timer")->text(), QStringLiteral("0"));
    w.old_tmr_data_chage_Timer();
    QCOMPARE(labelText(f, "lbl_drilling_status"), kOffBottom);
    QCOMPARE(f.box("txt_depth")->text(), QStringLiteral("2000.00"));

    w.tmr_maintaince_Timer(); // runs out: back on bottom
    QCOMPARE(f.box("txt_off_bot_timer")->text(), QStringLiteral("600"));
    w.old_tmr_data_chage_Timer();
    QCOMPARE(labelText(f, "lbl_drilling_status"), kOnBottom);
    QCOMPARE(labelText(f, "lbl_connection_info"), QStringLiteral("Connection in 32.00 ft"));
    QCOMPARE(f.box("txt_depth")->text(), QStringLiteral("2000.1"));
    w.old_tmr_data_chage_Timer();
    QCOMPARE(labelText(f, "lbl_connection_info"), QStringLiteral("Connection in 31.90 ft"));
    // The pumps stopped with the bit and start again at the next tick.
    QCOMPARE(rates(f), QStringLiteral("0/0/0"));
    w.tmr_maintaince_Timer();
    QCOMPARE(rates(f), QStringLiteral("40/20/10"));
}

void WindowFlowTest::pumpsStopOffBottomAndRestartWithNewRatesInPackets() {
    WindowFixture f({0.5, 0.25, 0.125});
    fm_kestrune& w = f.load();
    QVERIFY(f.control<QRadioButton>("op_pumps_off_on_con")->isChecked());
    QTest::mouseClick(f.button("cmd_start_wits"), Qt::LeftButton);
    w.tmr_maintaince_Timer();
    QCOMPARE(rates(f), QStringLiteral("77/82/15")); // on bottom: left alone
    QCOMPARE(periods(f), kStartPeriods);

    QVERIFY(choose(f, "op_off_bottom"));
    w.tmr_maintaince_Timer();
    w.tmr_maintaince_Timer();
    QCOMPARE(rates(f), QStringLiteral("0/0/0"));
    QCOMPARE(periods(f), QList<int>({0, 0, 0}));
    const QByteArray stopped = nextPacket(f);
    for (const char* line : {"01230\r\n", "01240\r\n", "01250\r\n"}) {
        QVERIFY2(stopped.contains(line), line);
    }

    QVERIFY(choose(f, "op_on_bottom"));
    w.tmr_maintaince_Timer();
    QCOMPARE(rates(f), QStringLiteral("40/20/10"));
    QCOMPARE(periods(f), QList<int>({1500, 3000, 6000}));
    const QByteArray running = nextPacket(f);
    for (const char* line : {"\r\n012340\r\n", "\r\n012420\r\n", "\r\n012510\r\n"}) {
        QVERIFY2(running.contains(line), line);
    }
    QCOMPARE(f.port.writes.size(), 2);
}

void WindowFlowTest::rateBoxRejectsOutOfRangeTyping_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    QTest::newRow("320 kept") << "320"
                              << "320";
    QTest::newRow("3200 restored") << "3200"
                                   << "77";
    QTest::newRow("320.5 restored") << "320.5"
                                    << "77";
    QTest::newRow("lone minus kept") << "-"
                                     << "-";
    QTest::newRow("-1 restored") << "-1"
                                 << "77";
    QTest::newRow("77abc kept") << "77abc"
                                << "77abc";
}

void WindowFlowTest::rateBoxRejectsOutOfRangeTyping() {
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    WindowFixture f;
    f.load();
    QLineEdit* box = f.box("txt_Pump1SPM");
    QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(box, Qt::Key_Backspace);
    QCOMPARE(box->text(), QString());
    QTest::keyClicks(box, typed);
    QCOMPARE(box->text(), shown);
    QCOMPARE(f.window->timer("tmr_pump1")->period(), 779); // typing alone never retimes
}

void WindowFlowTest::leavingARateBoxSetsThePeriod_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<int>("period");
    QTest::newRow("15") << "15"
                        << "15" << 4000;
    QTest::newRow("320, halves to even") << "320"
                                         << "320" << 188;
    QTest::newRow("empty stops") << ""
                                 << "0" << 0;
    QTest::newRow("text after the number") << "60abc"
                                           << "60abc" << 1000;
}

void WindowFlowTest::leavingARateBoxSetsThePeriod() {
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    QFETCH(int, period);
    WindowFixture f;
    fm_kestrune& w = f.load();
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    QLineEdit* box = f.box("txt_Pump1SPM");
    box->setFocus();
    QVERIFY(box->hasFocus());
    QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(box, Qt::Key_Backspace);
    QTest::keyClicks(box, typed);
    QCOMPARE(f.window->timer("tmr_pump1")->period(), 779);
    QTest::keyClick(box, Qt::Key_Tab);
    QVERIFY(!box->hasFocus());
    QCOMPARE(box->text(), shown);
    QCOMPARE(periods(f), QList<int>({period, 732, 4000}));
    const QByteArray line = "\r\n0123" + shown.toLatin1() + "\r\n";
    QVERIFY2(nextPacket(f).contains(line), line.constData());
}

void WindowFlowTest::strokesReachBoxesAndPackets() {
    WindowFixture f;
    fm_kestrune& w = f.load();
    w.tmr_pump1_Timer();
    QCOMPARE(f.box("txt_Pump1TS")->text(), QStringLiteral(" 1"));
    QCOMPARE(f.box("txt_TotalStrokes")->text(), QStringLiteral("1"));
    QCOMPARE(backColour(f.box("txt_Pump1SPM")), QColor(231, 231, 231));
    QByteArray packet = nextPacket(f);
    QVERIFY(packet.contains("\r\n01371\r\n01431\r\n01440\r\n01450\r\n"));

    w.tmr_pump3_Timer();
    w.tmr_pump1_Timer();
    QCOMPARE(f.box("txt_Pump1TS")->text(), QStringLiteral(" 2"));
    QCOMPARE(f.box("txt_Pump2TS")->text(), QStringLiteral("0"));
    QCOMPARE(f.box("txt_Pump3TS")->text(), QStringLiteral(" 1"));
    QCOMPARE(f.box("txt_TotalStrokes")->text(), QStringLiteral("3"));
    QCOMPARE(backColour(f.box("txt_Pump1SPM")), kWhite);
    packet = nextPacket(f);
    QVERIFY(packet.contains("\r\n01373\r\n01432\r\n01440\r\n01451\r\n"));

    // The reset reaches the packet before the box, which keeps its figure until the next stroke.
    QTest::mouseClick(f.button("cmd_Reset_TS"), Qt::LeftButton);
    QCOMPARE(f.box("txt_TotalStrokes")->text(), QStringLiteral("3"));
    QVERIFY(nextPacket(f).contains("\r\n01370\r\n01432\r\n"));
}

void WindowFlowTest::firstMaintenanceTick() {
    WindowFixture f;
    fm_kestrune& w = f.load();
    QCOMPARE(f.box("txt_on_bot_timer")->text(), QStringLiteral("0"));
    QCOMPARE(f.box("txt_off_bot_timer")->text(), QStringLiteral("0"));
    w.tmr_maintaince_Timer();
    QCOMPARE(backColour(f.button("cmd_start_wits")), kBlinkRed);
    QCOMPARE(f.box("txt_on_bot_timer")->text(), QStringLiteral("0"));
    QCOMPARE(f.box("txt_off_bot_timer")->text(), QStringLiteral("300"));
    QCOMPARE(rates(f), QStringLiteral("77/82/15"));
    QCOMPARE(periods(f), kStartPeriods);
    QVERIFY(f.sent().isEmpty());
}

void WindowFlowTest::closingTheWindowDuringABuildWritesNothing() {
    WindowFixture f;
    fm_kestrune& w = f.load();
    QTest::mouseClick(f.button("cmd_start_wits"), Qt::LeftButton);
    f.box("txt_msg_timer")->setText("0");
    // Runs in the builder's pause for events, before the first template line.
    QTimer::singleShot(0, &w, [&w] { w.close(); });
    w.tmrDataArrival_Timer();
    QVERIFY(w.unloaded());
    QCOMPARE(f.endProgramCalls, 1);
    QVERIFY(!f.port.PortOpen());
    QCOMPARE(f.port.writes, QList<QByteArray>());
    QCOMPARE(f.sent(), QByteArray());
    QCOMPARE(labelText(f, "lbl_PktSize"), QStringLiteral("Pkt Size"));
}

void WindowFlowTest::switchToFullDuringTheHalfPass() {
    WindowFixture f;
    fm_kestrune& w = f.load();
    QTest::mouseClick(f.button("cmd_start_wits"), Qt::LeftButton);
    f.box("txt_msg_timer")->setText("0");
    QPushButton* type = f.button("cmd_wits_type");
    QTimer::singleShot(0, &w, [type] { QTest::mouseClick(type, Qt::LeftButton); });
    w.tmrDataArrival_Timer();
    QCOMPARE(type->text(), QStringLiteral("Full WITS"));
    QCOMPARE(f.port.writes.size(), 1);
    const QByteArray full = f.port.writes.first();
    QVERIFY(full.contains("&&\r\n0104090507\r\n0105261208\r\n"));
    // Both packets are shown, the half one first; only the full one went out.
    QVERIFY(f.sent().endsWith(full));
    const QByteArray half = f.sent().chopped(full.size());
    QVERIFY(half.startsWith("&&\r\n01082000.0\r\n"));
    QVERIFY(!half.contains("0104"));
    QCOMPARE(labelText(f, "lbl_PktSize"), QStringLiteral("Pkt Size: %1").arg(full.size()));
}

void WindowFlowTest::keyTypedDuringABuildGoesOutFirst() {
    WindowFixture f;
    fm_kestrune& w = f.load();
    QTest::mouseClick(f.button("cmd_start_wits"), Qt::LeftButton);
    f.box("txt_msg_timer")->setText("0");
    QWidget* send = f.control("text_window_send");
    QTimer::singleShot(0, &w, [send] { QTest::keyClick(send, 'K'); });
    w.tmrDataArrival_Timer();
    QCOMPARE(f.port.writes.size(), 2);
    QCOMPARE(f.port.writes.first(), QByteArray("K"));
    QVERIFY(f.port.writes.last().startsWith("&&\r\n"));
    QCOMPARE(f.sent(), "K" + f.port.writes.last());
}

// The request's text counts at once but is laid out only after the tick, so the build's event
// pauses do not draw it before the answer is written; what the pauses typed comes after it.
void WindowFlowTest::requestIsShownOnceItsPacketIsWritten() {
    WindowFixture f;
    fm_kestrune& w = f.load();
    QTest::mouseClick(f.control("op_sim_pason_req"), Qt::LeftButton);
    QTest::mouseClick(f.button("cmd_start_wits"), Qt::LeftButton);
    QCoreApplication::sendPostedEvents();
    auto* receive = f.control<QPlainTextEdit>("text_window_receive");
    auto* send = f.control<QPlainTextEdit>("text_window_send");
    QTimer::singleShot(0, &w, [receive] { QTest::keyClick(receive, 'K'); });
    QStringList seenDuringBuild;
    QByteArray countedDuringBuild;
    QTimer watch; // fires in every event pause of the build
    connect(&watch, &QTimer::timeout, &w, [&] {
        seenDuringBuild << receive->toPlainText() + "|" + send->toPlainText();
        countedDuringBuild = f.received();
    });
    watch.start(0);
    f.port.receive("!!");
    w.tmrDataArrival_Timer();
    watch.stop();

    QCOMPARE(f.port.writes.size(), 1);
    QVERIFY(seenDuringBuild.size() > 1);
    QCOMPARE(seenDuringBuild.filter(QStringLiteral("!!")), QStringList());
    QCOMPARE(countedDuringBuild, QByteArray("!!K"));
    QVERIFY(receive->toPlainText().isEmpty());
    QCoreApplication::sendPostedEvents();
    QCOMPARE(receive->toPlainText(), QStringLiteral("!!K"));
    QCOMPARE(send->toPlainText(), displayText(f.sent()));
    QVERIFY(send->toPlainText().startsWith(QStringLiteral("&&\n")));
    QCOMPARE(receive->textCursor().position(), 3);
}

QTEST_MAIN(WindowFlowTest)
#include "window_flow_test.moc"
