#include "html/read/attributes.h"
#include "html/read/reader.h"
#include "html/style/propstack.h"
#include "html/style/stylelist.h"
#include "html/style/styleparser.h"
#include "html/text/htmlcolors.h"

#include "fake_fonts.h"

#include <gtest/gtest.h>

using namespace html;

constexpr TColor clBtnText = SystemColor(COLOR_BTNTEXT);

namespace {

class StyleTest : public ::testing::Test {
protected:
    StyleTest() {
        Styles.InitializeStyles(u"Times New Roman", u"Courier New", 12, clBtnText, 0x0000EE,
                                0x800080, 0xFF0000, true, RUSSIAN_CHARSET, 5, 10);
        auto base = std::make_unique<TProperties>();
        Styles.CopyDefault(*base);
        Stack.PushBase(std::move(base));
    }
    TProperties* Push(std::u16string_view tag, std::u16string_view cls = u"",
                      TProperties* style = nullptr, std::u16string_view pseudo = u"",
                      std::u16string_view id = u"") {
        return Stack.PushProperties(tag, cls, id, style, u"", pseudo);
    }

    TFakeFonts Fonts;
    TStyleList Styles;
    TPropStack Stack{Styles};
};

} // namespace

TEST_F(StyleTest, BaseRecordFromTheDefaultRule) {
    TProperties* base = Stack.PropertiesAt(0);
    EXPECT_EQ(base->ElementTag, u"default");
    EXPECT_EQ(base->Values[FontFamily].AsString(), u"Times New Roman");
    EXPECT_DOUBLE_EQ(base->Values[FontSize].AsNumber(), 12);
    EXPECT_EQ(base->Values[Color].AsColor(), clBtnText);
    EXPECT_TRUE(base->Values[MarginTop].IsIntValue(5));
    EXPECT_TRUE(base->Values[MarginLeft].IsIntValue(10));
    EXPECT_TRUE(base->Values[PaddingLeft].IsIntValue(NoValue));
    EXPECT_TRUE(base->Values[Visibility].IsIntValue(2));
    EXPECT_EQ(base->CharSet, 204);
    EXPECT_EQ(base->CodePage, 1251);
    EXPECT_EQ(base->DefaultFontName, u"Times New Roman");
    EXPECT_TRUE(base->Explicit.none()); // values, not flags
}

TEST_F(StyleTest, DefaultRulesThatPagesMeet) {
    auto one = [&](std::u16string_view sel) {
        auto found = Styles.Find(sel);
        return found.size() == 1 ? found[0] : nullptr;
    };
    ASSERT_TRUE(one(u"TABLE")); // selectors are compared without case
    EXPECT_EQ(one(u"table")->Values[TextAlign].AsString(), u"none");
    EXPECT_EQ(one(u"b")->Values[FontWeight].AsString(), u"bold");
    EXPECT_EQ(one(u"th")->Values[FontWeight].AsString(), u"bold");
    EXPECT_DOUBLE_EQ(one(u"h1")->Values[FontSize].AsNumber(), 24);
    EXPECT_DOUBLE_EQ(one(u"h6")->Values[FontSize].AsNumber(), 8);
    EXPECT_DOUBLE_EQ(one(u"pre")->Values[FontSize].AsNumber(), 10);
    EXPECT_TRUE(one(u"p")->Values[MarginTop].IsIntValue(ParaSpace));
    EXPECT_TRUE(one(u"p 11pre")->Values[MarginTop].IsIntValue(0));
    EXPECT_EQ(one(u"::link")->Values[Color].AsColor(), 0x0000EEu | PaletteFlag());
    EXPECT_EQ(one(u"::link")->Values[TextDecoration].AsString(), u"underline");
    EXPECT_EQ(one(u"input")->Values[FontFamily].AsString(), u"Arial Unicode MS, Arial");
    EXPECT_EQ(one(u"textarea")->Values[FontFamily].AsString(), u"Courier New");
    EXPECT_EQ(one(u"null")->Values[Color], TPropValue());
    EXPECT_EQ(one(u"nosuch"), nullptr);
    Styles.SetLinkColor(u"visited", 0x00ABCDEF);
    EXPECT_EQ(one(u"::visited")->Values[Color].AsColor(), 0x00ABCDEFu);
    Styles.SetLinkColor(u"nosuch", 0); // no such rule: nothing happens
}

