#include "html/layout/htmlcanvas.h"

namespace html {

int THtmlCanvas::Advance(const TMyFont& font, char16_t c) {
    return font.PlatformFont().TextWidth(std::u16string_view(&c, 1));
}

THtmlCanvas::TAdvances& THtmlCanvas::AdvancesOf(const TMyFont& font) {
    const TFontSpec request = font.Requested();
    std::u16string key = request.Name;
    key.push_back(u'|');
    for (int v : {request.Height, request.Weight, int(request.Italic), int(request.Underline),
                  int(request.StrikeOut), request.CharSet}) {
        key.push_back(static_cast<char16_t>(v & 0xFFFF));
        key.push_back(static_cast<char16_t>((v >> 16) & 0xFFFF));
    }
    TAdvances& a = FCache[key];
    if (a.Bmp.empty())
        a.Bmp.assign(0x10000, -1);
    return a;
}

int THtmlCanvas::CharWidth(const TMyFont& font, TAdvances& a, char16_t c) {
    if (c < 32)
        return 0; // break marks and placeholders take no room
    int& w = a.Bmp[c];
    if (w < 0)
        w = Advance(font, c);
    return w + font.LetterSpacing;
}

int THtmlCanvas::TextWidth(const TMyFont& font, std::u16string_view text) {
    if (text.empty())
        return 0;
    TAdvances& a = AdvancesOf(font);
    int w = 0;
    for (char16_t c : text)
        w += CharWidth(font, a, c);
    return w;
}

int THtmlCanvas::FitCount(const TMyFont& font, std::u16string_view text, int maxWidth, int& width) {
    width = 0;
    if (maxWidth <= 0 || text.empty())
        return 0;
    TAdvances& a = AdvancesOf(font);
    int n = 0;
    for (char16_t c : text) {
        const int w = CharWidth(font, a, c);
        if (width + w > maxWidth)
            break;
        width += w;
        ++n;
    }
    return n;
}

} // namespace html
