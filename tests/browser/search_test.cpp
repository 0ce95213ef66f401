#include "browser/browser.h"
#include "browser/detailspage.h"
#include "browser/records.h"
#include "browser/search_list.h"
#include "browser/search_rank.h"
#include "browser/search_text.h"
#include "data/loader.h"
#include "platform/application.h"
#include "platform/codepage.h"
#include "tests/browser/search_support.h"
#include "tests/browser/store_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <set>
#include <vector>

using namespace mkb::browser;

namespace {

const auto Make = MakeRecord;

std::u16string CodeOf(std::span<const TMKBRec> store, int record) {
    return std::u16string(TrimText(DecodeCode(store[static_cast<std::size_t>(record)])));
}

std::vector<std::u16string> Codes(std::span<const TMKBRec> store, const std::vector<int>& records) {
    std::vector<std::u16string> codes;
    for (int r : records)
        codes.push_back(CodeOf(store, r));
    return codes;
}

class RealSearch : public RealStoreSearch {
protected:
    static std::vector<std::u16string> Top(std::u16string_view query) {
        return Codes(MKBStore(), Search(*Index, query).Records);
    }
};

} // namespace

// For each query, the first row must be one of the codes a coder means.
TEST_F(RealSearch, EvaluationTableFirstRows) {
    struct TCase {
        std::u16string Query;
        std::vector<std::u16string> Means;
        bool OrSubcategory;
    };
    const std::vector<TCase> table = {
        {u"грипп", {u"J09", u"J10", u"J11"}, true},
        {u"острый аппендицит", {u"K35"}, true},
        {u"сахарный диабет", {u"E10", u"E11", u"E12", u"E13", u"E14"}, true},
        {u"перелом шейки бедра", {u"S72.0"}, false},
        {u"мигрень", {u"G43"}, false},
        {u"цистит", {u"N30"}, false},
        {u"пневмония", {u"J18", u"J18.9"}, false},
        {u"язва желудка", {u"K25"}, false},
        {u"отит", {u"H60", u"H61", u"H62", u"H65", u"H66", u"H67"}, true},
        {u"кариес", {u"K02"}, false},
        {u"с00.0", {u"C00.0"}, false},
        {u"j101", {u"J10.1"}, false},
        {u"uhbgg", {u"J09", u"J10", u"J11"}, false},
        {u"менингит бактериальный", {u"G00"}, false},
    };
    int hits = 0;
    for (const TCase& c : table) {
        const std::vector<std::u16string> codes = Top(c.Query);
        ASSERT_FALSE(codes.empty()) << "no results";
        const bool meant = std::any_of(c.Means.begin(), c.Means.end(), [&](const auto& m) {
            return codes[0] == m || (c.OrSubcategory && codes[0].starts_with(m + u"."));
        });
        hits += meant;
        EXPECT_TRUE(meant) << "query #" << (&c - table.data()) << " opens with the wrong record";
    }
    EXPECT_EQ(hits, static_cast<int>(table.size()));
}

TEST_F(RealSearch, RankingExamples) {
    // A code typed exactly comes first; "грипп" offers the influenza categories before G00.0.
    EXPECT_EQ(Top(u"j10").front(), u"J10");
    // A dual-coded pair's mark is part of the code shown, not of the code typed.
    EXPECT_EQ(Top(u"A02.2").front(), u"A02.2†");
    EXPECT_EQ(Top(u"d63").front(), u"D63*");
    // Fewer words beside the query's first: "Острый бронхит" before "Бронхит, не уточненный как
    // острый или хронический", whose unspecified words do not make up for the others.
    EXPECT_EQ(Top(u"бронхит острый").front(), u"J20");
    const auto flu = Top(u"грипп");
    const auto g000 = std::find(flu.begin(), flu.end(), u"G00.0");
    ASSERT_NE(g000, flu.end());
    for (const char16_t* code : {u"J09", u"J10", u"J11", u"J10.0", u"J11.8"})
        EXPECT_LT(std::find(flu.begin(), flu.end(), code), g000);
    // "(A00-B99)" of class I and "(A00-A09)" of the block merely contain a00: they come last.
    const TSearchResults a00 = Search(*Index, u"a00");
    EXPECT_EQ(CodeOf(MKBStore(), a00.Records.front()), u"A00");
    EXPECT_EQ(a00.Records.back(), 0);
    EXPECT_TRUE(CodeOf(MKBStore(), a00.Records[a00.Records.size() - 2]).empty());
    // A common pair matches thousands of records, every one of them once.
    const std::vector<int> many = Search(*Index, u"ая").Records;
    EXPECT_GT(many.size(), 1000u);
    EXPECT_EQ(std::set<int>(many.begin(), many.end()).size(), many.size());
    EXPECT_TRUE(Search(*Index, u"zzz").Records.empty());
}

