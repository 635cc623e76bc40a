#include "app/window_texts.h"
#include "window_fixture.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>

using namespace kestrune;
using namespace kestrune::app;
using kestrune::app::testing::WindowFixture;
using Op = serial::FakeCommPort::Op;

class WindowTest : public QObject {
    Q_OBJECT
private slots:
    void startUpWithAFreePort();
    void startUpWithThePortInUse();
    void startUpWithALetterForThePort();
    void startUpStopsAtAnOverflowingDepth();
    void controlsStandWhereTheyBelong_data();
    void controlsStandWhereTheyBelong();
    void startValuesAndLooks();
    void tabOrderFollowsTheTabColumn();
    void timersArePreciseWithTheirStartPeriods();
    void blinkWhileStoppedOnly();
    void halfFullSwitch();
    void portButtonOpensClosesReopens();
    void portButtonNumbers_data();
    void portButtonNumbers();
    void portButtonOpenFailureKeepsTheLook();
    void deviceLossReportsOnceAndGreysTheButton();
    void typedKeysGoOutAsOneByte();
    void typedKeyWriteFailureIsReported();
    void portToolTipNamesTheDevice();
    void unloadClosesThePortAndOtherWindows();
};

void WindowTest::startUpWithAFreePort() {
    WindowFixture f;
    fm_kestrune& w = f.load();
    QCOMPARE(w.windowTitle(), QStringLiteral("Kestrune Version: 14"));
    QCOMPARE(f.button("cmd_comm")->text(), QStringLiteral("Port 1 Active"));
    QCOMPARE(backColour(f.button("cmd_comm")), kGreen);
    QVERIFY(f.port.PortOpen());
    QCOMPARE(f.port.inputLen, 0);
    QCOMPARE(f.port.settings, QByteArray("9600"));
    QCOMPARE(f.sent(), QByteArray());
    QCOMPARE(f.box("txt_bit_depth")->text(), QStringLiteral("2000.00"));
    QCOMPARE(f.button("cmd_start_wits")->text(), QStringLiteral("Kestrune Stopped"));
    QCOMPARE(f.button("cmd_wits_type")->text(), QStringLiteral("Half WITS"));
    QCOMPARE(f.control<QLabel>("lbl_connection_info")->text(), QString());
    const sim_state& s = w.state();
    QCOMPARE(s.current_depth, 2000.0);
    QCOMPARE(s.bit_depth, 2000.0);
    QCOMPARE(s.rop_reload, 60);
    QCOMPARE(s.rop_countdown, 60.0);
    QCOMPARE(s.off_bottom_timer, 300);
    QCOMPARE(s.on_bottom_timer, 0);
    QVERIFY(!s.off_bottom);
    QVERIFY(!s.wits_running);
    QCOMPARE(s.total_strokes + s.pump1_strokes + s.pump2_strokes + s.pump3_strokes, 0);
    QVERIFY(w.isVisible());
}

void WindowTest::startUpWithThePortInUse() {
    WindowFixture f;
    f.port.failNext(Op::Open, "Permission error while locking the device");
    fm_kestrune& w = f.load();
    QCOMPARE(f.sent(), QByteArray("The comm port is being used by another app."));
    QCOMPARE(f.button("cmd_comm")->text(), QStringLiteral("Com Port"));
    QCOMPARE(backColour(f.button("cmd_comm")), QPushButton().palette().color(QPalette::Button));
    QVERIFY(!f.port.PortOpen());
    // The rest of start-up still ran, templates included.
    QCOMPARE(w.state().rop_reload, 60);
    QCOMPARE(w.state().half_wits_lines[0], QByteArray("&&\r\n"));
    QCOMPARE(w.state().full_wits_lines[0], QByteArray("&&\r\n"));
    QCOMPARE(f.box("txt_bit_depth")->text(), QStringLiteral("2000.00"));
}

