#pragma once
// UTF-16 and UTF-8 with one rule for what is not well-formed: a lone surrogate, in either
// direction, becomes U+FFFD, and so does every byte that starts no well-formed UTF-8 sequence
// (a stray continuation byte, a sequence cut short, an overlong form, an encoded surrogate, a
// value above U+10FFFF). Well-formed text makes the round trip unchanged.
#include <cstddef>
#include <string>
#include <string_view>

namespace mkb::text {

inline constexpr char32_t ReplacementChar = 0xFFFD;

std::string Utf16ToUtf8(std::u16string_view text);
std::u16string Utf8ToUtf16(std::string_view bytes);

// The code point at bytes[pos] (pos < size), moving pos past it; a byte that starts no
// well-formed sequence gives U+FFFD and moves pos by one.
char32_t NextUtf8(std::string_view bytes, std::size_t& pos);

// Appends c in UTF-8; a surrogate or a value above U+10FFFF appends U+FFFD.
void AppendUtf8(std::string& out, char32_t c);

} // namespace mkb::text
