// The details page built and laid out: where its table and text go for a given width, and
// how tall the document is, from the font metrics and character widths of the machine.
#include "builder_fixture.h"

namespace {

using namespace html;

constexpr int kCharWidth = 7;

// Every character is kCharWidth wide; text output is recorded.
class TRecordingCanvas final : public THtmlCanvas {
public:
    struct TOut {
        int X, Baseline;
        std::u16string Text;
        int Width;
    };
    std::vector<TOut> Outs;

    void TextOut(const TMyFont&, int x, int baseline, std::u16string_view text, TColor, TColor, int,
                 int) override {
        Outs.push_back(
            {x, baseline, std::u16string(text), static_cast<int>(text.size()) * kCharWidth});
    }
    void FillRect(const TRect&, TColor) override {}
    TRect ClipRect() const override { return FClip; }
    void SetClipRect(const TRect& r) override { FClip = r; }

protected:
    int Advance(const TMyFont&, char16_t) override { return kCharWidth; }

private:
    TRect FClip{0, 0, 0, 0};
};

std::u16string Words(int count) {
    std::u16string s;
    for (int i = 0; i < count; ++i)
        s += (i ? u" " : u"") + std::u16string(u"abcdefg");
    return s;
}

struct DetailsLayout : BuilderFixture {
    TRecordingCanvas canvas;

    int LayOut(int width) {
        int pos = 0, maxWidth = 0;
        doc.ViewTop = 0;
        return doc.Layout(canvas, 0, pos, maxWidth, width, 1000);
    }
};

TEST_F(DetailsLayout, TableAndTextFollowTheWidthAndTheDocumentHeightFollowsTheLines) {
    const int W = 400;
    // Text W - 36 = 364 wide holds six of the words (6 x 8 characters of 7 pixels, the last
    // space overhanging), so thirty words take five lines and the piece after the break one.
    const std::vector<std::pair<std::u16string, std::u16string>> items = {
        {u"Класс", u"КЛАСС I.Некоторые"},
        {u"Раздел", u"Кишечные инфекции"},
        {u"Код", u""},
        {u"Наименование", u"Холера"},
        {u"Дополнительная информация", Words(30) + u"<br>tail"},
    };
    const std::vector<int> lines = {1, 1, 1, 1, 1, 0, 1, 1, 1, 6};
    Parse(DetailsPageText(items));
    TBodyBlock* body = Body();
    ASSERT_NE(body, nullptr);
    ThtmlTable* table = TableIn(body->BlockCell);
    ASSERT_NE(table, nullptr);
    ASSERT_EQ(table->Rows.size(), lines.size());

    // The line height of every cell is the box height of its one font (10 points), read from
    // the runs the builder made.
    auto* heading = dynamic_cast<TSection*>(CellAt(*table, 0, 0).Items.at(0).get());
    ASSERT_NE(heading, nullptr);
    const int box = heading->RunAt(0).BoxHeight;
    ASSERT_GT(box, 0);
    auto* value = dynamic_cast<TSection*>(CellAt(*table, 9, 0).Items.at(0).get());
    ASSERT_EQ(value->RunAt(0).BoxHeight, box);

    const int height = LayOut(W);
    int expected = 10 + 8;
    for (int n : lines)
        expected += 8 + n * box;
    EXPECT_EQ(height, expected);

    auto* block = dynamic_cast<TTableBlock*>(body->BlockCell[0]);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(block->ContentWidth, W - 20);
    EXPECT_EQ(table->TableWidth, W - 20);
    EXPECT_EQ(value->LineList.size(), 5u);
    for (const LineRec& l : value->LineList)
        EXPECT_EQ(l.AvailWidth, W - 36);

    // Painted, every line starts 18 pixels from the left and ends within W - 18.
    canvas.SetClipRect(TRect{0, 0, W, height});
    doc.Paint(canvas, TRect{0, 0, W, height}, 0);
    ASSERT_FALSE(canvas.Outs.empty());
    int texts = 0;
    for (const auto& out : canvas.Outs) {
        EXPECT_EQ(out.X, 18) << std::string(out.Text.begin(), out.Text.end());
        EXPECT_LE(out.X + out.Width, W - 18);
        ++texts;
    }
    // One output per line: 9 one-line cells without the empty one, 6 lines of the note.
    EXPECT_EQ(texts, 8 + 6);
}

TEST_F(DetailsLayout, ShortTextsMakeTheTableOnlyAsWideAsTheWidestText) {
    Parse(DetailsPageText({{u"Код", u"A00"}, {u"Наименование", u"Холера"}}));
    ThtmlTable* table = TableIn(Body()->BlockCell);
    ASSERT_NE(table, nullptr);
    LayOut(600);
    // "Наименование" is the widest text, 12 characters; the trailing space is not counted.
    EXPECT_EQ(table->TableWidth, 12 * kCharWidth + 16);
}

TEST_F(DetailsLayout, AWordWiderThanThePaneWidensTheTable) {
    const std::u16string word(60, u'x');
    Parse(DetailsPageText({{u"Код", word}}));
    ThtmlTable* table = TableIn(Body()->BlockCell);
    ASSERT_NE(table, nullptr);
    LayOut(200);
    EXPECT_EQ(table->TableWidth, 60 * kCharWidth + 16);
}

TEST_F(DetailsLayout, AnyWidthLaysOutWithoutLosingText) {
    Parse(DetailsPageText({{u"Код", Words(5)}}));
    for (int width : {0, 1, 37, 5000}) {
        const int height = LayOut(width);
        EXPECT_GE(height, 10 + 8 + 8 + 8) << width;
        ThtmlTable* table = TableIn(Body()->BlockCell);
        auto* value = dynamic_cast<TSection*>(CellAt(*table, 1, 0).Items.at(0).get());
        int chars = 0;
        for (const LineRec& l : value->LineList)
            chars += l.CharCount;
        EXPECT_EQ(chars, static_cast<int>(value->Text.size())) << width;
    }
}

} // namespace

