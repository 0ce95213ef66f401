#include "browser/search_index.h"

#include "browser/records.h"
#include "browser/search_text.h"

#include <algorithm>
#include <cstring>

namespace {

bool IsCodeShape(std::string_view code) {
    return code.size() >= 2 &&
           ((code[0] >= 'A' && code[0] <= 'Z') || (code[0] >= 'a' && code[0] <= 'z')) &&
           code[1] >= '0' && code[1] <= '9';
}

std::string_view TrimBytes(std::string_view s) {
    while (!s.empty() && static_cast<unsigned char>(s.front()) <= 32)
        s.remove_prefix(1);
    while (!s.empty() && static_cast<unsigned char>(s.back()) <= 32)
        s.remove_suffix(1);
    return s;
}

// A dual-coded pair's mark ("†", windows-1251 0x86, or "*") is not typed as part of the code.
std::string_view WithoutMark(std::string_view code) {
    if (!code.empty() && (code.back() == '\x86' || code.back() == '*'))
        code.remove_suffix(1);
    return code;
}

// Where a trailing range such as "(A00-A09)" begins in a folded name, or the name's length.
std::size_t RangeStart(std::string_view name) {
    if (name.empty() || name.back() != ')')
        return name.size();
    const std::size_t open = name.rfind('(');
    if (open == std::string_view::npos)
        return name.size();
    const std::string_view inside = name.substr(open);
    return inside.find_first_of("0123456789") != std::string_view::npos ? open : name.size();
}

// Frequencies from the start of a text are enough to pick a rare byte to look for.
constexpr std::size_t FrequencySample = 64 * 1024;

} // namespace

std::string_view TSearchIndex::TFoldedTexts::Of(std::size_t record) const {
    return std::string_view(Bytes).substr(Start[record], Start[record + 1] - Start[record] - 1);
}

void TSearchIndex::TFoldedTexts::CountFrequencies() {
    const std::size_t n = std::min(Bytes.size(), FrequencySample);
    for (std::size_t i = 0; i < n; ++i)
        ++Frequency[static_cast<unsigned char>(Bytes[i])];
}

template <class F>
void TSearchIndex::TFoldedTexts::FindAll(std::string_view needle, F&& found) const {
    const std::size_t m = needle.size();
    if (m == 0 || Bytes.size() < m || Start.size() < 2)
        return;
    const auto* pattern = reinterpret_cast<const unsigned char*>(needle.data());
    // memchr, which scans many bytes at a time, looks for the needle's rarest byte; the second
    // rarest is checked before the whole needle is compared.
    std::size_t a = 0;
    for (std::size_t i = 1; i < m; ++i)
        if (Frequency[pattern[i]] < Frequency[pattern[a]])
            a = i;
    std::size_t b = a;
    for (std::size_t i = 0; i < m; ++i)
        if (i != a && (b == a || Frequency[pattern[i]] < Frequency[pattern[b]]))
            b = i;
    const auto* base = reinterpret_cast<const unsigned char*>(Bytes.data());
    const unsigned char* end = base + Bytes.size();
    std::size_t record = 0;
    for (const unsigned char* p = base + a; p < end; ++p) {
        p = static_cast<const unsigned char*>(
            std::memchr(p, pattern[a], static_cast<std::size_t>(end - p)));
        if (p == nullptr)
            break;
        const unsigned char* s = p - a;
        if (static_cast<std::size_t>(end - s) < m || s[b] != pattern[b] ||
            std::memcmp(s, pattern, m) != 0)
            continue;
        // The texts are separated by a zero byte, which no needle holds: the occurrence lies
        // inside one record's text, found from the ascending positions by a forward search.
        const auto at = static_cast<std::uint32_t>(s - base);
        if (Start[record + 1] <= at)
            record = static_cast<std::size_t>(
                std::upper_bound(Start.begin() + static_cast<std::ptrdiff_t>(record) + 1,
                                 Start.end(), at) -
                Start.begin() - 1);
        found(record, at - Start[record]);
    }
}