TEST_F(StyleTest, DetailsPageCellAndHeading) {
    Push(u"body");
    Push(u"table");
    Push(u"tr");
    TProperties* td = Push(u"td");
    EXPECT_EQ(td->Values[FontFamily].AsString(), u"Times New Roman");
    EXPECT_DOUBLE_EQ(td->Values[FontSize].AsNumber(), 12);
    EXPECT_EQ(td->Values[Color].AsColor(), clBtnText);
    EXPECT_EQ(td->Values[TextAlign].AsString(), u"none");
    EXPECT_EQ(td->Values[FontWeight].AsString(), u"normal");
    EXPECT_TRUE(td->Values[MarginTop].IsIntValue(NoValue));
    EXPECT_EQ(td->CodePage, 1251);
    // The builder's SetProperty on the cell.
    td->SetProperty(TextAlign, u"left");
    EXPECT_EQ(td->Values[TextAlign].AsString(), u"left");

    TProperties* font = Push(u"font");
    font->SetProperty(FontSize, 10.0);
    TProperties* b = Push(u"b");
    EXPECT_DOUBLE_EQ(b->Values[FontSize].AsNumber(), 10);
    EXPECT_EQ(b->Values[FontWeight].AsString(), u"bold");
    EXPECT_TRUE(b->Explicit[FontWeight]);
    EXPECT_FALSE(b->Explicit[FontSize]);
}

TEST_F(StyleTest, TableStartsWordWrapAgain) {
    TProperties* div = Push(u"div");
    div->Values[WordWrap] = u"break-word";
    EXPECT_EQ(Push(u"span")->Values[WordWrap].AsString(), u"break-word");
    Stack.PopProperties();
    EXPECT_EQ(Push(u"table")->Values[WordWrap].AsString(), u"normal");
}

TEST_F(StyleTest, RelativeFontSizes) {
    EXPECT_DOUBLE_EQ(Push(u"sup")->Values[FontSize].AsNumber(), 9);
    Stack.PopProperties();
    TProperties* font = Push(u"font");
    font->SetProperty(FontSize, 10.0);
    EXPECT_DOUBLE_EQ(Push(u"big")->Values[FontSize].AsNumber(), 12.5);
    EXPECT_DOUBLE_EQ(Push(u"code")->Values[FontSize].AsNumber(), 12.5 * 0.833);
}

TEST_F(StyleTest, ClosingReinheritsTheRecordsAbove) {
    Push(u"body");
    Push(u"b");
    TProperties* i = Push(u"i");
    EXPECT_EQ(i->Values[FontWeight].AsString(), u"bold");
    (void)i->GetFont();
    Stack.PopTagProperties(u"b");
    ASSERT_EQ(Stack.TopProperties(), i);
    EXPECT_EQ(i->Values[FontWeight].AsString(), u"normal");
    EXPECT_EQ(i->Values[FontStyle].AsString(), u"italic");
    EXPECT_EQ(i->FontCache, nullptr); // made again on the next GetFont
    EXPECT_FALSE(i->GetFont()->Style.Has(TFontStyle::Bold));
}

TEST_F(StyleTest, ClosingRightAboveTheBaseReinheritsToo) {
    Push(u"b");
    TProperties* i = Push(u"i");
    Stack.PopTagProperties(u"b");
    EXPECT_EQ(i->Values[FontWeight].AsString(), u"normal");
}

TEST_F(StyleTest, ReinheritanceKeepsOwnValuesAndBoxes) {
    TProperties* outer = Push(u"div");
    outer->SetProperty(piWidth, u"300px");
    outer->SetProperty(Color, TPropValue::Color(0x111111));
    Push(u"b");
    TProperties* cell = Push(u"td");
    cell->SetProperty(Color, TPropValue::Color(0x222222));
    Stack.PopTagProperties(u"b");
    EXPECT_EQ(cell->Values[Color].AsColor(), 0x222222u);
    EXPECT_TRUE(cell->Values[piWidth].IsIntValue(NoValue)); // not taken from the div
    EXPECT_EQ(cell->Values[FontWeight].AsString(), u"normal");
}