void WindowTest::startUpWithALetterForThePort() {
    WindowFixture f;
    f.make();
    f.box("txt_comport")->setText("x");
    f.window->Form_Load();
    QCOMPARE(f.sent(), QByteArray("The comm port is being used by another app."));
    QCOMPARE(f.button("cmd_comm")->text(), QStringLiteral("Com Port"));
    // Port 0 names nothing, so the number in effect stays 1, which the open step still opens.
    QCOMPARE(f.port.CommPort(), 1);
    QVERIFY(f.port.PortOpen());
}

void WindowTest::startUpStopsAtAnOverflowingDepth() {
    WindowFixture f;
    f.make();
    f.box("txt_depth")->setText("1e309");
    f.window->Form_Load();
    QCOMPARE(f.sent(), QByteArray("Startup Err: Overflow"));
    QCOMPARE(f.window->state().rop_reload, 0);
    QVERIFY(f.window->isVisible());
    QVERIFY(f.port.PortOpen()); // the first phase was done
}

void WindowTest::controlsStandWhereTheyBelong_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("parent");
    QTest::addColumn<QRect>("pixels");
    // Twips over 15, relative to the client area or the enclosing frame.
    QTest::newRow("Frame1") << "Frame1" << "fm_kestrune" << QRect(6, 33, 196, 186);
    QTest::newRow("Frame7") << "Frame7" << "Frame4" << QRect(8, 120, 208, 52);
    QTest::newRow("cmd_comm") << "cmd_comm" << "fm_kestrune" << QRect(9, 6, 85, 19);
    QTest::newRow("cmd_start_wits") << "cmd_start_wits" << "fm_kestrune" << QRect(231, 6, 166, 22);
    QTest::newRow("text_window_send")
        << "text_window_send" << "fm_kestrune" << QRect(3, 352, 286, 205);
    QTest::newRow("text_window_receive")
        << "text_window_receive" << "fm_kestrune" << QRect(306, 354, 277, 205);
    QTest::newRow("txt_off_bot_timer") << "txt_off_bot_timer" << "Frame7" << QRect(117, 27, 76, 20);
    QTest::newRow("cmd_Reset_TS") << "cmd_Reset_TS" << "Frame6" << QRect(320, 12, 73, 41);
    QTest::newRow("txt_bit_depth") << "txt_bit_depth" << "Frame3" << QRect(6, 15, 103, 22);
    // Captions may widen a label or option to the right, never move or shrink it.
    QTest::newRow("op_RNDsec") << "op_RNDsec" << "Frame5" << QRect(9, 138, 127, 13);
    QTest::newRow("Label6") << "Label6" << "Frame6" << QRect(12, 16, 62, 13);
    QTest::newRow("lbl_PktSize") << "lbl_PktSize" << "fm_kestrune" << QRect(436, 332, 39, 13);
}

void WindowTest::controlsStandWhereTheyBelong() {
    QFETCH(QString, name);
    QFETCH(QString, parent);
    QFETCH(QRect, pixels);
    WindowFixture f;
    f.make();
    QWidget* widget = f.window->findChild<QWidget*>(name);
    QVERIFY2(widget, qPrintable(name));
    QCOMPARE(widget->parentWidget()->objectName(), parent);
    if (qobject_cast<QLabel*>(widget) || qobject_cast<QRadioButton*>(widget)) {
        QCOMPARE(widget->pos(), pixels.topLeft());
        QCOMPARE(widget->height(), pixels.height());
        QVERIFY(widget->width() >= pixels.width());
        QVERIFY(widget->width() >= widget->sizeHint().width());
    } else {
        QCOMPARE(widget->geometry(), pixels);
    }
    QCOMPARE(f.window->size(), QSize(588, 590));
}

