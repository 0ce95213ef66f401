#include "html/style/properties.h"
#include "html/style/stylelist.h"
#include "platform/font.h"

#include "fake_fonts.h"

#include <cmath>
#include <gtest/gtest.h>

using namespace html;

namespace {

std::unique_ptr<TProperties> Record(double points, std::u16string family = u"Arial") {
    auto r = std::make_unique<TProperties>();
    r->Values[FontFamily] = family;
    r->Values[FontSize] = points;
    r->DefaultFontName = u"Times New Roman";
    r->CharSet = RUSSIAN_CHARSET;
    return r;
}

} // namespace

TEST(HtmlFonts, HeightFromPointsRoundsHalvesToEven) {
    TFakeFonts fonts;
    fonts.Ppi = 96;
    EXPECT_EQ(Record(10)->GetFont()->Height, -13);
    EXPECT_EQ(Record(12)->GetFont()->Height, -16);
    EXPECT_EQ(Record(8)->GetFont()->Height, -11);  // 10.667
    EXPECT_EQ(Record(14)->GetFont()->Height, -19); // 18.667
    EXPECT_EQ(Record(1.5)->GetFont()->Height, -2); // exactly 2
    fonts.Ppi = 120;
    EXPECT_EQ(Record(10)->GetFont()->Height, -17); // 16.667
    EXPECT_EQ(Record(0.3)->GetFont()->Height, 0);  // 0.5 goes to the even 0
    EXPECT_EQ(Record(0.9)->GetFont()->Height, -2); // 1.5 goes to the even 2
}

TEST(HtmlFonts, FontIsMadeOnceAndHandedOutAsCopies) {
    TFakeFonts fonts;
    auto r = Record(12);
    auto a = r->GetFont();
    const std::size_t measured = fonts.Measured.size();
    auto b = r->GetFont();
    EXPECT_EQ(fonts.Measured.size(), measured);
    EXPECT_NE(a.get(), b.get());
    EXPECT_EQ(a->Height, b->Height);
    EXPECT_EQ(a->TextHeight, b->TextHeight);
    a->Height = 99; // a copy: the record's font stays
    EXPECT_EQ(r->GetFont()->Height, -16);
}

TEST(HtmlFonts, EmAndExHeightFromTheMetrics) {
    TFakeFonts fonts;
    auto r = Record(14);
    auto f = r->GetFont();
    const TFontMetrics m = fonts.Measure(f->Requested());
    EXPECT_EQ(r->EmHeight, m.Height - m.InternalLeading);
    EXPECT_EQ(r->ExHeight, r->EmHeight / 2);
    EXPECT_EQ(f->TextHeight, m.Height);
    EXPECT_EQ(f->Descent, m.Descent);
    EXPECT_EQ(f->MaxCharWidth, m.MaxCharWidth);
    EXPECT_EQ(f->AverageCharWidth, m.AveCharWidth);
    EXPECT_EQ(f->ExternalLeading, m.ExternalLeading);
}

TEST(HtmlFonts, CharacterSetMeasuringRule) {
    TFakeFonts fonts;
    // Measured with DEFAULT_CHARSET first; a normal face then takes the record's set.
    auto r = Record(12);
    auto f = r->GetFont();
    ASSERT_EQ(fonts.Measured.size(), 2u);
    EXPECT_EQ(fonts.Measured[0].CharSet, DEFAULT_CHARSET);
    EXPECT_EQ(fonts.Measured[1].CharSet, RUSSIAN_CHARSET);
    EXPECT_EQ(f->CharSet, RUSSIAN_CHARSET);
    EXPECT_EQ(f->MeasuredCharSet, RUSSIAN_CHARSET);

    // A symbol face keeps SYMBOL_CHARSET although the document is Russian.
    fonts.Measured.clear();
    auto s = Record(12, u"Symbol");
    auto sf = s->GetFont();
    EXPECT_EQ(fonts.Measured.size(), 1u);
    EXPECT_EQ(sf->CharSet, SYMBOL_CHARSET);
    EXPECT_EQ(sf->MeasuredCharSet, SYMBOL_CHARSET);

    // A record of DEFAULT_CHARSET is measured once.
    fonts.Measured.clear();
    auto d = Record(12);
    d->CharSet = DEFAULT_CHARSET;
    EXPECT_EQ(d->GetFont()->CharSet, DEFAULT_CHARSET);
    EXPECT_EQ(fonts.Measured.size(), 1u);
}

