#include "html/style/properties.h"
#include "html/text/charsets.h"
#include "platform/codepage.h"

#include "fake_fonts.h"

#include <gtest/gtest.h>

#include <string_view>
#include <tuple>

using namespace html;

TEST(HtmlProperties, NewRecord) {
    TProperties a, b;
    EXPECT_EQ(b.Serial, a.Serial + 1);
    for (int i = 0; i < PropertyCount; ++i) {
        if (IsBoxProperty(i))
            EXPECT_TRUE(a.Values[i].IsIntValue(NoValue)) << i;
        else if (i == ZIndex)
            EXPECT_TRUE(a.Values[i].IsIntValue(0));
        else
            EXPECT_TRUE(a.Values[i].IsEmpty()) << i;
    }
    EXPECT_TRUE(a.Explicit.none());
    EXPECT_EQ(a.InlineBackground, clNone);
    EXPECT_EQ(std::u16string(PropertyNames[FontFamily]), u"font-family");
    EXPECT_EQ(std::u16string(PropertyNames[WordWrap]), u"word-wrap");
    EXPECT_EQ(std::u16string(PropertyNames[piDisplay]), u"display");
    EXPECT_TRUE(IsInheritedProperty(Color));
    EXPECT_FALSE(IsInheritedProperty(BackgroundColor));
    EXPECT_FALSE(IsInheritedProperty(psFloat));
}

TEST(HtmlProperties, SetPropertySkipsWhatTheElementSetItself) {
    TProperties r;
    r.SetProperty(Color, TPropValue::Color(0x0000FF));
    EXPECT_TRUE(r.Explicit[Color]);
    r.SetProperty(Color, TPropValue::Color(0x00FF00));
    EXPECT_EQ(r.Values[Color].AsColor(), 0x0000FFu);
    r.SetProperty(-1, 3); // out of range: ignored
    r.SetProperty(PropertyCount, 3);
}

TEST(HtmlProperties, SetPropertyUpdatesLinkFonts) {
    TFakeFonts fonts;
    TProperties r;
    r.DefaultFontName = u"Times New Roman";
    r.HasLinkFonts = true;
    r.SetProperty(FontFamily, u"Verdana, Arial");
    r.SetProperty(FontSize, 10.0);
    r.SetProperty(Color, TPropValue::Color(0x123456));
    for (const ThtFontInfo& f : r.LinkFonts) {
        EXPECT_EQ(f.Name, u"Arial");
        EXPECT_DOUBLE_EQ(f.Size, 10);
        EXPECT_EQ(f.Color, 0x123456u);
    }
}

TEST(HtmlProperties, OwnColours) {
    TProperties r;
    r.Values[BackgroundColor] = TPropValue::Color(0x00FAF8F7);
    r.Values[Color] = TPropValue::Color(0x001C1F87);
    EXPECT_EQ(r.GetBackgroundColor(), clNone); // inherited or copied, not its own
    EXPECT_EQ(r.GetOwnColor(), clNone);
    r.Explicit[BackgroundColor] = true;
    r.Explicit[Color] = true;
    EXPECT_EQ(r.GetBackgroundColor(), 0x00FAF8F7u);
    EXPECT_EQ(r.GetOwnColor(), 0x001C1F87u);
}