void WindowTest::startValuesAndLooks() {
    WindowFixture f;
    f.make();
    QVERIFY(f.control<QRadioButton>("op_sim_pason_auto")->isChecked());
    QVERIFY(f.control<QRadioButton>("op_60sec")->isChecked());
    QVERIFY(f.control<QRadioButton>("op_off_bottom_every32")->isChecked());
    QVERIFY(f.control<QRadioButton>("op_pumps_off_on_con")->isChecked());
    QVERIFY(!f.control<QCheckBox>("chk_random_noise")->isChecked());
    QCOMPARE(f.control<QGroupBox>("Frame1")->title(), QStringLiteral("EDR Simuation Mode"));
    QCOMPARE(f.box("txt_baudrate")->text(), QStringLiteral("9600,n,8,1"));
    QCOMPARE(f.box("txt_msg_timer")->text(), QStringLiteral("2"));
    QCOMPARE(f.box("txt_Pump3SPM")->text(), QStringLiteral("15"));
    QCOMPARE(f.control<QLabel>("lbl_last_packet_sent")->text(),
             QStringLiteral("Last Packet sent 00:00:00"));
    QCOMPARE(f.control<QLabel>("lbl_drilling_status")->text(), QStringLiteral("  OFF BOTTOM  "));
    QCOMPARE(f.button("cmd_Reset_TS")->text(), QStringLiteral("Reset Total Strokes"));
    QCOMPARE(backColour(f.button("cmd_start_wits")), kRed);
    QCOMPARE(backColour(f.button("cmd_wits_type")), QColor(192, 192, 255));
    QCOMPARE(backColour(f.button("cmd_edit_wits")), QColor(192, 255, 255));
    QCOMPARE(backColour(f.control("text_window_send")), QColor(0, 0, 0));
    QCOMPARE(textColour(f.control("text_window_receive")), QColor(255, 255, 0));
    QCOMPARE(backColour(f.control("lbl_drilling_status")), QColor(255, 128, 0));
    QCOMPARE(textColour(f.control("lbl_connection_info")), QColor(0, 0, 255));
    QVERIFY(f.box("txt_bit_depth")->isReadOnly());
    QVERIFY(!f.box("txt_bit_depth")->hasFrame());
    QVERIFY(f.box("txt_on_bot_timer")->isReadOnly());
    QVERIFY(!f.box("txt_depth")->isReadOnly());
    QCOMPARE(f.box("txt_depth")->toolTip(), QStringLiteral("Edit your depth here"));
    QCOMPARE(f.control("text_window_send")->toolTip(),
             QStringLiteral("This is data going to the Traskel"));
    QCOMPARE(f.box("txt_depth")->font().pointSizeF(), 9.75);
    QVERIFY(f.box("txt_depth")->font().bold());
    QCOMPARE(f.control("lbl_drilling_status")->font().pointSizeF(), 13.5);
    QVERIFY(!f.control<QRadioButton>("op_60sec")->font().bold()); // not the frame's bold
    QVERIFY(f.control("lbl_last_packet_sent")->font().bold());
}

void WindowTest::tabOrderFollowsTheTabColumn() {
    WindowFixture f;
    f.make();
    QStringList chain;
    QWidget* at = f.button("cmd_comm");
    for (int i = 0; i < 6; ++i) {
        chain << at->objectName();
        at = at->nextInFocusChain();
        while (at->focusPolicy() == Qt::NoFocus) {
            at = at->nextInFocusChain();
        }
    }
    QCOMPARE(chain, QStringList({"cmd_comm", "text_window_send", "cmd_start_wits", "txt_comport",
                                 "txt_baudrate", "cmd_wits_type"}));
}

void WindowTest::timersArePreciseWithTheirStartPeriods() {
    WindowFixture f;
    f.load();
    const std::pair<const char*, int> periods[] = {
        {"tmrDataArrival", 100}, {"old_tmr_data_chage", 100}, {"tmr_maintaince", 1000},
        {"tmr_pump1", 779},      {"tmr_pump2", 732},          {"tmr_pump3", 4000}};
    for (const auto& [name, period] : periods) {
        Ticker* ticker = f.window->timer(name);
        QVERIFY2(ticker, name);
        QCOMPARE(ticker->period(), period);
        QCOMPARE(ticker->timerType(), Qt::PreciseTimer);
    }
    Ticker live("live", 100, true, nullptr);
    QVERIFY(live.isActive());
    QVERIFY(!live.setPeriod(65536));
    QCOMPARE(live.period(), 100);
    QVERIFY(live.setPeriod(0));
    QVERIFY(!live.isActive()); // period 0 stops, it does not spin
    QVERIFY(live.setPeriod(65535));
    QVERIFY(live.isActive());
}