TSearchIndex::TSearchIndex(std::span<const TMKBRec> store) : Store(store) {
    const std::size_t n = store.size();
    Kinds.resize(n);
    WordsEnd.resize(n);
    Facts.assign(n, 0);
    Stamp.assign(n, 0);
    Best.assign(n, mgNone);
    Begins.assign(n, 0);
    for (TFoldedTexts* t : {&Names, &Codes, &DotlessCodes})
        t->Start.resize(n + 1);

    std::array<unsigned char, 256> codeFold;
    for (int b = 0; b < 256; ++b)
        codeFold[static_cast<std::size_t>(b)] = FoldCodeByte(static_cast<unsigned char>(b));
    // One pass over the records, which are large: the names are folded into a buffer that grows
    // as it must (a little copying costs less than reading the records twice). The names lie
    // scattered over the heap between the notes; reading them is mostly waiting for memory,
    // unless it is asked for a few records ahead.
    constexpr std::size_t PrefetchDistance = 8;
    constexpr std::size_t TypicalNameBytes = 48;
    Names.Bytes.resize(n * TypicalNameBytes);
    std::size_t at = 0;
    int minId = 0, maxId = 0;
    std::vector<int> ids(n);
    for (std::size_t i = 0; i < n; ++i) {
        const TMKBRec& rec = store[i];
        if (i + PrefetchDistance < n)
            __builtin_prefetch(store[i + PrefetchDistance].name.data());
        const std::string_view code = WithoutMark(TrimBytes(rec.code));
        Kinds[i] = code.empty() ? rkBlock : IsCodeShape(code) ? rkCoded : rkClass;
        Codes.Start[i] = static_cast<std::uint32_t>(Codes.Bytes.size());
        DotlessCodes.Start[i] = static_cast<std::uint32_t>(DotlessCodes.Bytes.size());
        for (char c : code) {
            const char folded = static_cast<char>(codeFold[static_cast<unsigned char>(c)]);
            Codes.Bytes.push_back(folded);
            if (c != '.')
                DotlessCodes.Bytes.push_back(folded);
        }
        Codes.Bytes.push_back('\0');
        DotlessCodes.Bytes.push_back('\0');

        const std::u16string_view name = TrimText(rec.name);
        if (at + name.size() + 1 > Names.Bytes.size())
            Names.Bytes.resize(std::max(2 * Names.Bytes.size(), at + name.size() + 1));
        char* out = Names.Bytes.data() + at;
        Names.Start[i] = static_cast<std::uint32_t>(at);
        FoldInto(out, name, fkName);
        WordsEnd[i] = static_cast<std::uint32_t>(
            Kinds[i] == rkCoded ? name.size() : RangeStart(std::string_view(out, name.size())));
        at += name.size();
        Names.Bytes[at++] = '\0';

        ids[i] = rec.id;
        if (i == 0 || rec.id < minId)
            minId = rec.id;
        if (i == 0 || rec.id > maxId)
            maxId = rec.id;
    }
    Names.Bytes.resize(at);
    for (TFoldedTexts* t : {&Names, &Codes, &DotlessCodes}) {
        t->Start[n] = static_cast<std::uint32_t>(t->Bytes.size());
        t->CountFrequencies();
    }

    // Ids of the shipped data are dense; a sparse set goes without the table.
    if (n > 0 &&
        static_cast<std::int64_t>(maxId) - minId < static_cast<std::int64_t>(n) * 4 + 1024) {
        FirstId = minId;
        IndexById.assign(static_cast<std::size_t>(maxId - minId + 1), -1);
        for (std::size_t i = 0; i < n; ++i) {
            int& slot = IndexById[static_cast<std::size_t>(ids[i] - minId)];
            if (slot < 0)
                slot = static_cast<int>(i);
        }
    }
}

std::uint8_t TSearchIndex::NameFacts(int record) const {
    std::uint8_t& facts = Facts[static_cast<std::size_t>(record)];
    if (facts & KnownFacts)
        return facts;
    // "неуточненный", "не уточненный как ...", "без уточнения": the words that make a record the
    // general member of its family add nothing specific to it.
    static const std::string stem = FoldQueryWord(u"уточн", fkName);
    static const std::string unspecified = FoldQueryWord(u"неуточн", fkName);
    static const std::string no = FoldQueryWord(u"не", fkName);
    static const std::string without = FoldQueryWord(u"без", fkName);
    const std::string_view name = Names.Of(static_cast<std::size_t>(record));
    int words = 0, free = 0;
    std::string_view previous;
    for (std::size_t i = 0; i < name.size();) {
        if (!IsWordByte(static_cast<unsigned char>(name[i]))) {
            ++i;
            continue;
        }
        std::size_t end = i;
        while (end < name.size() && IsWordByte(static_cast<unsigned char>(name[end])))
            ++end;
        const std::string_view word = name.substr(i, end - i);
        ++words;
        if (word.starts_with(unspecified))
            ++free;
        else if (word.starts_with(stem) && (previous == no || previous == without))
            free += 2;
        previous = word;
        i = end;
    }
    facts = static_cast<std::uint8_t>(KnownFacts | (free > 0 ? UnspecifiedFact : 0) |
                                      std::min(words - free, int{WordCountFacts}));
    return facts;
}

int TSearchIndex::CodeLength(int record) const {
    return static_cast<int>(DotlessCodes.Of(static_cast<std::size_t>(record)).size());
}

int TSearchIndex::NameLength(int record) const {
    return static_cast<int>(Names.Of(static_cast<std::size_t>(record)).size());
}

TMatchGroup TSearchIndex::NameGroup(std::size_t record, std::size_t at, std::size_t length) const {
    if (at + length > WordsEnd[record])
        return mgElsewhere;
    const std::string_view name = Names.Of(record);
    const bool starts = at == 0 || !IsWordByte(static_cast<unsigned char>(name[at - 1]));
    if (!starts)
        return mgElsewhere;
    const bool ends =
        at + length == name.size() || !IsWordByte(static_cast<unsigned char>(name[at + length]));
    return ends ? mgWholeWord : mgWordStart;
}

