// The search reading clinical Russian: word forms, the table of terms, slips, partial matches,
// and one rule for what a row matched and what it emphasises.
#include "browser/records.h"
#include "browser/search_rank.h"
#include "browser/search_terms.h"
#include "browser/search_words.h"
#include "data/loader.h"
#include "tests/browser/search_support.h"
#include "tests/browser/store_support.h"
#include "text/utf.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

using namespace mkb::browser;

using namespace mkb::text;

namespace {

const auto Make = MakeRecord;

std::string Folded(std::u16string_view word) {
    return FoldQueryWord(word, fkName);
}

std::u16string_view StemOf(std::u16string_view word) {
    return word.substr(0, StemLength(Folded(word)));
}

class LanguageSearch : public RealStoreSearch {
protected:
    // A row's label: its code, or a block's range.
    static std::u16string Label(int record) {
        const std::u16string code(
            TrimText(DecodeCode(MKBStore()[static_cast<std::size_t>(record)])));
        if (!code.empty())
            return code;
        const std::u16string range =
            std::u16string(TrimText(MKBStore()[static_cast<std::size_t>(record)].name));
        const std::size_t open = range.rfind(u'(');
        return open == std::u16string::npos ? range
                                            : range.substr(open + 1, range.size() - open - 2);
    }
};

} // namespace

TEST(SearchWords, StemsSharedStemsAndFunctionWords) {
    // Inflammations keep "-ит" in the nominative, so their forms share a stem.
    EXPECT_EQ(StemOf(u"гастрит"), StemOf(u"гастрита"));
    EXPECT_EQ(StemOf(u"колит"), u"колит");
    EXPECT_EQ(StemOf(u"менингите"), u"менингит");
    // A fleeting vowel and the soft sign.
    EXPECT_EQ(SharedStem(Folded(StemOf(u"почек"))), SharedStem(Folded(StemOf(u"почками"))));
    EXPECT_EQ(SharedStem(Folded(StemOf(u"ребер"))), SharedStem(Folded(StemOf(u"ребра"))));
    EXPECT_EQ(SharedStem(Folded(StemOf(u"палец"))), SharedStem(Folded(StemOf(u"пальца"))));
    EXPECT_NE(SharedStem(Folded(StemOf(u"лейкемия"))), SharedStem(Folded(StemOf(u"лейкомы"))));
    EXPECT_TRUE(CollidingStem(Folded(StemOf(u"раны"))));
    EXPECT_TRUE(IsFunctionWord(Folded(u"при")));
    EXPECT_FALSE(IsFunctionWord(Folded(u"прием")));
    EXPECT_EQ(StemLength(Folded(u"J45")), 3u); // not a Russian word: itself
}

TEST(SearchWords, TermTableRowsAndErrors) {
    std::vector<std::u16string> errors;
    const auto rows = ParseSearchTerms(
        "# c\n\nОНМК\tI63, I61\nмерцательная аритмия\tI48\r\nбез табуляции I10\nпусто\t , \n",
        errors);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].Targets, (std::vector<std::u16string>{u"I63", u"I61"}));
    EXPECT_EQ(rows[0].Exact, std::vector<bool>{true});
    EXPECT_EQ(rows[1].Words.size(), 2u);
    EXPECT_EQ(rows[1].Exact, (std::vector<bool>{false, false}));
    ASSERT_EQ(errors.size(), 2u);
    EXPECT_TRUE(errors[0].starts_with(u"строка 5"));
    EXPECT_TRUE(errors[1].starts_with(u"строка 6"));
}

