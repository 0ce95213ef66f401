// Tables built by hand: the grid, column widths, row heights and where the cells' text lands.
#include "layout_support.h"

namespace {

using namespace layout_test;

using TableFixture = TDocFixture;

// The details page: a body holding one table, BORDER 0, CELLPADDING 0, CELLSPACING 8, one
// cell per row, some texts long enough to wrap and one with line breaks.
TEST_F(TableFixture, DetailsPageGeometry) {
    ThtmlTable* t = AddTable({Attr(symAttrBorder, u"0", 0), Attr(symAttrCellpadding, u"0", 0),
                              Attr(symAttrCellspacing, u"8", 8)});
    std::vector<std::vector<TSection*>> cells;
    const std::u16string longText =
        u"Ordinary words of a long inclusion note that cannot fit into one line at all";
    for (const std::vector<std::u16string>& lines : {std::vector<std::u16string>{u"Code"},
                                                     {u"A00.1"},
                                                     {longText},
                                                     {u"first", u"second", u"third"}})
        cells.push_back(AddText(AddCell(AddRow(t))->Cell.get(), lines));
    const int W = 300;
    const int h = Layout(W);
    auto* block = static_cast<TTableBlock*>(Body->BlockCell[0]);
    EXPECT_EQ(block->ContentWidth, W - 20);
    EXPECT_EQ(t->TableWidth, W - 20);
    ASSERT_EQ(t->ColCount, 1);
    EXPECT_EQ(t->Widths[0], W - 28);
    int expected = 10 + 8;
    for (auto& secs : cells)
        expected += 8 + Height(secs);
    EXPECT_EQ(h, expected);
    EXPECT_GT(cells[2][0]->LineList.size(), 1u); // the long text wraps
    for (auto& secs : cells)
        for (TSection* s : secs)
            for (const LineRec& l : s->LineList)
                EXPECT_EQ(l.AvailWidth, W - 36);

    Paint(W, 2000);
    ASSERT_FALSE(Canvas.Texts.empty());
    for (const TTextCall& c : Canvas.Texts)
        EXPECT_EQ(c.X, 18) << std::string(c.Text.begin(), c.Text.end());
    // The first row's text starts 8 below the table top, which is 5 below the document top.
    const TSection* first = cells[0][0];
    EXPECT_EQ(first->LayoutTop, 5 + 8);
    EXPECT_EQ(Canvas.Texts[0].Baseline,
              first->LayoutTop + first->LineList[0].BoxHeight - first->LineList[0].Descent);
    // The table ends 8 below the last cell.
    EXPECT_EQ(t->LayoutTop + t->FlowHeight, cells[3][2]->LayoutTop + cells[3][2]->FlowHeight + 8);
}

TEST_F(TableFixture, WidthFollowsContent) {
    // Short texts: as wide as the widest text plus twice the spacing, no wider.
    ThtmlTable* narrow =
        AddTable({Attr(symAttrCellpadding, u"0", 0), Attr(symAttrCellspacing, u"8", 8)});
    AddText(AddCell(AddRow(narrow))->Cell.get(), {u"abc"});
    AddText(AddCell(AddRow(narrow))->Cell.get(), {u"abcdef"});
    // A word wider than the room: the table overflows by that word.
    ThtmlTable* wide =
        AddTable({Attr(symAttrCellpadding, u"0", 0), Attr(symAttrCellspacing, u"8", 8)});
    AddText(AddCell(AddRow(wide))->Cell.get(), {std::u16string(26, u'w')});
    int maxWidth = 0;
    Layout(200, &maxWidth);
    EXPECT_EQ(narrow->TableWidth, 60 + 16);
    EXPECT_EQ(wide->TableWidth, 260 + 16);
    EXPECT_EQ(maxWidth, 10 + 276 + 10);
}

TEST_F(TableFixture, AttributesAreClampedAndDefaulted) {
    struct Case {
        std::vector<TAttribute> attrs;
        int border, padding, spacing;
    };
    const Case cases[] = {
        {{}, 0, 1, 2},
        {{Attr(symAttrBorder, u"", 1)}, 1, 1, 2}, // the bare attribute
        {{Attr(symAttrBorder, u"500", 500), Attr(symAttrCellpadding, u"99", 99),
          Attr(symAttrCellspacing, u"77", 77)},
         100,
         50,
         40},
        {{Attr(symAttrBorder, u"-4", -4), Attr(symAttrCellpadding, u"-3", -3),
          Attr(symAttrCellspacing, u"-5", -5)},
         0,
         1,
         2},
        {{Attr(symAttrCellspacing, u"-1", -1)}, 0, 1, -1},
    };
    for (const Case& c : cases) {
        TAttributeList a;
        for (const TAttribute& x : c.attrs)
            a.Add(x);
        ThtmlTable t(&Doc, PlainProps, &a);
        EXPECT_EQ(t.BorderWidth, c.border);
        EXPECT_EQ(t.CellPadding, c.padding);
        EXPECT_EQ(t.CellSpacing, c.spacing);
    }
    // Extras follow from padding and from borders raised to 1 under a table border.
    ThtmlTable* zero = AddTable({Attr(symAttrCellpadding, u"0", 0)});
    TCellObj* z = AddCell(AddRow(zero));
    ThtmlTable* framed =
        AddTable({Attr(symAttrBorder, u"3", 3), Attr(symAttrCellpadding, u"4", 4)});
    TCellObj* f = AddCell(AddRow(framed));
    zero->Initialize();
    framed->Initialize();
    EXPECT_EQ(z->HorzExtra, 0);
    EXPECT_EQ(z->VertExtra, 0);
    EXPECT_EQ(f->HorzExtra, 4 + 1 + 1 + 4);
    EXPECT_EQ(f->VertExtra, 10);
}

TEST_F(TableFixture, SpansBecomePlaceholdersAndEmptyLastColumnsGo) {
    ThtmlTable* t = AddTable({});
    TCellList* r0 = AddRow(t);
    TCellObj* a = AddCell(r0, {Attr(symAttrColspan, u"2", 2)});
    AddCell(r0);
    TCellList* r1 = AddRow(t);
    TCellObj* c = AddCell(r1, {Attr(symAttrRowspan, u"2", 2)});
    AddCell(r1);
    AddCell(r1);
    TCellList* r2 = AddRow(t);
    TCellObj* f = AddCell(r2);
    AddCell(r2);
    t->Initialize();
    EXPECT_EQ(t->ColCount, 3);
    ASSERT_EQ(r0->Count(), 3);
    EXPECT_EQ(r0->Cells[0].get(), a);
    EXPECT_TRUE(r0->Cells[1]->IsPlaceholder());
    EXPECT_EQ(r1->Cells[0].get(), c);
    ASSERT_EQ(r2->Count(), 3);
    EXPECT_TRUE(r2->Cells[0]->IsPlaceholder());
    EXPECT_EQ(r2->Cells[1].get(), f);

    // A span into columns no other row has is cut back to the columns that exist.
    ThtmlTable* u = AddTable({});
    TCellObj* wide = AddCell(AddRow(u), {Attr(symAttrColspan, u"3", 3)});
    TCellObj* tall = AddCell(AddRow(u), {Attr(symAttrRowspan, u"5", 5)});
    u->Initialize();
    EXPECT_EQ(u->ColCount, 1);
    EXPECT_EQ(wide->ColSpan, 1);
    EXPECT_EQ(u->Rows[0]->Count(), 1);
    EXPECT_EQ(tall->RowSpan, 1); // spans beyond the last row are cut
    // Initialisation runs once: a second call changes nothing.
    u->Initialize();
    EXPECT_EQ(u->Rows[0]->Count(), 1);
}

TEST_F(TableFixture, DistributionFillsTheRoomExactly) {
    ThtmlTable* t = AddTable({});
    AddRow(t);
    t->ColCount = 3;
    t->MinWidths = {0, 0, 0};
    t->MaxWidths = {10, 10, 10};
    t->DistributeWidths(0, 30, 10); // 3.33 each; the pixel left over goes to the first
    EXPECT_EQ(t->Widths, (std::vector<int>{4, 3, 3}));
    t->MinWidths = {5, 5, 5};
    t->MaxWidths = {5, 5, 5};
    t->DistributeWidths(15, 15, 25);
    EXPECT_EQ(t->Widths, (std::vector<int>{9, 8, 8}));
    t->MinWidths = {10, 40, 20};
    t->MaxWidths = {10, 100, 50};
    t->DistributeWidths(70, 160, 100); // 30 shared as 0 : 60 : 30 of 90
    EXPECT_EQ(t->Widths, (std::vector<int>{10, 60, 30}));
    t->DistributeWidths(70, 160, 300); // also beyond the maximum
    EXPECT_EQ(t->Widths[0] + t->Widths[1] + t->Widths[2], 300);
}

TEST_F(TableFixture, ColumnWidthsComeFromCellMinimaAndMaxima) {
    ThtmlTable* t =
        AddTable({Attr(symAttrCellpadding, u"2", 2), Attr(symAttrCellspacing, u"3", 3)});
    TCellList* r = AddRow(t);
    AddText(AddCell(r)->Cell.get(), {u"aa bbbb"});
    AddText(AddCell(r)->Cell.get(), {u"c"});
    TCellList* r2 = AddRow(t);
    AddText(AddCell(r2, {Attr(symAttrColspan, u"2", 2)})->Cell.get(), {u"x"});
    t->Initialize();
    int mn = 0, mx = 0;
    t->ColumnWidths(Canvas, 500, mn, mx);
    // Minimum: longest word + padding 4 + spacing 3; maximum: the whole line.
    EXPECT_EQ(t->MinWidths, (std::vector<int>{40 + 7, 10 + 7}));
    EXPECT_EQ(t->MaxWidths, (std::vector<int>{70 + 7, 10 + 7}));
    EXPECT_EQ(mn, 64);
    EXPECT_EQ(mx, 94);
    int tmin = 0, tmax = 0;
    t->MeasureWidths(Canvas, tmin, tmax);
    EXPECT_EQ(tmin, 64 + 3);
    EXPECT_EQ(tmax, 94 + 3);
}

TEST_F(TableFixture, RowHeightsAndVerticalAlignment) {
    ThtmlTable* t =
        AddTable({Attr(symAttrCellpadding, u"0", 0), Attr(symAttrCellspacing, u"8", 8)});
    TCellList* r0 = AddRow(t);
    AddCell(r0); // empty: the row is still as tall as the spacing
    TCellList* r1 = AddRow(t);
    AddText(AddCell(r1, {Attr(symAttrHeight, u"45", 45)})->Cell.get(), {u"a"});
    TCellObj* mid = AddCell(r1, {}, AMiddle);
    auto midText = AddText(mid->Cell.get(), {u"b"});
    TCellObj* bottom = AddCell(r1, {}, ABottom);
    auto bottomText = AddText(bottom->Cell.get(), {u"c"});
    TCellObj* top = AddCell(r1, {}, ATop);
    AddText(top->Cell.get(), {u"d"});
    Layout(400);
    const int line = midText[0]->FlowHeight;
    ASSERT_GT(line, 0);
    ASSERT_EQ(t->RowHeights.size(), 2u);
    EXPECT_EQ(t->RowHeights[0], 8);
    EXPECT_EQ(t->RowHeights[1], 45 + 8);
    EXPECT_EQ(mid->VOffset, (45 - line) / 2);
    EXPECT_EQ(bottom->VOffset, 45 - line);
    EXPECT_EQ(top->VOffset, 0);
    const int rowTop = t->LayoutTop + 8;
    EXPECT_EQ(midText[0]->LayoutTop, rowTop + 8 + (45 - line) / 2);
    EXPECT_EQ(bottomText[0]->LayoutTop, rowTop + 8 + 45 - line);
    EXPECT_EQ(t->FlowHeight, 8 + 53 + 8);
}

TEST_F(TableFixture, RowSpanSpreadsItsHeightOverItsRows) {
    ThtmlTable* t =
        AddTable({Attr(symAttrCellpadding, u"0", 0), Attr(symAttrCellspacing, u"3", 3)});
    TCellList* r0 = AddRow(t);
    TCellObj* tall = AddCell(r0, {Attr(symAttrRowspan, u"2", 2)});
    auto secs = AddText(tall->Cell.get(), {u"a", u"b", u"c", u"d", u"e"});
    AddText(AddCell(r0)->Cell.get(), {u"x"});
    TCellList* r1 = AddRow(t);
    AddText(AddCell(r1)->Cell.get(), {u"y"});
    Layout(400);
    const int line = secs[0]->FlowHeight;
    const int natural = line + 3;
    const int want = 5 * line + 3;
    const int diff = want - 2 * natural;
    ASSERT_GT(diff, 0);
    EXPECT_EQ(t->RowHeights[0], natural + diff / 2);
    EXPECT_EQ(t->RowHeights[1], natural + diff / 2 + diff % 2);
    EXPECT_EQ(tall->SpanHeight, t->RowHeights[0] + t->RowHeights[1]);
}

TEST_F(TableFixture, CellsPaintInsideTheirBoxesAndRestoreTheClip) {
    ThtmlTable* t =
        AddTable({Attr(symAttrCellpadding, u"0", 0), Attr(symAttrCellspacing, u"4", 4)});
    TCellList* r = AddRow(t);
    AddText(AddCell(r)->Cell.get(), {u"aa"});
    TCellObj* second = AddCell(r);
    AddText(second->Cell.get(), {u"bbbb"});
    Layout(400);
    Paint(400, 300);
    ASSERT_EQ(Canvas.Texts.size(), 2u);
    // Two columns of 20 + 4 and 40 + 4 plus the spacing, at the body's margin.
    EXPECT_EQ(Canvas.Texts[0].X, 10 + 4);
    EXPECT_EQ(Canvas.Texts[1].X, 10 + t->Widths[0] + 4);
    EXPECT_EQ(second->Cell->CellRect.Left, 10 + t->Widths[0] + 4);
    EXPECT_EQ(second->Cell->CellRect.Right, 10 + t->Widths[0] + second->SpanWidth);
    // Each cell clips to its box and puts the previous clip back.
    ASSERT_EQ(Canvas.Clips.size(), 4u);
    EXPECT_EQ(Canvas.Clips[2], second->Cell->CellRect);
    EXPECT_EQ(Canvas.Clips[3], (TRect{0, 0, 400, 300}));

    // Rows outside the clip rectangle are not painted at all.
    Canvas.Texts.clear();
    const TRect below{0, 1000, 400, 1200};
    Doc.Paint(Canvas, below, 0);
    EXPECT_TRUE(Canvas.Texts.empty());
}

TEST_F(TableFixture, TableInsideACellIsLaidOutOnceForReal) {
    ThtmlTable* outer =
        AddTable({Attr(symAttrCellpadding, u"0", 0), Attr(symAttrCellspacing, u"2", 2)});
    TCellObj* host = AddCell(AddRow(outer));
    ThtmlTable* inner = AddTable(
        {Attr(symAttrCellpadding, u"0", 0), Attr(symAttrCellspacing, u"2", 2)}, host->Cell.get());
    auto secs = AddText(AddCell(AddRow(inner))->Cell.get(), {u"deep"});
    const int h = Layout(300);
    EXPECT_EQ(Doc.TableNestLevel, 0);
    EXPECT_EQ(Doc.TrialLayoutDepth, 0);
    // Inner text: outer spacing 2, inner spacing 2; the inner table is 40 + 4 wide.
    EXPECT_EQ(inner->TableWidth, 44);
    EXPECT_EQ(secs[0]->LayoutTop, 5 + 2 + 2);
    EXPECT_EQ(h, 10 + 2 + 2 + secs[0]->FlowHeight + 2 + 2);
    Paint(300, 300);
    ASSERT_EQ(Canvas.Texts.size(), 1u);
    EXPECT_EQ(Canvas.Texts[0].X, 10 + 2 + 2);
}

} // namespace

