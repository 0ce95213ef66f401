#include "platform/application.h"
#include "tree_fixture.h"

namespace {
// A tree whose client area is exactly width x height pixels.
void SizeClient(TBaseVirtualTree& tree, int width, int height) {
    tree.SetBounds(0, 0, width, height);
    // Border and bars take their share; grow the window until the client area fits.
    for (int i = 0; i < 3; ++i)
        tree.SetBounds(0, 0, width + (width - tree.ClientWidth()),
                       height + (height - tree.ClientHeight()));
}
} // namespace

TEST_F(TreeTest, VerticalRangeAndBar) {
    SizeClient(*Tree, 300, 200);
    ASSERT_EQ(Tree->ClientHeight(), 200);
    Add(nullptr, 30);
    EXPECT_EQ(Tree->VertRange(), 720);
    EXPECT_TRUE(Tree->VertScrollBar().Visible());
    const TScrollInfo info = Tree->VertScrollBar().GetScrollInfo();
    EXPECT_EQ(info.Max, 720);
    EXPECT_EQ(info.Page, 201);
    EXPECT_EQ(info.Min, 0);

    Tree->SetOffsetY(-10000);
    EXPECT_EQ(Tree->OffsetY(), -520);
    EXPECT_EQ(Tree->VertScrollBar().Position(), 520);
    Tree->SetOffsetY(50);
    EXPECT_EQ(Tree->OffsetY(), 0);
    Tree->SetOffsetX(-50); // nothing is wider than the client area
    EXPECT_EQ(Tree->OffsetX(), 0);

    Tree->SetBottomSpace(30);
    EXPECT_EQ(Tree->VertRange(), 750);
}

TEST_F(TreeTest, ShrinkingContentPullsTheOffsetBack) {
    SizeClient(*Tree, 300, 200);
    auto top = Add(nullptr, 10);
    Add(top[9], 20);
    Tree->SetExpanded(top[9], true);
    Tree->SetOffsetY(-100000);
    ASSERT_EQ(Tree->OffsetY(), 200 - 30 * 24);
    Tree->SetExpanded(top[9], false);
    // Ten rows of 24 fill 240 pixels: the last row ends at the bottom edge.
    EXPECT_EQ(Tree->OffsetY(), 200 - 240);
    Tree->DeleteNode(top[9]);
    Tree->DeleteNode(top[8]);
    EXPECT_EQ(Tree->OffsetY(), 0);
    EXPECT_FALSE(Tree->VertScrollBar().Visible());
}

TEST_F(TreeTest, OnScrollReportsDeltas) {
    SizeClient(*Tree, 300, 200);
    Add(nullptr, 30);
    std::vector<std::pair<int, int>> deltas;
    Tree->OnScroll = [&](TBaseVirtualTree*, int dx, int dy) { deltas.emplace_back(dx, dy); };
    Tree->SetOffsetY(-48);
    Tree->SetOffsetY(-48);
    Tree->SetOffsetY(-10000);
    EXPECT_EQ(deltas, (std::vector<std::pair<int, int>>{{0, -48}, {0, -472}}));
}

TEST_F(TreeTest, NodeAtPositionAndDisplayRect) {
    SizeClient(*Tree, 300, 200);
    auto top = Add(nullptr, 5);
    auto kids = Add(top[1], 2);
    Tree->SetExpanded(top[1], true);
    int rowTop = -1;
    EXPECT_EQ(Tree->GetNodeAt(0, true, &rowTop), top[0]);
    EXPECT_EQ(rowTop, 0);
    EXPECT_EQ(Tree->GetNodeAt(-30, true), top[0]); // negative counts as 0
    EXPECT_EQ(Tree->GetNodeAt(24 * 2 + 23, true, &rowTop), kids[0]);
    EXPECT_EQ(rowTop, 48);
    EXPECT_EQ(Tree->GetNodeAt(24 * 3, true), kids[1]);
    EXPECT_EQ(Tree->GetNodeAt(24 * 7, true), nullptr);

    TRect r = Tree->GetDisplayRect(kids[1]);
    EXPECT_EQ(r.Top, 72);
    EXPECT_EQ(r.Bottom, 96);
    EXPECT_EQ(r.Left, 0);
    EXPECT_EQ(r.Right, std::max(Tree->ClientWidth(), Tree->HorzRange()));
    EXPECT_TRUE(Tree->GetDisplayRect(top[0]->FirstChild).IsEmpty());
    Tree->SetExpanded(top[1], false);
    EXPECT_EQ(Tree->GetDisplayRect(kids[0]), TRect{});

    // Content of 5 rows in 200 pixels cannot scroll; with more rows the offset moves rows up.
    Add(nullptr, 20);
    Tree->SetOffsetY(-30);
    EXPECT_EQ(Tree->GetDisplayRect(top[2]).Top, 48 - 30);
    EXPECT_EQ(Tree->GetNodeAt(0, true, &rowTop), top[1]);
    EXPECT_EQ(rowTop, 24);
    EXPECT_EQ(Tree->GetNodeAt(0, false), top[0]);
}

