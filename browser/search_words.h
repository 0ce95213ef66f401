#pragma once
// How the search reads a Russian word: its stem (Snowball's Russian stemmer), the stem with a
// fleeting vowel dropped, the short words that never decide a query, and the stems that mix
// unrelated words. Words are folded (search_text.h): upper-case windows-1251 bytes.
#include <cstddef>
#include <string>
#include <string_view>

namespace mkb::browser {

// Letters of the folded Cyrillic alphabet only (no digits, Latin letters or hyphens).
bool IsCyrillicWord(std::string_view folded);

// The length of the word's stem: the word itself for anything but a Cyrillic word. Thread
// compatible, not thread safe: the stemmer keeps its state between calls.
std::size_t StemLength(std::string_view folded);

// The stem in the form two word forms share: a fleeting vowel before the last consonant dropped
// (ПОЧЕК and ПОЧКА, РЕБЕР and РЕБРА, НОГОТ and НОГТ), the soft sign left out (ПАЛЕЦ, ПАЛЬЦА).
std::string SharedStem(std::string_view stem);

// Stems that several unrelated words share, so that sharing one says nothing.
bool CollidingStem(std::string_view stem);

// Prepositions, conjunctions and the negation: a query holds them, titles word them otherwise.
bool IsFunctionWord(std::string_view folded);

// Two stems of word forms that mean the same word: a longer stem reads as the start of a word,
// a short one must be the word's own.
constexpr std::size_t PrefixStemLength = 4;

} // namespace mkb::browser