namespace {

// Sizes far beyond any screen are held at a million pixels, so that the sums of widths, heights
// and margins stay exact instead of wrapping round.
TEST_F(DetailsLayout, HugeSizesFromThePageAreHeldAtAMillionPixels) {
    Parse(u"<table cellspacing=40><tr><td height=2147483647>x<tr><td height=99999999999>y"
          u"</table><table width=2147483647 style=\"margin-left:2000000000px\"><tr><td>z</table>");
    ThtmlTable* tall = TableIn(Body()->BlockCell, 0);
    ThtmlTable* wide = TableIn(Body()->BlockCell, 1);
    ASSERT_NE(tall, nullptr);
    ASSERT_NE(wide, nullptr);
    int pos = 0, maxWidth = 0;
    const int h = doc.Layout(canvas, 0, pos, maxWidth, 300, 1000);
    ASSERT_EQ(tall->RowHeights.size(), 2u);
    EXPECT_EQ(tall->RowHeights[0], MaxLayoutLength + 40);
    EXPECT_EQ(tall->RowHeights[1], MaxLayoutLength + 40);
    EXPECT_EQ(tall->FlowHeight, 2 * (MaxLayoutLength + 40) + 40);
    EXPECT_EQ(wide->TableWidth, MaxLayoutLength);
    EXPECT_EQ(maxWidth, 10 + MaxLayoutLength + MaxLayoutLength + 10);
    EXPECT_GT(h, tall->FlowHeight);
}

} // namespace

namespace {

// Spacing after every character is held at a hundred pixels, so that a long run cannot make a
// width wrap round; the run still lays out whole.
TEST_F(DetailsLayout, HugeLetterSpacingIsHeldAndLosesNoText) {
    Parse(u"<span style=\"letter-spacing:2000000000px\">abc</span>"
          u"<span style=\"letter-spacing:-2000000000px\">de</span>");
    const int h = LayOut(300);
    EXPECT_GT(h, 0);
    std::vector<TSection*> sections;
    doc.CollectSections(sections);
    ASSERT_FALSE(sections.empty());
    int chars = 0, text = 0;
    for (const TSection* s : sections) {
        text += static_cast<int>(s->Text.size());
        EXPECT_NE(s->Text.find(u"abcde"), std::u16string::npos);
        for (const LineRec& l : s->LineList)
            chars += l.CharCount;
        for (const auto& run : s->FontRuns) {
            EXPECT_LE(run->Font->LetterSpacing, MaxLetterSpacing);
            EXPECT_GE(run->Font->LetterSpacing, -MaxLetterSpacing);
        }
    }
    EXPECT_EQ(chars, text);
}

} // namespace

namespace {

// Spans of a hostile page add placeholders up to a fixed budget only; every real cell stays
// and lays out.
TEST_F(DetailsLayout, HugeSpansFillABoundedGrid) {
    std::u16string page = u"<table>";
    for (int r = 0; r < 2; ++r) {
        page += u"<tr>";
        for (int c = 0; c < 300; ++c)
            page += u"<td colspan=1000 rowspan=3>x";
    }
    page += u"<tr><td>end</table>";
    Parse(page);
    ThtmlTable* table = TableIn(Body()->BlockCell);
    ASSERT_NE(table, nullptr);
    EXPECT_GT(LayOut(300), 0);
    std::size_t grid = 0;
    int real = 0;
    for (const auto& row : table->Rows) {
        grid += row->Cells.size();
        for (const auto& cell : row->Cells)
            real += !cell->IsPlaceholder();
    }
    EXPECT_LE(grid, 200000u);
    EXPECT_GT(grid, 100000u); // the budget is used, not thrown away
    EXPECT_EQ(real, 2 * 300 + 1);
}

} // namespace