TEST(HtmlFonts, FaceFallsBackToTheDefaultFont) {
    TFakeFonts fonts;
    fonts.Faces = {u"Times New Roman", u"Arial"};
    EXPECT_EQ(Record(12, u"Verdana")->GetFont()->Name, u"Times New Roman");
    EXPECT_EQ(Record(12, u"Verdana, Arial")->GetFont()->Name, u"Arial");
    EXPECT_EQ(Record(12, u"serif")->GetFont()->Name, u"Times New Roman");
}

TEST(HtmlFonts, StyleBitsFromTheValues) {
    TFakeFonts fonts;
    auto style = [](std::u16string weight, std::u16string fs, std::u16string deco) {
        auto r = Record(12);
        r->Values[FontWeight] = weight;
        r->Values[FontStyle] = fs;
        r->Values[TextDecoration] = deco;
        ThtFontInfo info;
        r->GetFontInfo(info);
        return info.Style;
    };
    EXPECT_TRUE(style(u"bold", u"", u"").Has(TFontStyle::Bold));
    EXPECT_TRUE(style(u"bolder", u"", u"").Has(TFontStyle::Bold));
    EXPECT_TRUE(style(u"600", u"", u"").Has(TFontStyle::Bold));
    EXPECT_FALSE(style(u"500", u"", u"").Has(TFontStyle::Bold));
    EXPECT_FALSE(style(u"normal", u"", u"").Has(TFontStyle::Bold));
    EXPECT_TRUE(style(u"", u"italic", u"").Has(TFontStyle::Italic));
    EXPECT_TRUE(style(u"", u"oblique", u"").Has(TFontStyle::Italic));
    EXPECT_FALSE(style(u"", u"none", u"").Has(TFontStyle::Italic));
    EXPECT_EQ(style(u"", u"", u"underline"), TFontStyles(TFontStyle::Underline));
    EXPECT_EQ(style(u"", u"", u"line-through"), TFontStyles(TFontStyle::StrikeOut));
    EXPECT_TRUE(style(u"", u"", u"underline line-through").Empty());
}

TEST(HtmlFonts, LetterSpacingAndColours) {
    TFakeFonts fonts;
    auto r = Record(12);
    r->Values[Color] = TPropValue::Color(0x001C1F87);
    r->InlineBackground = 0x00FAF8F7;
    r->Values[LetterSpacing] = u"0.5em";
    auto f = r->GetFont();
    EXPECT_EQ(f->LetterSpacing, static_cast<int>(std::nearbyint(r->EmHeight * 0.5)));
    EXPECT_EQ(f->Color, 0x001C1F87u);
    EXPECT_EQ(f->InlineBackground, 0x00FAF8F7u);
    auto n = Record(12);
    n->Values[LetterSpacing] = 3;
    EXPECT_EQ(n->GetFont()->LetterSpacing, 3);
    auto normal = Record(12);
    normal->Values[LetterSpacing] = u"normal";
    EXPECT_EQ(normal->GetFont()->LetterSpacing, 0);
}

TEST(HtmlFonts, AssignCharSet) {
    TFakeFonts fonts;
    TProperties r;
    r.AssignCharSet(RUSSIAN_CHARSET);
    EXPECT_EQ(r.CharSet, 204);
    EXPECT_EQ(r.CodePage, 1251);
    r.AssignCharSet(31);
    EXPECT_EQ(r.CharSet, 238);
    EXPECT_EQ(r.CodePage, 28592);
    r.AssignCharSet(DEFAULT_CHARSET); // keeps 1, takes the page of what the platform reports
    EXPECT_EQ(r.CharSet, 1);
    EXPECT_EQ(r.CodePage, 1251);
    r.AssignCharSet(GREEK_CHARSET);
    EXPECT_EQ(r.CodePage, 1253);
    r.AssignCharSet(99); // no code page: unchanged
    EXPECT_EQ(r.CharSet, 99);
    EXPECT_EQ(r.CodePage, 1253);
}

