#pragma once
// The record store: the whole classification as one fixed array, filled once at start-up.
#include "mkbdata_info.h" // generated: the record count of the embedded document

#include <cstdint>
#include <span>
#include <string>

struct TMKBRec {
    std::int32_t id{0};
    std::string code;    // windows-1251, at most MKBCodeMaxBytes bytes
    std::u16string name; // line breaks of the source are the literal "<br>"
    std::u16string incl;
    std::u16string excl;
    std::u16string note;
    std::int32_t parent_id{0};
    std::int32_t child_count{0}; // -1 until first counted
};

constexpr int MKBCodeMaxBytes = 64;

// One slot more than the embedded document holds, so that the last slot stays empty.
constexpr int MKBRecCapacity = MKBDataRecordCount + 1;

extern TMKBRec MKBRecs[MKBRecCapacity];

inline std::span<TMKBRec> MKBStore() {
    return {MKBRecs, MKBRecCapacity};
}
