#pragma once

#include <QPixmap>

namespace kestrune::app {

inline constexpr int kIconSize = 32;

// The window's icon, a derrick over a well; also written out for the desktop menu.
QPixmap windowIconPicture();

} // namespace kestrune::app
