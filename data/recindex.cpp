#include "data/recindex.h"

#include "platform/codepage.h"

namespace {

// Cyrillic letters that look like Latin ones, as a code typed in the Russian layout has them.
char16_t LatinLookAlike(char16_t c) {
    static constexpr std::u16string_view cyrillic = u"АВЕКМНОРСТУХаеокрсух";
    static constexpr std::u16string_view latin = u"ABEKMHOPCTYXAEOKPCYX";
    const std::size_t at = cyrillic.find(c);
    return at == cyrillic.npos ? c : latin[at];
}

} // namespace

std::u16string TRecordIndex::CodeKey(std::u16string_view code) {
    std::size_t first = 0, last = code.size();
    while (first < last && code[first] <= 32)
        ++first;
    while (last > first && (code[last - 1] <= 32 || code[last - 1] == u'†' ||
                            code[last - 1] == u'+' || code[last - 1] == u'*'))
        --last;
    std::u16string key;
    key.reserve(last - first);
    for (std::size_t i = first; i < last; ++i) {
        char16_t c = LatinLookAlike(code[i]);
        if (c == u'.' || c == u',') // the decimal comma of a Russian keyboard too
            continue;
        if (c >= u'a' && c <= u'z')
            c = static_cast<char16_t>(c - u'a' + u'A');
        key += c;
    }
    return key;
}

void TRecordIndex::Build(std::span<const TMKBRec> store) {
    FStore = store;
    FChildSlots.clear();
    FChildRanges.clear();
    FSlotOfId.clear();
    FSlotOfCode.clear();
    // An empty slot (id 0) is no record: the store's spare last slot is one.
    std::unordered_map<int, int> counts;
    for (const TMKBRec& rec : store)
        if (rec.id != 0)
            ++counts[rec.parent_id];
    int offset = 0;
    for (const auto& [parent, count] : counts) {
        FChildRanges[parent] = {offset, 0};
        offset += count;
    }
    FChildSlots.resize(static_cast<std::size_t>(offset));
    for (std::size_t i = 0; i < store.size(); ++i) {
        const TMKBRec& rec = store[i];
        if (rec.id == 0)
            continue;
        auto& [first, count] = FChildRanges[rec.parent_id];
        FChildSlots[static_cast<std::size_t>(first + count++)] = static_cast<int>(i);
        FSlotOfId.try_emplace(rec.id, static_cast<int>(i));
        if (!rec.code.empty()) {
            std::u16string key = CodeKey(DecodeCodePage(rec.code, 1251));
            if (!key.empty())
                FSlotOfCode.try_emplace(std::move(key), static_cast<int>(i));
        }
    }
    FBuilt = true;
}

std::span<const int> TRecordIndex::Children(int parentId) const {
    const auto it = FChildRanges.find(parentId);
    if (it == FChildRanges.end())
        return {};
    return std::span<const int>(FChildSlots)
        .subspan(static_cast<std::size_t>(it->second.first),
                 static_cast<std::size_t>(it->second.second));
}

int TRecordIndex::ById(int id) const {
    const auto it = FSlotOfId.find(id);
    return it == FSlotOfId.end() ? -1 : it->second;
}

int TRecordIndex::ParentOf(int index) const {
    if (index < 0 || static_cast<std::size_t>(index) >= FStore.size())
        return -1;
    const int parent = FStore[static_cast<std::size_t>(index)].parent_id;
    return parent == -1 ? -1 : ById(parent);
}

int TRecordIndex::ByCode(std::u16string_view code) const {
    const std::u16string key = CodeKey(code);
    if (key.empty())
        return -1;
    const auto it = FSlotOfCode.find(key);
    return it == FSlotOfCode.end() ? -1 : it->second;
}
