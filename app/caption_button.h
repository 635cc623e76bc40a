#pragma once

#include <QPalette>
#include <QPushButton>

#include <deque>

namespace kestrune::app {

// A push button painted in its back colour whose caption wraps onto several lines when the
// button is too narrow for it, as "Reset Total Strokes" must.
class CaptionButton : public QPushButton {
    Q_OBJECT
public:
    using QPushButton::QPushButton;

    // Looks kept for drawing; a blinking button needs two.
    static constexpr std::size_t kKeptPalettes = 4;

protected:
    void paintEvent(QPaintEvent* event) override;
    void initStyleOption(QStyleOptionButton* option) const override;

private:
    const QPalette& drawingPalette(const QPalette& current) const;

    mutable std::deque<QPalette> kept_;
};

} // namespace kestrune::app
