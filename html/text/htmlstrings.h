#pragma once
// Small text helpers of the viewer: case mapping, trimming and the reading of numbers in the
// lenient way HTML and style values are written.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace html {

// Lower case for ASCII, Latin-1, Greek and Cyrillic letters; everything else unchanged.
char16_t LowerChar(char16_t c);
std::u16string LowerCase(std::u16string_view s);
// ASCII upper case only, as tag and attribute names are compared.
constexpr char16_t UpperAscii(char16_t c) {
    return (c >= u'a' && c <= u'z') ? c - 32 : c;
}

// Removes leading and trailing characters with codes up to 32.
std::u16string Trim(std::u16string_view s);
bool SameText(std::u16string_view a, std::u16string_view b); // case-insensitive
bool Contains(std::u16string_view s, std::u16string_view part);
std::u16string U16(std::string_view ascii);
std::string Narrow(std::u16string_view s); // ASCII-ish display form, for messages and tests

// A text split into a leading decimal number and the rest. The number is the longest prefix
// that reads as a decimal number (sign, digits, one point) and ends before the first "e", so
// "1.2em" is 1.2 and "em". Unit is the trimmed rest.
struct TNumberUnit {
    bool HasNumber{false};
    double Number{0};
    std::u16string Unit;
};
TNumberUnit SplitNumberUnit(std::u16string_view text);

// The whole (trimmed) text as a decimal number, or nothing.
std::optional<double> ReadNumber(std::u16string_view text);
// The whole (trimmed) text as an integer, or nothing.
std::optional<long long> ReadInteger(std::u16string_view text);

// Rounds to the nearest integer, halves to even, clamped to the int range (NaN gives 0).
int RoundHalfEven(double v);

std::vector<std::u16string> SplitText(std::u16string_view s, char16_t sep);

} // namespace html