TEST_F(StyleTest, ClosingWhatIsNotOpenAndTheBase) {
    Push(u"b");
    const int n = Stack.Count();
    Stack.PopTagProperties(u"i");
    EXPECT_EQ(Stack.Count(), n);
    Stack.PopTagProperties(u"default"); // the base record is never removed
    Stack.PopProperties();
    Stack.PopProperties();
    Stack.PopProperties();
    EXPECT_EQ(Stack.Count(), 1);
    EXPECT_EQ(Stack.TopProperties()->ElementTag, u"default");
    Stack.ClearStack();
    EXPECT_EQ(Stack.Count(), 0);
    EXPECT_EQ(Stack.TopProperties(), nullptr);
    Stack.PopProperties();
}

TEST_F(StyleTest, InlineBorderEndIsReported) {
    std::vector<std::u16string> ended;
    Stack.OnInlineBorderEnd = [&](TProperties& r) { ended.push_back(r.ElementTag); };
    auto style = ParseStyleDeclarations(u"border: 1px solid red");
    Push(u"span", u"", style.get());
    Push(u"b");
    Stack.PopTagProperties(u"b");
    Stack.PopTagProperties(u"span");
    EXPECT_EQ(ended, std::vector<std::u16string>{u"span"});
}

TEST_F(StyleTest, StyleAttributeWinsOverTheBuilder) {
    auto style = ParseStyleDeclarations(u"color: #00ff00; font-size: 75%");
    TProperties* font = Push(u"font", u"", style.get());
    EXPECT_EQ(font->InlineStyle, style.get());
    font->SetProperty(Color, TPropValue::Color(0x000080)); // the color attribute, later
    EXPECT_EQ(font->Values[Color].AsColor(), 0x0000FF00u | PaletteFlag());
    EXPECT_DOUBLE_EQ(font->Values[FontSize].AsNumber(), 9);
}

TEST_F(StyleTest, RuleLookupOrder) {
    Styles.AddRule(u"p").Values[Color] = TPropValue::Color(1);
    Styles.AddRule(u".note").Values[Color] = TPropValue::Color(2);
    Styles.AddRule(u"p.note").Values[FontWeight] = u"bold";
    Styles.AddRule(u"#main").Values[Color] = TPropValue::Color(3);
    Styles.AddRule(u".big").Values[FontSize] = u"2em";
    Styles.AddRule(u"a:hover").Values[Color] = TPropValue::Color(4);

    EXPECT_EQ(Push(u"p")->Values[Color].AsColor(), 1u);
    EXPECT_EQ(Push(u"p", u"note")->Values[Color].AsColor(), 2u);
    EXPECT_EQ(Stack.TopProperties()->Values[FontWeight].AsString(), u"bold");
    EXPECT_EQ(Push(u"p", u"note", nullptr, u"", u"main")->Values[Color].AsColor(), 3u);
    // Several class words: a later word's pass must not bring back the tag rule.
    TProperties* two = Push(u"p", u"big.note");
    EXPECT_EQ(two->Values[Color].AsColor(), 2u);
    EXPECT_EQ(two->ElementClass, u"big.note");
    EXPECT_DOUBLE_EQ(two->Values[FontSize].AsNumber(), 24);
    // hover skips the tag rule.
    TProperties* hover = Push(u"a", u"", nullptr, u"hover");
    EXPECT_EQ(hover->Values[Color].AsColor(), 4u);
    EXPECT_EQ(hover->PseudoClass, u"hover");
}

TEST_F(StyleTest, ContextualRules) {
    Styles.AddRule(u"td b").Values[Color] = TPropValue::Color(7);
    EXPECT_EQ(Push(u"b")->Values[Color].AsColor(), clBtnText);
    Stack.PopProperties();
    Push(u"td");
    Push(u"font");
    EXPECT_EQ(Push(u"b")->Values[Color].AsColor(), 7u);
}

TEST_F(StyleTest, LinkRecords) {
    TProperties* a = Push(u"a", u"", nullptr, u"link");
    ASSERT_TRUE(a->HasLinkFonts);
    EXPECT_EQ(a->LinkFonts[0].Color, 0x0000EEu | PaletteFlag());
    EXPECT_TRUE(a->LinkFonts[0].Style.Has(TFontStyle::Underline));
    EXPECT_EQ(a->LinkFonts[1].Color, 0x800080u | PaletteFlag());
    EXPECT_EQ(a->LinkFonts[2].Color, 0xFF0000u | PaletteFlag());
    TProperties* b = Push(u"b");
    EXPECT_TRUE(b->HasLinkFonts); // children of a link carry its fonts
    EXPECT_TRUE(b->LinkFonts[0].Style.Has(TFontStyle::Bold));
    b->SetProperty(FontSize, 20.0);
    EXPECT_DOUBLE_EQ(b->LinkFonts[3].Size, 20);
}

