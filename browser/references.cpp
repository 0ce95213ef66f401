#include "browser/references.h"

#include "browser/records.h"

#include <algorithm>

namespace mkb::browser {

using namespace std::literals;

namespace {

bool IsDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

// A code's letter: Latin, or the Cyrillic one that looks like it (the source writes «Е84.1»).
bool IsCodeLetter(char16_t c) {
    return (c >= u'A' && c <= u'Z') || u"АВЕКМНОРСТХ"sv.find(c) != std::u16string_view::npos;
}

bool IsWordChar(char16_t c) {
    return IsDigit(c) || (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || c >= 0x400;
}

bool IsMark(char16_t c) {
    return c == u'+' || c == u'*' || c == u'†';
}

// A code at text[at]: a letter, two digits and one or two more digits after an optional dot
// («J021» lacks its dot). Returns its length, 0 when none starts there.
std::size_t CodeAt(std::u16string_view text, std::size_t at) {
    if (at + 3 > text.size() || !IsCodeLetter(text[at]) || !IsDigit(text[at + 1]) ||
        !IsDigit(text[at + 2]))
        return 0;
    std::size_t end = at + 3;
    std::size_t digits = end + (end < text.size() && text[end] == u'.' ? 1 : 0);
    std::size_t more = digits;
    while (more < text.size() && more < digits + 2 && IsDigit(text[more]))
        ++more;
    if (more > digits)
        end = more;
    return end - at;
}

} // namespace

void TReferenceTable::Build(const TRecordIndex& records) {
    FRecords = &records;
    FRangeRecords.clear();
    FSortedCodes.clear();
    FReferring.clear();
    const std::span<const TMKBRec> store = records.Store();
    // A block, or a class, is named after its range: «КИШЕЧНЫЕ ИНФЕКЦИИ (A00-A09)».
    for (std::size_t i = 0; i < store.size(); ++i) {
        const TMKBRec& rec = store[i];
        if (rec.id == 0)
            continue;
        const std::u16string code = DecodeCode(rec);
        if (!TrimText(code).empty() && code.rfind(u"КЛАСС", 0) != 0) {
            FSortedCodes.emplace_back(TRecordIndex::CodeKey(code), static_cast<int>(i));
            continue;
        }
        const std::u16string_view name = TrimText(rec.name);
        const std::size_t open = name.rfind(u'(');
        if (open == name.npos || name.back() != u')')
            continue;
        const std::u16string_view range = name.substr(open + 1, name.size() - open - 2);
        const std::size_t dash = range.find(u'-');
        if (dash == range.npos)
            continue;
        FRangeRecords.try_emplace(TRecordIndex::CodeKey(range.substr(0, dash)) + u"-" +
                                      TRecordIndex::CodeKey(range.substr(dash + 1)),
                                  static_cast<int>(i));
    }
    std::sort(FSortedCodes.begin(), FSortedCodes.end());
    for (std::size_t i = 0; i < store.size(); ++i) {
        if (store[i].id == 0 || store[i].name.find(u'(') == std::u16string::npos)
            continue;
        std::vector<int> covered;
        for (const TReference& ref : Find(store[i].name, static_cast<int>(i)))
            NoteCovered(ref, covered);
        std::sort(covered.begin(), covered.end());
        covered.erase(std::unique(covered.begin(), covered.end()), covered.end());
        for (int target : covered)
            if (target != static_cast<int>(i))
                FReferring[target].push_back(static_cast<int>(i));
    }
}

int TReferenceTable::RangeRecord(std::u16string_view first, std::u16string_view last) const {
    std::u16string key(first);
    key += u'-';
    key += last;
    const auto it = FRangeRecords.find(key);
    return it != FRangeRecords.end() ? it->second : FRecords->ByCode(first);
}

std::vector<TReference> TReferenceTable::Find(std::u16string_view name, int self) const {
    std::vector<TReference> refs;
    if (!FRecords)
        return refs;
    int depth = 0;
    for (std::size_t i = 0; i < name.size(); ++i) {
        const char16_t c = name[i];
        if (c == u'(' || c == u')') {
            depth = std::max(0, depth + (c == u'(' ? 1 : -1));
            continue;
        }
        if (depth == 0 || (i > 0 && IsWordChar(name[i - 1])))
            continue;
        const std::size_t length = CodeAt(name, i);
        if (length == 0)
            continue;
        TReference ref;
        ref.Start = i;
        ref.First = TRecordIndex::CodeKey(name.substr(i, length));
        std::size_t end = i + length;
        if (name.substr(end, 2) == u".-") {
            ref.AnyFourth = true;
            end += 2;
        } else if (end < name.size() && name[end] == u'-') {
            const std::size_t second = CodeAt(name, end + 1);
            if (second != 0) {
                ref.Last = TRecordIndex::CodeKey(name.substr(end + 1, second));
                end += 1 + second;
            } else {
                // «E03-+»: the dot of «.-» left out.
                ref.AnyFourth = true;
                end += 1;
            }
        }
        while (end < name.size() && IsMark(name[end]))
            ++end;
        if (end < name.size() && IsWordChar(name[end]))
            continue; // part of a longer word, not a code
        ref.Length = end - i;
        ref.Target =
            ref.Last.empty() ? FRecords->ByCode(ref.First) : RangeRecord(ref.First, ref.Last);
        i = end - 1;
        if (ref.Target >= 0 && ref.Target == self)
            continue;
        refs.push_back(std::move(ref));
    }
    return refs;
}

void TReferenceTable::NoteCovered(const TReference& ref, std::vector<int>& covered) const {
    if (ref.Target < 0)
        return;
    covered.push_back(ref.Target);
    if (ref.AnyFourth) {
        // The category's subcategories, and theirs.
        std::vector<int> open{ref.Target};
        while (!open.empty()) {
            const int at = open.back();
            open.pop_back();
            const int id = FRecords->Store()[static_cast<std::size_t>(at)].id;
            for (int child : FRecords->Children(id)) {
                covered.push_back(child);
                open.push_back(child);
            }
        }
    } else if (!ref.Last.empty() && ref.Last.size() == ref.First.size() && ref.First <= ref.Last) {
        auto it = std::lower_bound(FSortedCodes.begin(), FSortedCodes.end(),
                                   std::make_pair(ref.First, -1));
        for (; it != FSortedCodes.end() && it->first.substr(0, ref.Last.size()) <= ref.Last; ++it)
            if (it->first.size() == ref.First.size())
                covered.push_back(it->second);
    }
}

const std::vector<int>& TReferenceTable::ReferringTo(int index) const {
    static const std::vector<int> none;
    const auto it = FReferring.find(index);
    return it != FReferring.end() ? it->second : none;
}

} // namespace mkb::browser