namespace {

TMatchGroup CodeGroup(std::string_view code, std::string_view word) {
    const std::size_t at = code.find(word);
    if (at == std::string_view::npos)
        return mgNone;
    if (at != 0)
        return mgElsewhere;
    return code.size() == word.size() ? mgCodeEquals : mgCodeStarts;
}

} // namespace

TMatchGroup TSearchIndex::MatchInRecord(std::size_t record, const std::string& codeWord,
                                        const std::string& nameWord, bool& begins) const {
    TMatchGroup group = CodeGroup(Codes.Of(record), codeWord);
    if (codeWord.find('.') == std::string::npos)
        group = std::min(group, CodeGroup(DotlessCodes.Of(record), codeWord));
    const std::string_view name = Names.Of(record);
    for (std::size_t at = name.find(nameWord); at != std::string_view::npos;
         at = name.find(nameWord, at + 1)) {
        begins = begins || at == 0;
        group = std::min(group, NameGroup(record, at, nameWord.size()));
        if (group <= mgWholeWord)
            break;
    }
    return group;
}

void TSearchIndex::MatchFirstWord(std::u16string_view word) {
    if (++CurrentStamp == 0) {
        std::fill(Stamp.begin(), Stamp.end(), 0);
        CurrentStamp = 1;
    }
    const std::uint32_t stamp = CurrentStamp;
    auto note = [&](std::size_t record, TMatchGroup group, bool begins) {
        if (Stamp[record] != stamp) {
            Stamp[record] = stamp;
            Best[record] = group;
            Begins[record] = begins;
        } else {
            Best[record] = std::min(Best[record], group);
            Begins[record] = Begins[record] || begins;
        }
    };
    const std::string codeWord = FoldQueryWord(word, fkCode);
    auto codeHit = [&](const TFoldedTexts& texts) {
        return [&](std::size_t record, std::size_t at) {
            const bool whole = texts.Of(record).size() == codeWord.size();
            note(record, at != 0 ? mgElsewhere : whole ? mgCodeEquals : mgCodeStarts, false);
        };
    };
    Codes.FindAll(codeWord, codeHit(Codes));
    if (codeWord.find('.') == std::string::npos)
        DotlessCodes.FindAll(codeWord, codeHit(DotlessCodes));
    const std::string nameWord = FoldQueryWord(word, fkName);
    Names.FindAll(nameWord, [&](std::size_t record, std::size_t at) {
        note(record, NameGroup(record, at, nameWord.size()), at == 0);
    });
}

std::vector<TSearchMatch> TSearchIndex::Match(std::u16string_view query) {
    std::vector<std::u16string_view> words = QueryWords(query);
    std::vector<TSearchMatch> matches;
    if (words.empty())
        return matches;
    // The longest word first: it leaves the fewest candidates for the others.
    std::stable_sort(words.begin(), words.end(),
                     [](auto a, auto b) { return a.size() > b.size(); });
    MatchFirstWord(words[0]);
    for (std::size_t i = 0; i < Stamp.size(); ++i)
        if (Stamp[i] == CurrentStamp)
            matches.push_back({static_cast<int>(i), Best[i], Begins[i] != 0});
    for (std::size_t w = 1; w < words.size() && !matches.empty(); ++w) {
        const std::string codeWord = FoldQueryWord(words[w], fkCode);
        const std::string nameWord = FoldQueryWord(words[w], fkName);
        std::size_t kept = 0;
        for (TSearchMatch& m : matches) {
            bool begins = false;
            const TMatchGroup group =
                MatchInRecord(static_cast<std::size_t>(m.Record), codeWord, nameWord, begins);
            if (group == mgNone)
                continue;
            m.Group = std::max(m.Group, group);
            m.NameBegins = m.NameBegins || begins;
            matches[kept++] = m;
        }
        matches.resize(kept);
    }
    return matches;
}

int TSearchIndex::ParentIndex(int record) const {
    const int parent = Store[static_cast<std::size_t>(record)].parent_id;
    if (parent == -1)
        return -1;
    if (!IndexById.empty()) {
        const std::int64_t slot = static_cast<std::int64_t>(parent) - FirstId;
        if (slot < 0 || slot >= static_cast<std::int64_t>(IndexById.size()))
            return -1;
        return IndexById[static_cast<std::size_t>(slot)];
    }
    for (std::size_t i = 0; i < Store.size(); ++i)
        if (Store[i].id == parent)
            return static_cast<int>(i);
    return -1;
}

std::u16string TSearchIndex::EnclosingRange(int record) const {
    // Bounded, so that a parent cycle in damaged data cannot loop for ever.
    int p = ParentIndex(record);
    for (std::size_t steps = 0; p >= 0 && p != record && steps < Store.size(); ++steps) {
        const auto i = static_cast<std::size_t>(p);
        if (Kinds[i] != rkCoded && WordsEnd[i] < Names.Of(i).size())
            return std::u16string(TrimText(Store[i].name).substr(WordsEnd[i]));
        p = ParentIndex(p);
    }
    return {};
}
