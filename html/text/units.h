#pragma once
// Font faces, font sizes and lengths with units.
#include <array>
#include <string>
#include <string_view>

namespace html {

// The first installed face of a comma-separated list (generic names replaced), or empty.
std::u16string FirstInstalledFace(std::u16string_view list);

// Points of a font size with a unit; keywords and unknown units go by defaultPoints.
double ConvertFontSize(std::u16string_view text, double parentPoints, double defaultPoints);

// Pixels of a length with a unit; an unknown unit gives def.
int ConvertLength(std::u16string_view text, bool relative, int base, int def, int emHeight,
                  int exHeight);

// Points for the size values 1 to 7 of font, in ordinary and in preformatted text.
struct TFontSizeTables {
    std::array<double, 8> FontSizePoints{0, 8, 10, 12, 14, 18, 24, 36};
    std::array<double, 8> PreFontSizePoints{0, 7, 8, 10, 12, 15, 20, 30};
    void SetFontSizes(double defFontSize);
};

} // namespace html