TEST(SearchMatching, FoldingWordsCodesAndLayouts) {
    std::vector<TMKBRec> store = {
        Make(1, u"КЛАСС I", u"НЕКОТОРЫЕ ИНФЕКЦИОННЫЕ БОЛЕЗНИ (A00-B99)", -1),
        Make(2, u"", u"КИШЕЧНЫЕ ИНФЕКЦИИ (A00-A09)", 1),
        Make(3, u"A00", u"Холера", 2),
        Make(4, u"A00.0", u"Холера, вызванная холерным вибрионом", 3),
        Make(5, u"C00.0", u"Новообразование наружной поверхности верхней губы", 2),
        Make(6, u"J10.1", u"Грипп с другими проявлениями", 2),
        Make(7, u"R00", u"Учёт данных", 2),
        Make(8, u"R01", u"учет сведений", 2),
        Make(9, u"R02", u"Отчетный период ёжика", 2)};
    TSearchIndex index(store);
    auto codes = [&](std::u16string_view q) { return Codes(store, Search(index, q).Records); };
    using V = std::vector<std::u16string>;

    // ё and е either way round; case does not matter.
    EXPECT_EQ(codes(u"учет"), (V{u"R00", u"R01"}));
    EXPECT_EQ(codes(u"УЧЁТ"), (V{u"R00", u"R01"}));
    EXPECT_EQ(codes(u"ежик"), (V{u"R02"}));
    // Codes typed with Cyrillic look-alikes, or without the dot.
    EXPECT_EQ(codes(u"с00.0"), (V{u"C00.0"}));
    EXPECT_EQ(codes(u"А00").front(), u"A00");
    EXPECT_EQ(codes(u"j101"), (V{u"J10.1"}));
    EXPECT_EQ(codes(u"а000"), (V{u"A00.0"}));
    // Look-alikes hold for codes only: a Latin "c" is no Cyrillic "с" in a name.
    EXPECT_TRUE(index.Match(u"cведений").empty());
    // Every word, in any order.
    EXPECT_EQ(codes(u" вибрионом   холера "), (V{u"A00.0"}));
    // No record holds every word: those that hold the most, the words left out named.
    const TSearchResults most = Search(index, u"холера губы вибрионом");
    EXPECT_EQ(Codes(store, most.Records), (V{u"A00.0"}));
    EXPECT_EQ(most.LeftOut, (V{u"губы"}));
    // The code itself, then codes starting with it; the ranges of a block and a class last.
    EXPECT_EQ(codes(u"a00"), (V{u"A00", u"A00.0", u"", u"КЛАСС I"}));
    EXPECT_EQ(codes(u"холер"), (V{u"A00", u"A00.0"}));

    // The wrong keyboard layout, both ways, when the typed keys find nothing.
    const TSearchResults flu = Search(index, u"uhbgg");
    EXPECT_TRUE(flu.LayoutSwapped);
    EXPECT_EQ(flu.Query, u"грипп");
    EXPECT_EQ(Codes(store, flu.Records), (V{u"J10.1"}));
    EXPECT_EQ(SwapKeyboardLayout(u"о10ю1"), u"j10.1");
    EXPECT_EQ(SwapKeyboardLayout(u"Cjrjkjdf"), u"Соколова");
    EXPECT_EQ(codes(u"о10ю1"), (V{u"J10.1"}));
    const TSearchResults none = Search(index, u"zzz");
    EXPECT_FALSE(none.LayoutSwapped);
    EXPECT_EQ(none.Query, u"zzz");
    // A character the folding does not know matches nothing, not another unknown one.
    EXPECT_TRUE(codes(u"ж\U0001F600").empty());
}

