#include "browser/search_rank.h"

#include "browser/records.h"
#include "browser/search_text.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace {

// The rank of a match as one 24-bit number, smaller first: group (3 bits), no code, name not
// beginning with a word, code length (4), words beside the query's (4), not unspecified, name
// length (10). A code typed in full or in part lists its codes in code order, the shorter
// first: the names do not count then.
std::uint32_t RankKey(const TSearchIndex& index, const TSearchMatch& m, int words) {
    const bool coded = index.HasCode(m.Record);
    const auto codeLength =
        static_cast<std::uint32_t>(coded ? std::min(index.CodeLength(m.Record), 15) : 15);
    std::uint32_t key = static_cast<std::uint32_t>(m.Group) << 21 |
                        static_cast<std::uint32_t>(!coded) << 20 | codeLength << 15;
    if (m.Group > mgCodeStarts) {
        const auto beside =
            static_cast<std::uint32_t>(std::clamp(index.NameWords(m.Record) - words, 0, 15));
        key |= static_cast<std::uint32_t>(!m.NameBegins) << 19 | beside << 11 |
               static_cast<std::uint32_t>(!index.Unspecified(m.Record)) << 10 |
               static_cast<std::uint32_t>(std::min(index.NameLength(m.Record), 1023));
    }
    return key;
}

constexpr unsigned DigitBits = 12;
constexpr std::uint32_t DigitMask = (1u << DigitBits) - 1;

} // namespace

std::vector<int> RankMatches(const TSearchIndex& index, const std::vector<TSearchMatch>& matches,
                             int words) {
    // Matches come in store order, and two stable passes of a radix sort keep it within equal
    // keys: thousands of matches sort in microseconds.
    struct TItem {
        std::uint32_t Key;
        int Record;
    };
    std::vector<TItem> items(matches.size()), sorted(matches.size());
    for (std::size_t i = 0; i < matches.size(); ++i)
        items[i] = {RankKey(index, matches[i], words), matches[i].Record};
    for (unsigned shift = 0; shift < 2 * DigitBits; shift += DigitBits) {
        std::vector<std::uint32_t> start(DigitMask + 2, 0);
        for (const TItem& it : items)
            ++start[((it.Key >> shift) & DigitMask) + 1];
        for (std::size_t d = 1; d < start.size(); ++d)
            start[d] += start[d - 1];
        for (const TItem& it : items)
            sorted[start[(it.Key >> shift) & DigitMask]++] = it;
        items.swap(sorted);
    }
    std::vector<int> records(items.size());
    for (std::size_t i = 0; i < items.size(); ++i)
        records[i] = items[i].Record;
    return records;
}

TSearchResults Search(TSearchIndex& index, std::u16string_view query) {
    TSearchResults results;
    results.Query = std::u16string(TrimText(query));
    results.Records = RankMatches(index, index.Match(results.Query),
                                  static_cast<int>(QueryWords(results.Query).size()));
    if (!results.Records.empty())
        return results;
    std::u16string swapped = SwapKeyboardLayout(results.Query);
    if (swapped == results.Query)
        return results;
    std::vector<int> other =
        RankMatches(index, index.Match(swapped), static_cast<int>(QueryWords(swapped).size()));
    if (!other.empty()) {
        results.Records = std::move(other);
        results.Query = std::move(swapped);
        results.LayoutSwapped = true;
    }
    return results;
}
