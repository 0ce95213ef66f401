#pragma once
// Font answers that do not depend on the machine, in force while the object lives: benchmark
// and fuzz runs measure the layout's own work with them and need no display.
#include "platform/font.h"

#include <string>
#include <utility>
#include <vector>

class TFixedFontServices final : public TFontServices {
public:
    explicit TFixedFontServices(TFontMetrics metrics,
                                std::vector<std::u16string> faces = {u"Times New Roman",
                                                                     u"Verdana"})
        : FMetrics(metrics), FFaces(std::move(faces)), FPrevious(SetFontServices(this)) {}
    ~TFixedFontServices() override { SetFontServices(FPrevious); }
    TFixedFontServices(const TFixedFontServices&) = delete;
    TFixedFontServices& operator=(const TFixedFontServices&) = delete;

    const std::vector<std::u16string>& InstalledFaces() override { return FFaces; }
    int PixelsPerInch() override { return 96; }
    int ScreenBitsPerPixel() override { return 32; }
    // Every request gets the same metrics; the default character set reports as Russian.
    TFontMetrics Measure(const TFontSpec& request) override {
        TFontMetrics m = FMetrics;
        m.CharSet = request.CharSet == DEFAULT_CHARSET ? RUSSIAN_CHARSET : request.CharSet;
        return m;
    }

private:
    TFontMetrics FMetrics;
    std::vector<std::u16string> FFaces;
    TFontServices* FPrevious;
};