TEST(SearchMatching, EmphasisSpans) {
    using V = std::vector<TTextSpan>;
    std::vector<TMKBRec> store = {Make(1, u"КЛАСС X", u"БОЛЕЗНИ ОРГАНОВ ДЫХАНИЯ (J00-J99)", -1),
                                  Make(2, u"", u"КИШЕЧНЫЕ ИНФЕКЦИИ (A00-A09)", 1),
                                  Make(3, u"J10.1", u"Грипп с другими проявлениями гриппа", 2),
                                  Make(4, u"J20", u"Острый бронхит", 2)};
    TSearchIndex index(store);
    auto spans = [&](int record, std::u16string_view query) {
        const std::size_t code =
            TrimText(DecodeCode(store[static_cast<std::size_t>(record)])).size();
        return index.MatchSpans(index.Plan(query), record, code);
    };
    EXPECT_EQ(spans(2, u"j101 ГРИПП"), (V{{0, 5}, {6, 5}, {35, 6}}));
    EXPECT_EQ(spans(2, u"10.1"), (V{{1, 4}}));
    EXPECT_EQ(spans(1, u"а00"), (V{}));
    EXPECT_EQ(spans(1, u"a00 инф"), (V{{9, 3}, {19, 3}}));
    // Another form of a word marks the title's word; a function word marks nothing.
    EXPECT_EQ(spans(3, u"бронхитом с"), (V{{11, 7}}));
}

namespace {

class FakeBar : public TSearchBarView {
public:
    std::u16string Value;
    std::u16string Text() const override { return Value; }
    void SetText(const std::u16string& text) override { Value = text; }
    void SetTextColor(TColor) override {}
    void SetSearchEnabled(bool) override {}
};

class FakeResultsView : public TSearchResultsView {
public:
    int Rows = -1; // -1 while hidden
    std::u16string Header;
    bool ListFocused = false;
    void ShowResults(int rows) override { Rows = rows; }
    void HideResults() override {
        Rows = -1;
        ListFocused = false;
    }
    void SetResultsHeader(const std::u16string& text) override { Header = text; }
    void FocusResults() override { ListFocused = true; }
    void FocusSearchBox() override { ListFocused = false; }
};

class SearchListTest : public RealSearch {
protected:
    void SetUp() override {
        EnsureApplication();
        ForgetChildCounts(MKBStore());
        Tree = std::make_unique<TVirtualStringTree>();
        Tree->SetNodeDataSize(4);
        Tree->SetBounds(0, 0, 600, 400);
        Tree->Show();
        Browser = std::make_unique<TBrowser>(MKBStore(), *Tree);
        Browser->SearchBar = &Bar;
        TBrowser* b = Browser.get();
        Tree->OnExpanding = [b](TBaseVirtualTree* s, PVirtualNode n, bool& a) {
            b->vstPartsTreeExpanding(s, n, a);
        };
        Browser->AddChildNodes(-1, nullptr);
        List = std::make_unique<TSearchResultsList>(MKBStore(), *Browser);
        List->View = &View;
    }
    std::u16string Opened() {
        if (Tree->SelectedCount() != 1)
            return u"";
        return CodeOf(MKBStore(), Browser->RecordIndex(Tree->GetSelection()[0]));
    }
    std::unique_ptr<TVirtualStringTree> Tree;
    FakeBar Bar;
    FakeResultsView View;
    std::unique_ptr<TBrowser> Browser;
    std::unique_ptr<TSearchResultsList> List;
};

} // namespace

TEST_F(SearchListTest, ShowsAtMostFifteenRowsAndNamesTheOtherLayout) {
    List->SearchTextChanged(u"ая");
    EXPECT_EQ(View.Rows, TSearchResultsList::MaxVisibleRows);
    EXPECT_EQ(List->vstSearchResults().RootNodeCount(), List->Results().Records.size());
    List->SearchTextChanged(u"uhbgg");
    EXPECT_TRUE(View.Header.starts_with(u"Показаны результаты для «грипп»"));
    List->SearchTextChanged(u"менингид");
    EXPECT_TRUE(View.Header.starts_with(u"Показаны результаты для «менингит»"));
    List->SearchTextChanged(u"острый бронхит с кашлем");
    EXPECT_TRUE(View.Header.starts_with(u"Без слов: кашлем. Найдено: "));
    List->SearchTextChanged(u"u ");
    EXPECT_EQ(View.Rows, -1); // closed below two characters
    // Down in the search box opens it again and enters it at the first row.
    Bar.Value = u"uhbgg";
    EXPECT_TRUE(List->SearchBoxKeyDown(vk::Down, {}));
    EXPECT_TRUE(View.ListFocused);
    EXPECT_EQ(List->vstSearchResults().FocusedNode(),
              List->vstSearchResults().RootNode()->FirstChild);
}