TEST(SearchWords, SlipsTakeTheNearestAndMoreFrequentWord) {
    std::vector<TMKBRec> store = {
        Make(1, u"A00", u"Менингит", -1), Make(2, u"A01", u"Менингиты", -1),
        Make(3, u"A02", u"Менингит гнойный", -1), Make(4, u"A03", u"Тиреоидит", -1)};
    TSearchIndex index(store);
    const TSearchResults slip = Search(index, u"менингид");
    EXPECT_TRUE(slip.Corrected);
    EXPECT_EQ(slip.Query, u"менингит");
    EXPECT_EQ(slip.Records.size(), 3u);
    // Under five letters, or nothing within reach: no reading.
    EXPECT_TRUE(Search(index, u"мини").Records.empty());
    EXPECT_TRUE(Search(index, u"кардиомиопатия").Records.empty());
    // Two edits for a long word, with the layout swapped as well.
    EXPECT_EQ(Search(index, u"тиереоедит").Query, u"тиреоидит");
    const TSearchResults swapped = Search(index, u"nbhtjblbl"); // "тиреоидид" on QWERTY
    EXPECT_TRUE(swapped.LayoutSwapped && swapped.Corrected);
    EXPECT_EQ(swapped.Query, u"тиреоидит");
}

namespace {

struct TMeant {
    std::u16string Query;
    std::vector<std::u16string> Means; // codes or block ranges; a subcategory of one counts too
};

// Chosen by hand: inflected forms, abbreviations, everyday names and slips as records hold them.
const std::vector<TMeant>& LanguageTable() {
    static const std::vector<TMeant> table = {
        // Inflected forms.
        {u"бронхитом", {u"J20", u"J40", u"J42"}},
        {u"переломами лучевой кости", {u"S52"}},
        {u"менингите", {u"A87", u"G00", u"G01", u"G02", u"G03"}},
        {u"отитов", {u"H60", u"H61", u"H62", u"H65", u"H66", u"H67"}},
        {u"грыжами", {u"K40", u"K41", u"K42", u"K43", u"K44", u"K45", u"K46"}},
        {u"почечной коликой", {u"N23"}},
        {u"камни почек", {u"N20"}},
        {u"гастритом", {u"K29"}},
        {u"циститом", {u"N30"}},
        {u"язвой желудка", {u"K25"}},
        {u"инфарктом миокарда", {u"I21"}},
        {u"переломом шейки бедра", {u"S72.0"}},
        {u"сотрясением головного мозга", {u"S06.0"}},
        {u"остеохондрозом позвоночника", {u"M42"}},
        {u"катарактой", {u"H25", u"H26", u"H28"}},
        {u"глаукомой", {u"H40"}},
        {u"астмой", {u"J45"}},
        {u"мигренью", {u"G43"}},
        {u"ветряной оспой", {u"B01"}},
        {u"панкреатитом", {u"K85", u"K86"}},
        // Abbreviations.
        {u"ОНМК", {u"I63", u"I61", u"I60", u"I64", u"I62"}},
        {u"окс", {u"I24", u"I21", u"I20.0"}},
        {u"АГ", {u"I10"}},
        {u"НЯК", {u"K51"}},
        {u"СРК", {u"K58"}},
        {u"ВСД", {u"F45.3", u"G90.8"}},
        {u"ХОБЛ", {u"J44"}},
        {u"ИБС", {u"I25"}},
        {u"орви", {u"J06"}},
        {u"ЖКБ", {u"K80"}},
        {u"ГЭРБ", {u"K21"}},
        {u"ДЦП", {u"G80"}},
        {u"ЧМТ", {u"S06"}},
        {u"ТЭЛА", {u"I26"}},
        {u"ХСН", {u"I50"}},
        {u"ХБП", {u"N18"}},
        {u"ЖДА", {u"D50"}},
        {u"ДГПЖ", {u"N40"}},
        {u"СКВ", {u"M32"}},
        // Everyday names.
        {u"плоскостопие", {u"M21.4"}},
        {u"близорукость", {u"H52.1"}},
        {u"мерцательная аритмия", {u"I48"}},
        {u"обморожение", {u"T33-T35"}},
        {u"малокровие", {u"D64.9"}},
        {u"климакс", {u"N95.1"}},
        {u"ветрянка", {u"B01"}},
        {u"свинка", {u"B26"}},
        {u"грудная жаба", {u"I20"}},
        {u"дальнозоркость", {u"H52.0"}},
        {u"гайморит", {u"J01.0", u"J32.0"}},
        {u"насморк", {u"J00"}},
        {u"ангина", {u"J03"}},
        {u"инсульт", {u"I63", u"I64", u"I61"}},
        {u"воспаление легких", {u"J18"}},
        // One slip.
        {u"менингид", {u"G03", u"A87", u"G00"}},
        {u"пиелонефрид", {u"N10", u"N11", u"N12"}},
        {u"гипотериоз", {u"E03", u"E02"}},
        {u"астьма", {u"J45"}},
        {u"пневмания", {u"J18"}},
        {u"гастрид", {u"K29"}},
        {u"холицистит", {u"K81"}},
        {u"аппендецит", {u"K35", u"K36", u"K37"}},
        {u"глаукама", {u"H40"}},
        {u"астеохондроз", {u"M42"}},
        // Codes, terms among words, more words than any title holds.
        {u"J45,9", {u"J45.9"}},
        {u"СД 2 типа", {u"E11"}},
        {u"рак молочной железы", {u"C50"}},
        {u"сахарный диабет 2 типа с осложнениями", {u"E11"}},
    };
    return table;
}

} // namespace

