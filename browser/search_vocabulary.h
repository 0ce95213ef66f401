#pragma once
// The words of the titles, each once: which records hold it, how the word's forms are found
// (search_words.h) and which title word a slip of the keyboard most likely meant. Made once with
// the search index; stems are worked out on demand, a few hundred words at a time, so that the
// first query does not stem the whole vocabulary.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace mkb::browser {

class TTitleVocabulary {
public:
    // texts: each record's folded name, of which the first wordsEnd[record] bytes hold words.
    void Build(std::span<const std::string_view> texts, std::span<const std::uint32_t> wordsEnd);

    int Size() const { return static_cast<int>(Words.size()); }
    // Every word of the titles is here (a store of too many distinct words leaves some out).
    bool Complete() const { return Whole; }
    std::string_view Word(int id) const { return Words[static_cast<std::size_t>(id)]; }
    // The id of a folded word, -1 when no title holds it.
    int Find(std::string_view word) const;
    // How many records hold the word.
    int Frequency(int id) const;
    // The records that hold the word, ascending.
    std::span<const std::uint32_t> Records(int id) const;
    // The words of a record, each once.
    std::span<const std::uint32_t> WordsOf(std::size_t record) const;

    // The title words that are forms of the folded query word: those that start with its stem
    // when the stem is long enough, and those whose stem is the same word's. Ascending ids.
    std::vector<std::uint32_t> FormsOf(std::string_view word) const;
    // The most frequent title word within maxEdits of the word (a letter inserted, dropped,
    // replaced, or two neighbours swapped), -1 when there is none.
    int Nearest(std::string_view word, int maxEdits) const;

private:
    // The words that begin with the same two bytes, and each one's SharedStem ("" where the
    // stem says nothing): words whose stems are alike never differ in their first two letters.
    struct TBucket {
        std::uint32_t First{0}, Last{0};
        std::vector<std::string> Shared;
    };
    const TBucket& StemmedBucket(std::string_view word) const;

    std::string Text; // the words, one after another
    bool Whole{true};
    std::vector<std::string_view> Words;
    std::vector<std::uint32_t> RecordStart, RecordWords; // record -> word ids
    std::vector<std::uint32_t> PostStart, Posts;         // word id -> records
    // By the first two bytes, stemmed when a query first needs them.
    mutable std::unordered_map<std::uint16_t, TBucket> Buckets;
};

} // namespace mkb::browser