TEST_F(SearchListTest, OpeningARowAndF3Wrapping) {
    Bar.Value = u"мигрень";
    List->SearchTextChanged(Bar.Value);
    const std::vector<int> rows = List->Results().Records;
    ASSERT_GE(rows.size(), 3u);
    List->OpenRow(1);
    EXPECT_EQ(View.Rows, -1); // closed by the opening
    EXPECT_EQ(Opened(), CodeOf(MKBStore(), rows[1]));
    // F3 goes on after the row opened last and wraps at the end; Shift+F3 goes back.
    for (std::size_t i = 2; i < rows.size(); ++i) {
        List->OpenNextResult(false);
        EXPECT_EQ(Opened(), CodeOf(MKBStore(), rows[i]));
    }
    List->OpenNextResult(false);
    EXPECT_EQ(Opened(), CodeOf(MKBStore(), rows[0]));
    List->OpenNextResult(true);
    EXPECT_EQ(Opened(), CodeOf(MKBStore(), rows.back()));
    // A search by Enter counts as the last opening too: F3 continues after its record.
    Browser->SearchAndShow(u"G43.1");
    List->OpenNextResult(false);
    const auto g431 = std::find(rows.begin(), rows.end(), Browser->FindRecord(u"G43.1"));
    ASSERT_NE(g431, rows.end());
    EXPECT_EQ(Opened(), CodeOf(MKBStore(), g431 + 1 == rows.end() ? rows[0] : *(g431 + 1)));
}

TEST_F(SearchListTest, WithdrawnCodeGetsAGreyRowAndDatedRecordsSayFromWhen) {
    std::u16string told;
    Browser->ShowInformation = [&told](const std::u16string& text) { told = text; };
    for (const std::u16string code : {u"к35.0", u"I84", u"K350"}) {
        List->SearchTextChanged(code);
        ASSERT_NE(List->WithdrawnRow(), nullptr);
        const std::size_t found = List->Results().Records.size();
        auto& list = List->vstSearchResults();
        ASSERT_EQ(list.RootNodeCount(), found + 1);
        EXPECT_EQ(List->RowRecord(static_cast<unsigned>(found)), -1);
        const std::u16string last = list.Text(list.RootNode()->LastChild);
        EXPECT_NE(last.find(u"исключен с 07.10.2020"), std::u16string::npos);
        EXPECT_TRUE(last.starts_with(code == u"I84" ? u"I84 Геморрой" : u"K35.0 "));
        EXPECT_TRUE(List->HeaderText().ends_with(u"исключен из МКБ-10"));
    }
    Bar.Value = u"I84";
    List->OpenFirstResult();
    if (List->Results().Records.empty()) {
        EXPECT_NE(told.find(u"исключен с 07.10.2020"), std::u16string::npos);
    }
    List->SearchTextChanged(u"K35.2");
    EXPECT_EQ(List->WithdrawnRow(), nullptr);
    EXPECT_EQ(List->vstSearchResults().RootNodeCount(), List->Results().Records.size());

    // A09.0 is valid from 01.01.2015; J10.1 carries no date.
    const auto page = [&](const char16_t* code) {
        std::u16string all;
        for (const std::u16string& line : BuildDetailsPage(MKBStore(), Browser->FindRecord(code),
                                                           {}, nullptr, &TCodeDates::Embedded()))
            all += line;
        return all;
    };
    EXPECT_NE(page(u"A09.0").find(u"Действует с 01.01.2015"), std::u16string::npos);
    EXPECT_EQ(page(u"J10.1").find(u"Действует"), std::u16string::npos);
}
