#pragma once

namespace kestrune::app {

// What the program sets up around its window, shared with the benchmark so that it measures
// the program as it runs. Before the QApplication exists:
void prepareProcess();
// Once it does:
void setUpApplication();

} // namespace kestrune::app
