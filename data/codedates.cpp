#include "data/codedates.h"

#include "data/recindex.h"
#include "platform/resources.h"
#include "text/utf.h"

#include <charconv>

using namespace mkb::text;

namespace {

bool IsDate(std::string_view d) {
    if (d.size() != 10 || d[2] != '.' || d[5] != '.')
        return false;
    for (std::size_t i = 0; i < d.size(); ++i)
        if (i != 2 && i != 5 && (d[i] < '0' || d[i] > '9'))
            return false;
    return true;
}

} // namespace

TCodeDates::TCodeDates(std::string_view table) {
    while (!table.empty()) {
        const std::size_t eol = table.find('\n');
        std::string_view line = table.substr(0, eol);
        table.remove_prefix(eol == table.npos ? table.size() : eol + 1);
        if (line.empty() || line[0] == '#')
            continue;
        std::string_view fields[5];
        std::size_t count = 0;
        while (count < 5) {
            const std::size_t tab = count < 4 ? line.find('\t') : line.npos;
            fields[count++] = line.substr(0, tab);
            if (tab == line.npos)
                break;
            line.remove_prefix(tab + 1);
        }
        int id = 0;
        const auto [end, ec] =
            std::from_chars(fields[0].data(), fields[0].data() + fields[0].size(), id);
        if (count != 5 || ec != std::errc() || end != fields[0].data() + fields[0].size() ||
            (fields[1] != "W" && fields[1] != "V") || !IsDate(fields[2]))
            continue;
        if (fields[1] == "V") {
            FValidFrom[id] = Utf8ToUtf16(fields[2]);
            continue;
        }
        TWithdrawnCode code{id, Utf8ToUtf16(fields[3]), Utf8ToUtf16(fields[4]),
                            Utf8ToUtf16(fields[2])};
        std::u16string key = TRecordIndex::CodeKey(code.Code);
        if (key.empty())
            continue;
        FWithdrawnOfKey.try_emplace(std::move(key), FWithdrawn.size());
        FWithdrawn.push_back(std::move(code));
    }
}

const TCodeDates& TCodeDates::Embedded() {
    static const TCodeDates table = [] {
        const TEmbeddedResource* res = FindEmbeddedResource("MKBDATES");
        return res ? TCodeDates(
                         std::string_view(reinterpret_cast<const char*>(res->Data), res->Size))
                   : TCodeDates();
    }();
    return table;
}

const TWithdrawnCode* TCodeDates::WithdrawnCode(std::u16string_view code) const {
    const auto it = FWithdrawnOfKey.find(TRecordIndex::CodeKey(code));
    return it == FWithdrawnOfKey.end() ? nullptr : &FWithdrawn[it->second];
}

std::u16string_view TCodeDates::ValidFrom(int id) const {
    const auto it = FValidFrom.find(id);
    return it == FValidFrom.end() ? std::u16string_view() : std::u16string_view(it->second);
}
