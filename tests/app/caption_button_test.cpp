#include "app/caption_button.h"
#include "app/look.h"

#include <QApplication>
#include <QImage>
#include <QProxyStyle>
#include <QSet>
#include <QStyleFactory>
#include <QStyleOption>
#include <QTest>

#include <memory>

using kestrune::app::CaptionButton;
using kestrune::app::setBackColour;

namespace {

// Notes the palette identity of every bevel drawn: the key the style caches the bevel under.
class BevelKeys : public QProxyStyle {
public:
    BevelKeys() : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion"))) {}
    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget) const override {
        if (element == PE_PanelButtonCommand) {
            keys.insert(option->palette.cacheKey());
        }
        QProxyStyle::drawPrimitive(element, option, painter, widget);
    }
    mutable QSet<qint64> keys;
};

std::unique_ptr<CaptionButton> button(QStyle* style) {
    auto made = std::make_unique<CaptionButton>(QStringLiteral("Start WITS"));
    made->setStyle(style);
    made->resize(120, 40);
    return made;
}

QImage drawn(QWidget& widget) {
    return widget.grab().toImage();
}

} // namespace

class CaptionButtonTest : public QObject {
    Q_OBJECT
private slots:
    void blinkingDrawsWithTwoLooks();
    void drawsAsAButtonThatNeverChanged();
};

void CaptionButtonTest::blinkingDrawsWithTwoLooks() {
    BevelKeys style;
    auto blinking = button(&style);
    for (int i = 0; i < 20; ++i) {
        setBackColour(blinking.get(), i % 2 == 0 ? QColor(255, 0, 0) : QColor(192, 0, 0));
        drawn(*blinking);
    }
    QCOMPARE(style.keys.size(), 2);
}

// More colours in turn than the button keeps looks for: each is still drawn in its own colour.
void CaptionButtonTest::drawsAsAButtonThatNeverChanged() {
    BevelKeys style;
    const int colours = static_cast<int>(CaptionButton::kKeptPalettes) + 2;
    auto colourOf = [](int i) { return QColor::fromHsv(i * 50, 255, 220); };
    auto changing = button(&style);
    for (int round = 0; round < 3; ++round) {
        for (int i = 0; i < colours; ++i) {
            setBackColour(changing.get(), colourOf(i));
            auto fresh = button(&style);
            setBackColour(fresh.get(), colourOf(i));
            QCOMPARE(drawn(*changing), drawn(*fresh));
        }
    }
}

QTEST_MAIN(CaptionButtonTest)
#include "caption_button_test.moc"
