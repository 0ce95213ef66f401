#pragma once
// A machine with chosen faces, resolution and character-set reports.
#include "platform/font.h"

#include <set>
#include <string>
#include <vector>

class TFakeFonts final : public TFontServices {
public:
    std::vector<std::u16string> Faces{u"Times New Roman", u"Arial", u"Courier New", u"Symbol"};
    std::set<std::u16string> SymbolFaces{u"Symbol"};
    int Ppi{96};
    int Bpp{32};
    // What DEFAULT_CHARSET reports for faces that are not symbol faces.
    int DefaultReport{RUSSIAN_CHARSET};
    std::vector<TFontSpec> Measured;

    TFakeFonts() : FPrevious(SetFontServices(this)) {}
    ~TFakeFonts() override { SetFontServices(FPrevious); }

    const std::vector<std::u16string>& InstalledFaces() override { return Faces; }
    int PixelsPerInch() override { return Ppi; }
    int ScreenBitsPerPixel() override { return Bpp; }
    TFontMetrics Measure(const TFontSpec& request) override {
        Measured.push_back(request);
        const int em =
            request.Height < 0 ? -request.Height : (request.Height ? request.Height : 16);
        TFontMetrics m;
        m.InternalLeading = em / 5;
        m.Ascent = em * 4 / 5 + m.InternalLeading;
        m.Descent = em - em * 4 / 5;
        m.Height = m.Ascent + m.Descent;
        m.ExternalLeading = 1;
        m.AveCharWidth = em / 2;
        m.MaxCharWidth = em;
        if (SymbolFaces.count(request.Name))
            m.CharSet = SYMBOL_CHARSET;
        else if (request.CharSet == DEFAULT_CHARSET)
            m.CharSet = DefaultReport;
        else
            m.CharSet = request.CharSet;
        return m;
    }

private:
    TFontServices* FPrevious;
};
