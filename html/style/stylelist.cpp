#include "html/style/stylelist.h"

#include "html/text/htmlcolors.h"
#include "html/text/htmlstrings.h"

namespace html {

bool TCaseLess::operator()(std::u16string_view a, std::u16string_view b) const {
    std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        char16_t x = LowerChar(a[i]), y = LowerChar(b[i]);
        if (x != y)
            return x < y;
    }
    return a.size() < b.size();
}

TProperties& TStyleList::AddRule(std::u16string_view selector) {
    auto record = std::make_unique<TProperties>();
    TProperties& ref = *record;
    AddRule(selector, std::move(record));
    return ref;
}

void TStyleList::AddRule(std::u16string_view selector, std::unique_ptr<TProperties> record) {
    record->ElementTag = std::u16string(selector);
    const TProperties* p = record.get();
    FRules.emplace(std::u16string(selector), std::move(record));
    if (selector.find(u' ') != std::u16string_view::npos)
        FContextual.emplace_back(std::u16string(selector), p);
}

std::vector<const TProperties*> TStyleList::Find(std::u16string_view selector) const {
    std::vector<const TProperties*> found;
    auto [b, e] = FRules.equal_range(selector);
    for (auto it = b; it != e; ++it)
        found.push_back(it->second.get());
    return found;
}

void TStyleList::Clear() {
    FRules.clear();
    FContextual.clear();
    FDefProp = nullptr;
}

void TStyleList::InitializeStyles(std::u16string_view fontName, std::u16string_view preFontName,
                                  double fontSize, TColor fontColor, TColor hotSpotColor,
                                  TColor visitedColor, TColor overLinkColor, bool linkUnderline,
                                  int charSet, int marginHeight, int marginWidth) {
    Clear();
    FDefPointSize = fontSize;
    const std::u16string font(fontName), pre(preFontName);

    TProperties& d = AddRule(u"default");
    d.Values[FontFamily] = font;
    d.Values[FontSize] = fontSize;
    d.Values[FontStyle] = u"none";
    d.Values[FontWeight] = u"normal";
    d.Values[TextAlign] = u"left";
    d.Values[TextDecoration] = u"none";
    d.Values[LetterSpacing] = 0;
    d.Values[Color] = TPropValue::Color(fontColor);
    d.Values[MarginTop] = marginHeight;
    d.Values[MarginBottom] = marginHeight;
    d.Values[MarginLeft] = marginWidth;
    d.Values[MarginRight] = marginWidth;
    d.Values[Visibility] = 2;
    d.Values[TextTransform] = 0;
    d.Values[WordWrap] = u"normal";
    d.Values[FontVariant] = u"normal";
    d.CharSet = charSet;
    d.DefaultFontName = font;
    FDefProp = &d;

    TProperties& link = AddRule(u"::link");
    link.Values[Color] = TPropValue::Color(hotSpotColor | PaletteFlag());
    link.Values[TextDecoration] = linkUnderline ? u"underline" : u"none";
    AddRule(u"::visited").Values[Color] = TPropValue::Color(visitedColor | PaletteFlag());
    AddRule(u"::hover").Values[Color] = TPropValue::Color(overLinkColor | PaletteFlag());
    AddRule(u"null");

    AddBlockRules(fontSize, pre);
    AddPhraseRules(fontColor, pre);
    AddHeadingRules(fontSize);
}

void TStyleList::AddBlockRules(double fontSize, const std::u16string& pre) {
    TProperties& p = AddRule(u"pre");
    p.Values[FontFamily] = pre;
    p.Values[FontSize] = fontSize * 10 / 12;
    p.Values[FontStyle] = u"none";
    p.Values[FontWeight] = u"normal";
    p.Values[TextDecoration] = u"none";

    TProperties& para = AddRule(u"p");
    para.Values[MarginTop] = ParaSpace;
    para.Values[MarginBottom] = ParaSpace;
    AddRule(u"p 11pre").Values[MarginTop] = 0;

    for (const char16_t* sel : {u"ul", u"ol", u"menu", u"dir"}) {
        TProperties& r = AddRule(sel);
        r.Values[PaddingLeft] = 35;
        r.Values[MarginTop] = ParaSpace;
        r.Values[MarginBottom] = ParaSpace;
        r.Values[ListStyleType] = u"blank";
    }
    TProperties& dl = AddRule(u"dl");
    dl.Values[PaddingLeft] = 0;
    dl.Values[MarginLeft] = 0;
    dl.Values[MarginTop] = 0;
    dl.Values[MarginBottom] = 0;
    dl.Values[ListStyleType] = u"none";
    TProperties& dd = AddRule(u"dd");
    dd.Values[PaddingLeft] = 35;
    dd.Values[MarginTop] = 0;
    dd.Values[MarginBottom] = 0;
    TProperties& bq = AddRule(u"blockquote");
    bq.Values[PaddingLeft] = 35;
    bq.Values[MarginTop] = ParaSpace;
    bq.Values[MarginBottom] = 14;
}

