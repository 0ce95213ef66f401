#include "browser/search_text.h"

#include "text/codepages.h"

#include <algorithm>
#include <array>

namespace mkb::browser {

using namespace mkb::text;

namespace {

using TFoldTable = std::array<unsigned char, 0x10000>;

const TFoldTable& NameFold() {
    static const TFoldTable table = [] {
        TFoldTable t;
        t.fill(FoldedUnknownInText);
        for (char16_t c = 1; c < 0x80; ++c)
            t[c] = static_cast<unsigned char>(c >= u'a' && c <= u'z' ? c - 0x20 : c);
        // Control characters only separate words, as no query word holds one.
        for (char16_t c = 1; c < 32; ++c)
            t[c] = ' ';
        for (char16_t c = 0; c < 32; ++c) {
            t[0x0410 + c] = static_cast<unsigned char>(0xC0 + c);
            t[0x0430 + c] = static_cast<unsigned char>(0xC0 + c);
        }
        for (char16_t c = 0; c < 16; ++c) {
            t[0x0400 + c] = static_cast<unsigned char>(0x80 + c);
            t[0x0450 + c] = static_cast<unsigned char>(0x80 + c);
        }
        t[0x0401] = t[0x0451] = 0xC5; // Ё is Е
        // Punctuation of the printed edition that has a plain equivalent.
        t[0x00A0] = ' ';
        t[0x2013] = t[0x2014] = '-';
        t[0x00AB] = t[0x00BB] = t[0x201C] = t[0x201D] = t[0x201E] = '"';
        t[0x2018] = t[0x2019] = '\'';
        t[0x2116] = 0xB9; // №
        return t;
    }();
    return table;
}

// Cyrillic letters that look like Latin ones, read as those in codes.
const std::array<unsigned char, 256>& LookAlikes() {
    static const std::array<unsigned char, 256> table = [] {
        std::array<unsigned char, 256> t;
        for (int i = 0; i < 256; ++i)
            t[i] = static_cast<unsigned char>(i);
        const char* latin = "ABCEHKMOPTX";
        const unsigned char cyrillic[] = {0xC0, 0xC2, 0xD1, 0xC5, 0xCD, 0xCA,
                                          0xCC, 0xCE, 0xD0, 0xD2, 0xD5};
        for (int i = 0; i < 11; ++i)
            t[cyrillic[i]] = static_cast<unsigned char>(latin[i]);
        return t;
    }();
    return table;
}

const std::array<unsigned char, 256>& CodeByteFold() {
    static const std::array<unsigned char, 256> table = [] {
        std::array<unsigned char, 256> t;
        for (int b = 0; b < 256; ++b)
            t[b] = FoldChar(Cp1251Char(static_cast<unsigned char>(b)), fkCode);
        return t;
    }();
    return table;
}

// The keys of a US and a Russian keyboard, unshifted and shifted, in the same order.
constexpr std::u16string_view LatinKeys =
    u"`qwertyuiop[]asdfghjkl;'zxcvbnm,./~QWERTYUIOP{}ASDFGHJKL:\"ZXCVBNM<>?";
constexpr std::u16string_view CyrillicKeys =
    u"ёйцукенгшщзхъфывапролджэячсмитьбю.ЁЙЦУКЕНГШЩЗХЪФЫВАПРОЛДЖЭЯЧСМИТЬБЮ,";

bool IsLatinLetter(char16_t c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

bool IsCyrillicLetter(char16_t c) {
    return c >= 0x0400 && c <= 0x045F;
}

} // namespace

unsigned char FoldChar(char16_t c, TFoldKind kind) {
    const unsigned char folded = NameFold()[c];
    return kind == fkCode ? LookAlikes()[folded] : folded;
}

unsigned char FoldCodeByte(unsigned char byte) {
    return CodeByteFold()[byte];
}

void FoldInto(char* out, std::u16string_view text, TFoldKind kind) {
    const TFoldTable& table = NameFold();
    if (kind == fkName) {
        for (char16_t c : text)
            *out++ = static_cast<char>(table[c]);
    } else {
        const auto& look = LookAlikes();
        for (char16_t c : text)
            *out++ = static_cast<char>(look[table[c]]);
    }
}

void AppendFolded(std::string& out, std::u16string_view text, TFoldKind kind) {
    const std::size_t at = out.size();
    out.resize(at + text.size());
    FoldInto(out.data() + at, text, kind);
}

std::string FoldQueryWord(std::u16string_view word, TFoldKind kind) {
    std::string out;
    AppendFolded(out, word, kind);
    for (char& b : out)
        if (static_cast<unsigned char>(b) == FoldedUnknownInText)
            b = static_cast<char>(FoldedUnknownInQuery);
    return out;
}

std::vector<std::u16string_view> QueryWords(std::u16string_view query) {
    std::vector<std::u16string_view> words;
    std::size_t i = 0;
    while (i < query.size()) {
        while (i < query.size() && query[i] <= 32)
            ++i;
        const std::size_t start = i;
        while (i < query.size() && query[i] > 32)
            ++i;
        if (i > start)
            words.push_back(query.substr(start, i - start));
    }
    return words;
}

std::u16string SwapKeyboardLayout(std::u16string_view text) {
    const bool fromLatin = std::any_of(text.begin(), text.end(), IsLatinLetter);
    const std::u16string_view from = fromLatin ? LatinKeys : CyrillicKeys;
    const std::u16string_view to = fromLatin ? CyrillicKeys : LatinKeys;
    std::u16string out(text);
    for (char16_t& c : out) {
        if (!fromLatin && !IsCyrillicLetter(c))
            continue;
        const std::size_t at = from.find(c);
        if (at != std::u16string_view::npos)
            c = to[at];
    }
    return out;
}

std::vector<TTextSpan> MergeSpans(std::vector<TTextSpan> spans) {
    std::sort(spans.begin(), spans.end(),
              [](const TTextSpan& a, const TTextSpan& b) { return a.Start < b.Start; });
    std::vector<TTextSpan> merged;
    for (const TTextSpan& s : spans) {
        if (!merged.empty() && s.Start <= merged.back().Start + merged.back().Length) {
            TTextSpan& last = merged.back();
            last.Length = std::max(last.Start + last.Length, s.Start + s.Length) - last.Start;
        } else {
            merged.push_back(s);
        }
    }
    return merged;
}

} // namespace mkb::browser
