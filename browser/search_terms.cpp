#include "browser/search_terms.h"

#include "browser/records.h"
#include "browser/search_text.h"
#include "text/utf.h"

namespace mkb::browser {

using namespace mkb::text;

namespace {

std::u16string LineNumber(int line) {
    const std::string digits = std::to_string(line);
    return u"строка " + std::u16string(digits.begin(), digits.end());
}

bool HasLowerCase(std::u16string_view word) {
    for (char16_t c : word)
        if ((c >= u'a' && c <= u'z') || (c >= u'а' && c <= u'я') || c == u'ё')
            return true;
    return false;
}

std::vector<std::u16string_view> Split(std::u16string_view text, char16_t separator) {
    std::vector<std::u16string_view> parts;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= text.size(); ++i)
        if (i == text.size() || text[i] == separator) {
            parts.push_back(TrimText(text.substr(start, i - start)));
            start = i + 1;
        }
    return parts;
}

} // namespace

std::vector<TSearchTerm> ParseSearchTerms(std::string_view utf8,
                                          std::vector<std::u16string>& errors) {
    std::vector<TSearchTerm> terms;
    const std::u16string text = Utf8ToUtf16(utf8);
    int lineNumber = 0;
    for (std::u16string_view line : Split(text, u'\n')) {
        ++lineNumber;
        if (line.empty() || line.front() == u'#')
            continue;
        const std::size_t tab = line.find(u'\t');
        const std::u16string_view term = TrimText(line.substr(0, tab));
        if (tab == std::u16string_view::npos || term.empty()) {
            errors.push_back(LineNumber(lineNumber) + u": нет термина и кодов через табуляцию");
            continue;
        }
        TSearchTerm row;
        row.Text = std::u16string(term);
        row.Line = lineNumber;
        for (std::u16string_view word : QueryWords(term)) {
            row.Words.push_back(FoldQueryWord(word, fkName));
            row.Exact.push_back(!HasLowerCase(word));
        }
        for (std::u16string_view target : Split(line.substr(tab + 1), u','))
            if (!target.empty())
                row.Targets.emplace_back(target);
        if (row.Targets.empty()) {
            errors.push_back(LineNumber(lineNumber) + u": нет кодов у «" + row.Text + u"»");
            continue;
        }
        terms.push_back(std::move(row));
    }
    return terms;
}

} // namespace mkb::browser
