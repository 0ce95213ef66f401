#include "html/style/styleparser.h"

#include "html/text/htmlcolors.h"
#include "html/text/htmlstrings.h"

#include <vector>

namespace html {

namespace {

bool IsColorProperty(int i) {
    return i == Color || i == BackgroundColor || i == BorderColor ||
           (i >= BorderTopColor && i <= BorderLeftColor);
}

// Words separated by white space, quotes and parentheses kept together.
std::vector<std::u16string> Words(std::u16string_view s) {
    std::vector<std::u16string> words;
    std::u16string cur;
    int depth = 0;
    char16_t quote = 0;
    for (char16_t c : s) {
        if (quote) {
            cur += c;
            if (c == quote)
                quote = 0;
            continue;
        }
        if (c == u'"' || c == u'\'')
            quote = c;
        else if (c == u'(')
            ++depth;
        else if (c == u')' && depth > 0)
            --depth;
        if (c <= 32 && depth == 0) {
            if (!cur.empty())
                words.push_back(cur);
            cur.clear();
        } else {
            cur += c;
        }
    }
    if (!cur.empty())
        words.push_back(cur);
    return words;
}

bool SetOne(TProperties& r, int index, const std::u16string& value) {
    if (value.empty())
        return false;
    if (IsColorProperty(index)) {
        TColor c;
        if (!ParseColor(value, false, c))
            return false;
        r.Values[index] = TPropValue::Color(c);
        return true;
    }
    const std::u16string lower = LowerCase(value);
    switch (index) {
    case FontFamily:
    case BackgroundImage:
    case ListStyleImage:
        r.Values[index] = value;
        return true;
    case Visibility:
        if (lower == u"hidden")
            r.Values[index] = 1;
        else if (lower == u"visible")
            r.Values[index] = 2;
        else
            return false;
        return true;
    case TextTransform:
        if (lower == u"none")
            r.Values[index] = 0;
        else if (lower == u"uppercase")
            r.Values[index] = 1;
        else if (lower == u"lowercase")
            r.Values[index] = 2;
        else if (lower == u"capitalize")
            r.Values[index] = 3;
        else
            return false;
        return true;
    default:
        r.Values[index] = lower;
        return true;
    }
}

// One to four values for top, right, bottom and left, as CSS spreads them.
bool SetFour(TProperties& r, int top, const std::vector<std::u16string>& w) {
    if (w.empty() || w.size() > 4)
        return false;
    static constexpr int kFrom[4][4] = {{0, 0, 0, 0}, {0, 1, 0, 1}, {0, 1, 2, 1}, {0, 1, 2, 3}};
    bool any = false;
    for (int side = 0; side < 4; ++side)
        any |= SetOne(r, top + side, w[kFrom[w.size() - 1][side]]);
    return any;
}

bool IsBorderStyleWord(const std::u16string& w) {
    return BorderStyleCode(w) != bssNone || LowerCase(w) == u"none";
}

} // namespace

bool ApplyDeclaration(TProperties& r, std::u16string_view name, std::u16string_view rawValue) {
    const std::u16string prop = LowerCase(Trim(name));
    std::u16string value = Trim(rawValue);
    std::size_t bang = value.find(u'!');
    if (bang != std::u16string::npos)
        value = Trim(std::u16string_view(value).substr(0, bang));
    if (value.empty())
        return false;
    for (int i = 0; i < PropertyCount; ++i)
        if (prop == PropertyNames[i]) {
            if (i == BorderStyle || i == BorderColor) {
                // Both the element's own border and its four sides.
                SetOne(r, i, Words(value).empty() ? value : Words(value)[0]);
                return SetFour(r, i == BorderStyle ? BorderTopStyle : BorderTopColor, Words(value));
            }
            return SetOne(r, i, value);
        }
    const std::vector<std::u16string> w = Words(value);
    if (prop == u"margin")
        return SetFour(r, MarginTop, w);
    if (prop == u"padding")
        return SetFour(r, PaddingTop, w);
    if (prop == u"border-width")
        return SetFour(r, BorderTopWidth, w);
    if (prop == u"background") {
        for (const std::u16string& word : w)
            if (SetOne(r, BackgroundColor, word))
                return true;
        return false;
    }
    static constexpr std::u16string_view kSides[] = {u"border-top", u"border-right",
                                                     u"border-bottom", u"border-left"};
    int first = -1, last = -1;
    if (prop == u"border") {
        first = 0;
        last = 3;
    }
    for (int s = 0; s < 4; ++s)
        if (prop == kSides[s])
            first = last = s;
    if (first < 0)
        return false;
    bool any = false;
    for (const std::u16string& word : w) {
        for (int s = first; s <= last; ++s) {
            if (IsBorderStyleWord(word))
                any |= SetOne(r, BorderTopStyle + s, word);
            else if (SplitNumberUnit(word).HasNumber || LowerCase(word) == u"thin" ||
                     LowerCase(word) == u"medium" || LowerCase(word) == u"thick")
                any |= SetOne(r, BorderTopWidth + s, word);
            else
                any |= SetOne(r, BorderTopColor + s, word);
        }
        if (prop == u"border" && IsBorderStyleWord(word))
            SetOne(r, BorderStyle, word);
    }
    return any;
}

std::unique_ptr<TProperties> ParseStyleDeclarations(std::u16string_view text) {
    auto record = std::make_unique<TProperties>();
    std::size_t start = 0;
    char16_t quote = 0;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        char16_t c = i < text.size() ? text[i] : u';';
        if (quote) {
            if (c == quote)
                quote = 0;
            if (i < text.size())
                continue;
        } else if (c == u'"' || c == u'\'') {
            quote = c;
            continue;
        }
        if (c != u';')
            continue;
        std::u16string_view decl = text.substr(start, i - start);
        start = i + 1;
        std::size_t colon = decl.find(u':');
        if (colon != std::u16string_view::npos)
            ApplyDeclaration(*record, decl.substr(0, colon), decl.substr(colon + 1));
    }
    return record;
}

} // namespace html
