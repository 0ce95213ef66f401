#pragma once
// A line-based reader of the classification document's fixed layout, independent of the XML
// scanner, and the facts the tests check and print.
#include <cstddef>
#include <map>
#include <string>
#include <string_view>
#include <vector>

struct TDocRecord {
    long id{0};
    long parent_id{0};
    std::string code, name, incl, excl, note; // raw windows-1251
    std::size_t line{0};                      // of its "<rec>"
    int depth{0};
};

struct TDocLayout {
    std::vector<TDocRecord> records;
    std::vector<std::string> errors; // layout faults, each with its line number
};

// Reads the document; anything off the layout goes to errors (the first 50 of them).
TDocLayout ReadDocLayout(std::string_view doc);

struct TDocFacts {
    std::size_t records{0};
    std::map<int, std::size_t> byDepth;
    std::size_t maxChildren{0};
    std::size_t longestCode{0}, longestName{0}, longestIncl{0}, longestExcl{0}, longestNote{0};
    std::size_t breaksName{0}, breaksIncl{0}, breaksExcl{0}, breaksNote{0};
    std::size_t classes{0};
    std::size_t threeCharAtDepth2{0}, emptyAtDepth2{0};
    std::map<int, std::size_t> codelessByDepth; // blocks and sub-blocks below the classes
    std::size_t daggerCodes{0}, asteriskCodes{0};
    long minId{0}, maxId{0};
};

// Checks the invariants the browser relies on: unique ids, parents present and before their
// children, the classes first and in class order, codes shaped as their depth wants, no "<",
// ">" or "&" in a text. Faults go to errors; records that break only the strict per-depth code
// rule (an empty code below depth 2, a record below depth 4, a code with a hyphen) go to
// exceptions, for the caller to judge.
TDocFacts CheckDocInvariants(std::vector<TDocRecord>& records, std::vector<std::string>& errors,
                             std::vector<std::string>& exceptions);

std::string RomanNumeral(int n);
std::string Utf8FromCp1251(std::string_view bytes);