TEST_F(TreeTest, ScrollIntoViewBringsRowsOnScreen) {
    SizeClient(*Tree, 300, 200);
    auto top = Add(nullptr, 30);
    EXPECT_FALSE(Tree->ScrollIntoView(top[3], false)); // already shown
    EXPECT_TRUE(Tree->ScrollIntoView(top[20], false));
    // The row's bottom lands on the bottom edge.
    EXPECT_EQ(Tree->OffsetY(), 200 - 21 * 24);
    EXPECT_EQ(Tree->GetDisplayRect(top[20]).Bottom, 200);
    EXPECT_TRUE(Tree->ScrollIntoView(top[2], false));
    EXPECT_EQ(Tree->GetDisplayRect(top[2]).Top, 0);
    EXPECT_TRUE(Tree->ScrollIntoView(top[15], true));
    EXPECT_EQ(Tree->GetDisplayRect(top[15]).Bottom, 100);
    EXPECT_FALSE(Tree->ScrollIntoView(nullptr, false));
    EXPECT_FALSE(Tree->ScrollIntoView(Tree->RootNode(), false));

    // A node under collapsed ancestors: they are expanded first.
    auto kids = Add(top[0], 3);
    PVirtualNode deep = Tree->AddChild(kids[2]);
    // Expanding the ancestors already scrolls their new rows into view.
    Tree->ScrollIntoView(deep, false);
    EXPECT_TRUE(Tree->Revealed(deep));
    EXPECT_EQ(Tree->GetDisplayRect(deep).Top, 0);
    EXPECT_TRUE(TreeInvariantsHold(*Tree));
}

TEST_F(TreeTest, ExpansionScrollsTheChildrenIntoView) {
    SizeClient(*Tree, 300, 200);
    auto top = Add(nullptr, 10);
    // Children that fit: the last one is brought into view.
    Add(top[7], 3);
    Tree->SetExpanded(top[7], true);
    EXPECT_EQ(Tree->GetDisplayRect(top[7]->LastChild).Bottom, 200);
    // Children that do not fit: the node becomes the top row.
    Tree->SetOffsetY(0);
    Add(top[2], 12);
    Tree->SetExpanded(top[2], true);
    EXPECT_EQ(Tree->GetDisplayRect(top[2]).Top, 0);
    EXPECT_EQ(Tree->OffsetY(), -48);
    // Collapsing does not scroll.
    Tree->SetExpanded(top[2], false);
    EXPECT_EQ(Tree->GetDisplayRect(top[2]).Top, 0);
    // Without the option nothing scrolls.
    Tree->SetOffsetY(0);
    Tree->TreeOptions().AutoOptions.Exclude(toAutoScrollOnExpand);
    Tree->SetExpanded(top[2], true);
    EXPECT_EQ(Tree->OffsetY(), 0);
}

TEST_F(TreeTest, FocusScrollsIntoView) {
    SizeClient(*Tree, 300, 200);
    auto top = Add(nullptr, 30);
    Tree->SetFocusedNode(top[25]);
    EXPECT_EQ(Tree->GetDisplayRect(top[25]).Bottom, 200);
    Tree->TreeOptions().AutoOptions.Include(toDisableAutoscrollOnFocus);
    Tree->SetFocusedNode(top[0]);
    EXPECT_EQ(Tree->GetDisplayRect(top[25]).Bottom, 200);
}

TEST_F(TreeTest, HorizontalRangeMeasuresRowsOnScreen) {
    SizeClient(*Tree, 200, 100);
    Tree->SetIndent(24);
    Tree->SetMargin(2);
    Tree->SetTextMargin(0);
    // One pixel per character.
    Tree->SetTextWidthMeasure([](const std::u16string& s) { return static_cast<int>(s.size()); });
    std::vector<std::u16string> texts;
    Tree->OnGetText = [&](TBaseVirtualTree* sender, PVirtualNode n, TColumnIndex column,
                          TVSTTextType type, std::u16string& text) {
        EXPECT_EQ(column, NoColumn);
        EXPECT_EQ(type, ttNormal);
        EXPECT_EQ(text, u"Node");
        text = texts[n->Index];
    };
    for (int i = 0; i < 10; ++i)
        texts.push_back(std::u16string(static_cast<std::size_t>(10 + i), u'x'));
    texts[8] = std::u16string(500, u'w');
    Add(nullptr, 10);
    // Rows 0..4 are on screen (100 pixels): the widest is 14 characters.
    EXPECT_EQ(Tree->HorzRange(), 24 + 14 + 2);
    EXPECT_FALSE(Tree->HorzScrollBar().Visible());
    // Scrolled down, the wide row counts and the horizontal bar appears.
    Tree->SetOffsetY(-5 * 24);
    EXPECT_EQ(Tree->HorzRange(), 24 + 500 + 2);
    EXPECT_TRUE(Tree->HorzScrollBar().Visible());
    Tree->SetOffsetX(-10000);
    EXPECT_EQ(Tree->OffsetX(), Tree->ClientWidth() - Tree->HorzRange());
    EXPECT_EQ(Tree->NodeTextWidth(Tree->RootNode()->FirstChild), 10);
}

