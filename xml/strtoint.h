#pragma once
// The runtime's integer syntax: an optional sign, then decimal digits, or hexadecimal digits
// after "$", "x", "X", "0x" or "0X". Nothing else is accepted, not even surrounding blanks.
#include <cstdint>
#include <string_view>

inline bool TryStrToInt(std::string_view s, std::int32_t& value) {
    std::size_t i = 0;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        negative = s[i] == '-';
        ++i;
    }
    bool hex = false;
    if (i < s.size() && (s[i] == '$' || s[i] == 'x' || s[i] == 'X')) {
        hex = true;
        ++i;
    } else if (i + 1 < s.size() && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
        hex = true;
        i += 2;
    }
    if (i >= s.size())
        return false;
    std::uint64_t v = 0;
    for (; i < s.size(); ++i) {
        char c = s[i];
        int d;
        if (c >= '0' && c <= '9')
            d = c - '0';
        else if (hex && c >= 'a' && c <= 'f')
            d = c - 'a' + 10;
        else if (hex && c >= 'A' && c <= 'F')
            d = c - 'A' + 10;
        else
            return false;
        v = v * (hex ? 16 : 10) + static_cast<std::uint64_t>(d);
        // Hexadecimal takes the full 32 bits (so $FFFFFFFF is -1); decimal must fit the range.
        if (v > (hex ? 0xFFFFFFFFull : 0x80000000ull))
            return false;
    }
    if (hex) {
        auto bits = static_cast<std::uint32_t>(v);
        value = static_cast<std::int32_t>(negative ? 0u - bits : bits);
        return true;
    }
    if (!negative && v > 0x7FFFFFFFull)
        return false;
    value = negative ? static_cast<std::int32_t>(-static_cast<std::int64_t>(v))
                     : static_cast<std::int32_t>(v);
    return true;
}
