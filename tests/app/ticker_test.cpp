// Live tickers on the real event loop: time is told by other tickers, never by sleeping.

#include "app/ticker.h"

#include <QEventLoop>
#include <QTest>

#include <memory>

using kestrune::app::Ticker;

class TickerTest : public QObject {
    Q_OBJECT
private slots:
    void ticksAreNotNestedInTheirOwnHandler();
    void aStoppedTickerStaysQuiet();
    void aTickerMayEndInItsOwnTick();
};

// While a handler lets events run, its own ticker's ticks are dropped; other tickers tick.
void TickerTest::ticksAreNotNestedInTheirOwnHandler() {
    Ticker fast("fast", 5, true, nullptr);
    Ticker slow("slow", 60, true, nullptr);
    QVERIFY(fast.isActive());
    int fastTicks = 0;
    int depth = 0;
    int deepest = 0;
    int slowTicks = 0;
    QEventLoop pause;
    connect(&slow, &Ticker::tick, &pause, [&] {
        ++slowTicks;
        pause.quit();
    });
    connect(&fast, &Ticker::tick, &pause, [&] {
        ++fastTicks;
        ++depth;
        deepest = std::max(deepest, depth);
        if (fastTicks == 1) {
            pause.exec(); // many fast periods pass before the slow tick ends this
        }
        --depth;
    });
    QTRY_VERIFY(fastTicks >= 4);
    QCOMPARE(slowTicks >= 1, true);
    QCOMPARE(deepest, 1);
}

void TickerTest::aStoppedTickerStaysQuiet() {
    Ticker stopped("stopped", 5, true, nullptr);
    Ticker halted("halted", 5, true, nullptr);
    Ticker watch("watch", 50, true, nullptr);
    int ticks = 0;
    connect(&stopped, &Ticker::tick, this, [&] { ++ticks; });
    connect(&halted, &Ticker::tick, this, [&] { ++ticks; });
    QVERIFY(stopped.setPeriod(0));
    QVERIFY(!stopped.isActive());
    halted.halt();
    QVERIFY(!halted.isActive());
    QVERIFY(halted.setPeriod(5)); // halted for good
    QVERIFY(!halted.isActive());
    int watched = 0;
    connect(&watch, &Ticker::tick, this, [&] { ++watched; });
    QTRY_VERIFY(watched >= 2);
    QCOMPARE(ticks, 0);

    // Started again, it ticks.
    QVERIFY(stopped.setPeriod(5));
    QTRY_VERIFY(ticks >= 2);
}

void TickerTest::aTickerMayEndInItsOwnTick() {
    auto ending = std::make_unique<Ticker>("ending", 5, true, nullptr);
    Ticker haltsItself("haltsItself", 5, true, nullptr);
    int halts = 0;
    connect(ending.get(), &Ticker::tick, this, [&] { ending.reset(); });
    connect(&haltsItself, &Ticker::tick, this, [&] {
        ++halts;
        haltsItself.halt();
    });
    QTRY_VERIFY(!ending && halts == 1);
    Ticker watch("watch", 50, true, nullptr);
    int watched = 0;
    connect(&watch, &Ticker::tick, this, [&] { ++watched; });
    QTRY_VERIFY(watched >= 1);
    QCOMPARE(halts, 1);
}

QTEST_MAIN(TickerTest)
#include "ticker_test.moc"
