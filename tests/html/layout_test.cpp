// Document, block and section layout seen from outside: boxes, painting with selections, hit
// testing round trips, the selected text and the cached widths.
#include "layout_support.h"

#include "platform/colors.h"

namespace {

using namespace layout_test;

using LayoutFixture = TDocFixture;

std::u16string Drawn(const TRecordingCanvas& c) {
    std::u16string s;
    for (const TTextCall& t : c.Texts)
        s += t.Text + u"|";
    return s;
}

TEST_F(LayoutFixture, BodyAndBlockBoxesPlaceTheText) {
    TProperties blockProps;
    Doc.Styles.CopyDefault(blockProps);
    blockProps.Values[MarginTop] = 7;
    blockProps.Values[MarginLeft] = 12;
    blockProps.Values[MarginRight] = 4;
    blockProps.Values[MarginBottom] = ParaSpace;
    blockProps.Values[PaddingLeft] = 3;
    blockProps.Values[PaddingTop] = 2;
    auto block = std::make_unique<TBlock>(&Doc, nullptr, &Body->BlockCell, blockProps);
    TBlock* b = block.get();
    Body->BlockCell.AddSection(std::move(block), 0);
    auto inside = AddText(&b->BlockCell, {u"abc"});
    auto after = AddText(&Body->BlockCell, {u"xyz"});
    const int W = 200;
    Layout(W);
    EXPECT_EQ(b->LayoutTop, 5);
    EXPECT_EQ(inside[0]->LayoutTop, 5 + 7 + 2);
    EXPECT_EQ(inside[0]->LineList[0].AvailWidth, W - 20 - 12 - 3 - 4);
    // The automatic paragraph space stays below the block while it is not the last item.
    EXPECT_EQ(b->MarginBottom, ParaSpacePixels);
    EXPECT_EQ(after[0]->LayoutTop, 5 + 7 + 2 + inside[0]->FlowHeight + ParaSpacePixels);
    Paint(W, 400);
    ASSERT_EQ(Canvas.Texts.size(), 2u);
    EXPECT_EQ(Canvas.Texts[0].X, 10 + 12 + 3);
    EXPECT_EQ(Canvas.Texts[1].X, 10);

    // At the end of its container the automatic space is dropped.
    Body->BlockCell.Items.pop_back();
    Body->BlockCell.ClearLastBottomMargin();
    const int h = Layout(W);
    EXPECT_EQ(b->MarginBottom, 0);
    EXPECT_EQ(h, 5 + 7 + 2 + inside[0]->FlowHeight + 5);
}

TEST_F(LayoutFixture, ForcedBreaksNoBreakRunsAndEmptyLines) {
    auto s = AddText(&Body->BlockCell, {u"aa", u"", u"bb"});
    ASSERT_EQ(s.size(), 3u);
    EXPECT_EQ(s[1]->Text, u"\b"); // two breaks in a row leave an empty line
    auto nobr = AddText(&Body->BlockCell, {u"aaa bbb ccc"}, true);
    int maxWidth = 0;
    Layout(70, &maxWidth);
    ASSERT_EQ(s[1]->LineList.size(), 1u);
    EXPECT_EQ(s[1]->FlowHeight, s[0]->FontRuns[0]->BoxHeight);
    ASSERT_EQ(nobr[0]->LineList.size(), 1u); // never broken, overflows
    EXPECT_EQ(maxWidth, 10 + 110 + 10);
    // A range of codes stays whole on its line; a hyphen between words still breaks.
    auto ranges = AddText(&Body->BlockCell, {u"(S00-T98) abcd-efgh (G00-G09)"});
    Layout(100);
    std::vector<int> ends;
    for (const LineRec& line : ranges[0]->LineList)
        ends.push_back(line.Start + line.CharCount);
    EXPECT_EQ(ends, (std::vector<int>{10, 15, 20, 30}));
}

TEST_F(LayoutFixture, SelectedSegmentsArePaintedInverted) {
    auto a = AddText(&Body->BlockCell, {u"abc def", u"ghi", u"jkl"});
    Layout(400);
    Doc.SelStart = 2;
    Doc.SelEnd = 5;
    Paint(400, 400);
    EXPECT_EQ(Drawn(Canvas), u"ab|c d|ef|ghi|jkl|");
    const TColor text = ColorToRGB(a[0]->FontRuns[0]->Font->Color);
    EXPECT_EQ(Canvas.Texts[0].Bg, clNone);
    EXPECT_EQ(Canvas.Texts[1].Bg, text);
    EXPECT_EQ(Canvas.Texts[1].Fg, text ^ 0xFFFFFFu);
    EXPECT_EQ(Canvas.Texts[2].Bg, clNone);
    EXPECT_EQ(Canvas.Texts[2].X, Canvas.Texts[1].X + 30);

    // From inside the first section to inside the last: the one between is selected whole.
    Doc.SelStart = a[0]->FirstPos + 5;
    Doc.SelEnd = a[2]->FirstPos + 1;
    Paint(400, 400);
    EXPECT_EQ(Drawn(Canvas), u"abc d|ef|ghi|j|kl|");
    EXPECT_EQ(Canvas.Texts[0].Bg, clNone);
    for (int i : {1, 2, 3})
        EXPECT_EQ(Canvas.Texts[i].Bg, text) << i;
    EXPECT_EQ(Canvas.Texts[4].Bg, clNone);
    EXPECT_EQ(Doc.SelectedText(), u"ef\nghi\nj");
}

TEST_F(LayoutFixture, SoftHyphenAndJustifiedLinesPaint) {
    auto h = AddText(&Body->BlockCell, {u"abcd\u00ADefgh"});
    auto j = AddText(&Body->BlockCell, {u"a b c dddd"});
    j[0]->Align = 4;
    Layout(20 + 75);
    Paint(200, 400);
    ASSERT_GE(Canvas.Texts.size(), 4u);
    EXPECT_EQ(Canvas.Texts[0].Text, u"abcd-");
    EXPECT_EQ(Canvas.Texts[1].Text, u"efgh");
    // "a b c " is 50 wide in a 75 pixel line: 25 pixels over its two inner spaces.
    EXPECT_EQ(Canvas.Texts[2].Text, u"a b c");
    EXPECT_EQ(Canvas.Texts[2].Extra, 25);
    EXPECT_EQ(Canvas.Texts[2].Spaces, 2);
    EXPECT_EQ(Canvas.Texts[3].Text, u"dddd"); // the last line is not stretched
    EXPECT_EQ(Canvas.Texts[3].Extra, 0);
    int x = 0, y = 0;
    ASSERT_EQ(Doc.PointOfCursor(Canvas, j[0]->FirstPos + 4, x, y), 1);
    EXPECT_EQ(x, 10 + 10 + (10 + 12) + 10 + (10 + 13));
}

TEST_F(LayoutFixture, HitTestingRoundTrips) {
    ThtmlTable* t =
        AddTable({Attr(symAttrCellpadding, u"0", 0), Attr(symAttrCellspacing, u"8", 8)});
    AddText(AddCell(AddRow(t))->Cell.get(), {u"Heading"});
    AddText(AddCell(AddRow(t))->Cell.get(),
            {u"some longer text with iiii narrow letters that wraps", u"and a second line"});
    AddText(&Body->BlockCell, {u"after the table"});
    const int W = 200;
    Layout(W);
    Paint(W, 1000);
    int checked = 0;
    for (int pos = 0;; ++pos) {
        char16_t ch = 0;
        TSection* sec = nullptr;
        if (!Doc.CharAt(pos, ch, sec))
            break;
        ASSERT_NE(sec, nullptr);
        EXPECT_EQ(ch, sec->Text[pos - sec->FirstPos]);
        int x = 0, y = 0;
        ASSERT_EQ(Doc.PointOfCursor(Canvas, pos, x, y), 1) << pos;
        if (ch == BreakChar || x + 1 > W - 10)
            continue; // no width, or a trailing space beyond the text area
        bool atChar = false;
        int lineHeight = 0, lineTop = 0, caretX = 0;
        EXPECT_EQ(Doc.CursorAt(Canvas, x + 1, y + 1, atChar, lineHeight, lineTop, caretX), pos)
            << pos;
        EXPECT_EQ(caretX, x) << pos;
        EXPECT_EQ(lineTop, y) << pos;
        ++checked;
    }
    EXPECT_GT(checked, 60);
    char16_t ch = 0;
    TSection* sec = nullptr;
    EXPECT_EQ(Doc.CharAt(-1, ch, sec), 0);
    EXPECT_EQ(Doc.CharAt(100000, ch, sec), 0);
    int x = 0, y = 0;
    EXPECT_EQ(Doc.PointOfCursor(Canvas, 100000, x, y), 0);

    // Left of a line: within 10 pixels its first position, not on a character; further: none.
    ASSERT_EQ(Doc.PointOfCursor(Canvas, 0, x, y), 1);
    bool atChar = true;
    int lineHeight = 0, lineTop = 0, caretX = 0;
    EXPECT_EQ(Doc.CursorAt(Canvas, x - 5, y + 1, atChar, lineHeight, lineTop, caretX), 0);
    EXPECT_FALSE(atChar);
    EXPECT_EQ(Doc.CursorAt(Canvas, x - 11, y + 1, atChar, lineHeight, lineTop, caretX), -1);
    EXPECT_EQ(Doc.CursorAt(Canvas, W + 50, y + 1, atChar, lineHeight, lineTop, caretX), -1);
    // Beyond the middle of a character the caret goes behind it.
    EXPECT_EQ(Doc.CursorAt(Canvas, x + 6, y + 1, atChar, lineHeight, lineTop, caretX), 1);
    EXPECT_EQ(caretX, x + 10);
}

TEST_F(LayoutFixture, WidthsAreMeasuredOnceAndBlocksAddTheirSides) {
    auto s = AddText(&Body->BlockCell, {u"iiii ww"});
    int mn = 0, mx = 0;
    s[0]->MeasureWidths(Canvas, mn, mx);
    EXPECT_EQ(mn, 20);
    EXPECT_EQ(mx, 20 + 10 + 20);
    // Finished text never changes, so the second answer comes from the cache.
    s[0]->Text[0] = u'w';
    int mn2 = 0, mx2 = 0;
    s[0]->MeasureWidths(Canvas, mn2, mx2);
    EXPECT_EQ(mn2, mn);
    EXPECT_EQ(mx2, mx);

    TProperties blockProps;
    Doc.Styles.CopyDefault(blockProps);
    for (int i = MarginTop; i <= MarginLeft; ++i)
        blockProps.Values[i] = 0;
    blockProps.Values[MarginLeft] = 6;
    blockProps.Values[PaddingRight] = 4;
    TBlock b(&Doc, nullptr, &Body->BlockCell, blockProps);
    AddText(&b.BlockCell, {u"abc defgh"});
    b.MeasureWidths(Canvas, mn, mx);
    EXPECT_EQ(mn, 50 + 10);
    EXPECT_EQ(mx, 90 + 10);
}

} // namespace
