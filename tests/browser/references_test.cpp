#include "browser/detailspage.h"
#include "browser/records.h"
#include "browser/references.h"
#include "data/loader.h"
#include "tests/browser/store_support.h"

#include <gtest/gtest.h>

#include <vector>

using namespace mkb::browser;

namespace {

using R = std::vector<std::pair<std::u16string, std::u16string>>;

// The reference texts of a name with the code each opens ("" where none).
R Resolved(const TReferenceTable& table, std::span<const TMKBRec> store, std::u16string_view name) {
    R out;
    for (const TReference& r : table.Find(name))
        out.emplace_back(name.substr(r.Start, r.Length),
                         r.Target < 0 ? u"" : RecordCodeText(store[std::size_t(r.Target)]));
    return out;
}

} // namespace

TEST(References, TheFormsOfTheTitlesOpenTheirRecords) {
    std::vector<TMKBRec> store = {
        MakeRecord(1, u"КЛАСС IV", u"БОЛЕЗНИ ЭНДОКРИННОЙ СИСТЕМЫ (E00-E90)", -1),
        MakeRecord(2, u"", u"САХАРНЫЙ ДИАБЕТ (E10-E14)", 1),
        MakeRecord(3, u"E10", u"Сахарный диабет 1 типа", 2),
        MakeRecord(4, u"E14", u"Сахарный диабет неуточненный", 2),
        MakeRecord(5, u"G30", u"Болезнь Альцгеймера", 2),
        MakeRecord(6, u"G30.1", u"Поздняя", 5),
        MakeRecord(7, u"J02.1*", u"Фарингит", 2),
        MakeRecord(8, u"E84.1†", u"Кистозный фиброз", 2),
        MakeRecord(9, u"F00*", u"Деменция при болезни Альцгеймера (G30.-+)", 2),
        TMKBRec{}};
    const TRecordIndex records(store);
    const TReferenceTable table(records);
    EXPECT_EQ(Resolved(table, store, u"Мононевропатия (E10-E14+ с общим четвертым знаком .4)"),
              (R{{u"E10-E14+", u"САХАРНЫЙ ДИАБЕТ (E10-E14)"}}));
    // A range no block has opens its first code; a list gives one link per item.
    EXPECT_EQ(Resolved(table, store, u"x (E10-E13+,G30.-+, J021*)"),
              (R{{u"E10-E13+", u"E10"}, {u"G30.-+", u"G30"}, {u"J021*", u"J02.1*"}}));
    // A Cyrillic letter, the dagger itself, «-» without its dot; a code that does not exist.
    EXPECT_EQ(Resolved(table, store, u"x (Е84.1†) (G30-+) (Z99.9*)"),
              (R{{u"Е84.1†", u"E84.1†"}, {u"G30-+", u"G30"}, {u"Z99.9*", u""}}));
    // Outside parentheses, inside a longer word, a block's own range: no references.
    EXPECT_TRUE(Resolved(table, store, u"G30 при AG301 (XG30) (1G30)").empty());
    // Unclosed or stray parentheses end without reading past the name.
    EXPECT_EQ(Resolved(table, store, u") G30 (G30").size(), 1u);

    // Who refers here: directly, through «.-» over a category, through a range at its depth.
    EXPECT_EQ(table.ReferringTo(4), std::vector<int>{8}); // G30 by F00*
    EXPECT_EQ(table.ReferringTo(5), std::vector<int>{8}); // G30.1 under «G30.-»
    store[7].name = u"Фиброз (E10-E14+)";
    const TReferenceTable ranges(records);
    EXPECT_EQ(ranges.ReferringTo(1), std::vector<int>{7});
    EXPECT_EQ(ranges.ReferringTo(2), std::vector<int>{7}); // categories in the range
    EXPECT_EQ(ranges.ReferringTo(3), std::vector<int>{7});
    EXPECT_EQ(ranges.ReferringTo(5), std::vector<int>{8}); // G30.1 is no code in E10-E14
    EXPECT_TRUE(ranges.ReferringTo(7).empty());            // not itself

    // On the page the reference is a link to its record's address; a block's own range is not.
    const std::vector<std::u16string> page = BuildDetailsPage(store, 8, {0, 1, 8}, &table);
    EXPECT_NE(page[page.size() - 4].find(u"(<a href=\"mkb:4\">G30.-+</a>)"), std::u16string::npos);
    for (const std::u16string& line : BuildDetailsPage(store, 1, {0, 1}, &table))
        EXPECT_EQ(line.find(u"<a "), std::u16string::npos);
    EXPECT_EQ(RecordOfLink(RecordLink(2), store.size()), 2);
    for (std::u16string_view bad :
         {u"mkb:10", u"mkb:", u"mkb:-1", u"mkb:1x", u"", u"mkb:99999999999"})
        EXPECT_EQ(RecordOfLink(bad, store.size()), -1);
}

// Every reference in the embedded titles opens a record, except those listed here: codes this
// edition does not have (J02 has no J02.1; the dotless form itself is read, as J021 -> J02.1).
TEST(References, EveryReferenceOfTheEmbeddedTitlesResolves) {
    if (MKBRecs[0].id == 0)
        LoadClassification();
    const TRecordIndex records(MKBStore());
    const TReferenceTable table(records);
    std::vector<std::u16string> unresolved;
    std::size_t count = 0;
    for (std::size_t i = 0; i < MKBStore().size(); ++i)
        for (const TReference& r : table.Find(MKBRecs[i].name, static_cast<int>(i)))
            if (++count, r.Target < 0)
                unresolved.push_back(DecodeCode(MKBRecs[i]) + u" " +
                                     MKBRecs[i].name.substr(r.Start, r.Length));
    EXPECT_GE(count, 156u);
    EXPECT_EQ(unresolved, std::vector<std::u16string>{u"B38.4 J021*"});
}
