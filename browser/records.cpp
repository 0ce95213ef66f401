#include "browser/records.h"

#include "platform/codepage.h"
#include "platform/unicode.h"

namespace mkb::browser {

std::u16string_view TrimText(std::u16string_view text) {
    std::size_t first = 0, last = text.size();
    while (first < last && text[first] <= 32)
        ++first;
    while (last > first && text[last - 1] <= 32)
        --last;
    return text.substr(first, last - first);
}

std::u16string DecodeCode(const TMKBRec& rec) {
    return DecodeCodePage(rec.code, 1251);
}

int FindRecord(std::span<const TMKBRec> store, std::u16string_view query) {
    const std::u16string upperQuery = UnicodeUpperCase(query);
    for (std::size_t i = 0; i < store.size(); ++i) {
        const TMKBRec& rec = store[i];
        if (UnicodeUpperCase(DecodeCode(rec)).find(upperQuery) != std::u16string::npos)
            return static_cast<int>(i);
        if (UnicodeUpperCase(rec.name).find(upperQuery) != std::u16string::npos)
            return static_cast<int>(i);
    }
    return -1;
}

void BuildRecordPath(const TRecordIndex& records, int index, std::vector<int>& path) {
    // Bounded by the store size, so that a parent cycle in damaged data cannot loop for ever.
    for (std::size_t steps = 0; steps < records.Store().size(); ++steps) {
        index = records.ParentOf(index);
        if (index < 0)
            return;
        path.insert(path.begin(), index);
    }
}

std::u16string RecordCodeText(const TMKBRec& rec) {
    const std::u16string code = DecodeCode(rec);
    const std::u16string_view trimmed = TrimText(code);
    return std::u16string(trimmed.empty() ? TrimText(rec.name) : trimmed);
}

std::u16string RecordText(const TMKBRec& rec) {
    std::u16string code = DecodeCode(rec);
    std::u16string_view trimmedCode = TrimText(code);
    std::u16string_view name = TrimText(rec.name);
    if (trimmedCode.empty())
        return std::u16string(name);
    std::u16string text(trimmedCode);
    text += u' ';
    text += name;
    return text;
}

std::u16string EditionText() {
    auto wide = [](std::string_view ascii) { return std::u16string(ascii.begin(), ascii.end()); };
    std::u16string text = u"НСИ " + wide(MKBDataSetId);
    if (*MKBDataSetVersion != 0)
        text += u", версия " + wide(MKBDataSetVersion);
    if (*MKBDataLatestRecordDate != 0)
        text += u", последние изменения от " + wide(MKBDataLatestRecordDate);
    return text;
}

int LoadedRecordCount(std::span<const TMKBRec> store) {
    int count = 0;
    for (const TMKBRec& rec : store)
        count += rec.id != 0;
    return count;
}

} // namespace mkb::browser