TEST(PlatformFont, MetricsOnThisMachineAreConsistent) {
    // Read the metrics first; the expectations follow from them.
    TFontSpec request;
    request.Name = u"Times New Roman";
    request.Height = -16;
    request.CharSet = RUSSIAN_CHARSET;
    TPlatformFont font(request);
    const TFontMetrics& m = font.Metrics();
    EXPECT_EQ(m.Height, m.Ascent + m.Descent);
    EXPECT_EQ(m.Height - m.InternalLeading, 16);
    EXPECT_GT(m.Ascent, 0);
    EXPECT_GE(m.MaxCharWidth, m.AveCharWidth);
    EXPECT_GT(m.AveCharWidth, 0);
    EXPECT_EQ(m.CharSet, RUSSIAN_CHARSET); // a specific set is kept
    // DEFAULT_CHARSET reports the narrow page's set: the serif face put in has Cyrillic.
    TFontSpec byDefault = request;
    byDefault.CharSet = DEFAULT_CHARSET;
    EXPECT_EQ(FontServices().Measure(byDefault).CharSet, RUSSIAN_CHARSET);

    TFontSpec bigger = request;
    bigger.Height = -32;
    EXPECT_GT(TPlatformFont(bigger).Metrics().Height, m.Height);
    TFontSpec cell = request;
    cell.Height = m.Height; // a positive height is the cell height
    EXPECT_NEAR(TPlatformFont(cell).Metrics().Height, m.Height, 1);
}

TEST(PlatformFont, WidthsAndFitting) {
    TFontSpec request;
    request.Name = u"Liberation Sans";
    request.Height = -14;
    TPlatformFont font(request);
    const std::u16string text = u"Холера, вызванная";
    const int w = font.TextWidth(text);
    EXPECT_GT(w, 0);
    EXPECT_EQ(font.TextWidth(u""), 0);
    std::vector<int> extents;
    EXPECT_EQ(font.FitCount(text, w, &extents), static_cast<int>(text.size()));
    ASSERT_EQ(extents.size(), text.size());
    EXPECT_EQ(extents.back(), w);
    for (std::size_t i = 1; i < extents.size(); ++i)
        EXPECT_GE(extents[i], extents[i - 1]);
    // Exactly the prefix whose width fits.
    const int k = 5;
    EXPECT_GE(font.FitCount(text, extents[k - 1]), k);
    EXPECT_LT(font.FitCount(text, extents[k - 1] - 1), k);
    EXPECT_EQ(font.TextWidth(text.substr(0, k)), extents[k - 1]);
    EXPECT_EQ(font.FitCount(text, -1), 0);
}

TEST(PlatformFont, InstalledFacesAndResolution) {
    EXPECT_GT(ScreenPixelsPerInch(), 0);
    const auto& faces = FontServices().InstalledFaces();
    ASSERT_FALSE(faces.empty());
    EXPECT_TRUE(IsFaceInstalled(faces.front()));
    EXPECT_FALSE(IsFaceInstalled(u"No Such Face Anywhere"));
    EXPECT_FALSE(IsFaceInstalled(u""));
    // The faces the pages name are drawn with their installed free stand-ins; a face without a
    // stand-in is not installed and keeps the fallback rule.
    EXPECT_EQ(ResolveFace(u"verdana"), u"DejaVu Sans");
    EXPECT_EQ(ResolveFace(u"Times New Roman"), u"Liberation Serif");
    EXPECT_EQ(ResolveFace(u"Courier New"), u"Liberation Mono");
    EXPECT_TRUE(ResolveFace(u"Tahoma").empty());
    EXPECT_EQ(TPlatformFont({u"Arial", -13}).ActualFace(), u"Liberation Sans");
}

TEST(HtmlFonts, DefaultPageFontOnThisMachine) {
    // The base record of a page: the default face is not installed here, so the font keeps the
    // name and the platform substitutes a serif face with Cyrillic.
    TStyleList styles;
    styles.InitializeStyles(u"Times New Roman", u"Courier New", 12, clWindowText, 0, 0, 0, true,
                            RUSSIAN_CHARSET, 5, 10);
    TProperties base;
    styles.CopyDefault(base);
    EXPECT_EQ(base.CharSet, RUSSIAN_CHARSET);
    EXPECT_EQ(base.CodePage, 1251);
    auto f = base.GetFont();
    EXPECT_EQ(f->Name, u"Times New Roman");
    const int ppi = ScreenPixelsPerInch();
    EXPECT_EQ(f->Height, -static_cast<int>(std::nearbyint(ppi * 12 / 72.0)));
    EXPECT_EQ(base.EmHeight, -f->Height);
    EXPECT_EQ(f->CharSet, RUSSIAN_CHARSET);
    EXPECT_GT(f->PlatformFont().TextWidth(u"Код"), 0);
}
