#include "browser/detailspage.h"
#include "browser/records.h"
#include "data/loader.h"
#include "platform/codepage.h"
#include "tests/browser/store_support.h"

#include <gtest/gtest.h>

#include <vector>

using namespace mkb::browser;

namespace {

const auto Make = MakeRecord;

// The embedded classification, loaded once for the suite.
class RealData : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (MKBRecs[0].id == 0)
            LoadClassification();
    }
    static std::span<const TMKBRec> Store() { return MKBStore(); }
};

} // namespace

TEST(Records, TrimAndTexts) {
    EXPECT_EQ(TrimText(u" \t\x01 a b \r\n"), u"a b");
    EXPECT_EQ(TrimText(u"   "), u"");
    TMKBRec block = Make(2, u"", u" КИШЕЧНЫЕ ИНФЕКЦИИ (A00-A09) ", 1);
    EXPECT_EQ(RecordText(block), u"КИШЕЧНЫЕ ИНФЕКЦИИ (A00-A09)");
    TMKBRec cat = Make(3, u" A00 ", u"Холера", 2);
    EXPECT_EQ(RecordText(cat), u"A00 Холера");
}

TEST(Records, SearchIsCaseInsensitiveAndFirstInStoreOrder) {
    std::vector<TMKBRec> store = {
        Make(1, u"КЛАСС I", u"БОЛЕЗНИ (A00-B99)", -1), Make(2, u"", u"Кишечные инфекции", 1),
        Make(3, u"A00", u"Холера", 2), Make(4, u"A01", u"Тиф", 2), TMKBRec{}};
    EXPECT_EQ(FindRecord(store, u"a00"), 0);   // the class name ends with (A00-B99)
    EXPECT_EQ(FindRecord(store, u"холер"), 2); // Cyrillic upper-cased too
    EXPECT_EQ(FindRecord(store, u"КИШЕЧНЫЕ"), 1);
    EXPECT_EQ(FindRecord(store, u"a01"), 3); // the code matches
    EXPECT_EQ(FindRecord(store, u"нет такого"), -1);
    // The empty last slot never matches anything real.
    EXPECT_EQ(FindRecord(std::span(store).subspan(4), u"x"), -1);
}

TEST(Records, IndexAnswersChildrenPathsIdsAndCodes) {
    std::vector<TMKBRec> store = {Make(10, u"КЛАСС I", u"c", -1),
                                  Make(20, u"", u"b", 10),
                                  Make(30, u"A00", u"x", 20),
                                  Make(40, u"A00.1†", u"y", 30),
                                  Make(50, u"J02.1*", u"z", 20),
                                  Make(60, u"A01", u"w", 20),
                                  TMKBRec{}};
    TRecordIndex records(store);
    std::vector<int> path = {3};
    BuildRecordPath(records, 3, path);
    EXPECT_EQ(path, (std::vector<int>{0, 1, 2, 3}));
    // Children in store order; the empty last slot is nobody's child.
    EXPECT_EQ(std::vector<int>(records.Children(20).begin(), records.Children(20).end()),
              (std::vector<int>{2, 4, 5}));
    EXPECT_EQ(records.ById(30), 2);
    EXPECT_EQ(records.ById(0), -1);
    // Codes as a coder types them: marks, dots, case and the Russian layout's look-alikes.
    for (std::u16string_view code : {u"A00.1", u"a001", u"A00.1+", u"А00.1†", u" a00.1* "})
        EXPECT_EQ(records.ByCode(code), 3) << std::string(code.begin(), code.end());
    EXPECT_EQ(records.ByCode(u"J021"), 4);
    for (std::u16string_view code : {u"", u"*", u"A02", u"A00.12", u".", u"J02.1-"})
        EXPECT_EQ(records.ByCode(code), -1) << std::string(code.begin(), code.end());
    // A parent that is missing ends the path; a cycle in damaged data does not hang.
    store[0].parent_id = 99;
    records.Build(store);
    path = {3};
    BuildRecordPath(records, 3, path);
    EXPECT_EQ(path, (std::vector<int>{0, 1, 2, 3}));
    store[0].parent_id = 40;
    records.Build(store);
    path = {3};
    BuildRecordPath(records, 3, path);
    EXPECT_LE(path.size(), store.size() + 1);
}

