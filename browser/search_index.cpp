#include "browser/search_index.h"

#include "browser/records.h"
#include "browser/search_text.h"
#include "browser/search_words.h"

#include <algorithm>
#include <cstring>
#include <numeric>
#include <type_traits>

namespace mkb::browser {

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
        if constexpr (std::is_same_v<decltype(found(record, std::size_t{0})), bool>) {
            if (!found(record, at - Start[record]))
                return;
        } else {
            found(record, at - Start[record]);
        }
    }
}

bool TSearchIndex::TFoldedTexts::Contains(std::string_view needle) const {
    bool any = false;
    FindAll(needle, [&](std::size_t, std::size_t) { return !(any = true); });
    return any;
}

TSearchIndex::TSearchIndex(std::span<const TMKBRec> store)
    : OwnRecords(std::make_unique<TRecordIndex>(store)), Records(OwnRecords.get()), Store(store) {
    Make();
}

TSearchIndex::TSearchIndex(const TRecordIndex& records)
    : Records(&records), Store(records.Store()) {
    Make();
}

void TSearchIndex::Make() {
    const std::size_t n = Store.size();
    Kinds.resize(n);
    WordsEnd.resize(n);
    Facts.assign(n, 0);
    Stamp.assign(n, 0);
    Best.assign(n, mgNone);
    Begins.assign(n, 0);
    TermRanks.assign(n, 0);
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
    for (std::size_t i = 0; i < n; ++i) {
        const TMKBRec& rec = Store[i];
        if (i + PrefetchDistance < n)
            __builtin_prefetch(Store[i + PrefetchDistance].name.data());
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
    }
    Names.Bytes.resize(at);
    for (TFoldedTexts* t : {&Names, &Codes, &DotlessCodes}) {
        t->Start[n] = static_cast<std::uint32_t>(t->Bytes.size());
        t->CountFrequencies();
    }

    // The category each coded record belongs to.
    FamilyHead.resize(n);
    std::vector<int> parents(n);
    for (std::size_t i = 0; i < n; ++i)
        parents[i] = ParentIndex(static_cast<int>(i));
    for (std::size_t i = 0; i < n; ++i) {
        int head = static_cast<int>(i);
        // Bounded, so that a parent cycle in damaged data cannot loop for ever.
        for (int steps = 0; Kinds[i] == rkCoded && steps < 8; ++steps) {
            const int p = parents[static_cast<std::size_t>(head)];
            if (p < 0 || p == head || Kinds[static_cast<std::size_t>(p)] != rkCoded)
                break;
            head = p;
        }
        FamilyHead[i] = head;
    }

    std::vector<std::string_view> names(n);
    for (std::size_t i = 0; i < n; ++i)
        names[i] = Names.Of(i);
    Vocabulary.Build(names, WordsEnd);
    TitleWords.Start.resize(static_cast<std::size_t>(Vocabulary.Size()) + 1);
    for (int id = 0; id < Vocabulary.Size(); ++id) {
        TitleWords.Start[static_cast<std::size_t>(id)] =
            static_cast<std::uint32_t>(TitleWords.Bytes.size());
        TitleWords.Bytes += Vocabulary.Word(id);
        TitleWords.Bytes.push_back('\0');
    }
    TitleWords.Start.back() = static_cast<std::uint32_t>(TitleWords.Bytes.size());
    TitleWords.CountFrequencies();
    for (std::size_t i = 0; i < n; ++i)
        if (WordsEnd[i] < Names.Of(i).size())
            RangeRecords.push_back(static_cast<int>(i));
    ReadTerms();
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
    ForEachWord(name, [&](std::size_t i, std::size_t end) {
        const std::string_view word = name.substr(i, end - i);
        ++words;
        if (word.starts_with(unspecified))
            ++free;
        else if (word.starts_with(stem) && (previous == no || previous == without))
            free += 2;
        previous = word;
    });
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

void TSearchIndex::ReadTerms() {
    std::vector<std::u16string> errors;
    TermRows = ParseSearchTerms(::SearchTermsText(), errors);
    TermShared.clear();
    for (const TSearchTerm& term : TermRows) {
        std::vector<std::string>& shared = TermShared.emplace_back();
        for (std::size_t w = 0; w < term.Words.size(); ++w) {
            const std::string_view word = term.Words[w];
            const std::string_view stem = word.substr(0, StemLength(word));
            shared.push_back(term.Exact[w] || CollidingStem(stem) ? std::string()
                                                                  : SharedStem(stem));
        }
    }
    TermSets.assign(TermRows.size(), {});
    TermSetMade.assign(TermRows.size(), false);
}

int TSearchIndex::TargetRecord(std::u16string_view target) const {
    int found = -1;
    if (target.find(u'-') != std::u16string_view::npos) {
        // A range names the block or class whose name ends with it in parentheses.
        const std::string range = "(" + FoldQueryWord(target, fkCode) + ")";
        Names.FindAll(range, [&](std::size_t record, std::size_t at) {
            if (found < 0 && Kinds[record] != rkCoded && at == WordsEnd[record] &&
                at + range.size() == Names.Of(record).size())
                found = static_cast<int>(record);
        });
        return found;
    }
    const std::string code = FoldQueryWord(target, fkCode);
    Codes.FindAll(code, [&](std::size_t record, std::size_t at) {
        if (found < 0 && at == 0 && Codes.Of(record).size() == code.size() &&
            Kinds[record] == rkCoded)
            found = static_cast<int>(record);
    });
    return found;
}

std::vector<std::u16string> TSearchIndex::UnresolvedTargets() const {
    std::vector<std::u16string> missing;
    for (const TSearchTerm& term : TermRows)
        for (const std::u16string& target : term.Targets)
            if (TargetRecord(target) < 0) {
                const std::string line = std::to_string(term.Line);
                missing.push_back(u"строка " + std::u16string(line.begin(), line.end()) + u": " +
                                  term.Text + u" → " + target);
            }
    return missing;
}

const std::vector<std::pair<int, std::uint16_t>>& TSearchIndex::TermRecords(int term) const {
    const auto t = static_cast<std::size_t>(term);
    std::vector<std::pair<int, std::uint16_t>>& set = TermSets[t];
    if (TermSetMade[t])
        return set;
    TermSetMade[t] = true;
    const std::vector<std::u16string>& targets = TermRows[t].Targets;
    for (std::size_t k = 0; k < targets.size(); ++k) {
        const int root = TargetRecord(targets[k]);
        if (root < 0)
            continue;
        const auto rank = static_cast<std::uint16_t>(std::min<std::size_t>(k, 0xFFFF));
        // The target and everything below it; the walk counts its steps against damaged data.
        std::vector<int> stack = {root};
        for (std::size_t steps = 0; !stack.empty() && steps < Store.size(); ++steps) {
            const int r = stack.back();
            stack.pop_back();
            set.emplace_back(r, rank);
            for (int c : Records->Children(Store[static_cast<std::size_t>(r)].id))
                stack.push_back(c);
        }
    }
    // Store order; a record under two targets keeps the earlier one's place.
    std::sort(set.begin(), set.end());
    set.erase(std::unique(set.begin(), set.end(),
                          [](const auto& a, const auto& b) { return a.first == b.first; }),
              set.end());
    return set;
}

bool TSearchIndex::ByTerm(const TQueryUnit& unit, int record) const {
    if (unit.Term < 0)
        return false;
    const auto& set = TermRecords(unit.Term);
    const auto it =
        std::lower_bound(set.begin(), set.end(), std::pair<int, std::uint16_t>(record, 0));
    return it != set.end() && it->first == record;
}

int TQueryPlan::Required() const {
    int n = 0;
    for (const TQueryUnit& u : Units)
        n += !u.Optional;
    return n;
}

namespace {

// The letters and digits of a folded word, without the punctuation around them.
std::string_view WordCore(std::string_view folded) {
    while (!folded.empty() && !IsWordByte(static_cast<unsigned char>(folded.front())))
        folded.remove_prefix(1);
    while (!folded.empty() && !IsWordByte(static_cast<unsigned char>(folded.back())))
        folded.remove_suffix(1);
    return folded;
}

bool IsLetterWord(std::string_view folded) {
    return !folded.empty() && std::all_of(folded.begin(), folded.end(), [](char c) {
        const auto b = static_cast<unsigned char>(c);
        return (b >= 'A' && b <= 'Z') || b >= 0xC0;
    });
}

} // namespace

TQueryPlan TSearchIndex::Plan(std::u16string_view query) const {
    const std::vector<std::u16string_view> words = QueryWords(query);
    std::vector<std::string> cores, shared;
    for (std::u16string_view w : words) {
        const std::string folded = FoldQueryWord(w, fkName);
        const std::string_view core = WordCore(folded);
        cores.emplace_back(core);
        const std::string_view stem = core.substr(0, StemLength(core));
        shared.push_back(IsCyrillicWord(core) && !CollidingStem(stem) ? SharedStem(stem)
                                                                      : std::string());
    }
    auto wordUnit = [&](std::size_t i) {
        TQueryUnit unit;
        unit.Text = std::u16string(words[i]);
        unit.CodeWord = FoldQueryWord(words[i], fkCode);
        unit.NameWord = FoldQueryWord(words[i], fkName);
        unit.Forms = Vocabulary.FormsOf(cores[i]);
        unit.Optional = IsFunctionWord(cores[i]);
        return unit;
    };

    TQueryPlan plan;
    for (std::size_t i = 0; i < words.size();) {
        // The longest term of the table that the words from here spell, the earlier row first.
        int term = -1;
        std::size_t length = 0;
        for (std::size_t t = 0; t < TermRows.size(); ++t) {
            const std::vector<std::string>& termWords = TermRows[t].Words;
            if (termWords.size() <= length || termWords.size() > words.size() - i)
                continue;
            bool spelled = true;
            for (std::size_t w = 0; w < termWords.size() && spelled; ++w)
                spelled = termWords[w] == cores[i + w] ||
                          (!TermShared[t][w].empty() && TermShared[t][w] == shared[i + w]);
            if (spelled) {
                term = static_cast<int>(t);
                length = termWords.size();
            }
        }
        if (term < 0) {
            plan.Units.push_back(wordUnit(i++));
            continue;
        }
        TQueryUnit unit;
        unit.Term = term;
        for (std::size_t w = i; w < i + length; ++w) {
            unit.Text += (w > i ? u" " : u"") + std::u16string(words[w]);
            unit.Parts.push_back(wordUnit(w));
        }
        plan.Units.push_back(std::move(unit));
        i += length;
    }
    // A query of function words alone asks for them.
    if (plan.Required() == 0)
        for (TQueryUnit& u : plan.Units)
            u.Optional = false;
    return plan;
}

void TSearchIndex::NewStamp() {
    if (++CurrentStamp == 0) {
        std::fill(Stamp.begin(), Stamp.end(), 0);
        CurrentStamp = 1;
    }
}

void TSearchIndex::Note(std::size_t record, TMatchGroup group, bool begins,
                        std::uint16_t termRank) {
    if (Stamp[record] != CurrentStamp) {
        Stamp[record] = CurrentStamp;
        Best[record] = group;
        Begins[record] = begins;
        TermRanks[record] = termRank;
    } else {
        if (group < Best[record])
            TermRanks[record] = termRank;
        Best[record] = std::min(Best[record], group);
        Begins[record] = Begins[record] || begins;
    }
}

std::vector<TSearchMatch> TSearchIndex::Noted() const {
    std::vector<TSearchMatch> matches;
    for (std::size_t i = 0; i < Stamp.size(); ++i)
        if (Stamp[i] == CurrentStamp)
            matches.push_back({static_cast<int>(i), Best[i], Begins[i] != 0, TermRanks[i]});
    return matches;
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

TMatchGroup TSearchIndex::WordInRecord(const TQueryUnit& unit, std::size_t record,
                                       bool& begins) const {
    TMatchGroup group = CodeGroup(Codes.Of(record), unit.CodeWord);
    if (unit.CodeWord.find('.') == std::string::npos)
        group = std::min(group, CodeGroup(DotlessCodes.Of(record), unit.CodeWord));
    const std::string_view name = Names.Of(record);
    for (std::size_t at = name.find(unit.NameWord); at != std::string_view::npos;
         at = name.find(unit.NameWord, at + 1)) {
        begins = begins || at == 0;
        group = std::min(group, NameGroup(record, at, unit.NameWord.size()));
        if (group <= mgWholeWord)
            break;
    }
    if (group > mgWordForm && !unit.Forms.empty())
        for (std::uint32_t id : Vocabulary.WordsOf(record))
            if (std::binary_search(unit.Forms.begin(), unit.Forms.end(), id))
                return mgWordForm;
    return group;
}

TMatchGroup TSearchIndex::MatchInRecord(const TQueryUnit& unit, std::size_t record, bool& begins,
                                        std::uint16_t& termRank) const {
    if (unit.Term < 0)
        return WordInRecord(unit, record, begins);
    TMatchGroup words = mgNone;
    for (const TQueryUnit& part : unit.Parts) {
        if (part.Optional)
            continue;
        const TMatchGroup g = WordInRecord(part, record, begins);
        words = words == mgNone || g == mgNone ? (g == mgNone ? mgNone : g) : std::max(words, g);
        if (g == mgNone)
            break;
    }
    const auto& set = TermRecords(unit.Term);
    const auto it = std::lower_bound(set.begin(), set.end(),
                                     std::pair<int, std::uint16_t>(static_cast<int>(record), 0));
    if (it != set.end() && it->first == static_cast<int>(record)) {
        termRank = it->second;
        return std::min(words, mgTerm);
    }
    return words;
}

void TSearchIndex::MatchWordEverywhere(const TQueryUnit& unit) {
    const std::string& codeWord = unit.CodeWord;
    auto codeHit = [&](const TFoldedTexts& texts) {
        return [&](std::size_t record, std::size_t at) {
            const bool whole = texts.Of(record).size() == codeWord.size();
            Note(record, at != 0 ? mgElsewhere : whole ? mgCodeEquals : mgCodeStarts, false);
        };
    };
    Codes.FindAll(codeWord, codeHit(Codes));
    if (codeWord.find('.') == std::string::npos)
        DotlessCodes.FindAll(codeWord, codeHit(DotlessCodes));
    const std::string& nameWord = unit.NameWord;
    const bool wordBytes =
        !nameWord.empty() && std::all_of(nameWord.begin(), nameWord.end(), [](char c) {
            return IsWordByte(static_cast<unsigned char>(c));
        });
    if (!wordBytes || !Vocabulary.Complete()) {
        Names.FindAll(nameWord, [&](std::size_t record, std::size_t at) {
            Note(record, NameGroup(record, at, nameWord.size()), at == 0);
        });
    } else {
        // Made of letters and digits only, the word occurs in a name inside one title word:
        // the title words are searched, and their records noted, as NameGroup would group them.
        TitleWords.FindAll(nameWord, [&](std::size_t id, std::size_t at) {
            const int word = static_cast<int>(id);
            const TMatchGroup group = at != 0 ? mgElsewhere
                                      : Vocabulary.Word(word).size() == nameWord.size()
                                          ? mgWholeWord
                                          : mgWordStart;
            for (std::uint32_t record : Vocabulary.Records(word)) {
                const auto words = Vocabulary.WordsOf(record);
                const std::string_view name = Names.Of(record);
                const bool begins = at == 0 && words.front() == id && !name.empty() &&
                                    IsWordByte(static_cast<unsigned char>(name.front()));
                Note(record, group, begins);
            }
        });
        for (int r : RangeRecords) {
            const auto R = static_cast<std::size_t>(r);
            if (Names.Of(R).substr(WordsEnd[R]).find(nameWord) != std::string_view::npos)
                Note(R, mgElsewhere, false);
        }
    }
    for (std::uint32_t id : unit.Forms)
        for (std::uint32_t record : Vocabulary.Records(static_cast<int>(id)))
            Note(record, mgWordForm, false);
}

namespace {

std::string WordKey(const TQueryUnit& unit) {
    return unit.NameWord + '\0' + unit.CodeWord;
}

} // namespace

std::vector<TSearchMatch> TSearchIndex::MatchUnit(const TQueryUnit& unit) {
    if (unit.Term < 0) {
        // A query asks for a word more than once (to start its matching, to look for slips, for
        // the records holding most words), and typing asks again for the words before the last.
        const std::string key = WordKey(unit);
        if (const auto it = WordMatches.find(key); it != WordMatches.end())
            return it->second;
        NewStamp();
        MatchWordEverywhere(unit);
        if (WordMatches.size() >= RememberedWords)
            WordMatches.clear();
        return WordMatches.emplace(key, Noted()).first->second;
    }
    // The term's records, and the records that hold its words as words.
    TQueryPlan parts;
    parts.Units = unit.Parts;
    std::vector<TSearchMatch> words = Match(parts);
    NewStamp();
    for (const TSearchMatch& m : words)
        Note(static_cast<std::size_t>(m.Record), m.Group, m.NameBegins);
    for (const auto& [record, rank] : TermRecords(unit.Term))
        Note(static_cast<std::size_t>(record), mgTerm, false, rank);
    return Noted();
}

bool TSearchIndex::MatchesAnything(const TQueryUnit& unit) const {
    // Every form is a title word.
    if (const auto it = WordMatches.find(WordKey(unit)); it != WordMatches.end())
        return !it->second.empty();
    return unit.Term >= 0 || !unit.Forms.empty() || Names.Contains(unit.NameWord) ||
           Codes.Contains(unit.CodeWord) ||
           (unit.CodeWord.find('.') == std::string::npos && DotlessCodes.Contains(unit.CodeWord));
}

std::size_t TSearchIndex::Candidates(const TQueryUnit& unit) const {
    if (unit.Term >= 0)
        return TermRecords(unit.Term).size();
    // Only the forms' records are known without a search: a word without forms (a code, a short
    // or foreign word) is taken to be rare when it is long.
    if (unit.Forms.empty())
        return unit.NameWord.size() >= 3 ? 0 : Store.size();
    std::size_t n = 0;
    for (std::uint32_t id : unit.Forms)
        n += static_cast<std::size_t>(Vocabulary.Frequency(static_cast<int>(id)));
    return n;
}

std::vector<TSearchMatch> TSearchIndex::Match(const TQueryPlan& plan) {
    std::vector<const TQueryUnit*> units;
    for (const TQueryUnit& u : plan.Units)
        if (!u.Optional)
            units.push_back(&u);
    std::vector<TSearchMatch> matches;
    if (units.empty())
        return matches;
    // The unit likely to match fewest records first, then the longest word: the others are
    // checked only on what it leaves.
    std::vector<std::pair<std::size_t, const TQueryUnit*>> order;
    for (const TQueryUnit* u : units)
        order.emplace_back(Candidates(*u), u);
    std::stable_sort(order.begin(), order.end(), [](const auto& a, const auto& b) {
        if (a.first != b.first)
            return a.first < b.first;
        return a.second->NameWord.size() > b.second->NameWord.size();
    });
    for (std::size_t i = 0; i < order.size(); ++i)
        units[i] = order[i].second;
    matches = MatchUnit(*units[0]);
    for (std::size_t w = 1; w < units.size() && !matches.empty(); ++w) {
        std::size_t kept = 0;
        for (TSearchMatch& m : matches) {
            bool begins = false;
            std::uint16_t rank = 0;
            const TMatchGroup group =
                MatchInRecord(*units[w], static_cast<std::size_t>(m.Record), begins, rank);
            if (group == mgNone)
                continue;
            if (group > m.Group)
                m.TermRank = rank;
            m.Group = std::max(m.Group, group);
            m.NameBegins = m.NameBegins || begins;
            matches[kept++] = m;
        }
        matches.resize(kept);
    }
    return matches;
}

std::u16string TSearchIndex::NearestWord(const TQueryUnit& unit) {
    if (unit.Term >= 0 || unit.Optional)
        return {};
    const std::string_view core = WordCore(unit.NameWord);
    constexpr std::size_t ShortestSlip = 5, LongWord = 9;
    if (core.size() < ShortestSlip || core.size() != unit.NameWord.size() || !IsLetterWord(core) ||
        MatchesAnything(unit))
        return {};
    const int id = Vocabulary.Nearest(core, core.size() >= LongWord ? 2 : 1);
    if (id < 0)
        return {};
    std::u16string word;
    for (char c : Vocabulary.Word(id)) {
        const auto b = static_cast<unsigned char>(c);
        word.push_back(b >= 0xC0              ? static_cast<char16_t>(u'а' + (b - 0xC0))
                       : b >= 'A' && b <= 'Z' ? static_cast<char16_t>(b + 0x20)
                                              : static_cast<char16_t>(b));
    }
    return word;
}

std::vector<TTextSpan> TSearchIndex::UnitSpans(const TQueryUnit& unit, int record,
                                               std::size_t codeLength) const {
    std::vector<TTextSpan> spans;
    const auto r = static_cast<std::size_t>(record);
    if (unit.Term >= 0) {
        for (const TQueryUnit& part : unit.Parts)
            if (!part.Optional) {
                const std::vector<TTextSpan> more = UnitSpans(part, record, codeLength);
                spans.insert(spans.end(), more.begin(), more.end());
            }
        return spans;
    }
    auto addAll = [&](std::string_view hay, std::string_view needle, std::size_t offset) {
        if (needle.empty())
            return;
        for (std::size_t at = hay.find(needle); at != std::string_view::npos;
             at = hay.find(needle, at + 1))
            spans.push_back({offset + at, needle.size()});
    };
    // The code as folded here has no dual-coding mark, which the row shows after it.
    const std::string_view code = Codes.Of(r);
    const std::size_t before = spans.size();
    addAll(code, unit.CodeWord, 0);
    if (spans.size() == before && unit.CodeWord.find('.') == std::string::npos) {
        const std::string_view dotless = DotlessCodes.Of(r);
        std::vector<std::size_t> dotlessAt;
        for (std::size_t i = 0; i < code.size(); ++i)
            if (code[i] != '.')
                dotlessAt.push_back(i);
        for (std::size_t at = dotless.find(unit.CodeWord);
             !unit.CodeWord.empty() && at != std::string_view::npos;
             at = dotless.find(unit.CodeWord, at + 1)) {
            const std::size_t first = dotlessAt[at];
            const std::size_t last = dotlessAt[at + unit.CodeWord.size() - 1];
            spans.push_back({first, last + 1 - first});
        }
    }
    const std::size_t nameStart = codeLength == 0 ? 0 : codeLength + 1;
    const std::string_view name = Names.Of(r);
    addAll(name, unit.NameWord, nameStart);
    if (!unit.Forms.empty()) {
        const std::string_view words =
            name.substr(0, std::min<std::size_t>(WordsEnd[r], name.size()));
        ForEachWord(words, [&](std::size_t i, std::size_t end) {
            const int id = Vocabulary.Find(words.substr(i, end - i));
            if (id >= 0 && std::binary_search(unit.Forms.begin(), unit.Forms.end(),
                                              static_cast<std::uint32_t>(id)))
                spans.push_back({nameStart + i, end - i});
        });
    }
    return spans;
}

std::vector<TTextSpan> TSearchIndex::MatchSpans(const TQueryPlan& plan, int record,
                                                std::size_t codeLength) const {
    std::vector<TTextSpan> spans;
    for (const TQueryUnit& unit : plan.Units)
        if (!unit.Optional) {
            const std::vector<TTextSpan> more = UnitSpans(unit, record, codeLength);
            spans.insert(spans.end(), more.begin(), more.end());
        }
    return MergeSpans(std::move(spans));
}

int TSearchIndex::ParentIndex(int record) const {
    return Records->ParentOf(record);
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

} // namespace mkb::browser