void TStyleList::AddPhraseRules(TColor fontColor, const std::u16string& pre) {
    for (const char16_t* sel : {u"code", u"tt", u"kbd", u"samp"}) {
        TProperties& r = AddRule(sel);
        r.Values[FontFamily] = pre;
        r.Values[FontSize] = u"0.833em";
    }
    for (const char16_t* sel : {u"b", u"strong", u"th"})
        AddRule(sel).Values[FontWeight] = u"bold";
    TProperties& sup = AddRule(u"sup");
    sup.Values[FontSize] = u"75%";
    sup.Values[VerticalAlign] = u"super";
    TProperties& sub = AddRule(u"sub");
    sub.Values[FontSize] = u"75%";
    sub.Values[VerticalAlign] = u"sub";
    AddRule(u"big").Values[FontSize] = u"1.25em";
    AddRule(u"small").Values[FontSize] = u"0.75em";
    AddRule(u"table").Values[TextAlign] = u"none";
    for (const char16_t* sel : {u"i", u"em", u"cite", u"var", u"address"})
        AddRule(sel).Values[FontStyle] = u"italic";
    AddRule(u"u").Values[TextDecoration] = u"underline";
    for (const char16_t* sel : {u"s", u"strike"})
        AddRule(sel).Values[TextDecoration] = u"line-through";
    for (const char16_t* sel : {u"center", u"caption"})
        AddRule(sel).Values[TextAlign] = u"center";
    for (const char16_t* sel : {u"input", u"select", u"textarea"}) {
        TProperties& r = AddRule(sel);
        r.Values[FontFamily] = std::u16string_view(sel) == u"textarea"
                                   ? pre
                                   : std::u16string(u"Arial Unicode MS, Arial");
        r.Values[FontSize] = u"10pt";
        r.Values[FontStyle] = u"none";
        r.Values[FontWeight] = u"normal";
        r.Values[TextAlign] = u"left";
        r.Values[TextDecoration] = u"none";
        r.Values[Color] = TPropValue::Color(fontColor);
    }
}

void TStyleList::AddHeadingRules(double fontSize) {
    TProperties& hr = AddRule(u"hr");
    hr.Values[MarginTop] = 10;
    hr.Values[MarginBottom] = 10;
    hr.Values[MarginLeft] = 0;
    hr.Values[MarginRight] = 0;
    static constexpr double kHeadingPoints[6] = {24, 18, 14, 12, 10, 8};
    for (int i = 0; i < 6; ++i) {
        std::u16string sel = u"h";
        sel += static_cast<char16_t>(u'1' + i);
        TProperties& h = AddRule(sel);
        h.Values[FontSize] = fontSize / 12 * kHeadingPoints[i];
        h.Values[MarginTop] = 19;
        h.Values[MarginBottom] = 19;
        h.Values[FontWeight] = u"bold";
    }
}

void TStyleList::SetLinkColor(std::u16string_view name, TColor color) {
    std::u16string sel = u"::";
    sel += name;
    auto [b, e] = FRules.equal_range(sel);
    for (auto it = b; it != e; ++it)
        it->second->Values[Color] = TPropValue::Color(color);
}

void TStyleList::CopyDefault(TProperties& record) const {
    if (FDefProp) {
        record.Values = FDefProp->Values;
        record.DefaultFontName = FDefProp->DefaultFontName;
        record.AssignCharSet(FDefProp->CharSet);
    }
    record.ElementTag = u"default";
}

} // namespace html