TEST(DetailsPage, ClassBlockAndCategoryLines) {
    std::vector<TMKBRec> store = {Make(1, u"КЛАСС I", u"БОЛЕЗНИ (A00-B99)", -1),
                                  Make(2, u"", u"ИНФЕКЦИИ (A00-A09)", 1),
                                  Make(3, u"A00", u"Холера", 2)};
    std::vector<std::u16string> klass = BuildDetailsPage(store, 0, {0});
    ASSERT_EQ(klass.size(), 3u + 3 * 6 + 2);
    EXPECT_EQ(klass[0], u"<html>");
    EXPECT_EQ(klass[1], u"  <body bgColor=\"#f7f8fa\">");
    EXPECT_EQ(klass[2], u"    <table border=\"0\" cellpadding=\"0\" cellspacing=\"8\">");
    EXPECT_EQ(klass[3], u"    <tr>");
    EXPECT_EQ(
        klass[4],
        u"      <td><font size=\"2\" color=\"#871f1c\" face=\"Verdana\"><b>Класс</b></font></td>");
    EXPECT_EQ(klass[5], u"    </tr>");
    EXPECT_EQ(klass[7],
              u"      <td><font size=\"2\" face=\"Verdana\">КЛАСС I.БОЛЕЗНИ (A00-B99)</font></td>");
    EXPECT_EQ(
        klass[10],
        u"      <td><font size=\"2\" color=\"#871f1c\" face=\"Verdana\"><b>Код</b></font></td>");
    EXPECT_EQ(klass[13], u"      <td><font size=\"2\" face=\"Verdana\">КЛАСС I</font></td>");
    EXPECT_EQ(klass[klass.size() - 2], u"  </body>");
    EXPECT_EQ(klass.back(), u"</html>");

    std::vector<std::u16string> block = BuildDetailsPage(store, 1, {0, 1});
    ASSERT_EQ(block.size(), 3u + 3 * 6 + 2); // no Код item for a block, which has no code
    EXPECT_NE(block[10].find(u"Раздел"), std::u16string::npos);
    EXPECT_EQ(block[13],
              u"      <td><font size=\"2\" face=\"Verdana\">ИНФЕКЦИИ (A00-A09)</font></td>");
    EXPECT_NE(block[16].find(u"Наименование"), std::u16string::npos);

    // Notes: kept as stored with their breaks; spaces only means no item.
    store[2].incl = u"  a<br>b ";
    store[2].excl = u" \t ";
    store[2].note = u"n";
    std::vector<std::u16string> cat = BuildDetailsPage(store, 2, {0, 1, 2});
    ASSERT_EQ(cat.size(), 3u + 6 * 6 + 2);
    EXPECT_NE(cat[28].find(u"Включенные данные"), std::u16string::npos);
    EXPECT_EQ(cat[31], u"      <td><font size=\"2\" face=\"Verdana\">  a<br>b </font></td>");
    EXPECT_NE(cat[34].find(u"Дополнительная информация"), std::u16string::npos);
}

TEST_F(RealData, StoreAndSearch) {
    std::span<const TMKBRec> store = Store();
    ASSERT_EQ(store.size(), static_cast<std::size_t>(MKBRecCapacity));
    EXPECT_EQ(DecodeCode(store[0]), u"КЛАСС I");
    EXPECT_EQ(store[0].parent_id, -1);
    EXPECT_EQ(FindRecord(store, u"a00"), 0);
    int c000 = FindRecord(store, u"C00.0");
    ASSERT_GE(c000, 0);
    EXPECT_EQ(DecodeCode(store[static_cast<std::size_t>(c000)]), u"C00.0");
    const TRecordIndex records(store);
    EXPECT_EQ(records.ByCode(u"с000"), c000); // Cyrillic «с», no dot
    std::vector<int> path = {c000};
    BuildRecordPath(records, c000, path);
    // Class II, its block, the nested sub-blocks (this edition nests C00-C75 and C00-C14 inside
    // C00-C97), category C00, then C00.0 itself.
    ASSERT_EQ(path.size(), 6u);
    EXPECT_EQ(DecodeCode(store[static_cast<std::size_t>(path[0])]), u"КЛАСС II");
    for (std::size_t i = 1; i + 2 < path.size(); ++i)
        EXPECT_EQ(DecodeCode(store[static_cast<std::size_t>(path[i])]), u"") << i;
    EXPECT_EQ(DecodeCode(store[static_cast<std::size_t>(path[4])]), u"C00");
    for (std::size_t i = 1; i < path.size(); ++i)
        EXPECT_EQ(store[static_cast<std::size_t>(path[i])].parent_id,
                  store[static_cast<std::size_t>(path[i - 1])].id);
    EXPECT_EQ(FindRecord(store, u"такого текста в классификации нет"), -1);
    // Page of a category under class I.
    int a00 = FindRecord(store, u"Холера");
    ASSERT_GE(a00, 0);
    std::vector<int> ancestors = {a00};
    BuildRecordPath(records, a00, ancestors);
    std::vector<std::u16string> page = BuildDetailsPage(store, a00, ancestors);
    EXPECT_EQ(page[19], u"      <td><font size=\"2\" face=\"Verdana\">A00</font></td>");
    EXPECT_EQ(page[25], u"      <td><font size=\"2\" face=\"Verdana\">Холера</font></td>");
    // A five-character code names its category and subcategory after its class and block.
    const int s0670 = FindRecord(store, u"S06.70");
    ancestors = {s0670};
    BuildRecordPath(records, s0670, ancestors);
    page = BuildDetailsPage(store, s0670, ancestors);
    ASSERT_EQ(page.size(), 3u + 6 * 6 + 2);
    EXPECT_NE(page[16].find(u"<b>Рубрика</b>"), std::u16string::npos);
    EXPECT_NE(page[19].find(u">S06 "), std::u16string::npos);
    EXPECT_NE(page[22].find(u"<b>Подрубрика</b>"), std::u16string::npos);
    EXPECT_NE(page[25].find(u">S06.7 "), std::u16string::npos);
    EXPECT_NE(page[31].find(u">S06.70<"), std::u16string::npos);
}
