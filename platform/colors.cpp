// Colour arithmetic that needs no backend; GetSysColor is the backend's.
#include "platform/colors.h"

#include <algorithm>
#include <cmath>

TColor ColorToRGB(TColor color) {
    if (IsSystemColor(color))
        return GetSysColor(static_cast<int>(color & 0x00FFFFFF));
    return color;
}

namespace {

double Luminance(TColor color) {
    const TColor rgb = ColorToRGB(color);
    auto channel = [](int value) {
        const double c = value / 255.0;
        return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(GetRValue(rgb)) + 0.7152 * channel(GetGValue(rgb)) +
           0.0722 * channel(GetBValue(rgb));
}

} // namespace

double ContrastRatio(TColor a, TColor b) {
    const double la = Luminance(a), lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

TColor ReadableTextColor(TColor preferred, TColor background, TColor fallback) {
    if (ContrastRatio(preferred, background) >= ReadableContrast)
        return preferred;
    if (ContrastRatio(fallback, background) >= ReadableContrast)
        return fallback;
    return ContrastRatio(clBlack, background) >= ContrastRatio(clWhite, background) ? clBlack
                                                                                    : clWhite;
}
