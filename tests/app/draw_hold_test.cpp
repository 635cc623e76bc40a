// Drawing held over a piece of work and let go after it, or as soon as a dialog needs drawing.

#include "app/draw_hold.h"
#include "app/traffic_window.h"

#include <QDialog>
#include <QTest>

#include <memory>

using kestrune::app::DrawHold;
using kestrune::app::TrafficWindow;

namespace {

// Counts the paint events of one widget.
class PaintCount : public QObject {
public:
    explicit PaintCount(QWidget* widget) { widget->installEventFilter(this); }
    bool eventFilter(QObject*, QEvent* event) override {
        painted += event->type() == QEvent::Paint;
        return false;
    }
    int painted = 0;
};

void settle() {
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }
}

// A shown traffic window, drawn once and counted from then on.
struct Shown {
    Shown() {
        window.resize(200, 100);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        settle();
        count.painted = 0;
    }
    TrafficWindow window{500, 400};
    PaintCount count{window.viewport()};
};

} // namespace

class DrawHoldTest : public QObject {
    Q_OBJECT
private slots:
    void heldDrawingHappensOnceAfterTheHold();
    void aDialogOpenedInsideTheHoldIsDrawn();
    void drawingIsLetGoAfterTheLimit();
};

void DrawHoldTest::heldDrawingHappensOnceAfterTheHold() {
    Shown shown;
    {
        const DrawHold hold{&shown.window};
        shown.window.display("abc");
        shown.window.viewport()->update();
        settle();
        QCOMPARE(shown.count.painted, 0);
        QCOMPARE(shown.window.toPlainText(), QString());
        QCOMPARE(shown.window.trafficText(), QByteArray("abc"));
    }
    settle();
    QCOMPARE(shown.window.toPlainText(), QStringLiteral("abc"));
    QCOMPARE(shown.count.painted, 1);

    // The window's repaints keep coming after the hold, each drawn.
    shown.window.display("d");
    settle();
    QCOMPARE(shown.window.toPlainText(), QStringLiteral("abcd"));
    QCOMPARE(shown.count.painted, 2);

    // A window gone while held is skipped.
    auto gone = std::make_unique<TrafficWindow>(500, 400);
    {
        const DrawHold hold{&shown.window, gone.get()};
        gone->display("x");
        gone.reset();
        shown.window.display("e");
    }
    settle();
    QCOMPARE(shown.window.toPlainText(), QStringLiteral("abcde"));
}

void DrawHoldTest::aDialogOpenedInsideTheHoldIsDrawn() {
    Shown shown;
    const DrawHold hold{&shown.window};
    shown.window.display("abc");
    settle();
    QCOMPARE(shown.count.painted, 0);
    QDialog dialog;
    PaintCount dialogCount(&dialog);
    dialog.open(); // modal, as a message box is
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    settle();
    QVERIFY(dialogCount.painted > 0);
    // Everything held is let go with it.
    QCOMPARE(shown.window.toPlainText(), QStringLiteral("abc"));
    QVERIFY(shown.count.painted > 0);
    dialog.close();
}

void DrawHoldTest::drawingIsLetGoAfterTheLimit() {
    Shown shown;
    const DrawHold hold{&shown.window};
    shown.window.display("abc");
    settle();
    QCOMPARE(shown.count.painted, 0);
    // An event loop that runs on inside the hold, as a drag or a menu's would.
    QTRY_COMPARE(shown.window.toPlainText(), QStringLiteral("abc"));
    QTRY_VERIFY(shown.count.painted > 0);
}

QTEST_MAIN(DrawHoldTest)
#include "draw_hold_test.moc"
