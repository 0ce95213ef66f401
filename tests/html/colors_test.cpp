#include "html/style/properties.h"
#include "html/text/htmlcolors.h"

#include <gtest/gtest.h>

using namespace html;

namespace {
TColor Parse(std::u16string_view t, bool needHash = true) {
    TColor c = 0xDEADBEEF;
    return ParseColor(t, needHash, c) ? c : 0xDEADBEEF;
}
constexpr TColor kFail = 0xDEADBEEF;
} // namespace

TEST(HtmlColors, HexForms) {
    const TColor pf = PaletteFlag();
    EXPECT_EQ(Parse(u"#f7f8fa"), 0x00FAF8F7u | pf);
    EXPECT_EQ(Parse(u"#871f1c"), 0x001C1F87u | pf);
    EXPECT_EQ(Parse(u"#abc"), 0x00CCBBAAu | pf);
    EXPECT_EQ(Parse(u"#ABCDEF"), Parse(u"#abcdef"));
    EXPECT_EQ(Parse(u"  #871F1C  "), 0x001C1F87u | pf);
    // Everything up to the last '#' goes; bits above red are dropped.
    EXPECT_EQ(Parse(u"x#y#010203"), 0x00030201u | pf);
    EXPECT_EQ(Parse(u"#ff010203"), 0x00030201u | pf);
    EXPECT_EQ(Parse(u"#"), kFail);
    EXPECT_EQ(Parse(u"#ghijkl"), kFail);
    EXPECT_EQ(Parse(u""), kFail);
    EXPECT_EQ(Parse(u"   "), kFail);
}

TEST(HtmlColors, HashRequirementIsNotLostInTheCache) {
    EXPECT_EQ(Parse(u"871f1c", false), 0x001C1F87u | PaletteFlag());
    EXPECT_EQ(Parse(u"871f1c", true), kFail);
    EXPECT_EQ(Parse(u"871f1c", false), 0x001C1F87u | PaletteFlag());
}

TEST(HtmlColors, NamesAndSystemColours) {
    EXPECT_EQ(ColorNameCount(), 176u);
    EXPECT_TRUE(ColorNamesSorted());
    EXPECT_EQ(Parse(u"red"), 0x000000FFu);
    EXPECT_EQ(Parse(u"RED"), 0x000000FFu);
    EXPECT_EQ(Parse(u"Red", false), 0x000000FFu);
    EXPECT_EQ(Parse(u"black"), 0x00000000u);
    EXPECT_EQ(Parse(u"aliceblue"), 0x00FFF8F0u);
    EXPECT_EQ(Parse(u"yellowgreen"), 0x0032CD9Au);
    EXPECT_EQ(Parse(u"grey"), Parse(u"gray"));
    EXPECT_EQ(Parse(u"darkslategrey"), 0x004F4F2Fu);
    EXPECT_EQ(Parse(u"transparent"), clNone);
    EXPECT_EQ(Parse(u"buttontext"), SystemColor(COLOR_BTNTEXT));
    EXPECT_EQ(Parse(u"threedface"), SystemColor(COLOR_BTNFACE));
    EXPECT_EQ(Parse(u"infobackground"), SystemColor(COLOR_INFOBK));
    EXPECT_EQ(Parse(u"scrollbar"), SystemColor(COLOR_SCROLLBAR));
    EXPECT_EQ(Parse(u"nosuchcolour"), kFail);
    // A name-like text of hex digits is a colour without '#' only when allowed.
    EXPECT_EQ(Parse(u"bad", false), 0x00DDAABBu | PaletteFlag());
}

TEST(HtmlColors, RgbForm) {
    EXPECT_EQ(Parse(u"rgb(255, 0, 0)"), 0x000000FFu); // no palette flag
    EXPECT_EQ(Parse(u"RGB( 1 ,2, 3 )"), 0x00030201u);
    EXPECT_EQ(Parse(u"rgb(100%, 20%, 0%)"), RGBColor(255, 51, 0));
    EXPECT_EQ(Parse(u"rgb(300, -5, x)"), RGBColor(255, 0, 0));
    EXPECT_EQ(Parse(u"rgb(7)"), RGBColor(7, 0, 0));
    EXPECT_EQ(Parse(u"rgb 1,2,3"), kFail);
    EXPECT_EQ(Parse(u"rgb(1,2,3"), kFail);
}
