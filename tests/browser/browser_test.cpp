#include "browser/browser.h"
#include "browser/records.h"
#include "browser/windowsetup.h"
#include "data/loader.h"
#include "platform/application.h"
#include "tests/browser/store_support.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <memory>
#include <string>
#include <vector>

using namespace mkb::browser;

namespace {

class FakeDetails : public TDetailsView {
public:
    int Clears = 0;
    std::vector<std::u16string> Lines;
    std::u16string Text;
    void ClearDocument() override {
        ++Clears;
        Lines.clear();
        Text.clear();
    }
    void LoadHtmlText(const std::u16string& text) override { Text = text; }
    void LoadHtmlLines(const std::vector<std::u16string>& lines) override { Lines = lines; }
};

class FakeSearchBar : public TSearchBarView {
public:
    std::u16string Value{SearchPlaceholder};
    TColor Color = clInactiveCaption;
    bool Enabled = false;
    std::u16string Text() const override { return Value; }
    void SetText(const std::u16string& text) override { Value = text; }
    void SetTextColor(TColor color) override { Color = color; }
    void SetSearchEnabled(bool enabled) override { Enabled = enabled; }
};

// The browser over the embedded classification, with a real tree set up and wired as the window
// does it.
class BrowserTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (MKBRecs[0].id == 0)
            LoadClassification();
    }
    void SetUp() override {
        EnsureApplication();
        ForgetChildCounts(MKBStore());
        Tree = std::make_unique<TVirtualStringTree>();
        Tree->SetNodeDataSize(4);
        SetUpPartsTree(*Tree, Images);
        Tree->SetBounds(0, 0, 600, 400);
        Tree->Show();
        Browser = std::make_unique<TBrowser>(MKBStore(), *Tree);
        Browser->Details = &Details;
        Browser->SearchBar = &Bar;
        Browser->ShowInformation = [this](const std::u16string& t) { Messages.push_back(t); };
        ConnectPartsTree(*Tree, *Browser);
        Browser->AddChildNodes(-1, nullptr);
    }
    int Image(PVirtualNode n) {
        bool ghosted = false;
        int index = -1;
        Browser->vstPartsTreeGetImageIndex(Tree.get(), n, TVTImageKind{}, 0, ghosted, index);
        return index;
    }
    std::u16string TextOf(PVirtualNode n) { return Tree->Text(n); }
    std::vector<PVirtualNode> Children(PVirtualNode n) {
        std::vector<PVirtualNode> out;
        for (PVirtualNode c = n->FirstChild; c; c = c->NextSibling)
            out.push_back(c);
        return out;
    }

    FakeDetails Details;
    FakeSearchBar Bar;
    std::vector<std::u16string> Messages;
    TImageList Images{24, 24};
    std::unique_ptr<TVirtualStringTree> Tree;
    std::unique_ptr<TBrowser> Browser;
};

} // namespace

TEST_F(BrowserTest, TopLevelIsTheClassesCollapsed) {
    std::vector<PVirtualNode> classes = Children(Tree->RootNode());
    ASSERT_EQ(classes.size(), 22u); // this edition has class XXII for special purposes
    for (PVirtualNode c : classes) {
        EXPECT_FALSE(Tree->Expanded(c));
        EXPECT_EQ(c->ChildCount, 1u); // the placeholder gives each class its button
        EXPECT_EQ(Image(c), 0);
    }
    // The set-up found the pictures linked into this program too.
    EXPECT_EQ(Tree->Background().Width(), 161);
    EXPECT_EQ(TextOf(classes[0]),
              u"КЛАСС I НЕКОТОРЫЕ ИНФЕКЦИОННЫЕ И ПАРАЗИТАРНЫЕ БОЛЕЗНИ (A00-B99)");
}