TEST_F(LanguageSearch, EvaluationTable) {
    int top1 = 0;
    for (const TMeant& c : LanguageTable()) {
        const std::vector<int> records = Search(*Index, c.Query).Records;
        auto meant = [&](int record) {
            const std::u16string label = Label(record);
            return std::any_of(c.Means.begin(), c.Means.end(), [&](const std::u16string& m) {
                return label == m || label.starts_with(m + u".");
            });
        };
        const auto within = std::find_if(
            records.begin(), records.begin() + std::min<std::size_t>(5, records.size()), meant);
        EXPECT_NE(within - records.begin(),
                  std::min<std::ptrdiff_t>(5, static_cast<std::ptrdiff_t>(records.size())))
            << "«" << Utf16ToUtf8(c.Query) << "»: the meant record is not among the first five";
        top1 += !records.empty() && meant(records[0]);
    }
    const auto n = static_cast<int>(LanguageTable().size());
    EXPECT_GE(top1 * 10, n * 9) << top1 << " of " << n << " first";
}

// What made a row a result is what its emphasis shows: each unit the record holds marks
// something in the row, or the row came by a term, which the list names.
TEST_F(LanguageSearch, EveryRowShowsWhatMatched) {
    for (const TMeant& c : LanguageTable()) {
        const TSearchResults results = Search(*Index, c.Query);
        for (std::size_t row = 0; row < std::min<std::size_t>(50, results.Records.size()); ++row) {
            const int record = results.Records[row];
            const std::size_t code =
                TrimText(DecodeCode(MKBStore()[static_cast<std::size_t>(record)])).size();
            for (const TQueryUnit& unit : results.Plan.Units) {
                if (unit.Optional || std::find(results.LeftOut.begin(), results.LeftOut.end(),
                                               unit.Text) != results.LeftOut.end())
                    continue;
                EXPECT_TRUE(!Index->UnitSpans(unit, record, code).empty() ||
                            Index->ByTerm(unit, record))
                    << "«" << Utf16ToUtf8(c.Query) << "» row " << row << " shows nothing of «"
                    << Utf16ToUtf8(unit.Text) << "»";
            }
        }
    }
}

TEST_F(LanguageSearch, EveryTermTargetIsInTheClassification) {
    std::vector<std::u16string> errors;
    ParseSearchTerms(SearchTermsText(), errors);
    for (const std::u16string& e : errors)
        ADD_FAILURE() << Utf16ToUtf8(e);
    for (const std::u16string& missing : Index->UnresolvedTargets())
        ADD_FAILURE() << "no such record: " << Utf16ToUtf8(missing);
    EXPECT_GE(Index->Terms().size(), 300u);
    // The query's function words never make it fail, and the words no record holds along with
    // the others are named.
    const TSearchResults most = Search(*Index, u"острый бронхит с кашлем");
    EXPECT_EQ(most.LeftOut, std::vector<std::u16string>{u"кашлем"});
    EXPECT_EQ(Label(most.Records.front()), u"J20");
}
