#include "browser/search_words.h"

#include <libstemmer.h>

#include <algorithm>
#include <array>
#include <memory>

namespace mkb::browser {

namespace {

constexpr unsigned char FoldedA = 0xC0; // А; Я is 0xDF

bool IsFoldedCyrillic(unsigned char b) {
    return b >= FoldedA;
}

unsigned char Folded(char16_t lower) {
    return static_cast<unsigned char>(FoldedA + (lower - u'а'));
}

bool IsVowel(unsigned char b) {
    static constexpr std::u16string_view vowels = u"аеиоуыэюя";
    return IsFoldedCyrillic(b) &&
           vowels.find(static_cast<char16_t>(u'а' + (b - FoldedA))) != std::u16string_view::npos;
}

struct TStemmerDeleter {
    void operator()(sb_stemmer* s) const { sb_stemmer_delete(s); }
};

sb_stemmer* RussianStemmer() {
    static const std::unique_ptr<sb_stemmer, TStemmerDeleter> stemmer(
        sb_stemmer_new("russian", "UTF_8"));
    return stemmer.get();
}

} // namespace

bool IsCyrillicWord(std::string_view folded) {
    return !folded.empty() && std::all_of(folded.begin(), folded.end(), [](char c) {
        return IsFoldedCyrillic(static_cast<unsigned char>(c));
    });
}

std::size_t StemLength(std::string_view folded) {
    sb_stemmer* stemmer = RussianStemmer();
    if (stemmer == nullptr || !IsCyrillicWord(folded))
        return folded.size();
    // Lower-case UTF-8 for the stemmer: а-п are D0 B0-BF, р-я are D1 80-8F.
    std::string utf8;
    utf8.reserve(folded.size() * 2);
    for (char c : folded) {
        const int i = static_cast<unsigned char>(c) - FoldedA;
        utf8.push_back(static_cast<char>(i < 16 ? 0xD0 : 0xD1));
        utf8.push_back(static_cast<char>(i < 16 ? 0xB0 + i : 0x80 + i - 16));
    }
    const sb_symbol* stem = sb_stemmer_stem(
        stemmer, reinterpret_cast<const sb_symbol*>(utf8.data()), static_cast<int>(utf8.size()));
    if (stem == nullptr)
        return folded.size();
    // The stemmer only takes endings off, so its stem is the word's start.
    std::size_t length = std::min<std::size_t>(
        static_cast<std::size_t>(sb_stemmer_length(stemmer)) / 2, folded.size());
    // The stemmer reads a noun's "-ит" as a verb ending in the nominative alone (ГАСТРИТ gives
    // ГАСТР, ГАСТРИТА gives ГАСТРИТ): the inflammations keep it, so their forms meet again, and
    // КОЛИТ no longer shares КОЛ with КОЛЕНА.
    if (folded.substr(length).starts_with("\xC8\xD2")) // ИТ
        length += 2;
    return length;
}

std::string SharedStem(std::string_view stem) {
    std::string out;
    out.reserve(stem.size());
    for (char c : stem)
        if (static_cast<unsigned char>(c) != Folded(u'ь'))
            out.push_back(c);
    // A vowel between two consonants at the end drops in other forms of the word; only before
    // the consonants where Russian nouns do so, which keeps ЛЕЙКЕМ apart from ЛЕЙКОМ.
    static const std::string fleetingBefore = {
        static_cast<char>(Folded(u'к')), static_cast<char>(Folded(u'ц')),
        static_cast<char>(Folded(u'р')), static_cast<char>(Folded(u'л')),
        static_cast<char>(Folded(u'т'))};
    const std::size_t n = out.size();
    if (n >= 4 && fleetingBefore.find(out[n - 1]) != std::string::npos &&
        (static_cast<unsigned char>(out[n - 2]) == Folded(u'е') ||
         static_cast<unsigned char>(out[n - 2]) == Folded(u'о')) &&
        !IsVowel(static_cast<unsigned char>(out[n - 3])))
        out.erase(n - 2, 1);
    return out;
}

namespace {

std::string FoldLower(std::u16string_view word) {
    std::string out;
    for (char16_t c : word)
        out.push_back(static_cast<char>(Folded(c)));
    return out;
}

bool InList(std::string_view folded, std::initializer_list<std::u16string_view> list) {
    return std::any_of(list.begin(), list.end(),
                       [&](std::u16string_view w) { return FoldLower(w) == folded; });
}

} // namespace

bool CollidingStem(std::string_view stem) {
    // Found by listing the title words that share a stem of up to four letters: each of these
    // stems joins words of unrelated meaning (РАНА and РАННИЙ, КАЛ and КАЛИЙ, КОРЬ and КОРА,
    // БОЛЬ and БОЛЕЕ, ПОЛ and ПОЛЫЙ, ПАР and ПАРА, ПРИ and ПРИЕМ), or is a lone letter or a
    // particle's remains.
    static const std::array<std::string, 16> stems = [] {
        std::array<std::string, 16> s;
        const std::u16string_view words[] = {u"ран", u"кал", u"кор", u"бол", u"пол", u"пар",
                                             u"при", u"цел", u"мат", u"не",  u"ни",  u"де",
                                             u"об",  u"ним", u"них", u"ее"};
        for (std::size_t i = 0; i < s.size(); ++i)
            s[i] = FoldLower(words[i]);
        return s;
    }();
    return stem.size() < 2 || std::find(stems.begin(), stems.end(), stem) != stems.end();
}

bool IsFunctionWord(std::string_view folded) {
    return folded.size() <= 3 &&
           InList(folded, {u"с", u"и", u"в", u"на", u"при", u"без", u"от", u"до", u"или", u"не",
                           u"со", u"во", u"к", u"по", u"за", u"из", u"у", u"о", u"об"});
}

} // namespace mkb::browser
