#include "browser/search_vocabulary.h"

#include "browser/search_text.h"
#include "browser/search_words.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdlib>
#include <cstring>

namespace mkb::browser {

namespace {

std::uint16_t FirstTwo(std::string_view word) {
    return static_cast<std::uint16_t>(static_cast<unsigned char>(word[0]) << 8 |
                                      (word.size() > 1 ? static_cast<unsigned char>(word[1]) : 0));
}

// The edit distance of a and b (insertions, deletions, substitutions and swaps of neighbours),
// or limit + 1 when it is larger, by a band of the table.
constexpr std::size_t LongestWord = 63;
int BoundedDistance(std::string_view a, std::string_view b, int limit) {
    const int n = static_cast<int>(a.size()), m = static_cast<int>(b.size());
    if (std::abs(n - m) > limit || a.size() > LongestWord || b.size() > LongestWord)
        return limit + 1;
    constexpr int Far = 1 << 20;
    std::array<std::array<int, LongestWord + 1>, 3> rows; // rows i-2, i-1 and i, by i % 3
    for (int j = 0; j <= m; ++j)
        rows[0][static_cast<std::size_t>(j)] = j;
    for (int i = 1; i <= n; ++i) {
        auto& before = rows[static_cast<std::size_t>((i + 1) % 3)];
        auto& previous = rows[static_cast<std::size_t>((i + 2) % 3)];
        auto& current = rows[static_cast<std::size_t>(i % 3)];
        std::fill(current.begin(), current.begin() + m + 1, Far);
        current[0] = i;
        int rowBest = i;
        for (int j = std::max(1, i - limit); j <= std::min(m, i + limit); ++j) {
            const auto I = static_cast<std::size_t>(i), J = static_cast<std::size_t>(j);
            int d = std::min({previous[J] + 1, current[J - 1] + 1,
                              previous[J - 1] + (a[I - 1] == b[J - 1] ? 0 : 1)});
            if (i > 1 && j > 1 && a[I - 1] == b[J - 2] && a[I - 2] == b[J - 1])
                d = std::min(d, before[J - 2] + 1);
            current[J] = d;
            rowBest = std::min(rowBest, d);
        }
        if (rowBest > limit)
            return limit + 1;
    }
    return std::min(rows[static_cast<std::size_t>(n % 3)][static_cast<std::size_t>(m)], limit + 1);
}

} // namespace

void TTitleVocabulary::Build(std::span<const std::string_view> texts,
                             std::span<const std::uint32_t> wordsEnd) {
    // Ids in order of first appearance first, renumbered in word order at the end. An open
    // table with a short hash: the titles' hundred thousand words are read once at the first
    // query, which the general-purpose map made several times slower.
    std::vector<std::string_view> found;
    struct TSlot {
        std::uint32_t Hash{0}, Id{~0u};
    };
    std::vector<TSlot> slots(std::bit_ceil(texts.size() * 2 + 1024));
    const std::size_t mask = slots.size() - 1;
    auto idOf = [&](std::string_view word) {
        // Eight bytes at a time: most words take one or two steps.
        std::uint64_t mix = word.size();
        for (std::size_t at = 0; at < word.size(); at += 8) {
            std::uint64_t chunk = 0;
            std::memcpy(&chunk, word.data() + at, std::min<std::size_t>(8, word.size() - at));
            mix = (mix ^ chunk) * 0x9E3779B97F4A7C15ull;
            mix ^= mix >> 29;
        }
        const auto h = static_cast<std::uint32_t>(mix ^ (mix >> 32));
        for (std::size_t i = h & mask;; i = (i + 1) & mask) {
            TSlot& slot = slots[i];
            if (slot.Id == ~0u) {
                if (found.size() * 2 >= slots.size()) {
                    Whole = false; // more distinct words than the table holds
                    return ~0u;
                }
                slot = {h, static_cast<std::uint32_t>(found.size())};
                found.push_back(word);
                return slot.Id;
            }
            if (slot.Hash == h && found[slot.Id] == word)
                return slot.Id;
        }
    };
    RecordStart.assign(1, 0);
    RecordWords.clear();
    Whole = true;
    for (std::size_t r = 0; r < texts.size(); ++r) {
        const std::string_view text =
            texts[r].substr(0, std::min<std::size_t>(wordsEnd[r], texts[r].size()));
        const std::size_t first = RecordWords.size();
        ForEachWord(text, [&](std::size_t start, std::size_t end) {
            const std::uint32_t id = idOf(text.substr(start, end - start));
            if (id != ~0u && std::find(RecordWords.begin() + static_cast<std::ptrdiff_t>(first),
                                       RecordWords.end(), id) == RecordWords.end())
                RecordWords.push_back(id);
        });
        RecordStart.push_back(static_cast<std::uint32_t>(RecordWords.size()));
    }

    // Word order by the first eight bytes as a number first, the rest only where they tie.
    struct TKey {
        std::uint64_t Head;
        std::uint32_t Id;
    };
    std::vector<TKey> keys(found.size());
    for (std::uint32_t i = 0; i < keys.size(); ++i) {
        std::uint64_t head = 0;
        for (std::size_t b = 0; b < 8; ++b)
            head = head << 8 | (b < found[i].size() ? static_cast<unsigned char>(found[i][b]) : 0u);
        keys[i] = {head, i};
    }
    std::sort(keys.begin(), keys.end(), [&](const TKey& a, const TKey& b) {
        return a.Head != b.Head ? a.Head < b.Head : found[a.Id] < found[b.Id];
    });
    std::vector<std::uint32_t> order(found.size());
    for (std::size_t i = 0; i < keys.size(); ++i)
        order[i] = keys[i].Id;
    std::vector<std::uint32_t> renumber(found.size());
    std::size_t bytes = 0;
    for (std::uint32_t i = 0; i < order.size(); ++i) {
        renumber[order[i]] = i;
        bytes += found[order[i]].size();
    }
    // The views into the texts become views into a text of the vocabulary's own.
    Text.clear();
    Text.reserve(bytes);
    for (std::uint32_t id : order)
        Text += found[id];
    Words.resize(found.size());
    for (std::size_t i = 0, at = 0; i < order.size(); ++i) {
        Words[i] = std::string_view(Text).substr(at, found[order[i]].size());
        at += Words[i].size();
    }
    for (std::uint32_t& id : RecordWords)
        id = renumber[id];

    PostStart.assign(Words.size() + 1, 0);
    for (std::uint32_t id : RecordWords)
        ++PostStart[id + 1];
    for (std::size_t i = 1; i < PostStart.size(); ++i)
        PostStart[i] += PostStart[i - 1];
    Posts.resize(RecordWords.size());
    std::vector<std::uint32_t> next(PostStart.begin(), PostStart.end() - 1);
    for (std::size_t r = 0; r + 1 < RecordStart.size(); ++r)
        for (std::uint32_t k = RecordStart[r]; k < RecordStart[r + 1]; ++k)
            Posts[next[RecordWords[k]]++] = static_cast<std::uint32_t>(r);
    Buckets.clear();
}

int TTitleVocabulary::Find(std::string_view word) const {
    const auto it = std::lower_bound(Words.begin(), Words.end(), word);
    return it != Words.end() && *it == word ? static_cast<int>(it - Words.begin()) : -1;
}

int TTitleVocabulary::Frequency(int id) const {
    return static_cast<int>(Records(id).size());
}

std::span<const std::uint32_t> TTitleVocabulary::Records(int id) const {
    const auto i = static_cast<std::size_t>(id);
    return std::span<const std::uint32_t>(Posts).subspan(PostStart[i],
                                                         PostStart[i + 1] - PostStart[i]);
}

std::span<const std::uint32_t> TTitleVocabulary::WordsOf(std::size_t record) const {
    if (record + 1 >= RecordStart.size())
        return {};
    return std::span<const std::uint32_t>(RecordWords)
        .subspan(RecordStart[record], RecordStart[record + 1] - RecordStart[record]);
}

const TTitleVocabulary::TBucket& TTitleVocabulary::StemmedBucket(std::string_view word) const {
    const std::uint16_t key = FirstTwo(word);
    auto [it, added] = Buckets.try_emplace(key);
    TBucket& bucket = it->second;
    if (!added)
        return bucket;
    const std::string prefix = std::string(word.substr(0, std::min<std::size_t>(2, word.size())));
    const auto first = std::lower_bound(Words.begin(), Words.end(), prefix);
    auto last = first;
    while (last != Words.end() && last->starts_with(prefix))
        ++last;
    bucket.First = static_cast<std::uint32_t>(first - Words.begin());
    bucket.Last = static_cast<std::uint32_t>(last - Words.begin());
    for (auto w = first; w != last; ++w) {
        const std::string_view stem = w->substr(0, StemLength(*w));
        bucket.Shared.push_back(CollidingStem(stem) ? std::string() : SharedStem(stem));
    }
    return bucket;
}

std::vector<std::uint32_t> TTitleVocabulary::FormsOf(std::string_view word) const {
    std::vector<std::uint32_t> forms;
    if (!IsCyrillicWord(word) || word.size() < 2)
        return forms;
    const std::string_view stem = word.substr(0, StemLength(word));
    if (stem.size() >= PrefixStemLength) {
        for (auto w = std::lower_bound(Words.begin(), Words.end(), stem);
             w != Words.end() && w->starts_with(stem); ++w)
            forms.push_back(static_cast<std::uint32_t>(w - Words.begin()));
    }
    if (!CollidingStem(stem)) {
        const std::string shared = SharedStem(stem);
        const TBucket& bucket = StemmedBucket(word);
        for (std::uint32_t i = 0; i < bucket.Shared.size(); ++i)
            if (bucket.Shared[i] == shared)
                forms.push_back(bucket.First + i);
        std::sort(forms.begin(), forms.end());
        forms.erase(std::unique(forms.begin(), forms.end()), forms.end());
    }
    return forms;
}

int TTitleVocabulary::Nearest(std::string_view word, int maxEdits) const {
    // The nearest distance first, then the more frequent word.
    int best = -1, bestDistance = maxEdits + 1;
    for (std::size_t i = 0; i < Words.size(); ++i) {
        const int limit = std::min(bestDistance, maxEdits);
        const int d = BoundedDistance(word, Words[i], limit);
        if (d > limit || d == 0)
            continue;
        const auto id = static_cast<int>(i);
        if (d < bestDistance || Frequency(id) > Frequency(best)) {
            best = id;
            bestDistance = d;
        }
    }
    return best;
}

} // namespace mkb::browser