TEST(HtmlProperties, Accessors) {
    TProperties r;
    int a = -1;
    EXPECT_FALSE(r.GetVerticalAlign(a));
    const std::pair<const char16_t*, int> va[] = {
        {u"top", ATop},       {u"text-top", ATop}, {u"middle", AMiddle}, {u"baseline", ABaseline},
        {u"bottom", ABottom}, {u"sub", ASub},      {u"super", ASuper}};
    for (auto [name, code] : va) {
        r.Values[VerticalAlign] = name;
        ASSERT_TRUE(r.GetVerticalAlign(a));
        EXPECT_EQ(a, code);
    }
    r.Values[VerticalAlign] = u"sideways";
    EXPECT_FALSE(r.GetVerticalAlign(a));

    r.Values[psFloat] = u"right";
    ASSERT_TRUE(r.GetFloat(a));
    EXPECT_EQ(a, ARight);
    r.Values[psFloat] = u"none";
    ASSERT_TRUE(r.GetFloat(a));
    EXPECT_EQ(a, ANone);
    r.Values[psFloat] = u"up";
    EXPECT_FALSE(r.GetFloat(a));

    r.Values[psClear] = u"both";
    ASSERT_TRUE(r.GetClear(a));
    EXPECT_EQ(a, clrAll);
    EXPECT_FALSE(r.GetClear(a)); // emptied by reading

    EXPECT_EQ(r.GetPosition(), 0);
    r.Values[psPosition] = u"relative";
    EXPECT_EQ(r.GetPosition(), 2);
    EXPECT_EQ(r.GetVisibility(), 2);
    r.Values[Visibility] = 1;
    EXPECT_EQ(r.GetVisibility(), 1);
    r.Values[ZIndex] = u"7";
    EXPECT_EQ(r.GetZIndex(), 7);
    r.Values[ZIndex] = u"seven";
    EXPECT_EQ(r.GetZIndex(), 0);
    EXPECT_EQ(r.GetFontVariant(), u"normal");
    EXPECT_EQ(r.GetTextTransform(), 0);
    r.Values[piDisplay] = u"none";
    r.Values[OverFlow] = u"hidden";
    r.Values[BorderCollapse] = u"collapse";
    EXPECT_TRUE(r.IsDisplayNone());
    EXPECT_TRUE(r.IsOverflowHidden());
    EXPECT_TRUE(r.IsBorderCollapse());
    bool before, after, inside;
    r.Values[PageBreakBefore] = u"always";
    r.Values[PageBreakInside] = u"avoid";
    EXPECT_TRUE(r.GetPageBreaks(before, after, inside));
    EXPECT_TRUE(before);
    EXPECT_FALSE(after);
    EXPECT_TRUE(inside);
    r.Values[BorderStyle] = u"double";
    EXPECT_EQ(r.GetBorderStyleCode(), bssDouble);
    r.Values[BorderStyle] = u"wavy";
    EXPECT_EQ(r.GetBorderStyleCode(), bssNone);
}

TEST(HtmlProperties, LineHeightAndTextIndent) {
    TFakeFonts fonts;
    TProperties r;
    r.EmHeight = 16;
    r.ExHeight = 8;
    EXPECT_EQ(r.GetLineHeight(20), -1);
    r.Values[LineHeight] = u"normal";
    EXPECT_EQ(r.GetLineHeight(20), -1);
    r.Values[LineHeight] = u"1.5";
    EXPECT_EQ(r.GetLineHeight(20), 30);
    r.Values[LineHeight] = u"2em";
    EXPECT_EQ(r.GetLineHeight(20), 32);
    r.Values[LineHeight] = u"150%";
    EXPECT_EQ(r.GetLineHeight(20), 24); // of the em height
    r.Values[LineHeight] = 3;           // not a string
    EXPECT_EQ(r.GetLineHeight(20), -1);

    bool pct = true;
    EXPECT_EQ(r.GetTextIndent(pct), 0);
    EXPECT_FALSE(pct);
    r.Values[TextIndent] = u"10%";
    EXPECT_EQ(r.GetTextIndent(pct), 10);
    EXPECT_TRUE(pct);
    r.Values[TextIndent] = u"2ex"; // ex counts as em here
    EXPECT_EQ(r.GetTextIndent(pct), 32);
    EXPECT_FALSE(pct);
}

