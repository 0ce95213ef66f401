#pragma once
// The details page of a record, as the lines of a small HTML document.
#include "browser/references.h"
#include "data/codedates.h"
#include "data/mkbrecs.h"

#include <span>
#include <string>
#include <vector>

namespace mkb::browser {

// The page shown before any record is focused.
inline constexpr std::u16string_view StartPageHtml =
    u"<html><body bgColor=\"#f7f8fa\"></body></html>";

// The page for the record at index; ancestors are the record indexes from the class down to
// the node itself. Below the class and block it names the category and subcategory the record
// lies in; a record without a code (a block) has no code item.
// With references, the codes the name refers to are links (RecordLink) to their records, and
// a last item «Ссылки на эту рубрику» lists the records that refer to this one, as links.
// With dates, a record valid from a date says so («Действует с 07.10.2020») below its code.
std::vector<std::u16string> BuildDetailsPage(std::span<const TMKBRec> store, int index,
                                             const std::vector<int>& ancestors,
                                             const TReferenceTable* references = nullptr,
                                             const TCodeDates* dates = nullptr);

// The address of a record's link on the page, and the record of an address (-1 for any other
// text or a number outside the store).
std::u16string RecordLink(int index);
int RecordOfLink(std::u16string_view href, std::size_t storeSize);

} // namespace mkb::browser
