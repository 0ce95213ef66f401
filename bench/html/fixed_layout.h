#pragma once
// Fonts and text widths of about Verdana at 10 points, the same on every machine; measuring
// is cached per character in the real canvas too, so the figures are the layout's own work.
#include "html/layout/htmlcanvas.h"
#include "platform/fixedfonts.h"

inline TFontMetrics VerdanaLikeMetrics() {
    TFontMetrics m;
    m.Height = 13;
    m.Ascent = 11;
    m.Descent = 2;
    m.MaxCharWidth = 14;
    m.AveCharWidth = 6;
    return m;
}

class TFixedCanvas final : public html::TMeasureCanvas {
protected:
    int Advance(const html::TMyFont&, char16_t c) override { return c == u' ' ? 4 : 7; }
};
