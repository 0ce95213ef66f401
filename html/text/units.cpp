#include "html/text/units.h"

#include "html/text/htmlstrings.h"
#include "platform/font.h"

namespace html {

std::u16string FirstInstalledFace(std::u16string_view list) {
    for (const std::u16string& part : SplitText(list, u',')) {
        std::u16string face = Trim(part);
        if (SameText(face, u"serif"))
            face = u"Times New Roman";
        else if (SameText(face, u"monospace"))
            face = u"Courier New";
        else if (SameText(face, u"sans-serif"))
            face = u"Arial";
        else if (SameText(face, u"cursive"))
            face = u"Lucida Handwriting";
        else if (SameText(face, u"Helvetica"))
            face = u"Arial";
        if (!face.empty() && (face.front() == u'"' || face.front() == u'\''))
            face.erase(0, 1);
        if (!face.empty() && (face.back() == u'"' || face.back() == u'\''))
            face.pop_back();
        if (IsFaceInstalled(face))
            return face;
    }
    return {};
}

double ConvertFontSize(std::u16string_view text, double parentPoints, double defaultPoints) {
    TNumberUnit nu = SplitNumberUnit(text);
    const double n = nu.Number;
    const std::u16string unit = LowerCase(nu.Unit);
    const double ppi = ScreenPixelsPerInch();
    if (nu.HasNumber) {
        if (unit == u"in")
            return n * 72;
        if (unit == u"cm")
            return n * 72 / 2.54;
        if (unit == u"mm")
            return n * 72 / 25.4;
        if (unit == u"pt")
            return n;
        if (unit == u"px" || unit.empty())
            return n * 72 / ppi;
        if (unit == u"pc")
            return n * 12;
        if (unit == u"em")
            return parentPoints * n;
        if (unit == u"ex")
            return parentPoints * n / 2;
        if (unit == u"%")
            return parentPoints * n / 100;
        return defaultPoints;
    }
    if (unit == u"smaller")
        return parentPoints * 0.75;
    if (unit == u"larger")
        return parentPoints * 1.25;
    if (unit == u"xx-small")
        return defaultPoints / 1.5;
    if (unit == u"x-small")
        return defaultPoints / 1.2;
    if (unit == u"small")
        return defaultPoints;
    if (unit == u"medium")
        return defaultPoints * 1.2;
    if (unit == u"large")
        return defaultPoints * 1.5;
    if (unit == u"x-large")
        return defaultPoints * 2;
    if (unit == u"xx-large")
        return defaultPoints * 3;
    return defaultPoints;
}

int ConvertLength(std::u16string_view text, bool relative, int base, int def, int emHeight,
                  int exHeight) {
    TNumberUnit nu = SplitNumberUnit(text);
    if (!nu.HasNumber)
        return def;
    const double n = nu.Number;
    const std::u16string unit = LowerCase(nu.Unit);
    const double ppi = ScreenPixelsPerInch();
    double px;
    if (unit.empty())
        px = relative ? base * n : n;
    else if (unit == u"in")
        px = ppi * n;
    else if (unit == u"cm")
        px = ppi * n / 2.54;
    else if (unit == u"mm")
        px = ppi * n / 25.4;
    else if (unit == u"pt")
        px = n * ppi / 72;
    else if (unit == u"px")
        px = n;
    else if (unit == u"pc")
        px = n * ppi / 6;
    else if (unit == u"em")
        px = emHeight * n;
    else if (unit == u"ex")
        px = exHeight * n;
    else if (unit == u"%")
        px = base * n / 100;
    else
        return def;
    return RoundHalfEven(px);
}

void TFontSizeTables::SetFontSizes(double defFontSize) {
    static constexpr double kBase[8] = {0, 8, 10, 12, 14, 18, 24, 36};
    static constexpr double kPreBase[8] = {0, 7, 8, 10, 12, 15, 20, 30};
    for (int i = 1; i <= 7; ++i) {
        FontSizePoints[i] = kBase[i] * defFontSize / 12;
        PreFontSizePoints[i] = kPreBase[i] * defFontSize / 12;
    }
}

} // namespace html
