#pragma once
// 8-bit code pages to and from UTF-16.
#include "text/codepages.h" // AppendCp1251, the loader's hot path

#include <string>
#include <string_view>

// The platform's narrow (ANSI) code page: this program is made for a Russian desktop, so
// 8-bit text without a declared code page is windows-1251 everywhere in it.
constexpr int NarrowCodePage = 1251;

// Decodes 8-bit text of the given Windows code page number. 1251 and 1252 are table-driven,
// 65001 (UTF-8) follows text/utf.h; other pages go through iconv, and bytes it cannot decode
// become U+FFFD.
std::u16string DecodeCodePage(std::string_view bytes, int codePage);

// Encodes UTF-16 text into the code page; characters it lacks become '?' (in UTF-8, a lone
// surrogate becomes U+FFFD).
std::string EncodeCodePage(std::u16string_view text, int codePage);

// The code pages that the numbers 0, 1 and 2 stand for (the narrow, OEM and Macintosh pages of a
// Russian desktop); DecodeCodePage and EncodeCodePage accept these numbers too.
constexpr int OemCodePage = 866;
constexpr int MacCodePage = 10007;

// The code page of a font character set number, or fallback for a number without one.
int CharSetCodePage(int charSet, int fallback);

// The byte of c in the narrow code page; false when the page has no such character.
bool EncodeNarrowChar(char16_t c, unsigned char& byte);