TEST_F(StyleTest, TablePartsPassTheirFlags) {
    Push(u"table");
    TProperties* tbody = Push(u"tbody");
    tbody->SetProperty(TextAlign, u"right");
    TProperties* tr = Push(u"tr");
    EXPECT_EQ(tr->Values[TextAlign].AsString(), u"right");
    EXPECT_TRUE(tr->Explicit[TextAlign]);
}

TEST(HtmlStyleAttribute, Declarations) {
    TFakeFonts fonts;
    auto r = ParseStyleDeclarations(
        u" COLOR : Red ; background-color: #f7f8fa; margin: 1px 2px; padding: 3px; "
        u"font-family: 'Verdana', serif; visibility: hidden; text-transform: uppercase; "
        u"border-top: 2px dotted blue; nosuch: 1; color2; : x; width: 50% !important; "
        u"font-weight: BOLD; background: url(x.gif) white");
    EXPECT_EQ(r->Values[Color].AsColor(), 0x000000FFu);
    EXPECT_EQ(r->Values[BackgroundColor].AsColor(), clWhite); // the later shorthand wins
    EXPECT_EQ(r->Values[MarginTop].AsString(), u"1px");
    EXPECT_EQ(r->Values[MarginRight].AsString(), u"2px");
    EXPECT_EQ(r->Values[MarginBottom].AsString(), u"1px");
    EXPECT_EQ(r->Values[MarginLeft].AsString(), u"2px");
    EXPECT_EQ(r->Values[PaddingLeft].AsString(), u"3px");
    EXPECT_EQ(r->Values[FontFamily].AsString(), u"'Verdana', serif");
    EXPECT_TRUE(r->Values[Visibility].IsIntValue(1));
    EXPECT_TRUE(r->Values[TextTransform].IsIntValue(1));
    EXPECT_EQ(r->Values[BorderTopWidth].AsString(), u"2px");
    EXPECT_EQ(r->Values[BorderTopStyle].AsString(), u"dotted");
    EXPECT_EQ(r->Values[BorderTopColor].AsColor(), 0x00FF0000u);
    EXPECT_TRUE(r->Values[BorderLeftStyle].IsIntValue(NoValue));
    EXPECT_EQ(r->Values[piWidth].AsString(), u"50%");
    EXPECT_EQ(r->Values[FontWeight].AsString(), u"bold");
    EXPECT_TRUE(r->Explicit.none());

    auto bad = ParseStyleDeclarations(u"color: notacolour; margin: 1 2 3 4 5");
    EXPECT_TRUE(bad->Values[Color].IsEmpty());
    EXPECT_TRUE(bad->Values[MarginTop].IsIntValue(NoValue));
}

TEST(HtmlAttributeList, Operations) {
    TFakeFonts fonts;
    THtmlReader r;
    r.ResetReader(u"<p Class=\"  Zeta  alpha Mid \" ID=\"Top\" title=\"As Written\" "
                  u"style=\"color: red\" x>");
    r.GetChar();
    r.NextSymbol();
    TAttributeList& a = r.Attributes;
    EXPECT_EQ(a.ClassValue(), u"alpha.mid.zeta");
    EXPECT_EQ(a.IdValue(), u"top");
    EXPECT_EQ(a.TitleValue(), u"As Written");
    ASSERT_NE(a.Find(symAttrTitle), nullptr);
    EXPECT_EQ(a.Find(symAttrHref), nullptr);
    TProperties* s1 = a.StyleProperties();
    ASSERT_NE(s1, nullptr);
    EXPECT_EQ(s1->Values[Color].AsColor(), 0x000000FFu);
    EXPECT_NE(a.StyleProperties(), nullptr);
    EXPECT_EQ(a.AsStrings(),
              (std::vector<std::u16string>{u"CLASS=  Zeta  alpha Mid ", u"ID=Top",
                                           u"TITLE=As Written", u"STYLE=color: red", u"X="}));
    r.NextSymbol(); // end of input keeps the list; a new tag clears it
    r.ResetReader(u"<b>");
    r.GetChar();
    r.NextSymbol();
    EXPECT_EQ(a.Count(), 0);
    EXPECT_EQ(a.ClassValue(), u"");
    EXPECT_EQ(a.IdValue(), u"");
    EXPECT_EQ(a.StyleProperties(), nullptr);
}
