#include "app/traffic_text.h"
#include "app/traffic_window.h"

#include <QSignalSpy>
#include <QTest>

using kestrune::app::displayText;
using kestrune::app::TrafficText;
using kestrune::app::TrafficWindow;

namespace {
// The widget shows what was displayed once the event loop turns.
void turn() {
    QCoreApplication::sendPostedEvents();
}
} // namespace

class TrafficWindowTest : public QObject {
    Q_OBJECT
private slots:
    void boundsKeepOrTrim_data();
    void boundsKeepOrTrim();
    void trimCutsWhereTheCountFalls();
    void bytesSurviveUnchanged();
    void displayFoldsLineEndsAcrossAppends();
    void emptyAppendMovesCaretToEnd();
    void appendsWithinOneTurnShowTogether();
    void heldWindowsShowWhenTheLastHoldEnds();
    void typedKeysAreReportedThenEchoed();
    void typedKeysCountTowardTheBound();
};

void TrafficWindowTest::boundsKeepOrTrim_data() {
    QTest::addColumn<int>("trimAbove");
    QTest::addColumn<int>("keepLast");
    QTest::addColumn<int>("before");
    QTest::addColumn<int>("appended");
    QTest::addColumn<int>("after");
    QTest::newRow("send exactly 5000 kept") << 5000 << 4500 << 4999 << 1 << 5000;
    QTest::newRow("send 5001 cut to 4500") << 5000 << 4500 << 5000 << 1 << 4500;
    QTest::newRow("send one 6000 append") << 5000 << 4500 << 0 << 6000 << 4500;
    QTest::newRow("receive 17000 kept") << 17000 << 16000 << 16990 << 10 << 17000;
    QTest::newRow("receive 17001 cut to 16000") << 17000 << 16000 << 17000 << 1 << 16000;
}

void TrafficWindowTest::boundsKeepOrTrim() {
    QFETCH(int, trimAbove);
    QFETCH(int, keepLast);
    QFETCH(int, before);
    QFETCH(int, appended);
    QFETCH(int, after);
    TrafficWindow window(trimAbove, keepLast);
    window.display(QByteArray(before, 'a'));
    QByteArray tail;
    for (int i = 0; i < appended; ++i) {
        tail.append(static_cast<char>('0' + i % 10));
    }
    window.display(tail);
    QCOMPARE(window.trafficText().size(), after);
    QVERIFY(window.trafficText().endsWith(tail.right(std::min<qsizetype>(after, tail.size()))));
    // What the widget shows is the kept text, line for line.
    turn();
    QCOMPARE(window.toPlainText(), displayText(window.trafficText()));
}

void TrafficWindowTest::trimCutsWhereTheCountFalls() {
    // CR and LF count one each; the cut falls wherever the count falls.
    TrafficText text(5000, 4500);
    QByteArray lines;
    while (lines.size() < 4998) {
        lines.append("abcd\r\n");
    }
    lines.truncate(4998);
    QVERIFY(!text.append(lines));
    QVERIFY(!text.append("\r\n")); // 5000: whole
    QCOMPARE(text.text().size(), 5000);
    QVERIFY(text.append("x")); // 5001: the last 4500 of them
    QCOMPARE(text.text().size(), 4500);
    QCOMPARE(text.text(), (lines + "\r\nx").right(4500));
}

void TrafficWindowTest::bytesSurviveUnchanged() {
    TrafficWindow window(17000, 16000);
    QByteArray all;
    for (int code = 0; code < 256; ++code) {
        all.append(static_cast<char>(code));
    }
    window.display(all);
    QCOMPARE(window.trafficText(), all);
    // A NUL shows as a visible picture, not as the end of the text.
    turn();
    QVERIFY(window.toPlainText().startsWith(QChar(0x2400)));
    QVERIFY(window.toPlainText().endsWith(QChar(0xFF)));
}

void TrafficWindowTest::displayFoldsLineEndsAcrossAppends() {
    TrafficWindow window(5000, 4500);
    window.display("&&\r");
    window.display("\n0108");
    window.display("2000.0\r\n!!\n\rX");
    turn();
    QCOMPARE(window.toPlainText(), QStringLiteral("&&\n01082000.0\n!!\n\nX"));
    QCOMPARE(window.trafficText(), QByteArray("&&\r\n01082000.0\r\n!!\n\rX"));
}

