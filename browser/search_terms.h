#pragma once
// The search's table of terms (search_terms.txt, compiled into the program): the abbreviations
// of Russian medical records and the everyday names of diseases, each with the codes or blocks
// it stands for. One row a line: the term, a tab, the targets separated by commas; "#" starts a
// comment line.
#include <string>
#include <string_view>
#include <vector>

// The table as the program carries it.
std::string_view SearchTermsText();

namespace mkb::browser {

struct TSearchTerm {
    std::u16string Text; // as the table writes it
    // Folded words; an abbreviation's word (written in capitals) matches only as written, other
    // words also in their other forms.
    std::vector<std::string> Words;
    std::vector<bool> Exact;
    std::vector<std::u16string> Targets; // codes ("I48", "J45.9") or block ranges ("T33-T35")
    int Line{0};
};

// The rows of a table; each malformed line is skipped and described in errors.
std::vector<TSearchTerm> ParseSearchTerms(std::string_view utf8,
                                          std::vector<std::u16string>& errors);

} // namespace mkb::browser
