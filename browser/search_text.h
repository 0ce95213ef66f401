#pragma once
// Text folding for the search list. Every UTF-16 unit folds to one byte, so that folded copies
// of the store's texts stay compact, keep the positions of the original text, and a query word
// is found in them with plain byte searches.
//
// The folded alphabet: ASCII with letters in upper case; Cyrillic А-Я at 0xC0-0xDF (the
// windows-1251 positions) with "Ё" read as "Е"; the other Cyrillic letters of the 0x400 block
// at 0x80-0x8F. Anything else the search cannot tell apart becomes an unknown byte, and the
// text and the query use different unknown bytes, so that an unknown character matches nothing.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace mkb::browser {

constexpr unsigned char FoldedUnknownInText = 0x01;
constexpr unsigned char FoldedUnknownInQuery = 0x02;

// How a text is folded: names by case and "ё" only; codes also read the Cyrillic letters that
// look like Latin ones (А В С Е Н К М О Р Т Х) as those Latin letters.
enum class TFoldKind { fkName, fkCode };
using enum TFoldKind;

unsigned char FoldChar(char16_t c, TFoldKind kind);
// A byte of a record's 8-bit (windows-1251) code, folded as a code.
unsigned char FoldCodeByte(unsigned char byte);
// Writes the folded text, text.size() bytes, to out.
void FoldInto(char* out, std::u16string_view text, TFoldKind kind);
// Appends the folded text to out.
void AppendFolded(std::string& out, std::u16string_view text, TFoldKind kind);
// A query word, with unknown characters as FoldedUnknownInQuery.
std::string FoldQueryWord(std::u16string_view word, TFoldKind kind);
// Letters and digits: what a word is made of.
constexpr bool IsWordByte(unsigned char b) {
    return (b >= 'A' && b <= 'Z') || (b >= '0' && b <= '9') || (b >= 0x80 && b <= 0x8F) ||
           b >= 0xC0;
}

// Calls word(start, end) for each run of word bytes in a folded text.
template <class F> void ForEachWord(std::string_view text, F&& word) {
    for (std::size_t i = 0; i < text.size();) {
        if (!IsWordByte(static_cast<unsigned char>(text[i]))) {
            ++i;
            continue;
        }
        std::size_t end = i;
        while (end < text.size() && IsWordByte(static_cast<unsigned char>(text[end])))
            ++end;
        word(i, end);
        i = end;
    }
}

// The query's words: separated by spaces (and other characters up to 32), empty ones dropped.
std::vector<std::u16string_view> QueryWords(std::u16string_view query);

// The same keys read in the other keyboard layout: a text with a Latin letter is read from
// QWERTY into ЙЦУКЕН (punctuation keys included: "[" gives "х", "." gives "ю"), any other text
// from ЙЦУКЕН into QWERTY (letters only, so that a typed full stop stays one).
std::u16string SwapKeyboardLayout(std::u16string_view text);

// A run of characters to emphasise in a row's text.
struct TTextSpan {
    std::size_t Start{0};
    std::size_t Length{0};
    friend bool operator==(const TTextSpan&, const TTextSpan&) = default;
};

// The runs sorted, overlapping and touching runs merged.
std::vector<TTextSpan> MergeSpans(std::vector<TTextSpan> spans);

} // namespace mkb::browser
