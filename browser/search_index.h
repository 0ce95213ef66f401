#pragma once
// Folded copies of the store's codes and names, made once, and the matching of a query against
// them. A query is read into units: its words, and the terms of the table (search_terms.h)
// that its words spell. A record matches a unit when the unit's word occurs in
// its code or name, as itself or in another form of the word, or when the record lies under a
// term's target; how well decides the record's group (search_rank.h orders the groups). One rule
// serves the matching, the ranking and the emphasis of the list's rows (UnitSpans).
#include "browser/search_terms.h"
#include "browser/search_text.h"
#include "browser/search_vocabulary.h"
#include "data/mkbrecs.h"
#include "data/recindex.h"

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace mkb::browser {

// How well a query matches a record, best first. With several units, a record takes the group of
// its weakest.
enum class TMatchGroup : std::uint8_t {
    mgCodeEquals = 1, // the record's code is the word (with or without its dot)
    mgCodeStarts,     // the code starts with it
    mgTerm,           // the record is, or lies under, what a term of the table stands for
    mgWholeWord,      // the name holds it as a whole word
    mgWordStart,      // a word of the name starts with it
    mgWordForm,       // the name holds another form of the word
    mgElsewhere,      // anywhere else in the code or the name, the range of a block or class too
    mgNone,
};
using enum TMatchGroup;

struct TSearchMatch {
    int Record{0};
    TMatchGroup Group{mgNone};
    bool NameBegins{false};    // the name begins with one of the words
    std::uint16_t TermRank{0}; // in mgTerm: the place of the record's target in the term's row
};

// One thing the query asks for: a word, or a term that one or more of its words spell.
struct TQueryUnit {
    std::u16string Text;              // as typed
    std::string CodeWord, NameWord;   // a word folded as a code and as a name
    std::vector<std::uint32_t> Forms; // vocabulary ids of the word's other forms, ascending
    int Term{-1};                     // the term's row in the table
    std::vector<TQueryUnit> Parts;    // a term's words, which also match as words
    bool Optional{false};             // a short function word, which no record must hold
};

struct TQueryPlan {
    std::vector<TQueryUnit> Units;
    int Required() const;
};

class TSearchIndex {
public:
    // Over the store's record index, which must outlive this; or over an index of its own.
    explicit TSearchIndex(const TRecordIndex& records);
    explicit TSearchIndex(std::span<const TMKBRec> store);

    int Size() const { return static_cast<int>(Kinds.size()); }

    // The query read into units; the table's terms are found among its words.
    TQueryPlan Plan(std::u16string_view query) const;
    // Every record that matches every unit the plan requires, in store order.
    std::vector<TSearchMatch> Match(const TQueryPlan& plan);
    std::vector<TSearchMatch> Match(std::u16string_view query) { return Match(Plan(query)); }
    // Every record that matches the unit, in store order.
    std::vector<TSearchMatch> MatchUnit(const TQueryUnit& unit);
    // Forgets the words' matches remembered from earlier queries (for measuring cold ones).
    void ForgetWords() { WordMatches.clear(); }
    // A word of five letters or more that matches nothing, read as the nearest title word: that
    // word in lower case, or empty when none is near.
    std::u16string NearestWord(const TQueryUnit& unit);

    // Where a unit occurs in a record's row text (code, a space, the name; codeLength characters
    // of code as the row shows it), by the same rule as the matching.
    std::vector<TTextSpan> UnitSpans(const TQueryUnit& unit, int record,
                                     std::size_t codeLength) const;
    // The runs of the row to emphasise for the whole plan: sorted, overlapping runs merged.
    std::vector<TTextSpan> MatchSpans(const TQueryPlan& plan, int record,
                                      std::size_t codeLength) const;
    // The record is, or lies under, a target of the unit's term.
    bool ByTerm(const TQueryUnit& unit, int record) const;

    // The table of terms and the targets that name no record of the store ("строка N: X").
    const std::vector<TSearchTerm>& Terms() const { return TermRows; }
    std::vector<std::u16string> UnresolvedTargets() const;

    // What the ranking asks of a record.
    bool HasCode(int record) const { return Kinds[static_cast<std::size_t>(record)] == rkCoded; }
    // Characters of the code without its dot: more for a more specific record.
    int CodeLength(int record) const;
    int NameLength(int record) const;
    // The name says the record is the unspecified one of its family ("неуточненный").
    bool Unspecified(int record) const { return NameFacts(record) & UnspecifiedFact; }
    // The words of the name, those that only say "unspecified" not counted.
    int NameWords(int record) const { return NameFacts(record) & WordCountFacts; }
    // The category a record belongs to (itself for a category, a block or a class): a category
    // and its subcategories are listed together.
    int Family(int record) const { return FamilyHead[static_cast<std::size_t>(record)]; }
    // The range of the block or class the record lies in, "(A00-A09)" for A01.1; empty for a
    // class.
    std::u16string EnclosingRange(int record) const;

private:
    enum TRecordKind : std::uint8_t { rkCoded, rkBlock, rkClass };

    // A folded text per record, separated by a zero byte, and where each record's text starts.
    struct TFoldedTexts {
        std::string Bytes;
        std::vector<std::uint32_t> Start; // one more than there are records
        std::array<std::uint32_t, 256> Frequency{};
        std::string_view Of(std::size_t record) const;
        // Calls found(record, position in its text) for every occurrence, in order, until it
        // returns false (when it returns a bool).
        template <class F> void FindAll(std::string_view needle, F&& found) const;
        bool Contains(std::string_view needle) const;
        void CountFrequencies();
    };

    // Per-record scratch of one unit's matching, told apart from older ones by a stamp.
    void NewStamp();
    void Note(std::size_t record, TMatchGroup group, bool begins, std::uint16_t termRank = 0);
    std::vector<TSearchMatch> Noted() const;

    void MatchWordEverywhere(const TQueryUnit& unit);
    bool MatchesAnything(const TQueryUnit& unit) const;
    // How many records the unit may match, roughly, to choose the unit to start with.
    std::size_t Candidates(const TQueryUnit& unit) const;
    TMatchGroup MatchInRecord(const TQueryUnit& unit, std::size_t record, bool& begins,
                              std::uint16_t& termRank) const;
    TMatchGroup WordInRecord(const TQueryUnit& unit, std::size_t record, bool& begins) const;
    TMatchGroup NameGroup(std::size_t record, std::size_t at, std::size_t length) const;
    int ParentIndex(int record) const;
    void ReadTerms();
    // The record a target of the table names, -1 for none.
    int TargetRecord(std::u16string_view target) const;
    // The records a term stands for, in store order, with the place of their target.
    const std::vector<std::pair<int, std::uint16_t>>& TermRecords(int term) const;

    void Make();

    std::unique_ptr<TRecordIndex> OwnRecords;
    const TRecordIndex* Records;
    std::span<const TMKBRec> Store;
    TFoldedTexts Codes, DotlessCodes, Names;
    // The vocabulary's words as folded texts, by word id: a word of the query occurs in a name
    // only inside one of them, and they are a tenth of the names' size.
    TFoldedTexts TitleWords;
    std::vector<int> RangeRecords; // blocks and classes, whose ranges no title word holds
    std::vector<TRecordKind> Kinds;
    // Where the range of a block or class begins in its folded name; the name's length for
    // others (a match inside the range counts as mgElsewhere).
    std::vector<std::uint32_t> WordsEnd;
    // What the ranking asks of a name, found out the first time it asks, so that the index is
    // made without reading every name twice: known, unspecified, the word count (up to 63).
    static constexpr std::uint8_t KnownFacts = 0x80, UnspecifiedFact = 0x40, WordCountFacts = 0x3F;
    std::uint8_t NameFacts(int record) const;
    mutable std::vector<std::uint8_t> Facts;

    std::vector<int> FamilyHead;

    TTitleVocabulary Vocabulary;
    std::vector<TSearchTerm> TermRows;
    std::vector<std::vector<std::string>> TermShared; // each term word's SharedStem
    mutable std::vector<std::vector<std::pair<int, std::uint16_t>>> TermSets;
    mutable std::vector<bool> TermSetMade;

    // The matches of the words asked for lately, by their folded forms.
    static constexpr std::size_t RememberedWords = 32;
    std::unordered_map<std::string, std::vector<TSearchMatch>> WordMatches;

    std::vector<std::uint32_t> Stamp;
    std::vector<TMatchGroup> Best;
    std::vector<std::uint8_t> Begins;
    std::vector<std::uint16_t> TermRanks;
    std::uint32_t CurrentStamp{0};
};

} // namespace mkb::browser
