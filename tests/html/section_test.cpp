// Text sections: the clean-up when a section is finished, and line breaking at fixed widths.
#include "fake_fonts.h"
#include "html/layout/document.h"
#include "html/layout/section.h"
#include "html/style/properties.h"

#include <gtest/gtest.h>

namespace {

using namespace html;

// Every character is 10 pixels wide, so that expected breaks follow from character counts.
class TFixedCanvas final : public TMeasureCanvas {
protected:
    int Advance(const TMyFont&, char16_t) override { return 10; }
};

struct SectionFixture : ::testing::Test {
    TFakeFonts fonts;
    TSectionList doc;
    TProperties props;
    TFixedCanvas canvas;
    SectionFixture() {
        doc.SetDefaults(u"Arial", u"Courier New", 10, 5, DEFAULT_CHARSET, true, false, clWindow,
                        0xFF, 0x800080, 0xFF0000, clBlack, 12);
        doc.Styles.CopyDefault(props);
    }
    std::unique_ptr<TSection> Make(std::u16string_view text) {
        auto s = std::make_unique<TSection>(&doc, &doc, false, u"", props, nullptr);
        s->AddText(text, 0);
        s->Finish(static_cast<int>(text.size()));
        return s;
    }
    std::vector<std::u16string> Lines(TSection& s, int width) {
        IndentManager im;
        im.Init(0, width);
        int pos = 0, maxW = 0;
        s.Layout(canvas, 0, pos, maxW, im, width, 0, 0);
        std::vector<std::u16string> out;
        for (const LineRec& l : s.LineList)
            out.push_back(s.Text.substr(l.Start, l.CharCount));
        return out;
    }
};

TEST_F(SectionFixture, FinishCollapsesSpacesAndHandlesBreaks) {
    EXPECT_EQ(Make(u"  a  b")->Text, u"a b ");
    EXPECT_TRUE(Make(u"    ")->Text.empty());
    EXPECT_EQ(Make(u"\b")->Text, u"\b");
    EXPECT_EQ(Make(u"word \b")->Text, u"word ");
    auto soft = Make(u"ab\u00ADcd");
    EXPECT_EQ(soft->Text, u"abcd ");
    EXPECT_EQ(soft->BreakCodes, "ysyyyy");
}

TEST_F(SectionFixture, LinesBreakAtSpacesSoftHyphensAndOverflowLongWords) {
    auto s = Make(u"aaa bbb ccc");
    EXPECT_EQ(Lines(*s, 65), (std::vector<std::u16string>{u"aaa ", u"bbb ", u"ccc "}));
    auto h = Make(u"abcd\u00ADefgh");
    auto hl = Lines(*h, 60);
    ASSERT_EQ(hl.size(), 2u);
    EXPECT_EQ(hl[0], u"abcd");
    EXPECT_TRUE(h->LineList[0].Hyphenated);
    auto w = Make(u"x abcdefghij y");
    EXPECT_EQ(Lines(*w, 50), (std::vector<std::u16string>{u"x ", u"abcdefghij ", u"y "}));
    auto one = Make(u"abc");
    EXPECT_EQ(Lines(*one, 0), std::vector<std::u16string>{u"abc "}); // a word is never cut
}

} // namespace

namespace {

// Forced breaks inside one section end lines wherever they stand, at every width and in every
// layout, also after a layout at another width.
TEST_F(SectionFixture, ForcedBreaksInsideASectionEndTheirLinesInEveryLayout) {
    auto s = std::make_unique<TSection>(&doc, &doc, false, u"", props, nullptr);
    s->AddText(u"aa", 0);
    s->AddChar(BreakChar, 2);
    s->AddText(u"bb cc", 3);
    s->AddChar(BreakChar, 8);
    s->AddChar(BreakChar, 9);
    s->AddText(u"dd", 10);
    s->Finish(12);
    ASSERT_EQ(s->Text, u"aa\bbb cc\b\bdd ");
    const std::vector<std::u16string> wide{u"aa\b", u"bb cc\b", u"\b", u"dd "};
    EXPECT_EQ(Lines(*s, 500), wide);
    EXPECT_EQ(Lines(*s, 30),
              (std::vector<std::u16string>{u"aa\b", u"bb ", u"cc\b", u"\b", u"dd "}));
    EXPECT_EQ(Lines(*s, 500), wide);
    // The empty line between the two breaks is as tall as the others.
    EXPECT_EQ(s->LineList[2].BoxHeight, s->LineList[0].BoxHeight);
}

} // namespace