void WindowTest::blinkWhileStoppedOnly() {
    WindowFixture f;
    fm_kestrune& w = f.load();
    QPushButton* start = f.button("cmd_start_wits");
    const QColor first = kBlinkRed;
    w.tmr_maintaince_Timer();
    QCOMPARE(backColour(start), first);
    w.tmr_maintaince_Timer();
    QCOMPARE(backColour(start), kRed);
    w.tmr_maintaince_Timer();
    QCOMPARE(backColour(start), kBlinkRed);

    QTest::mouseClick(start, Qt::LeftButton);
    QCOMPARE(start->text(), QStringLiteral("Kestrune Running"));
    QCOMPARE(backColour(start), kGreen);
    QVERIFY(w.state().wits_running);
    w.tmr_maintaince_Timer();
    w.tmr_maintaince_Timer();
    QCOMPARE(backColour(start), kGreen);

    QTest::mouseClick(start, Qt::LeftButton);
    QCOMPARE(start->text(), QStringLiteral("Kestrune Stopped"));
    QCOMPARE(backColour(start), kRed);
    // The phase left at the third tick goes on: next comes the plain red, then the blink red.
    w.tmr_maintaince_Timer();
    QCOMPARE(backColour(start), kRed);
    w.tmr_maintaince_Timer();
    QCOMPARE(backColour(start), kBlinkRed);
    QCOMPARE(start->text(), QStringLiteral("Kestrune Stopped"));
}

void WindowTest::halfFullSwitch() {
    WindowFixture f;
    f.load();
    QPushButton* type = f.button("cmd_wits_type");
    QTest::mouseClick(type, Qt::LeftButton);
    QCOMPARE(type->text(), QStringLiteral("Full WITS"));
    QTest::mouseClick(type, Qt::LeftButton);
    QCOMPARE(type->text(), QStringLiteral("Half WITS"));
    type->setText("Something else");
    f.window->cmd_wits_type_Click();
    QCOMPARE(type->text(), QStringLiteral("Something else"));
}

void WindowTest::portButtonOpensClosesReopens() {
    WindowFixture f;
    f.port.failNext(Op::Open, "busy");
    f.load();
    QVERIFY(!f.port.PortOpen());
    f.box("txt_comport")->setText("2");
    QPushButton* comm = f.button("cmd_comm");
    QTest::mouseClick(comm, Qt::LeftButton);
    QCOMPARE(comm->text(), QStringLiteral("Port 2 Active"));
    QCOMPARE(backColour(comm), kGreen);
    QVERIFY(f.port.PortOpen());
    QTest::mouseClick(comm, Qt::LeftButton);
    QCOMPARE(comm->text(), QStringLiteral("Port Inactive"));
    QCOMPARE(backColour(comm), kPortInactiveGrey);
    QVERIFY(!f.port.PortOpen());
    QTest::mouseClick(comm, Qt::LeftButton);
    QCOMPARE(comm->text(), QStringLiteral("Port 2 Active"));
    QVERIFY(f.port.PortOpen());
}

void WindowTest::portButtonNumbers_data() {
    QTest::addColumn<QString>("portText");
    QTest::addColumn<QString>("baudText");
    QTest::addColumn<int>("port");
    QTest::addColumn<QByteArray>("settings");
    QTest::newRow("2.5 to even") << "2.5" << "9600,n,8,1" << 2 << QByteArray("9600");
    QTest::newRow("3.5 to even") << "3.5" << "9600" << 4 << QByteArray("9600");
    QTest::newRow("1.4 down") << "1.4" << "9600" << 1 << QByteArray("9600");
    QTest::newRow("settings fields ignored") << "1" << "19200,e,7,2" << 1 << QByteArray("19200");
}

void WindowTest::portButtonNumbers() {
    QFETCH(QString, portText);
    QFETCH(QString, baudText);
    QFETCH(int, port);
    QFETCH(QByteArray, settings);
    WindowFixture f;
    f.port.failNext(Op::Open, "busy");
    f.load();
    f.box("txt_comport")->setText(portText);
    f.box("txt_baudrate")->setText(baudText);
    f.window->cmd_comm_Click();
    QCOMPARE(f.port.CommPort(), port);
    QCOMPARE(f.port.settings, settings);
    QCOMPARE(f.button("cmd_comm")->text(), QStringLiteral("Port %1 Active").arg(port));
}