TEST_F(BrowserTest, ExpandingBuildsChildrenFromTheStore) {
    PVirtualNode classI = Tree->RootNode()->FirstChild;
    Tree->SetExpanded(classI, true);
    std::vector<PVirtualNode> blocks = Children(classI);
    ASSERT_EQ(blocks.size(), 21u); // A00-A09 to B99-B99
    EXPECT_EQ(Image(classI), 1);
    EXPECT_EQ(TextOf(blocks[0]), u"КИШЕЧНЫЕ ИНФЕКЦИИ (A00-A09)"); // a block has no code
    EXPECT_EQ(Image(blocks[0]), 0);
    Tree->SetExpanded(blocks[0], true);
    PVirtualNode a00 = blocks[0]->FirstChild;
    EXPECT_EQ(TextOf(a00), u"A00 Холера");
    EXPECT_EQ(Image(a00), 2); // has subcategories, not yet expanded
    Tree->SetExpanded(a00, true);
    PVirtualNode a000 = a00->FirstChild;
    EXPECT_EQ(Image(a000), 3);
    EXPECT_EQ(a000->ChildCount, 0u);
    // Collapsing and re-expanding rebuilds the children, all collapsed again.
    Tree->SetExpanded(blocks[0], false);
    Tree->SetExpanded(blocks[0], true);
    EXPECT_FALSE(Tree->Expanded(blocks[0]->FirstChild));
}

TEST_F(BrowserTest, FocusShowsTheDetailsPageAndDeletionEmptiesIt) {
    Browser->ShowStartPage();
    EXPECT_EQ(Details.Text, u"<html><body bgColor=\"#f7f8fa\"></body></html>");
    PVirtualNode classI = Tree->RootNode()->FirstChild;
    Tree->SetExpanded(classI, true);
    PVirtualNode block = classI->FirstChild;
    Tree->SetFocusedNode(block);
    ASSERT_FALSE(Details.Lines.empty());
    EXPECT_EQ(
        Details.Lines[13],
        u"      <td><font size=\"2\" face=\"Verdana\">КИШЕЧНЫЕ ИНФЕКЦИИ (A00-A09)</font></td>");
    EXPECT_EQ(Details.Lines.size(), 3u + 3 * 6 + 2); // Класс, Раздел, Наименование: no empty Код
    EXPECT_EQ(Browser->ShownRecord(), Browser->RecordIndex(block));
    // Re-expanding the class deletes the focused block: the pane is emptied.
    Tree->SetExpanded(classI, false);
    Tree->SetExpanded(classI, true);
    EXPECT_TRUE(Details.Lines.empty());
    EXPECT_EQ(Tree->FocusedNode(), nullptr);
    EXPECT_EQ(Browser->ShownRecord(), -1);
}

