#pragma once
// What layout and painting ask of the toolkit: text widths, text output, fills and clipping.
// Layout code sees only this interface; measuring is cached per font and character, so that a
// width is always the sum of its characters' advances and every caller gets the same figure.
#include "html/style/myfont.h"
#include "platform/types.h"

#include <map>
#include <memory>
#include <string_view>
#include <vector>

namespace html {

class THtmlCanvas {
public:
    virtual ~THtmlCanvas() = default;

    // Width of text in font, with the font's letter spacing.
    int TextWidth(const TMyFont& font, std::u16string_view text);
    // How many leading characters of text fit into maxWidth; width receives their width.
    // Nothing fits when maxWidth is not positive.
    int FitCount(const TMyFont& font, std::u16string_view text, int maxWidth, int& width);

    // Painting. Background clNone draws transparently. Justification spreads extra pixels over
    // spaceCount spaces (U+0020 and U+00A0) of the text.
    virtual void TextOut(const TMyFont& font, int x, int baseline, std::u16string_view text,
                         TColor color, TColor background, int extraWidth, int spaceCount) = 0;
    virtual void FillRect(const TRect& r, TColor color) = 0;
    virtual TRect ClipRect() const = 0;
    virtual void SetClipRect(const TRect& r) = 0;

protected:
    // Advance of one UTF-16 unit, without letter spacing.
    virtual int Advance(const TMyFont& font, char16_t c);

private:
    struct TAdvances {
        std::vector<int> Bmp; // -1: not measured yet
    };
    TAdvances& AdvancesOf(const TMyFont& font);
    int CharWidth(const TMyFont& font, TAdvances& a, char16_t c);
    std::map<std::u16string, TAdvances> FCache;
};

// Measures with the platform fonts and paints nothing: for layout without a surface.
class TMeasureCanvas : public THtmlCanvas {
public:
    void TextOut(const TMyFont&, int, int, std::u16string_view, TColor, TColor, int, int) override {
    }
    void FillRect(const TRect&, TColor) override {}
    TRect ClipRect() const override { return FClip; }
    void SetClipRect(const TRect& r) override { FClip = r; }

private:
    TRect FClip{0, 0, 0, 0};
};

} // namespace html
