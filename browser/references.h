#pragma once
// The references the titles make to other records («(G01*)», «(C00-D48+)», «(G30.-+)»,
// «(I41.2*, I98.1*)»), the record each one opens, and the reverse table: which records refer
// to a record. Made once after loading, from the names.
#include "data/recindex.h"

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace mkb::browser {

struct TReference {
    std::size_t Start{0}; // in the name; the text runs to Start + Length, marks included
    std::size_t Length{0};
    int Target{-1};        // the record the reference opens; -1 when its code does not exist
    std::u16string First;  // the code (the range's first code) as TRecordIndex::CodeKey has it
    std::u16string Last;   // a range's last code; empty for a single code
    bool AnyFourth{false}; // «G30.-»: the category with any fourth character
};

class TReferenceTable {
public:
    TReferenceTable() = default;
    // The records must stay indexed as long as the table is used.
    explicit TReferenceTable(const TRecordIndex& records) { Build(records); }
    void Build(const TRecordIndex& records);
    bool Built() const { return FRecords != nullptr; }

    // The references inside the parentheses of a name, in order. A single code opens its
    // record; «.-» the category; a range the block or class with exactly that range, else the
    // record of its first code. Nothing here refers to the record itself (a block's own range).
    std::vector<TReference> Find(std::u16string_view name, int self = -1) const;
    // The records whose names refer to the record, in store order: directly, or through a
    // «.-» over its category, or through a range that holds its code at the range's own depth
    // (a category in «E10-E14», a subcategory in «M07.0-M07.3»).
    const std::vector<int>& ReferringTo(int index) const;

private:
    int RangeRecord(std::u16string_view first, std::u16string_view last) const;
    void NoteCovered(const TReference& ref, std::vector<int>& covered) const;

    const TRecordIndex* FRecords{nullptr};
    std::unordered_map<std::u16string, int> FRangeRecords; // "FIRST-LAST": block or class
    std::vector<std::pair<std::u16string, int>> FSortedCodes;
    std::unordered_map<int, std::vector<int>> FReferring;
};

} // namespace mkb::browser
