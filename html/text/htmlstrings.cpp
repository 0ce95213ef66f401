#include "html/text/htmlstrings.h"

#include <climits>
#include <cmath>

namespace html {

char16_t LowerChar(char16_t c) {
    if (c < 0x80)
        return (c >= u'A' && c <= u'Z') ? c + 32 : c;
    if ((c >= 0xC0 && c <= 0xDE && c != 0xD7) || (c >= 0x391 && c <= 0x3AB && c != 0x3A2) ||
        (c >= 0x410 && c <= 0x42F))
        return c + 32;
    if (c >= 0x400 && c <= 0x40F)
        return c + 80;
    return c;
}

std::u16string LowerCase(std::u16string_view s) {
    std::u16string r(s);
    for (char16_t& c : r)
        c = LowerChar(c);
    return r;
}

std::u16string Trim(std::u16string_view s) {
    std::size_t b = 0, e = s.size();
    while (b < e && s[b] <= 32)
        ++b;
    while (e > b && s[e - 1] <= 32)
        --e;
    return std::u16string(s.substr(b, e - b));
}

bool SameText(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (LowerChar(a[i]) != LowerChar(b[i]))
            return false;
    return true;
}

bool Contains(std::u16string_view s, std::u16string_view part) {
    return s.find(part) != std::u16string_view::npos;
}

std::u16string U16(std::string_view ascii) {
    return std::u16string(ascii.begin(), ascii.end());
}

std::string Narrow(std::u16string_view s) {
    std::string r;
    for (char16_t c : s)
        r.push_back(c < 0x80 ? static_cast<char>(c) : '?');
    return r;
}

namespace {

// Length of the decimal number at the start of s (0 when none) and its value.
std::size_t ScanNumber(std::u16string_view s, double& value) {
    std::size_t i = 0;
    bool negative = false;
    if (i < s.size() && (s[i] == u'+' || s[i] == u'-')) {
        negative = s[i] == u'-';
        ++i;
    }
    double v = 0;
    int digits = 0;
    while (i < s.size() && s[i] >= u'0' && s[i] <= u'9') {
        v = v * 10 + (s[i] - u'0');
        ++i;
        ++digits;
    }
    if (i < s.size() && s[i] == u'.') {
        std::size_t j = i + 1;
        double scale = 0.1;
        int frac = 0;
        while (j < s.size() && s[j] >= u'0' && s[j] <= u'9') {
            v += (s[j] - u'0') * scale;
            scale /= 10;
            ++j;
            ++frac;
        }
        if (digits + frac > 0) {
            i = j;
            digits += frac;
        }
    }
    if (digits == 0)
        return 0;
    value = negative ? -v : v;
    return i;
}

} // namespace

TNumberUnit SplitNumberUnit(std::u16string_view text) {
    TNumberUnit r;
    std::u16string t = Trim(text);
    double v = 0;
    std::size_t n = ScanNumber(t, v);
    if (n > 0) {
        r.HasNumber = true;
        r.Number = v;
    }
    r.Unit = Trim(std::u16string_view(t).substr(n));
    return r;
}

std::optional<double> ReadNumber(std::u16string_view text) {
    std::u16string t = Trim(text);
    double v = 0;
    std::size_t n = ScanNumber(t, v);
    if (n == 0 || n != t.size())
        return std::nullopt;
    return v;
}

std::optional<long long> ReadInteger(std::u16string_view text) {
    std::u16string t = Trim(text);
    std::size_t i = 0;
    bool negative = false;
    if (i < t.size() && (t[i] == u'+' || t[i] == u'-')) {
        negative = t[i] == u'-';
        ++i;
    }
    if (i == t.size())
        return std::nullopt;
    long long v = 0;
    for (; i < t.size(); ++i) {
        if (t[i] < u'0' || t[i] > u'9')
            return std::nullopt;
        if (v > (LLONG_MAX - 9) / 10)
            return std::nullopt;
        v = v * 10 + (t[i] - u'0');
    }
    return negative ? -v : v;
}

int RoundHalfEven(double v) {
    if (std::isnan(v))
        return 0;
    double r = std::nearbyint(v);
    if (r >= static_cast<double>(INT_MAX))
        return INT_MAX;
    if (r <= static_cast<double>(INT_MIN))
        return INT_MIN;
    return static_cast<int>(r);
}

std::vector<std::u16string> SplitText(std::u16string_view s, char16_t sep) {
    std::vector<std::u16string> parts;
    std::size_t start = 0;
    for (;;) {
        std::size_t p = s.find(sep, start);
        if (p == std::u16string_view::npos) {
            parts.emplace_back(s.substr(start));
            return parts;
        }
        parts.emplace_back(s.substr(start, p - start));
        start = p + 1;
    }
}

} // namespace html
