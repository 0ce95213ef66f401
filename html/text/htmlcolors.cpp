#include "html/text/htmlcolors.h"

#include "html/text/htmlstrings.h"
#include "platform/font.h"

#include <algorithm>
#include <array>
#include <string>

namespace html {

namespace {

struct TColorName {
    std::u16string_view Name;
    TColor Value;
};

// The CSS colour keywords, "transparent" and the system colour names, sorted by name.
constexpr std::array<TColorName, 176> kColorNames = {{
    {u"activeborder", SystemColor(10)},
    {u"activecaption", SystemColor(2)},
    {u"aliceblue", 0x00FFF8F0},
    {u"antiquewhite", 0x00D7EBFA},
    {u"appworkspace", SystemColor(12)},
    {u"aqua", 0x00FFFF00},
    {u"aquamarine", 0x00D4FF7F},
    {u"azure", 0x00FFFFF0},
    {u"background", SystemColor(1)},
    {u"beige", 0x00DCF5F5},
    {u"bisque", 0x00C4E4FF},
    {u"black", 0x00000000},
    {u"blanchedalmond", 0x00CDEBFF},
    {u"blue", 0x00FF0000},
    {u"blueviolet", 0x00E22B8A},
    {u"brown", 0x002A2AA5},
    {u"burlywood", 0x0087B8DE},
    {u"buttonface", SystemColor(15)},
    {u"buttonhighlight", SystemColor(20)},
    {u"buttonshadow", SystemColor(16)},
    {u"buttontext", SystemColor(18)},
    {u"cadetblue", 0x00A09E5F},
    {u"captiontext", SystemColor(9)},
    {u"chartreuse", 0x0000FF7F},
    {u"chocolate", 0x001E69D2},
    {u"coral", 0x00507FFF},
    {u"cornflowerblue", 0x00ED9564},
    {u"cornsilk", 0x00DCF8FF},
    {u"crimson", 0x003C14DC},
    {u"cyan", 0x00FFFF00},
    {u"darkblue", 0x008B0000},
    {u"darkcyan", 0x008B8B00},
    {u"darkgoldenrod", 0x000B86B8},
    {u"darkgray", 0x00A9A9A9},
    {u"darkgreen", 0x00006400},
    {u"darkgrey", 0x00A9A9A9},
    {u"darkkhaki", 0x006BB7BD},
    {u"darkmagenta", 0x008B008B},
    {u"darkolivegreen", 0x002F6B55},
    {u"darkorange", 0x00008CFF},
    {u"darkorchid", 0x00CC3299},
    {u"darkred", 0x0000008B},
    {u"darksalmon", 0x007A96E9},
    {u"darkseagreen", 0x008FBC8F},
    {u"darkslateblue", 0x008B3D48},
    {u"darkslategray", 0x004F4F2F},
    {u"darkslategrey", 0x004F4F2F},
    {u"darkturquoise", 0x00D1CE00},
    {u"darkviolet", 0x00D30094},
    {u"deeppink", 0x009314FF},
    {u"deepskyblue", 0x00FFBF00},
    {u"dimgray", 0x00696969},
    {u"dimgrey", 0x00696969},
    {u"dodgerblue", 0x00FF901E},
    {u"firebrick", 0x002222B2},
    {u"floralwhite", 0x00F0FAFF},
    {u"forestgreen", 0x00228B22},
    {u"fuchsia", 0x00FF00FF},
    {u"gainsboro", 0x00DCDCDC},
    {u"ghostwhite", 0x00FFF8F8},
    {u"gold", 0x0000D7FF},
    {u"goldenrod", 0x0020A5DA},
    {u"gray", 0x00808080},
    {u"graytext", SystemColor(17)},
    {u"green", 0x00008000},
    {u"greenyellow", 0x002FFFAD},
    {u"grey", 0x00808080},
    {u"highlight", SystemColor(13)},
    {u"highlighttext", SystemColor(14)},
    {u"honeydew", 0x00F0FFF0},
    {u"hotpink", 0x00B469FF},
    {u"inactiveborder", SystemColor(11)},
    {u"inactivecaption", SystemColor(3)},
    {u"inactivecaptiontext", SystemColor(19)},
    {u"indianred", 0x005C5CCD},
    {u"indigo", 0x0082004B},
    {u"infobackground", SystemColor(24)},
    {u"infotext", SystemColor(23)},
    {u"ivory", 0x00F0FFFF},
    {u"khaki", 0x008CE6F0},
    {u"lavender", 0x00FAE6E6},
    {u"lavenderblush", 0x00F5F0FF},
    {u"lawngreen", 0x0000FC7C},
    {u"lemonchiffon", 0x00CDFAFF},
    {u"lightblue", 0x00E6D8AD},
    {u"lightcoral", 0x008080F0},
    {u"lightcyan", 0x00FFFFE0},
    {u"lightgoldenrodyellow", 0x00D2FAFA},
    {u"lightgray", 0x00D3D3D3},
    {u"lightgreen", 0x0090EE90},
    {u"lightgrey", 0x00D3D3D3},
    {u"lightpink", 0x00C1B6FF},
    {u"lightsalmon", 0x007AA0FF},
    {u"lightseagreen", 0x00AAB220},
    {u"lightskyblue", 0x00FACE87},
    {u"lightslategray", 0x00998877},
    {u"lightslategrey", 0x00998877},
    {u"lightsteelblue", 0x00DEC4B0},
    {u"lightyellow", 0x00E0FFFF},
    {u"lime", 0x0000FF00},
    {u"limegreen", 0x0032CD32},
    {u"linen", 0x00E6F0FA},
    {u"magenta", 0x00FF00FF},
    {u"maroon", 0x00000080},
    {u"mediumaquamarine", 0x00AACD66},
    {u"mediumblue", 0x00CD0000},
    {u"mediumorchid", 0x00D355BA},
    {u"mediumpurple", 0x00DB7093},
    {u"mediumseagreen", 0x0071B33C},
    {u"mediumslateblue", 0x00EE687B},
    {u"mediumspringgreen", 0x009AFA00},
    {u"mediumturquoise", 0x00CCD148},
    {u"mediumvioletred", 0x008515C7},
    {u"menu", SystemColor(4)},
    {u"menutext", SystemColor(7)},
    {u"midnightblue", 0x00701919},
    {u"mintcream", 0x00FAFFF5},
    {u"mistyrose", 0x00E1E4FF},
    {u"moccasin", 0x00B5E4FF},
    {u"navajowhite", 0x00ADDEFF},
    {u"navy", 0x00800000},
    {u"oldlace", 0x00E6F5FD},
    {u"olive", 0x00008080},
    {u"olivedrab", 0x00238E6B},
    {u"orange", 0x0000A5FF},
    {u"orangered", 0x000045FF},
    {u"orchid", 0x00D670DA},
    {u"palegoldenrod", 0x00AAE8EE},
    {u"palegreen", 0x0098FB98},
    {u"paleturquoise", 0x00EEEEAF},
    {u"palevioletred", 0x009370DB},
    {u"papayawhip", 0x00D5EFFF},
    {u"peachpuff", 0x00B9DAFF},
    {u"peru", 0x003F85CD},
    {u"pink", 0x00CBC0FF},
    {u"plum", 0x00DDA0DD},
    {u"powderblue", 0x00E6E0B0},
    {u"purple", 0x00800080},
    {u"red", 0x000000FF},
    {u"rosybrown", 0x008F8FBC},
    {u"royalblue", 0x00E16941},
    {u"saddlebrown", 0x0013458B},
    {u"salmon", 0x007280FA},
    {u"sandybrown", 0x0060A4F4},
    {u"scrollbar", SystemColor(0)},
    {u"seagreen", 0x00578B2E},
    {u"seashell", 0x00EEF5FF},
    {u"sienna", 0x002D52A0},
    {u"silver", 0x00C0C0C0},
    {u"skyblue", 0x00EBCE87},
    {u"slateblue", 0x00CD5A6A},
    {u"slategray", 0x00908070},
    {u"slategrey", 0x00908070},
    {u"snow", 0x00FAFAFF},
    {u"springgreen", 0x007FFF00},
    {u"steelblue", 0x00B48246},
    {u"tan", 0x008CB4D2},
    {u"teal", 0x00808000},
    {u"thistle", 0x00D8BFD8},
    {u"threeddarkshadow", SystemColor(21)},
    {u"threedface", SystemColor(15)},
    {u"threedhighlight", SystemColor(22)},
    {u"threedlightshadow", SystemColor(20)},
    {u"threedshadow", SystemColor(16)},
    {u"tomato", 0x004763FF},
    {u"transparent", clNone},
    {u"turquoise", 0x00D0E040},
    {u"violet", 0x00EE82EE},
    {u"wheat", 0x00B3DEF5},
    {u"white", 0x00FFFFFF},
    {u"whitesmoke", 0x00F5F5F5},
    {u"window", SystemColor(5)},
    {u"windowframe", SystemColor(6)},
    {u"windowtext", SystemColor(8)},
    {u"yellow", 0x0000FFFF},
    {u"yellowgreen", 0x0032CD9A},
}};

bool FindColorName(std::u16string_view name, TColor& color) {
    auto it =
        std::lower_bound(kColorNames.begin(), kColorNames.end(), name,
                         [](const TColorName& c, std::u16string_view n) { return c.Name < n; });
    if (it == kColorNames.end() || it->Name != name)
        return false;
    color = it->Value;
    return true;
}

int HexDigit(char16_t c) {
    if (c >= u'0' && c <= u'9')
        return c - u'0';
    if (c >= u'a' && c <= u'f')
        return c - u'a' + 10;
    if (c >= u'A' && c <= u'F')
        return c - u'A' + 10;
    return -1;
}

int RgbPart(std::u16string_view part) {
    std::u16string p = Trim(part);
    int v = 0;
    std::size_t pct = p.find(u'%');
    if (pct != std::u16string::npos) {
        auto n = ReadNumber(std::u16string_view(p).substr(0, pct));
        v = n ? RoundHalfEven(*n * 2.55) : 0;
    } else {
        auto n = ReadInteger(p);
        v = n ? static_cast<int>(std::clamp<long long>(*n, -1, 256)) : 0;
    }
    return std::clamp(v, 0, 255);
}

bool ParseRgb(std::u16string_view t, TColor& color) {
    std::size_t at = t.find(u"rgb");
    std::u16string_view rest = t.substr(at + 3);
    std::size_t open = rest.find(u'(');
    std::size_t close = rest.find(u')', open == std::u16string_view::npos ? 0 : open);
    if (open == std::u16string_view::npos || close == std::u16string_view::npos)
        return false;
    std::u16string_view inner = rest.substr(open + 1, close - open - 1);
    std::u16string_view parts[3];
    std::size_t c1 = inner.find(u',');
    if (c1 == std::u16string_view::npos) {
        parts[0] = inner;
    } else {
        parts[0] = inner.substr(0, c1);
        std::size_t c2 = inner.find(u',', c1 + 1);
        if (c2 == std::u16string_view::npos) {
            parts[1] = inner.substr(c1 + 1);
        } else {
            parts[1] = inner.substr(c1 + 1, c2 - c1 - 1);
            parts[2] = inner.substr(c2 + 1);
        }
    }
    color = RGBColor(RgbPart(parts[0]), RgbPart(parts[1]), RgbPart(parts[2]));
    return true;
}

bool ParseHex(std::u16string_view t, bool needHash, TColor& color) {
    std::size_t hash = t.rfind(u'#');
    if (hash == std::u16string_view::npos) {
        if (needHash)
            return false;
    } else {
        t = t.substr(hash + 1);
    }
    std::u16string rest = Trim(t);
    if (rest.empty())
        return false;
    if (rest.size() <= 3) {
        std::u16string doubled;
        for (char16_t c : rest)
            doubled.append(2, c);
        rest = doubled;
    }
    std::uint32_t v = 0;
    for (char16_t c : rest) {
        int d = HexDigit(c);
        if (d < 0)
            return false;
        v = (v << 4) | static_cast<std::uint32_t>(d); // bits above the red byte fall away
    }
    color = RGBColor((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF) | PaletteFlag();
    return true;
}

// The last successful call. The answer for a text without "#" depends on needHash, so the flag
// is part of the key.
struct TColorCache {
    bool Valid{false};
    std::u16string Text;
    bool NeedHash{false};
    TColor Color{clNone};
};
thread_local TColorCache gLastColor;

} // namespace

TColor PaletteFlag() {
    static const TColor flag = FontServices().ScreenBitsPerPixel() <= 8 ? 0x02000000 : 0;
    return flag;
}

bool ParseColor(std::u16string_view text, bool needHash, TColor& color) {
    if (text.empty())
        return false;
    std::u16string t = LowerCase(Trim(text));
    if (gLastColor.Valid && gLastColor.Text == t && gLastColor.NeedHash == needHash) {
        color = gLastColor.Color;
        return true;
    }
    TColor c = clNone;
    bool ok = false;
    bool isName = false;
    if ((t.empty() || t.front() != u'#') && !Contains(t, u"rgb("))
        isName = FindColorName(t, c);
    if (isName)
        ok = true;
    else if (Contains(t, u"rgb"))
        ok = ParseRgb(t, c);
    else
        ok = ParseHex(t, needHash, c);
    if (!ok)
        return false;
    gLastColor = {true, t, needHash, c};
    color = c;
    return true;
}

std::size_t ColorNameCount() {
    return kColorNames.size();
}

bool ColorNamesSorted() {
    return std::is_sorted(kColorNames.begin(), kColorNames.end(),
                          [](const TColorName& a, const TColorName& b) { return a.Name < b.Name; });
}

} // namespace html
