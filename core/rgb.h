#pragma once

namespace kestrune {

// A colour as the window's controls are painted, without needing the GUI library.
struct Rgb {
    int r = 0;
    int g = 0;
    int b = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

} // namespace kestrune
