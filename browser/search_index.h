#pragma once
// Folded copies of the store's codes and names, made once, and the matching of a query's words
// against them. A record matches when every word occurs in its code or its name; how well each
// word occurs decides the record's group (search_rank.h orders the groups).
#include "data/mkbrecs.h"

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// How well a query matches a record, best first. With several words, a record takes the group of
// its weakest word.
enum class TMatchGroup : std::uint8_t {
    mgCodeEquals = 1, // the record's code is the word (with or without its dot)
    mgCodeStarts,     // the code starts with it
    mgWholeWord,      // the name holds it as a whole word
    mgWordStart,      // a word of the name starts with it
    mgElsewhere,      // anywhere else in the code or the name, the range of a block or class too
    mgNone,
};
using enum TMatchGroup;

struct TSearchMatch {
    int Record{0};
    TMatchGroup Group{mgNone};
    bool NameBegins{false}; // the name begins with one of the words
};

class TSearchIndex {
public:
    explicit TSearchIndex(std::span<const TMKBRec> store);

    int Size() const { return static_cast<int>(Kinds.size()); }
    // Every record that matches the query, in store order.
    std::vector<TSearchMatch> Match(std::u16string_view query);

    // What the ranking asks of a record.
    bool HasCode(int record) const { return Kinds[static_cast<std::size_t>(record)] == rkCoded; }
    // Characters of the code without its dot: more for a more specific record.
    int CodeLength(int record) const;
    int NameLength(int record) const;
    // The name says the record is the unspecified one of its family ("неуточненный").
    bool Unspecified(int record) const { return NameFacts(record) & UnspecifiedFact; }
    // The words of the name, those that only say "unspecified" not counted.
    int NameWords(int record) const { return NameFacts(record) & WordCountFacts; }
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
        // Calls found(record, position in its text) for every occurrence, in order.
        template <class F> void FindAll(std::string_view needle, F&& found) const;
        void CountFrequencies();
    };

    // Folds one word and records how well it occurs in each record: the whole store for the
    // first word, only the surviving candidates for the others.
    void MatchFirstWord(std::u16string_view word);
    TMatchGroup MatchInRecord(std::size_t record, const std::string& codeWord,
                              const std::string& nameWord, bool& begins) const;
    TMatchGroup NameGroup(std::size_t record, std::size_t at, std::size_t length) const;
    int ParentIndex(int record) const;

    std::span<const TMKBRec> Store;
    TFoldedTexts Codes, DotlessCodes, Names;
    std::vector<TRecordKind> Kinds;
    // Where the range of a block or class begins in its folded name; the name's length for
    // others (a match inside the range counts as mgElsewhere).
    std::vector<std::uint32_t> WordsEnd;
    // What the ranking asks of a name, found out the first time it asks, so that the index is
    // made without reading every name twice: known, unspecified, the word count (up to 63).
    static constexpr std::uint8_t KnownFacts = 0x80, UnspecifiedFact = 0x40, WordCountFacts = 0x3F;
    std::uint8_t NameFacts(int record) const;
    mutable std::vector<std::uint8_t> Facts;
    // Record index by id, for the walk to the enclosing block.
    std::vector<int> IndexById;
    int FirstId{0};

    // Per-record scratch of one match, told apart from older ones by a stamp.
    std::vector<std::uint32_t> Stamp;
    std::vector<TMatchGroup> Best;
    std::vector<std::uint8_t> Begins;
    std::uint32_t CurrentStamp{0};
};