namespace {

using namespace layout_test;

TEST_F(TDocFixture, DegenerateTablesStillLayOut) {
    ThtmlTable* none = AddTable({Attr(symAttrCellspacing, u"8", 8)});
    ThtmlTable* emptyRow = AddTable({});
    AddRow(emptyRow);
    ThtmlTable* huge = AddTable({});
    TCellList* r = AddRow(huge);
    TCellObj* c = AddCell(r, {Attr(symAttrColspan, u"2000000000", 2000000000),
                              Attr(symAttrRowspan, u"2000000000", 2000000000)});
    AddText(c->Cell.get(), {u"x"});
    AddText(AddCell(AddRow(huge))->Cell.get(), {u"y"});
    const int h = Layout(0);
    EXPECT_EQ(none->FlowHeight, 8); // just the spacing
    EXPECT_EQ(none->TableWidth, 8);
    EXPECT_EQ(emptyRow->ColCount, 0);
    // Spans are capped; the cell reaching into the second row pushes that row's cell right.
    EXPECT_EQ(c->ColSpan, 1000);
    EXPECT_EQ(c->RowSpan, 2);
    EXPECT_EQ(huge->ColCount, 1001);
    EXPECT_FALSE(huge->Rows[1]->Cells[1000]->IsPlaceholder());
    EXPECT_GT(h, 0);
}

} // namespace

namespace {

using namespace layout_test;

// A collapsed border spacing of -1 with no padding: empty rows and an empty table are 0 tall,
// never negative, and the rows below start where the ones above end.
TEST_F(TDocFixture, CollapsedSpacingNeverGivesNegativeHeights) {
    ThtmlTable* t =
        AddTable({Attr(symAttrCellspacing, u"-1", -1), Attr(symAttrCellpadding, u"0", 0)});
    EXPECT_EQ(t->CellSpacing, -1);
    AddCell(AddRow(t));
    AddCell(AddRow(t));
    TCellObj* text = AddCell(AddRow(t));
    AddText(text->Cell.get(), {u"ab"});
    ThtmlTable* bare = AddTable({Attr(symAttrCellspacing, u"-1", -1)});
    Layout(200);
    EXPECT_EQ(t->RowHeights[0], 0);
    EXPECT_EQ(t->RowHeights[1], 0);
    EXPECT_GT(t->RowHeights[2], 0);
    EXPECT_GE(t->FlowHeight, 0);
    EXPECT_EQ(bare->FlowHeight, 0);
    EXPECT_EQ(bare->LayoutTop, t->LayoutTop + t->FlowHeight);
}

} // namespace
