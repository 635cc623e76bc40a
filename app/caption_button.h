#pragma once

#include <QPushButton>

namespace kestrune::app {

// A push button painted in its back colour whose caption wraps onto several lines when the
// button is too narrow for it, as "Reset Total Strokes" must.
class CaptionButton : public QPushButton {
    Q_OBJECT
public:
    using QPushButton::QPushButton;

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace kestrune::app
