// What a tick draws again, and that drawing less draws the same window.

#include "app/application_setup.h"
#include "app/caption_label.h"
#include "app/frame_box.h"
#include "app/look.h"
#include "window_fixture.h"

#include <QApplication>
#include <QLabel>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QTest>

#include <memory>

using namespace kestrune::app;
using kestrune::app::testing::WindowFixture;

namespace {

// Counts the frames the style draws, by object name.
class FrameCount : public QProxyStyle {
public:
    FrameCount() : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion"))) {}
    void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                            QPainter* painter, const QWidget* widget) const override {
        if (control == CC_GroupBox && widget) {
            ++drawn[widget->objectName()];
        }
        QProxyStyle::drawComplexControl(control, option, painter, widget);
    }
    mutable QHash<QString, int> drawn;
};

// Counts paint events by object name.
class PaintCount : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            ++painted[watched->objectName()];
        }
        return false;
    }
    void watch(QWidget* window) {
        window->installEventFilter(this);
        for (QWidget* w : window->findChildren<QWidget*>())
            w->installEventFilter(this);
    }
    QHash<QString, int> painted;
};

void settle() {
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
}

// Largest difference of one colour channel between two pictures of one size.
int largestDifference(const QImage& a, const QImage& b) {
    int largest = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            largest = std::max({largest, std::abs(qRed(p) - qRed(q)),
                                std::abs(qGreen(p) - qGreen(q)), std::abs(qBlue(p) - qBlue(q))});
        }
    }
    return largest;
}

} // namespace

class RepaintTest : public QObject {
    Q_OBJECT
private slots:
    void captionWidthsFollowTheText();
    void captionWidthsFollowTheFont();
    void captionWidensItsLabelOnly();
    void aColourSetStaysSetWhenTheParentChanges();
    void aCounterTickLeavesTheWindowUnderIt();
    void aStrokeDrawsTheFrameFromItsPicture();
    void aFrameDrawsAgainWhenItsLookChanges();
    void drawingLessDrawsTheSameWindow();
    void sharedMemoryStaysTheUsersChoice_data();
    void sharedMemoryStaysTheUsersChoice();
};

// Texts met again, as a counter meets them: each is measured as a fresh label measures it.
void RepaintTest::captionWidthsFollowTheText() {
    CaptionLabel label;
    label.setFont(windowFont(FontKind::LargeBold));
    const QStringList texts = {"Seconds Counter: 9",
                               "Seconds Counter: 10",
                               "WWWW",
                               "Seconds Counter: 9",
                               "i",
                               "WWWW",
                               "Seconds Counter: 10",
                               ""};
    for (const QString& text : texts) {
        label.setText(text);
        QLabel fresh(text);
        fresh.setFont(label.font());
        QCOMPARE(label.captionWidth(), label.sizeHint().width());
        if (!text.isEmpty()) {
            QCOMPARE(label.captionWidth(), fresh.sizeHint().width());
        }
    }
}

void RepaintTest::captionWidthsFollowTheFont() {
    CaptionLabel label(QStringLiteral("Timer Reload: 60"));
    label.setFont(windowFont(FontKind::Regular));
    const int small = label.captionWidth();
    label.setFont(windowFont(FontKind::Status));
    QVERIFY(label.captionWidth() > small);
    QCOMPARE(label.captionWidth(), label.sizeHint().width());
}

void RepaintTest::captionWidensItsLabelOnly() {
    CaptionLabel label;
    label.resize(60, 16);
    setCaption(&label, "Seconds Counter: 600 and a good deal more");
    QCOMPARE(label.width(), label.sizeHint().width());
    const int wide = label.width();
    setCaption(&label, "1");
    QCOMPARE(label.width(), wide);
    QCOMPARE(label.height(), 16);
}

// Setting a colour the widget shows already, inherited, must still make it the widget's own.
void RepaintTest::aColourSetStaysSetWhenTheParentChanges() {
    QWidget parent;
    setBackColour(&parent, Qt::red);
    auto* label = new QLabel(&parent);
    auto* box = new QLineEdit(&parent);
    setBackColour(box, Qt::white); // the base colour it inherits
    setBackColour(label, Qt::red);
    setTextColour(label, label->palette().color(QPalette::WindowText));
    const QColor text = textColour(label);
    QPalette other = parent.palette();
    other.setColor(QPalette::Window, Qt::blue);
    other.setColor(QPalette::WindowText, Qt::green);
    other.setColor(QPalette::Base, Qt::yellow);
    parent.setPalette(other);
    QCOMPARE(backColour(label), QColor(Qt::red));
    QCOMPARE(textColour(label), text);
    QCOMPARE(backColour(box), QColor(Qt::white));
    QVERIFY(label->autoFillBackground());
    // And a colour changed back and forth follows each change.
    for (const QColor& colour : {QColor(Qt::red), QColor(Qt::darkRed), QColor(Qt::red)}) {
        setBackColour(label, colour);
        QCOMPARE(backColour(label), colour);
    }
}

