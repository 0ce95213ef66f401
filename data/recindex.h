#pragma once
// A read-only index of the record store, made once after loading, so that the questions the
// browser asks (a record's children, the record of an id or of a code) cost what they return
// rather than a pass over every slot.
#include "data/mkbrecs.h"

#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class TRecordIndex {
public:
    TRecordIndex() = default;
    explicit TRecordIndex(std::span<const TMKBRec> store) { Build(store); }

    // Indexes the store as it is now; the store must not change while the index is used.
    void Build(std::span<const TMKBRec> store);
    bool Built() const { return FBuilt; }
    std::span<const TMKBRec> Store() const { return FStore; }

    // The slots of the records whose parent_id is parentId, in store order (-1: the classes).
    std::span<const int> Children(int parentId) const;
    // The slot of the record with this id; -1 when none has it.
    int ById(int id) const;
    // The slot of the record's parent; -1 for a class, a missing parent or a slot outside.
    int ParentOf(int index) const;
    // The slot of the record with this code, read as a coder writes it: without the dagger or
    // asterisk mark ("†", "+", "*"), the dot optional (or a comma), letters in either case,
    // Cyrillic look-alike letters as the Latin ones. -1 when no record has it; the first in store
    // order where two do.
    int ByCode(std::u16string_view code) const;

    // The form ByCode compares: marks and dots dropped, upper case, look-alikes as Latin.
    static std::u16string CodeKey(std::u16string_view code);

private:
    std::span<const TMKBRec> FStore;
    bool FBuilt{false};
    std::vector<int> FChildSlots;                              // grouped by parent
    std::unordered_map<int, std::pair<int, int>> FChildRanges; // parent id: (first, count)
    std::unordered_map<int, int> FSlotOfId;
    std::unordered_map<std::u16string, int> FSlotOfCode;
};
