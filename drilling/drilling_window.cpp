#include "drilling/drilling_window.h"

namespace kestrune::drilling {

DrillingWindow::~DrillingWindow() = default;

void report(DrillingWindow& window, const char* label, const QString& description) {
    window.disply_text(QByteArray(label) + description.toLatin1());
}

} // namespace kestrune::drilling
