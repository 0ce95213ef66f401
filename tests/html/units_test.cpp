#include "html/text/units.h"

#include "fake_fonts.h"

#include <gtest/gtest.h>

using namespace html;

TEST(HtmlUnits, FontSizeTables) {
    TFontSizeTables t;
    t.SetFontSizes(12);
    const double ordinary[8] = {0, 8, 10, 12, 14, 18, 24, 36};
    const double pre[8] = {0, 7, 8, 10, 12, 15, 20, 30};
    for (int i = 1; i <= 7; ++i) {
        EXPECT_DOUBLE_EQ(t.FontSizePoints[i], ordinary[i]);
        EXPECT_DOUBLE_EQ(t.PreFontSizePoints[i], pre[i]);
    }
    t.SetFontSizes(10);
    const double ten[8] = {0, 6.667, 8.333, 10, 11.667, 15, 20, 30};
    for (int i = 1; i <= 7; ++i)
        EXPECT_NEAR(t.FontSizePoints[i], ten[i], 0.001);
    EXPECT_DOUBLE_EQ(t.PreFontSizePoints[7], 25);
}

TEST(HtmlUnits, FontSizesWithUnits) {
    TFakeFonts fonts;
    fonts.Ppi = 120;
    EXPECT_DOUBLE_EQ(ConvertFontSize(u"1in", 10, 12), 72);
    EXPECT_DOUBLE_EQ(ConvertFontSize(u"2.54cm", 10, 12), 72);
    EXPECT_DOUBLE_EQ(ConvertFontSize(u"25.4 mm", 10, 12), 72);
    EXPECT_DOUBLE_EQ(ConvertFontSize(u"9pt", 10, 12), 9);
    EXPECT_DOUBLE_EQ(ConvertFontSize(u"2pc", 10, 12), 24);
    EXPECT_DOUBLE_EQ(ConvertFontSize(u"20px", 10, 12), 12);
    EXPECT_DOUBLE_EQ(ConvertFontSize(u"20", 10, 12), 12);
    EXPECT_DOUBLE_EQ(ConvertFontSize(u"1.2em", 10, 12), 12);
    EXPECT_DOUBLE_EQ(ConvertFontSize(u"1.2EM", 10, 12), 12);
    EXPECT_DOUBLE_EQ(ConvertFontSize(u"2ex", 10, 12), 10);
    EXPECT_DOUBLE_EQ(ConvertFontSize(u"75%", 12, 12), 9);
    EXPECT_DOUBLE_EQ(ConvertFontSize(u"smaller", 12, 10), 9);
    EXPECT_DOUBLE_EQ(ConvertFontSize(u"larger", 12, 10), 15);
    EXPECT_DOUBLE_EQ(ConvertFontSize(u"xx-small", 8, 12), 8);
    EXPECT_DOUBLE_EQ(ConvertFontSize(u"x-small", 8, 12), 10);
    EXPECT_DOUBLE_EQ(ConvertFontSize(u"small", 8, 12), 12);
    EXPECT_DOUBLE_EQ(ConvertFontSize(u"medium", 8, 12), 14.4);
    EXPECT_DOUBLE_EQ(ConvertFontSize(u"large", 8, 12), 18);
    EXPECT_DOUBLE_EQ(ConvertFontSize(u"x-large", 8, 12), 24);
    EXPECT_DOUBLE_EQ(ConvertFontSize(u"xx-large", 8, 12), 36);
    EXPECT_DOUBLE_EQ(ConvertFontSize(u"3furlongs", 8, 12), 12);
    EXPECT_DOUBLE_EQ(ConvertFontSize(u"1e5pt", 8, 12), 12); // "e5pt" is no unit
}

TEST(HtmlUnits, Lengths) {
    TFakeFonts fonts;
    fonts.Ppi = 96;
    EXPECT_EQ(ConvertLength(u"1in", false, 0, -7, 16, 8), 96);
    EXPECT_EQ(ConvertLength(u"2.54cm", false, 0, -7, 16, 8), 96);
    EXPECT_EQ(ConvertLength(u"12pt", false, 0, -7, 16, 8), 16);
    EXPECT_EQ(ConvertLength(u"1pc", false, 0, -7, 16, 8), 16);
    EXPECT_EQ(ConvertLength(u"7px", false, 0, -7, 16, 8), 7);
    EXPECT_EQ(ConvertLength(u"1.5em", false, 0, -7, 16, 8), 24);
    EXPECT_EQ(ConvertLength(u"3ex", false, 0, -7, 16, 8), 24);
    EXPECT_EQ(ConvertLength(u"50%", false, 300, -7, 16, 8), 150);
    EXPECT_EQ(ConvertLength(u"2.5", false, 300, -7, 16, 8), 2); // halves to even
    EXPECT_EQ(ConvertLength(u"3.5", false, 300, -7, 16, 8), 4);
    EXPECT_EQ(ConvertLength(u"1.5", true, 10, -7, 16, 8), 15); // relative: times base
    EXPECT_EQ(ConvertLength(u"auto", false, 300, -7, 16, 8), -7);
    EXPECT_EQ(ConvertLength(u"4parsecs", false, 300, -7, 16, 8), -7);
    EXPECT_EQ(ConvertLength(u"1e400px", false, 0, -7, 16, 8), -7); // "e400px" is no unit
    EXPECT_EQ(ConvertLength(u"99999999999999px", false, 0, -7, 16, 8), INT_MAX);
}

TEST(HtmlUnits, FirstInstalledFace) {
    TFakeFonts fonts;
    fonts.Faces = {u"Times New Roman", u"Arial", u"Courier New", u"Tahoma"};
    EXPECT_EQ(FirstInstalledFace(u"Verdana"), u"");
    EXPECT_EQ(FirstInstalledFace(u"serif"), u"Times New Roman");
    EXPECT_EQ(FirstInstalledFace(u"Verdana, SANS-SERIF"), u"Arial");
    EXPECT_EQ(FirstInstalledFace(u" 'Tahoma' ,Arial"), u"Tahoma");
    EXPECT_EQ(FirstInstalledFace(u"\"tahoma\""), u"tahoma"); // as written, compared by case
    EXPECT_EQ(FirstInstalledFace(u"Helvetica"), u"Arial");
    EXPECT_EQ(FirstInstalledFace(u"monospace"), u"Courier New");
    EXPECT_EQ(FirstInstalledFace(u"cursive, fantasy"), u"");
    EXPECT_EQ(FirstInstalledFace(u""), u"");
    EXPECT_EQ(FirstInstalledFace(u",,"), u"");
}

TEST(HtmlUnits, FirstInstalledFaceOnThisMachine) {
    // The platform's own list: the first listed face is found in any case; a face the list
    // lacks is not.
    const auto& faces = FontServices().InstalledFaces();
    ASSERT_FALSE(faces.empty());
    EXPECT_EQ(FirstInstalledFace(u"No Such Face Anywhere, " + faces[0]), faces[0]);
    std::u16string lower = faces[0];
    for (char16_t& c : lower)
        if (c >= u'A' && c <= u'Z')
            c += 32;
    EXPECT_EQ(FirstInstalledFace(lower), lower);
}