TEST_F(BrowserTest, SearchOpensThePathAndMakesTheFoundNodeCurrent) {
    PVirtualNode classXXII = Children(Tree->RootNode()).back();
    Tree->SetFocusedNode(classXXII);
    // Every listener hears of the opening, one that leaves while it is told included.
    std::vector<int> first, second;
    int secondKey = 0;
    Browser->SubscribeRecordOpened([&](int index) { first.push_back(index); });
    secondKey = Browser->SubscribeRecordOpened([&](int index) {
        second.push_back(index);
        Browser->UnsubscribeRecordOpened(secondKey);
    });
    Bar.Value = u"C00.0";
    const int clears = Details.Clears;
    Browser->btnSearchClick();
    std::vector<PVirtualNode> selection = Tree->GetSelection();
    ASSERT_EQ(selection.size(), 1u);
    PVirtualNode found = selection[0];
    EXPECT_EQ(TextOf(found).substr(0, 6), u"C00.0 ");
    EXPECT_EQ(Tree->FocusedNode(), found);
    EXPECT_EQ(Details.Clears, clears + 1);            // its page built once
    Browser->OpenRecord(Browser->RecordIndex(found)); // already focused: shown again all the same
    EXPECT_EQ(Details.Clears, clears + 2);
    EXPECT_EQ(first, (std::vector<int>{Browser->RecordIndex(found), Browser->RecordIndex(found)}));
    EXPECT_EQ(second, std::vector<int>{Browser->RecordIndex(found)});
    EXPECT_EQ(Browser->ShownRecord(), Browser->RecordIndex(found));
    for (PVirtualNode p = found->Parent; p != Tree->RootNode(); p = p->Parent)
        EXPECT_TRUE(Tree->Expanded(p));
    EXPECT_TRUE(Tree->Revealed(found));
    TRect r = Tree->GetDisplayRect(found);
    EXPECT_GE(r.Top, 0);
    EXPECT_LE(r.Bottom, Tree->ClientHeight());
    ASSERT_FALSE(Details.Lines.empty());
    EXPECT_NE(Details.Lines[Details.Lines.size() - 10].find(u"C00.0"), std::u16string::npos);
    // At depth 5 "Раздел" still names the second level, not one of the nested sub-blocks.
    auto heading =
        std::find_if(Details.Lines.begin(), Details.Lines.end(),
                     [](const std::u16string& l) { return l.find(u"Раздел") != l.npos; });
    ASSERT_LT(heading + 3, Details.Lines.end());
    EXPECT_NE(heading[3].find(u"(C00-C97)"), std::u16string::npos);
    EXPECT_TRUE(Messages.empty());
    // Lower case finds the class whose range names the code.
    Bar.Value = u"a00";
    Browser->btnSearchClick();
    EXPECT_EQ(Tree->GetSelection()[0], Tree->RootNode()->FirstChild);
}

TEST_F(BrowserTest, NoMatchShowsTheMessageAndChangesNothing) {
    Bar.Value = u"  zzzz-нет-такого  ";
    Browser->btnSearchClick();
    ASSERT_EQ(Messages.size(), 1u);
    EXPECT_EQ(Messages[0], NoMatchMessage);
    EXPECT_EQ(Tree->SelectedCount(), 0u);
}

TEST_F(BrowserTest, SearchBarHandlers) {
    Browser->edFastSearchEnter();
    EXPECT_EQ(Bar.Value, u"");
    EXPECT_EQ(Bar.Color, clWindowText);
    Bar.Value = u"a";
    Browser->edFastSearchChange();
    EXPECT_FALSE(Bar.Enabled);
    char16_t enter = 13;
    Browser->edFastSearchKeyPress(enter);
    EXPECT_EQ(Tree->SelectedCount(), 0u); // one character: Enter does nothing
    Bar.Value = u"a ";
    Browser->edFastSearchChange();
    EXPECT_FALSE(Bar.Enabled);
    Bar.Value = u"a0";
    Browser->edFastSearchChange();
    EXPECT_TRUE(Bar.Enabled);
    Browser->edFastSearchKeyPress(enter);
    EXPECT_EQ(Tree->SelectedCount(), 1u);
    Browser->edFastSearchExit();
    EXPECT_EQ(Bar.Color, clInactiveCaptionText);
    EXPECT_EQ(Bar.Value, u"a0");
    Browser->edFastSearchEnter(); // typed text is kept on the way back in
    EXPECT_EQ(Bar.Value, u"a0");
}

TEST(History, DropsWhatLayAheadAndKeepsAHundred) {
    TRecordHistory history;
    for (int i : {1, 2, 2, 3, -1})
        history.Add(i);
    history.Back();
    history.Add(4);
    EXPECT_EQ(history.Size(), 3u); // 1, 2, 4: the repeated 2 once, 3 gone
    for (int i = 0; i < 150; ++i)
        history.Add(i);
    EXPECT_EQ(history.Size(), TRecordHistory::MaxEntries);
    while (history.CanGoBack())
        history.Back();
    EXPECT_EQ(history.Current(), 50);
    EXPECT_EQ(history.Back(), -1);
}
