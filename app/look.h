#pragma once

// Colours, fonts and geometry the window is drawn with.

#include <QByteArrayView>
#include <QColor>
#include <QFont>
#include <QRect>

#include "core/rgb.h"

class QLabel;
class QWidget;

namespace kestrune::app {

inline const QColor kGreen{0, 255, 0};
inline const QColor kRed{255, 0, 0};
inline const QColor kBlinkRed{240, 0, 0};
inline const QColor kPortInactiveGrey{128, 128, 128};
inline const QColor kLockedBack{192, 192, 192};
inline const QColor kLockedText{128, 128, 128};
inline const QColor kWitsTypeBack{192, 192, 255};
inline const QColor kEditWitsBack{192, 255, 255};
inline const QColor kTrafficBack{0, 0, 0};
inline const QColor kTrafficText{255, 255, 0};
inline const QColor kOffBottomBack{255, 128, 0};
inline const QColor kWhite{255, 255, 255};
inline const QColor kBlack{0, 0, 0};
inline const QColor kConnectionText{0, 0, 255};

inline constexpr int kTwipsPerPixel = 15;
inline constexpr int px(int twips) {
    return (twips + kTwipsPerPixel / 2) / kTwipsPerPixel;
}
inline QRect twipsRect(int left, int top, int width, int height) {
    return {px(left), px(top), px(width), px(height)};
}

inline QColor toQColor(Rgb colour) {
    return {colour.r, colour.g, colour.b};
}

enum class FontKind { Regular, Bold, LargeBold, Status };
QFont windowFont(FontKind kind);

// Back and text colour of a control, in the palette role its kind paints with. A colour set
// here is what backColour() reads back.
void setBackColour(QWidget* widget, const QColor& colour);
QColor backColour(const QWidget* widget);
void setTextColour(QWidget* widget, const QColor& colour);
QColor textColour(const QWidget* widget);

// Sets a caption written at run time; the label widens to show it whole, never narrower than
// laid out, as a count that outgrows its design caption must stay readable.
void setCaption(QLabel* label, QByteArrayView caption);

} // namespace kestrune::app