void RepaintTest::aCounterTickLeavesTheWindowUnderIt() {
    WindowFixture f;
    fm_kestrune& w = f.load();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    w.old_tmr_data_chage_Timer(); // the first tick shows the start captions
    settle();
    PaintCount count;
    count.watch(&w);
    auto* counter = f.control<QLabel>("lbl_sec_timer");
    for (int tick = 0; tick < 5; ++tick) {
        const QString before = counter->text();
        w.old_tmr_data_chage_Timer();
        QVERIFY(counter->text() != before);
        settle();
    }
    QCOMPARE(count.painted, (QHash<QString, int>{{QStringLiteral("lbl_sec_timer"), 5}}));
}

void RepaintTest::aStrokeDrawsTheFrameFromItsPicture() {
    auto* style = new FrameCount; // the application's from here on
    QApplication::setStyle(style);
    {
        WindowFixture f;
        fm_kestrune& w = f.load();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        settle();
        const int before = style->drawn.value(QStringLiteral("Frame6"));
        QVERIFY(before > 0);
        PaintCount count;
        f.control<QWidget>("Frame6")->installEventFilter(&count);
        const QString strokes = f.box("txt_TotalStrokes")->text();
        for (int stroke = 0; stroke < 4; ++stroke) {
            w.tmr_pump1_Timer();
            settle();
        }
        QVERIFY(f.box("txt_TotalStrokes")->text() != strokes);
        QVERIFY(count.painted.value(QStringLiteral("Frame6")) > 0);
        QCOMPARE(style->drawn.value(QStringLiteral("Frame6")), before);
    }
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
}

void RepaintTest::aFrameDrawsAgainWhenItsLookChanges() {
    QWidget window;
    window.resize(200, 120);
    auto* frame = new FrameBox(QStringLiteral("Pumps"), &window);
    frame->setGeometry(10, 10, 150, 80);
    frame->setDrawsFromPicture(true);
    auto fresh = [&] {
        FrameBox plain(frame->title(), nullptr);
        plain.resize(frame->size());
        plain.setPalette(frame->palette());
        plain.setFont(frame->font());
        return plain.grab().toImage();
    };
    QVERIFY(largestDifference(frame->grab().toImage(), fresh()) <= 1);
    frame->setTitle(QStringLiteral("Timers"));
    QVERIFY(largestDifference(frame->grab().toImage(), fresh()) <= 1);
    frame->setFont(windowFont(FontKind::LargeBold));
    QVERIFY(largestDifference(frame->grab().toImage(), fresh()) <= 1);
    setTextColour(frame, Qt::red);
    QVERIFY(largestDifference(frame->grab().toImage(), fresh()) <= 1);
    frame->resize(120, 60);
    QVERIFY(largestDifference(frame->grab().toImage(), fresh()) <= 1);
}

// The window with labels filling their own backgrounds and frames drawn from pictures, against
// the same window drawing everything over what lies beneath it. The style's stretched frame
// image may round one level apart.
void RepaintTest::drawingLessDrawsTheSameWindow() {
    WindowFixture f;
    fm_kestrune& w = f.load();
    const QImage quick = w.grab().toImage();
    int changed = 0;
    for (QLabel* label : w.findChildren<QLabel*>()) {
        const bool ownColour = label->palette().isBrushSet(QPalette::Active, QPalette::Window);
        if (label->autoFillBackground() && !ownColour) {
            label->setAutoFillBackground(false);
            ++changed;
        }
    }
    for (FrameBox* frame : w.findChildren<FrameBox*>()) {
        if (frame->drawsFromPicture()) {
            frame->setDrawsFromPicture(false);
            ++changed;
        }
    }
    QVERIFY(f.control<QLabel>("lbl_sec_timer")->autoFillBackground() == false);
    QVERIFY(changed > 5);
    QVERIFY(largestDifference(quick, w.grab().toImage()) <= 1);
}

void RepaintTest::sharedMemoryStaysTheUsersChoice_data() {
    QTest::addColumn<QByteArray>("given"); // "-" for unset
    QTest::addColumn<QByteArray>("left");
    QTest::newRow("unset: off") << QByteArray("-") << QByteArray("1");
    QTest::newRow("0: on") << QByteArray("0") << QByteArray("-");
    QTest::newRow("1: off") << QByteArray("1") << QByteArray("1");
    QTest::newRow("empty: kept") << QByteArray("") << QByteArray("");
}

void RepaintTest::sharedMemoryStaysTheUsersChoice() {
    QFETCH(QByteArray, given);
    QFETCH(QByteArray, left);
    const char* name = "QT_XCB_NO_MITSHM";
    const QByteArray before = qgetenv(name);
    const bool wasSet = qEnvironmentVariableIsSet(name);
    if (given == "-") {
        qunsetenv(name);
    } else {
        qputenv(name, given);
    }
    prepareProcess();
    const QByteArray now = qEnvironmentVariableIsSet(name) ? qgetenv(name) : QByteArray("-");
    wasSet ? qputenv(name, before) : qunsetenv(name);
    QCOMPARE(now, left);
}

QTEST_MAIN(RepaintTest)
#include "repaint_test.moc"
