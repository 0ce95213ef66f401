#pragma once
// The order of the search list (and of F3): what a coder most likely means comes first.
#include "browser/search_index.h"

#include <string>
#include <string_view>
#include <vector>

// Groups best first. Within a group: records with a code before blocks and classes, names that
// begin with a query word before the others, the more general record before the more specific
// (a shorter code, then fewer words beside the query's, the family's unspecified member, a
// shorter name), then store order. Where the code itself matched, only the code's length and
// store order count. words: how many words the query has.
std::vector<int> RankMatches(const TSearchIndex& index, const std::vector<TSearchMatch>& matches,
                             int words);

struct TSearchResults {
    std::vector<int> Records; // best first
    // The query the records answer: the typed one, or the same keys in the other layout.
    std::u16string Query;
    bool LayoutSwapped{false};
};

// The trimmed query's results; when it finds nothing and the same keys read in the other
// keyboard layout find something, those.
TSearchResults Search(TSearchIndex& index, std::u16string_view query);
