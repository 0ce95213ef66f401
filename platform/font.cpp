// Face lookup and the replaceable font services; the backend measures and draws.
#include "platform/font.h"
#include "platform/backend.h"
#include "platform/shared_parts.h"
#include "platform/unicode.h"

#include <array>

namespace {

TFontServices* gServices = nullptr;

char16_t FoldCase(char16_t c) {
    if (c < 0x80)
        return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - u'a' + u'A') : c;
    const std::u16string upper = UnicodeUpperCase(std::u16string_view(&c, 1));
    return upper.size() == 1 ? upper[0] : c;
}

// Without regard to letter case, as the platform's font list compares names.
bool SameFace(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (a[i] != b[i] && FoldCase(a[i]) != FoldCase(b[i]))
            return false;
    return true;
}

bool InList(std::u16string_view face) {
    if (face.empty())
        return false;
    for (const std::u16string& f : FontServices().InstalledFaces())
        if (SameFace(f, face))
            return true;
    return false;
}

// The free faces installed in place of the ones the application names: metric-compatible ones
// where they exist, else the nearest sans-serif.
constexpr std::array<backend::TFaceStandIn, 5> kStandIns{{
    {u"Arial", u"Liberation Sans"},
    {u"Times New Roman", u"Liberation Serif"},
    {u"Courier New", u"Liberation Mono"},
    {u"Verdana", u"DejaVu Sans"},
    {u"MS Sans Serif", u"DejaVu Sans"},
}};

} // namespace

std::span<const backend::TFaceStandIn> backend::FaceStandIns() {
    return kStandIns;
}

TFontServices& FontServices() {
    return gServices ? *gServices : backend::PlatformFontServices();
}

TFontServices* SetFontServices(TFontServices* services) {
    TFontServices* previous = gServices;
    gServices = services;
    return previous;
}

bool IsFaceInstalled(std::u16string_view face) {
    return !ResolveFace(face).empty();
}

std::u16string ResolveFace(std::u16string_view face) {
    if (InList(face))
        return std::u16string(face);
    for (const backend::TFaceStandIn& s : kStandIns)
        if (SameFace(s.Face, face) && InList(s.StandIn))
            return std::u16string(s.StandIn);
    return {};
}

int ScreenPixelsPerInch() {
    return FontServices().PixelsPerInch();
}

// The width of a run is the last of the extents FitCount measures, so that a prefix FitCount
// accepts has exactly the width TextWidth reports for it.
int TPlatformFont::TextWidth(std::u16string_view text) const {
    if (text.empty())
        return 0;
    std::vector<int> extents;
    FitCount(text, 0, &extents);
    return extents.empty() ? 0 : extents.back();
}

int FittingPrefixes(const std::vector<int>& extents, int maxWidth) {
    int fit = 0;
    while (fit < static_cast<int>(extents.size()) && extents[fit] <= maxWidth)
        ++fit;
    return fit;
}
