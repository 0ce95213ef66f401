#include "browser/search_rank.h"

#include "browser/records.h"
#include "browser/search_text.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <map>

namespace mkb::browser {

namespace {

constexpr unsigned GroupShift = 21;

// The rank of a match within its group as a 21-bit number, smaller first: no code, name not
// beginning with a word, code length (4), words beside the query's (4), not unspecified, name
// length (10). A code typed in full or in part ranks by the code's length alone; a term's record
// by its target's place.
std::uint32_t RankInGroup(const TSearchIndex& index, const TSearchMatch& m, int words) {
    if (m.Group == mgTerm)
        return std::min<std::uint32_t>(m.TermRank, (1u << GroupShift) - 1);
    const bool coded = index.HasCode(m.Record);
    const auto codeLength =
        static_cast<std::uint32_t>(coded ? std::min(index.CodeLength(m.Record), 15) : 15);
    std::uint32_t key = static_cast<std::uint32_t>(!coded) << 20 | codeLength << 15;
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
    struct TItem {
        std::uint32_t Key;
        int Record;
    };
    std::vector<TItem> items(matches.size()), sorted(matches.size());
    for (std::size_t i = 0; i < matches.size(); ++i)
        items[i] = {RankInGroup(index, matches[i], words), matches[i].Record};
    // A family's records lie together in store order, and so in the matches: each takes the best
    // key its family has in its group.
    for (std::size_t first = 0; first < items.size();) {
        const int family = index.Family(items[first].Record);
        std::size_t end = first;
        std::array<std::uint32_t, 8> best;
        best.fill(~0u);
        for (; end < items.size() && index.Family(items[end].Record) == family; ++end) {
            const auto g = static_cast<std::size_t>(matches[end].Group) & 7;
            best[g] = std::min(best[g], items[end].Key);
        }
        for (std::size_t i = first; i < end; ++i)
            items[i].Key = static_cast<std::uint32_t>(matches[i].Group) << GroupShift |
                           best[static_cast<std::size_t>(matches[i].Group) & 7];
        first = end;
    }
    // Two stable passes of a radix sort keep store order within equal keys, which keeps a family
    // together and in code order: thousands of matches sort in microseconds.
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

namespace {

bool IsDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

// "J45,9" is J45.9: the comma is the Russian decimal sign. Only inside a code-shaped word: a
// letter, digits, the comma, a digit.
void DecimalCommas(std::u16string& query) {
    for (std::size_t i = 2; i + 1 < query.size(); ++i) {
        if (query[i] != u',' || !IsDigit(query[i - 1]) || !IsDigit(query[i + 1]))
            continue;
        std::size_t start = i;
        while (start > 0 && query[start - 1] > 32)
            --start;
        if (i - start >= 2 && !IsDigit(query[start]) && IsDigit(query[start + 1]))
            query[i] = u'.';
    }
}

std::u16string Joined(const std::vector<TQueryUnit>& units) {
    std::u16string text;
    for (const TQueryUnit& u : units)
        text += (text.empty() ? u"" : u" ") + u.Text;
    return text;
}

// The records that hold the most of the plan's units, all the same ones; the units left out.
std::vector<TSearchMatch> MatchMost(TSearchIndex& index, const TQueryPlan& plan,
                                    std::vector<std::u16string>& leftOut, int& kept) {
    std::vector<const TQueryUnit*> units;
    for (const TQueryUnit& u : plan.Units)
        if (!u.Optional && units.size() < 32)
            units.push_back(&u);
    // Per record: the units it holds, as bits, and its weakest match; the records touched, in
    // store order at the end.
    std::vector<std::uint32_t> held(static_cast<std::size_t>(index.Size()), 0);
    std::vector<TSearchMatch> weakest(held.size());
    std::vector<int> touched;
    for (std::size_t i = 0; i < units.size(); ++i)
        for (const TSearchMatch& m : index.MatchUnit(*units[i])) {
            const auto r = static_cast<std::size_t>(m.Record);
            TSearchMatch& w = weakest[r];
            if (held[r] == 0) {
                touched.push_back(m.Record);
                w = m;
            } else {
                if (m.Group > w.Group)
                    w.TermRank = m.TermRank;
                w.Group = std::max(w.Group, m.Group);
                w.NameBegins = w.NameBegins || m.NameBegins;
            }
            held[r] |= 1u << i;
        }
    std::sort(touched.begin(), touched.end());
    // The most units; of the sets of units held that often, the one most records hold, then the
    // one that leaves out the fewest letters.
    std::map<std::uint32_t, int> sets;
    int most = 0;
    for (int r : touched) {
        const std::uint32_t set = held[static_cast<std::size_t>(r)];
        most = std::max(most, std::popcount(set));
        ++sets[set];
    }
    std::uint32_t chosen = 0;
    int chosenCount = 0;
    std::size_t chosenLeft = 0;
    for (const auto& [set, count] : sets) {
        if (std::popcount(set) != most)
            continue;
        std::size_t left = 0;
        for (std::size_t i = 0; i < units.size(); ++i)
            if (!(set & (1u << i)))
                left += units[i]->Text.size();
        if (chosenCount == 0 || count > chosenCount ||
            (count == chosenCount && left < chosenLeft)) {
            chosen = set;
            chosenCount = count;
            chosenLeft = left;
        }
    }
    std::vector<TSearchMatch> matches;
    if (most == 0)
        return matches;
    for (int r : touched)
        if (held[static_cast<std::size_t>(r)] == chosen)
            matches.push_back(weakest[static_cast<std::size_t>(r)]);
    for (std::size_t i = 0; i < units.size(); ++i)
        if (!(chosen & (1u << i)))
            leftOut.push_back(units[i]->Text);
    kept = most;
    return matches;
}

TSearchResults Attempt(TSearchIndex& index, std::u16string query) {
    TSearchResults results;
    results.Plan = index.Plan(query);
    results.Query = query;
    int words = results.Plan.Required();
    std::vector<TSearchMatch> matches = index.Match(results.Plan);
    // Slips only where the words found nothing together: each word that matches nothing would
    // otherwise be left out.
    if (matches.empty()) {
        bool corrected = false;
        for (TQueryUnit& unit : results.Plan.Units) {
            std::u16string nearest = index.NearestWord(unit);
            if (!nearest.empty()) {
                unit.Text = std::move(nearest);
                corrected = true;
            }
        }
        if (corrected) {
            results.Query = Joined(results.Plan.Units);
            results.Plan = index.Plan(results.Query);
            results.Corrected = true;
            words = results.Plan.Required();
            matches = index.Match(results.Plan);
        }
    }
    if (matches.empty() && words >= 2)
        matches = MatchMost(index, results.Plan, results.LeftOut, words);
    results.Records = RankMatches(index, matches, words);
    return results;
}

} // namespace

TSearchResults Search(TSearchIndex& index, std::u16string_view query) {
    std::u16string typed(TrimText(query));
    DecimalCommas(typed);
    TSearchResults results = Attempt(index, typed);
    if (!results.Records.empty())
        return results;
    std::u16string swapped = SwapKeyboardLayout(typed);
    if (swapped == typed)
        return results;
    TSearchResults other = Attempt(index, swapped);
    if (!other.Records.empty()) {
        other.LayoutSwapped = true;
        return other;
    }
    return results;
}

} // namespace mkb::browser