TEST(HtmlProperties, BoxValues) {
    TFakeFonts fonts;
    TProperties r;
    r.Values[BackgroundColor] = TPropValue::Color(0x00FAF8F7);
    r.Values[MarginTop] = ParaSpace;
    r.Values[MarginBottom] = u"1em";
    r.Values[MarginLeft] = u"auto";
    r.Values[MarginRight] = u"10%";
    r.Values[PaddingTop] = u"3px";
    r.Values[PaddingBottom] = 2;
    r.Values[BorderTopStyle] = u"solid";
    r.Values[BorderTopWidth] = u"thick";
    r.Values[BorderBottomStyle] = u"dashed"; // width NoValue: medium
    r.Values[BorderLeftWidth] = 9;           // style none: no width
    r.Values[piHeight] = u"50%";
    r.Values[TopPos] = u"10%";

    TVMarginArray box;
    r.GetBoxValues(box);
    EXPECT_TRUE(box[BorderTopStyle].IsIntValue(bssSolid));
    TBoxValues v = ConvertBoxValues(box, 200, 100, 16, 8);
    const TMarginArray& m = v.M;
    EXPECT_EQ(m[BackgroundColor], static_cast<int>(0x00FAF8F7));
    EXPECT_EQ(m[BorderColor], static_cast<int>(clNone));
    EXPECT_EQ(m[MarginTop], 14);
    EXPECT_TRUE(v.TopAuto);
    EXPECT_EQ(m[MarginBottom], 16);
    EXPECT_FALSE(v.BottomAuto);
    EXPECT_EQ(m[MarginLeft], AutoValue);
    EXPECT_EQ(m[MarginRight], 20);
    EXPECT_EQ(m[PaddingTop], 3);
    EXPECT_EQ(m[PaddingBottom], 2);
    EXPECT_EQ(m[PaddingLeft], 0); // NoValue
    EXPECT_EQ(m[BorderTopWidth], 6);
    EXPECT_EQ(m[BorderBottomWidth], 4);
    EXPECT_EQ(m[BorderLeftWidth], 0);
    EXPECT_EQ(m[BorderTopStyle], bssSolid);
    EXPECT_EQ(m[BorderRightStyle], 0);
    EXPECT_EQ(m[piWidth], AutoValue);
    EXPECT_EQ(v.AutoCount, 2); // margin-left and width
    // 50% of 100, less the top and bottom borders and paddings.
    EXPECT_EQ(m[piHeight], 50 - (6 + 4 + 3 + 2));
    EXPECT_EQ(m[TopPos], 10); // of the height
    EXPECT_EQ(m[LeftPos], AutoValue);

    TMarginArray cell = ConvertCellPaddings(box, 200, 16, 8);
    EXPECT_EQ(cell[PaddingTop], 3);
    EXPECT_EQ(cell[PaddingLeft], -1);
    box[PaddingRight] = u"5%";
    EXPECT_EQ(ConvertCellPaddings(box, 200, 16, 8)[PaddingRight], -5);
    TMarginArray inl = ConvertInlineBoxValues(box, 200, 100, 16, 8);
    EXPECT_EQ(inl[piWidth], AutoValue);
    EXPECT_EQ(inl[BorderTopWidth], 6);
}

TEST(HtmlCharSets, NamesInOrder) {
    auto cs = [](std::u16string_view name) {
        int c = -1;
        return CharSetFromName(name, c) ? c : -1;
    };
    EXPECT_EQ(cs(u"windows-1251"), 204);
    EXPECT_EQ(cs(u"text/html; charset=KOI8-R"), 204);
    EXPECT_EQ(cs(u"ISO-8859-1"), 0);
    EXPECT_EQ(cs(u"iso-8859-15"), 0);
    EXPECT_EQ(cs(u"iso-8859-2"), 31);
    EXPECT_EQ(cs(u"Shift_JIS"), 128);
    EXPECT_EQ(cs(u"EUC-KR"), 129);
    EXPECT_EQ(cs(u"tis-620"), 222);
    EXPECT_EQ(cs(u"utf-8"), -1);
    // windows-1250 is found before the 8859-2 that ISO names would give.
    EXPECT_EQ(cs(u"1250 8859-2"), 238);
}

TEST(HtmlCharSets, CodePagesOfCharacterSets) {
    // Each character set's page decodes a letter of its own script: the page is checked by what
    // it reads, not by its number.
    const std::tuple<int, std::string_view, std::u16string_view> letters[] = {
        {0, "\xc0", u"\u00c0"},       {204, "\xc0", u"\u0410"},     {238, "\xc0", u"\u0154"},
        {161, "\xc1", u"\u0391"},     {162, "\xd0", u"\u011e"},     {177, "\xe0", u"\u05d0"},
        {178, "\xc7", u"\u0627"},     {186, "\xc0", u"\u0104"},     {163, "\xc3", u"\u0102"},
        {222, "\xa1", u"\u0e01"},     {128, "\x82\xa0", u"\u3042"}, {129, "\xb0\xa1", u"\uac00"},
        {134, "\xb0\xa1", u"\u554a"}, {136, "\xa4\x40", u"\u4e00"}, {255, "\x80", u"\u0410"}};
    for (auto [cs, bytes, letter] : letters)
        EXPECT_EQ(DecodeCodePage(bytes, CharSetCodePage(cs, -5)), letter) << cs;
    // The sets that name no page of their own, and one that is no set.
    EXPECT_EQ(CharSetCodePage(1, -5), 0);
    EXPECT_EQ(CharSetCodePage(2, -5), 0);
    EXPECT_EQ(CharSetCodePage(3, -5), -5);
    EXPECT_EQ(DecodeCodePage("\xc0", 28592), u"\u0154");
    EXPECT_EQ(DecodeCodePage("\xd0\x9a", 65001), u"К");
}
