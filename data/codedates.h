#pragma once
// The dated records the classification document leaves out, from the embedded table
// "MKBDATES" (mkbconv --dates): the withdrawn codes with the date they were withdrawn, and the
// date from which a current record is valid.
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

struct TWithdrawnCode {
    int Id{0};
    std::u16string Code; // as the document writes codes, mark included ("A17.0†")
    std::u16string Name;
    std::u16string Date; // DD.MM.YYYY
};

class TCodeDates {
public:
    TCodeDates() = default;
    // Reads the table's text; a line that is not id, W or V, date, code, title is skipped.
    explicit TCodeDates(std::string_view table);
    // The table linked into the executable; empty when it carries none.
    static const TCodeDates& Embedded();

    std::span<const TWithdrawnCode> Withdrawn() const { return FWithdrawn; }
    // The withdrawn code written so (read as TRecordIndex::CodeKey reads codes), or nullptr.
    const TWithdrawnCode* WithdrawnCode(std::u16string_view code) const;
    // The date from which the current record of that id is valid; empty when it has none.
    std::u16string_view ValidFrom(int id) const;

private:
    std::vector<TWithdrawnCode> FWithdrawn;
    std::unordered_map<std::u16string, std::size_t> FWithdrawnOfKey;
    std::unordered_map<int, std::u16string> FValidFrom;
};