void WindowTest::portButtonOpenFailureKeepsTheLook() {
    WindowFixture f;
    f.load();
    f.window->cmd_comm_Click(); // closes: "Port Inactive"
    f.port.failNext(Op::Open, "Permission error while locking the device");
    f.window->cmd_comm_Click();
    QCOMPARE(f.sent(), QByteArray("COMM Err: Permission error while locking the device"));
    QCOMPARE(f.button("cmd_comm")->text(), QStringLiteral("Port Inactive"));
    QCOMPARE(backColour(f.button("cmd_comm")), kPortInactiveGrey);
    // A number beyond 16 bits changes nothing and reports.
    f.box("txt_comport")->setText("40000");
    f.window->cmd_comm_Click();
    QCOMPARE(f.sent(), QByteArray("COMM Err: Permission error while locking the device"
                                  "COMM Err: Overflow"));
    QCOMPARE(f.port.CommPort(), 1);
}

void WindowTest::deviceLossReportsOnceAndGreysTheButton() {
    WindowFixture f;
    f.load();
    f.port.loseDevice("/dev/ttyUSB0: Input/output error");
    QCOMPARE(f.sent(), QByteArray("COMM Err: /dev/ttyUSB0: Input/output error"));
    QCOMPARE(f.button("cmd_comm")->text(), QStringLiteral("Port Inactive"));
    QCOMPARE(backColour(f.button("cmd_comm")), kPortInactiveGrey);
    f.window->cmd_comm_Click();
    QVERIFY(f.port.PortOpen());
    QCOMPARE(f.button("cmd_comm")->text(), QStringLiteral("Port 1 Active"));
}

void WindowTest::typedKeysGoOutAsOneByte() {
    WindowFixture f;
    f.load();
    QWidget* send = f.control("text_window_send");
    QTest::keyClick(send, 'A');
    QTest::keyClick(send, Qt::Key_Return);
    QCOMPARE(f.port.writes, QList<QByteArray>({"A", "\r"}));
    QCOMPARE(f.sent(), QByteArray("A\r\n"));
    f.window->cmd_comm_Click(); // close
    QTest::keyClick(send, 'b');
    QCOMPARE(f.port.writes.size(), 2);
    QCOMPARE(f.sent(), QByteArray("A\r\nb"));
}

void WindowTest::typedKeyWriteFailureIsReported() {
    WindowFixture f;
    f.load();
    f.port.failNext(Op::Output, "Output queue full");
    QTest::keyClick(f.control("text_window_send"), 'Q');
    QCOMPARE(f.sent(), QByteArray("Keypress Error: Output queue fullQ"));
}

void WindowTest::portToolTipNamesTheDevice() {
    WindowFixture f;
    f.make();
    QVERIFY(f.box("txt_comport")->toolTip().contains("/dev/ttyS0"));
    f.box("txt_comport")->setText("33");
    QVERIFY(f.box("txt_comport")->toolTip().contains("/dev/ttyUSB0"));
    f.box("txt_comport")->setText("0");
    QVERIFY(!f.box("txt_comport")->toolTip().contains("/dev/"));
}

void WindowTest::unloadClosesThePortAndOtherWindows() {
    WindowFixture f;
    f.load();
    auto* other = new QWidget;
    other->setObjectName("other_window");
    other->show();
    QSignalSpy destroyed(other, &QObject::destroyed);
    QVERIFY(f.window->close());
    QVERIFY(!f.port.PortOpen());
    QCOMPARE(f.endProgramCalls, 1);
    QVERIFY(f.window->unloaded());
    QVERIFY(destroyed.wait(1000));
    // Closing with the port already closed ends the program just the same.
    WindowFixture g;
    g.port.failNext(Op::Open, "busy");
    g.load();
    QVERIFY(g.window->close());
    QCOMPARE(g.endProgramCalls, 1);
}

QTEST_MAIN(WindowTest)
#include "window_test.moc"
