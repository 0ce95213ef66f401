#pragma once
// The order of the search list (and of F3): what a coder most likely means comes first.
#include "browser/search_index.h"

#include <string>
#include <string_view>
#include <vector>

namespace mkb::browser {

// Groups best first. Within a group a category and its subcategories stay together in code
// order, and the families are ordered by their best member: records with a code before blocks
// and classes, names that begin with a query word before the others, the more general record
// before the more specific (a shorter code, then fewer words beside the query's, the family's
// unspecified member, a shorter name), then store order. Where the code itself matched, only the
// code's length and store order count; where a term brought the record, the place of its target
// in the term's row. words: how many units of the query count.
std::vector<int> RankMatches(const TSearchIndex& index, const std::vector<TSearchMatch>& matches,
                             int words);

struct TSearchResults {
    std::vector<int> Records; // best first
    // The query the records answer: the typed one, or read with its slips mended or in the
    // other keyboard layout.
    std::u16string Query;
    TQueryPlan Plan; // the query as read; the rows' emphasis follows it
    bool LayoutSwapped{false};
    bool Corrected{false}; // a word was read as the title word nearest to it
    // Words no record holds together with the others: the records hold all the rest.
    std::vector<std::u16string> LeftOut;
};

// The trimmed query's results. A decimal comma in a code is its dot; a word of five letters or
// more that matches nothing is read as the nearest title word; when no record holds every word,
// the records that hold the most of them; when all this finds nothing and the same keys read in
// the other keyboard layout find something, those.
TSearchResults Search(TSearchIndex& index, std::u16string_view query);

} // namespace mkb::browser
