#pragma once
// 8-bit code pages to and from UTF-16.
#include <string>
#include <string_view>

// The platform's narrow (ANSI) code page: this program is made for a Russian desktop, so
// 8-bit text without a declared code page is windows-1251 everywhere in it.
constexpr int NarrowCodePage = 1251;

// Decodes 8-bit text of the given Windows code page number. 1251 and 1252 are table-driven;
// other pages go through iconv, and bytes it cannot decode become U+FFFD.
std::u16string DecodeCodePage(std::string_view bytes, int codePage);

// Encodes UTF-16 text into the code page; characters it lacks become '?'.
std::string EncodeCodePage(std::u16string_view text, int codePage);

// Appends the decoded windows-1251 bytes to out (the loader's hot path).
void AppendCp1251(std::u16string& out, std::string_view bytes);
