#pragma once
// Fonts as the text layout uses them: a platform font with colour, background, letter spacing
// and the metrics measured when it was made; and the font description a property record gives.
#include "platform/font.h"
#include "platform/types.h"

#include <array>
#include <memory>
#include <string>

namespace html {

enum class TFontStyle : unsigned { Bold = 1, Italic = 2, Underline = 4, StrikeOut = 8 };

// A set of TFontStyle bits.
class TFontStyles {
public:
    constexpr TFontStyles() = default;
    constexpr TFontStyles(TFontStyle s) : FBits(static_cast<unsigned>(s)) {}
    constexpr bool Has(TFontStyle s) const { return (FBits & static_cast<unsigned>(s)) != 0; }
    constexpr TFontStyles& operator|=(TFontStyles o) {
        FBits |= o.FBits;
        return *this;
    }
    constexpr TFontStyles operator|(TFontStyles o) const { return TFontStyles(FBits | o.FBits); }
    constexpr unsigned Bits() const { return FBits; }
    constexpr bool Empty() const { return FBits == 0; }
    friend constexpr bool operator==(TFontStyles, TFontStyles) = default;

private:
    constexpr explicit TFontStyles(unsigned bits) : FBits(bits) {}
    unsigned FBits{0};
};
constexpr TFontStyles operator|(TFontStyle a, TFontStyle b) {
    return TFontStyles(a) | TFontStyles(b);
}

// A font description.
struct ThtFontInfo {
    std::u16string Name;
    double Size{0}; // points
    TFontStyles Style;
    TColor Color{clBlack};
    TColor BackgroundColor{clNone};
    int CharSet{DEFAULT_CHARSET};
    int LetterSpacing{0};
    friend bool operator==(const ThtFontInfo&, const ThtFontInfo&) = default;
};

// The states of a link: normal, visited, hover, visited and hover.
using TFontInfoArray = std::array<ThtFontInfo, 4>;

class TMyFont {
public:
    std::u16string Name;
    int Height{0}; // pixels; negative: character height without internal leading
    TFontStyles Style;
    TColor Color{clBlack};
    int CharSet{DEFAULT_CHARSET};
    TColor InlineBackground{clNone};
    int LetterSpacing{0}; // pixels added after every character

    // Measured when the font was made.
    int TextHeight{0};
    int Descent{0};
    int ExternalLeading{0};
    int MaxCharWidth{0};
    int AverageCharWidth{0};
    int MeasuredCharSet{DEFAULT_CHARSET};

    // What to ask the platform for.
    TFontSpec Requested() const;
    // The platform font that measures and draws this font; made on first use and shared by
    // copies until a field above changes the description.
    const TPlatformFont& PlatformFont() const;

private:
    mutable std::shared_ptr<TPlatformFont> FPlatform;
};

} // namespace html