TEST_F(TreeTest, ScrollBarActionsMoveTheOffset) {
    SizeClient(*Tree, 300, 200);
    Add(nullptr, 30);
    TScrollBar& bar = Tree->VertScrollBar();
    ASSERT_TRUE(bar.Visible());
    // Through the scroll bar the tree moves by its increments and pages.
    TTestTree& t = *Tree;
    t.Scroll(sbVertical, scLineDown, 0);
    EXPECT_EQ(Tree->OffsetY(), -20);
    t.Scroll(sbVertical, scPageDown, 0);
    EXPECT_EQ(Tree->OffsetY(), -220);
    t.Scroll(sbVertical, scLineUp, 0);
    EXPECT_EQ(Tree->OffsetY(), -200);
    t.Scroll(sbVertical, scBottom, 0);
    EXPECT_EQ(Tree->OffsetY(), -520);
    t.Scroll(sbVertical, scTrack, 100);
    EXPECT_TRUE(Tree->TreeStates().Contains(tsThumbTracking));
    EXPECT_EQ(Tree->OffsetY(), -100);
    t.Scroll(sbVertical, scEndScroll, 100);
    EXPECT_FALSE(Tree->TreeStates().Contains(tsThumbTracking));
    EXPECT_EQ(bar.Position(), 100);
    t.Scroll(sbVertical, scTop, 0);
    EXPECT_EQ(Tree->OffsetY(), 0);
}

TEST_F(TreeTest, ShowingAHiddenTreeBringsTheBarsUpToDate) {
    Tree->Hide();
    Add(nullptr, 40);
    EXPECT_EQ(Tree->VertRange(), 40 * 24);
    EXPECT_FALSE(Tree->VertScrollBar().Visible());
    Tree->Show();
    SizeClient(*Tree, 300, 200);
    EXPECT_TRUE(Tree->VertScrollBar().Visible());
    EXPECT_EQ(Tree->VertScrollBar().GetScrollInfo().Max, 40 * 24);
}

TEST_F(TreeTest, TextOnlyDisplayRectStartsWhereTheTextIs) {
    SizeClient(*Tree, 300, 200);
    Tree->SetIndent(24);
    Tree->SetMargin(2);
    Tree->SetTextMargin(0);
    Tree->SetTextWidthMeasure(
        [](const std::u16string& t) { return 7 * static_cast<int>(t.size()); });
    auto top = Add(nullptr, 2);
    auto kids = Add(top[0], 1);
    Tree->SetExpanded(top[0], true);
    TImageList images(24, 24);
    images.Add(TBitmap(24, 24));
    Tree->SetImages(&images);
    // Only the child has an image; the top-level rows leave no gap for one.
    Tree->OnGetImageIndex = [&](TBaseVirtualTree*, PVirtualNode n, TVTImageKind, TColumnIndex,
                                bool&, int& index) { index = n == kids[0] ? 0 : -1; };
    const TRect plain = Tree->GetDisplayRect(top[1], NoColumn, true);
    EXPECT_EQ(plain.Left, 2 + 24);
    EXPECT_EQ(plain.Width(), 7 * 4); // "Node"
    EXPECT_EQ(plain.Top, 48);
    const TRect child = Tree->GetDisplayRect(kids[0], NoColumn, true);
    EXPECT_EQ(child.Left, 2 + 24 * 2 + 24 + 2);

    // Without root lines a top-level node takes no indentation step.
    Tree->TreeOptions().PaintOptions.Exclude(toShowRoot);
    EXPECT_EQ(Tree->GetDisplayRect(top[1], NoColumn, true).Left, 2);
    Tree->SetOffsetX(0);
    Tree->SetImages(nullptr);
}

TEST_F(TreeTest, ScrollIntoViewCentresFromAboveAndStopsAtARefusedAncestor) {
    SizeClient(*Tree, 300, 200);
    auto top = Add(nullptr, 30);
    Tree->SetOffsetY(-20 * 24);
    // A row above the client area comes to the middle: its top at half the client height.
    EXPECT_TRUE(Tree->ScrollIntoView(top[10], true));
    EXPECT_EQ(Tree->GetDisplayRect(top[10]).Top, 100);
    // Near the start the offset is clamped at 0.
    EXPECT_TRUE(Tree->ScrollIntoView(top[1], true));
    EXPECT_EQ(Tree->OffsetY(), 0);

    // An ancestor that refuses to open keeps the node hidden; the others are still opened.
    auto kids = Add(top[5], 2);
    PVirtualNode deep = Tree->AddChild(kids[1]);
    Tree->OnExpanding = [&](TBaseVirtualTree*, PVirtualNode n, bool& allowed) {
        allowed = n != top[5];
    };
    EXPECT_FALSE(Tree->ScrollIntoView(deep, false));
    EXPECT_TRUE(Tree->Expanded(kids[1]));
    EXPECT_FALSE(Tree->Expanded(top[5]));
    EXPECT_FALSE(Tree->Revealed(deep));
    EXPECT_EQ(Tree->OffsetY(), 0);
    EXPECT_TRUE(TreeInvariantsHold(*Tree));
}
