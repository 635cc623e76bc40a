#pragma once

class QWidget;

namespace kestrune::app {

// Creates every frame and control of the main window with its object name, caption or text,
// geometry, font, colours, tool tip and tab order as the window is loaded.
void buildControls(QWidget* window);

} // namespace kestrune::app