void TrafficWindowTest::emptyAppendMovesCaretToEnd() {
    TrafficWindow window(5000, 4500);
    window.display("some text\r\nmore");
    turn();
    QTextCursor cursor = window.textCursor();
    cursor.setPosition(2);
    window.setTextCursor(cursor);
    window.display("");
    turn();
    QCOMPARE(window.textCursor().position(), window.toPlainText().size());
    QVERIFY(!window.textCursor().hasSelection());
    QCOMPARE(window.trafficText(), QByteArray("some text\r\nmore"));
}

// The bytes count at once; the widget catches up in one go, in order, trims included.
void TrafficWindowTest::appendsWithinOneTurnShowTogether() {
    TrafficWindow window(50, 20);
    window.display("first\r\n");
    turn();
    QCOMPARE(window.toPlainText(), QStringLiteral("first\n"));
    int changes = 0;
    connect(window.document(), &QTextDocument::contentsChange, &window,
            [&changes](int, int, int) { ++changes; });
    window.display("second\r");
    window.display("\nthird");
    QCOMPARE(window.toPlainText(), QStringLiteral("first\n"));
    QCOMPARE(window.trafficText(), QByteArray("first\r\nsecond\r\nthird"));
    turn();
    QCOMPARE(window.toPlainText(), QStringLiteral("first\nsecond\nthird"));
    QCOMPARE(changes, 1);
    QCOMPARE(window.textCursor().position(), window.toPlainText().size());

    // A trim between appends: the widget shows the kept text, then what followed it.
    window.display(QByteArray(40, 'x'));
    window.display("tail");
    QCOMPARE(window.trafficText().size(), 24);
    turn();
    QCOMPARE(window.toPlainText(), displayText(window.trafficText()));
    QVERIFY(window.toPlainText().endsWith(QStringLiteral("tail")));
}

void TrafficWindowTest::heldWindowsShowWhenTheLastHoldEnds() {
    TrafficWindow window(50, 20);
    window.display("queued before\r\n"); // its catch-up is already posted
    window.holdShowing();
    window.holdShowing();
    window.display(QByteArray(40, 'x')); // a trim: shown afresh later
    turn();
    QCOMPARE(window.toPlainText(), QString());
    QCOMPARE(window.trafficText().size(), 20);
    window.releaseShowing();
    window.display("end");
    turn();
    QCOMPARE(window.toPlainText(), QString()); // one hold is left
    window.releaseShowing();
    window.releaseShowing(); // one too many changes nothing
    turn();
    QCOMPARE(window.toPlainText(), displayText(window.trafficText()));
    QVERIFY(window.toPlainText().endsWith(QStringLiteral("xxxend")));
    QCOMPARE(window.textCursor().position(), window.toPlainText().size());

    // Unheld again: the next append shows at the next turn.
    window.display("!");
    turn();
    QVERIFY(window.toPlainText().endsWith(QStringLiteral("end!")));
    window.holdShowing();
    window.display("?");
    turn();
    QVERIFY(window.toPlainText().endsWith(QStringLiteral("end!")));
}

void TrafficWindowTest::typedKeysAreReportedThenEchoed() {
    TrafficWindow window(5000, 4500);
    QSignalSpy typed(&window, &TrafficWindow::keyTyped);
    window.display("ab");
    QTest::keyClick(&window, 'A');
    QTest::keyClick(&window, Qt::Key_Return);
    QTest::keyClick(&window, 'z');
    QTest::keyClick(&window, Qt::Key_Backspace);
    QTest::keyClick(&window, Qt::Key_Left); // navigation is no character
    const QList<int> codes = {65, 13, 'z', 8};
    QCOMPARE(typed.size(), codes.size());
    for (int i = 0; i < codes.size(); ++i) {
        QCOMPARE(typed.at(i).at(0).toInt(), codes.at(i));
    }
    QCOMPARE(window.trafficText(), QByteArray("abA\r\n"));
}

void TrafficWindowTest::typedKeysCountTowardTheBound() {
    TrafficWindow window(5000, 4500);
    window.display(QByteArray(5000, 'a'));
    QTest::keyClick(&window, 'b');
    QCOMPARE(window.trafficText().size(), 4500);
    QVERIFY(window.trafficText().endsWith('b'));
}

QTEST_MAIN(TrafficWindowTest)
#include "traffic_window_test.moc"
