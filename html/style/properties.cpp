#include "html/style/properties.h"

#include "html/text/htmlcolors.h"
#include "html/text/htmlstrings.h"
#include "html/text/units.h"
#include "platform/codepage.h"
#include "platform/font.h"

#include <algorithm>
#include <climits>

namespace html {

const std::array<const char16_t*, PropertyCount> PropertyNames = {
    u"font-family",
    u"font-size",
    u"font-style",
    u"font-weight",
    u"text-align",
    u"text-decoration",
    u"letter-spacing",
    u"border-style",
    u"color",
    u"background-color",
    u"border-color",
    u"margin-top",
    u"margin-right",
    u"margin-bottom",
    u"margin-left",
    u"padding-top",
    u"padding-right",
    u"padding-bottom",
    u"padding-left",
    u"border-top-width",
    u"border-right-width",
    u"border-bottom-width",
    u"border-left-width",
    u"border-top-color",
    u"border-right-color",
    u"border-bottom-color",
    u"border-left-color",
    u"border-top-style",
    u"border-right-style",
    u"border-bottom-style",
    u"border-left-style",
    u"width",
    u"height",
    u"top",
    u"bottom",
    u"right",
    u"left",
    u"visibility",
    u"line-height",
    u"background-image",
    u"background-position",
    u"background-repeat",
    u"background-attachment",
    u"vertical-align",
    u"position",
    u"z-index",
    u"list-style-type",
    u"list-style-image",
    u"float",
    u"clear",
    u"text-indent",
    u"page-break-before",
    u"page-break-after",
    u"page-break-inside",
    u"text-transform",
    u"word-wrap",
    u"font-variant",
    u"border-collapse",
    u"overflow",
    u"display",
};

bool IsInheritedProperty(int index) {
    switch (index) {
    case FontFamily:
    case FontSize:
    case FontStyle:
    case FontWeight:
    case TextAlign:
    case TextDecoration:
    case LetterSpacing:
    case Color:
    case Visibility:
    case LineHeight:
    case VerticalAlign:
    case ZIndex:
    case ListStyleType:
    case ListStyleImage:
    case TextIndent:
    case TextTransform:
    case WordWrap:
    case FontVariant:
        return true;
    default:
        return false;
    }
}

int BorderStyleCode(std::u16string_view name) {
    static constexpr std::u16string_view kNames[] = {u"none",   u"solid",  u"inset",
                                                     u"outset", u"groove", u"ridge",
                                                     u"dashed", u"dotted", u"double"};
    const std::u16string lower = LowerCase(Trim(name));
    for (int i = 0; i < 9; ++i)
        if (lower == kNames[i])
            return i;
    return bssNone;
}

namespace {

int gSerial = 0;

TColor ColorOf(const TPropValue& v, TColor none) {
    if (v.IsNumber())
        return static_cast<TColor>(static_cast<int>(v.AsNumber()));
    TColor c;
    if (v.IsString() && ParseColor(v.AsString(), false, c))
        return c;
    return none;
}

} // namespace

TProperties::TProperties() : Serial(++gSerial) {
    for (int i = MarginTop; i <= LeftPos; ++i)
        Values[i] = NoValue;
    Values[ZIndex] = 0;
}

TProperties::~TProperties() = default;

double TProperties::FontPoints() const {
    const TPropValue& v = Values[FontSize];
    if (v.IsNumber())
        return v.AsNumber();
    if (v.IsString())
        return ConvertFontSize(v.AsString(), 12, 12);
    return 12;
}

void TProperties::SetProperty(int index, const TPropValue& value) {
    if (index < 0 || index >= PropertyCount || Explicit[index])
        return;
    Values[index] = value;
    Explicit[index] = true;
    if (HasLinkFonts && (index == FontFamily || index == FontSize || index == Color)) {
        for (ThtFontInfo& f : LinkFonts) {
            if (index == FontFamily) {
                std::u16string face = FirstInstalledFace(value.AsString());
                f.Name = face.empty() ? DefaultFontName : face;
            } else if (index == FontSize) {
                f.Size = FontPoints();
            } else {
                f.Color = ColorOf(value, f.Color);
            }
        }
    }
}

void TProperties::GetFontInfo(ThtFontInfo& info) const {
    std::u16string face = FirstInstalledFace(Values[FontFamily].AsString());
    info.Name = face.empty() ? DefaultFontName : face;
    info.Size = FontPoints();
    TFontStyles style;
    const TPropValue& weight = Values[FontWeight];
    bool bold = false;
    if (weight.IsNumber())
        bold = weight.AsNumber() > 599;
    else if (weight.IsString()) {
        auto n = ReadInteger(weight.AsString());
        bold = Contains(LowerCase(weight.AsString()), u"bold") || (n && *n > 599);
    }
    if (bold)
        style |= TFontStyle::Bold;
    const std::u16string fs = LowerCase(Values[html::FontStyle].AsString());
    if (fs == u"italic" || fs == u"oblique")
        style |= TFontStyle::Italic;
    const std::u16string deco = LowerCase(Values[TextDecoration].AsString());
    if (deco == u"underline")
        style |= TFontStyle::Underline;
    else if (deco == u"line-through")
        style |= TFontStyle::StrikeOut;
    info.Style = style;
    info.Color = ColorOf(Values[html::Color], clBlack);
    info.BackgroundColor = InlineBackground;
    info.CharSet = CharSet;
    const TPropValue& ls = Values[html::LetterSpacing];
    info.LetterSpacing = 0;
    if (ls.IsNumber())
        info.LetterSpacing = RoundHalfEven(ls.AsNumber());
    else if (ls.IsString() && LowerCase(Trim(ls.AsString())) != u"normal")
        info.LetterSpacing = ConvertLength(ls.AsString(), false, EmHeight, 0, EmHeight, ExHeight);
    // Added after every character: held small enough that no line of text can overflow.
    info.LetterSpacing = std::clamp(info.LetterSpacing, -MaxLetterSpacing, MaxLetterSpacing);
}

std::unique_ptr<TMyFont> TProperties::GetFont() {
    if (!FontCache) {
        ThtFontInfo info;
        GetFontInfo(info);
        auto font = std::make_unique<TMyFont>();
        font->Name = info.Name;
        font->Height = -RoundHalfEven(ScreenPixelsPerInch() * info.Size / 72.0);
        font->Style = info.Style;
        font->Color = info.Color;
        font->InlineBackground = info.BackgroundColor;
        font->LetterSpacing = info.LetterSpacing;

        // Measured first with DEFAULT_CHARSET: a symbol face keeps its own set, any other face
        // takes the record's set and is measured again with it.
        TFontSpec request = font->Requested();
        request.CharSet = DEFAULT_CHARSET;
        TFontMetrics m = FontServices().Measure(request);
        if (m.CharSet == SYMBOL_CHARSET) {
            font->CharSet = SYMBOL_CHARSET;
        } else {
            font->CharSet = info.CharSet;
            if (info.CharSet != DEFAULT_CHARSET) {
                request.CharSet = info.CharSet;
                m = FontServices().Measure(request);
            }
        }
        font->TextHeight = m.Height;
        font->Descent = m.Descent;
        font->ExternalLeading = m.ExternalLeading;
        font->MaxCharWidth = m.MaxCharWidth;
        font->AverageCharWidth = m.AveCharWidth;
        font->MeasuredCharSet = m.CharSet;
        EmHeight = m.Height - m.InternalLeading;
        ExHeight = EmHeight / 2;
        // Letter spacing in em and ex units needs the em height just measured.
        if (Values[html::LetterSpacing].IsString()) {
            ThtFontInfo again;
            GetFontInfo(again);
            font->LetterSpacing = again.LetterSpacing;
        }
        FontCache = std::move(font);
    }
    return std::make_unique<TMyFont>(*FontCache);
}

void TProperties::AssignCharSet(int charSet) {
    if (charSet == 31) { // ISO 8859-2
        CharSet = EASTEUROPE_CHARSET;
        CodePage = 28592;
    } else {
        TFontSpec request;
        request.CharSet = charSet;
        int reported = FontServices().Measure(request).CharSet;
        CharSet = charSet == DEFAULT_CHARSET ? DEFAULT_CHARSET : reported;
        CodePage = CharSetCodePage(reported, CodePage);
    }
    CharSet &= 0xFF;
    if (HasLinkFonts)
        for (ThtFontInfo& f : LinkFonts)
            f.CharSet = CharSet;
}

void TProperties::RefreshLinkFonts() {
    if (!HasLinkFonts)
        return;
    ThtFontInfo base;
    GetFontInfo(base);
    for (ThtFontInfo& f : LinkFonts) {
        TColor color = f.Color;
        f = base;
        f.Color = color; // the state colours stay those of the link rules
    }
}

TColor TProperties::GetBackgroundColor() const {
    if (!Explicit[BackgroundColor])
        return clNone;
    return ColorOf(Values[BackgroundColor], clNone);
}

TColor TProperties::GetOwnColor() const {
    if (!Explicit[html::Color])
        return clNone;
    return ColorOf(Values[html::Color], clNone);
}

bool TProperties::GetVerticalAlign(int& align) const {
    const std::u16string v = LowerCase(Values[VerticalAlign].AsString());
    if (v == u"top" || v == u"text-top")
        align = ATop;
    else if (v == u"middle")
        align = AMiddle;
    else if (v == u"baseline")
        align = ABaseline;
    else if (v == u"bottom")
        align = ABottom;
    else if (v == u"sub")
        align = ASub;
    else if (v == u"super")
        align = ASuper;
    else
        return false;
    return true;
}

bool TProperties::GetFloat(int& align) const {
    const std::u16string v = LowerCase(Values[psFloat].AsString());
    if (v == u"left")
        align = ALeft;
    else if (v == u"right")
        align = ARight;
    else if (v == u"none")
        align = ANone;
    else
        return false;
    return true;
}

bool TProperties::GetClear(int& clear) {
    const std::u16string v = LowerCase(Values[psClear].AsString());
    Values[psClear] = TPropValue();
    if (v == u"left")
        clear = clrLeft;
    else if (v == u"right")
        clear = clrRight;
    else if (v == u"both")
        clear = clrAll;
    else if (v == u"none")
        clear = clrNone;
    else
        return false;
    return true;
}

int TProperties::GetLineHeight(int normal) const {
    const TPropValue& v = Values[LineHeight];
    if (!v.IsString())
        return -1;
    if (auto n = ReadNumber(v.AsString()))
        return RoundHalfEven(*n * normal);
    return ConvertLength(v.AsString(), true, EmHeight, -1, EmHeight, ExHeight);
}

int TProperties::GetTextIndent(bool& isPercent) const {
    isPercent = false;
    const TPropValue& v = Values[TextIndent];
    if (v.IsEmpty())
        return 0;
    if (v.IsNumber())
        return RoundHalfEven(v.AsNumber());
    const std::u16string& s = v.AsString();
    std::size_t pct = s.find(u'%');
    if (pct != std::u16string::npos) {
        isPercent = true;
        auto n = SplitNumberUnit(std::u16string_view(s).substr(0, pct));
        return RoundHalfEven(n.Number);
    }
    return ConvertLength(s, false, 0, 0, EmHeight, EmHeight);
}

bool TProperties::GetPageBreaks(bool& before, bool& after, bool& intact) const {
    before = LowerCase(Values[PageBreakBefore].AsString()) == u"always";
    after = LowerCase(Values[PageBreakAfter].AsString()) == u"always";
    intact = LowerCase(Values[PageBreakInside].AsString()) == u"avoid";
    return before || after || intact;
}

bool TProperties::IsDisplayNone() const {
    return LowerCase(Values[piDisplay].AsString()) == u"none";
}

bool TProperties::IsOverflowHidden() const {
    return LowerCase(Values[OverFlow].AsString()) == u"hidden";
}

bool TProperties::IsBorderCollapse() const {
    return LowerCase(Values[BorderCollapse].AsString()) == u"collapse";
}

int TProperties::GetPosition() const {
    const std::u16string v = LowerCase(Values[psPosition].AsString());
    if (v == u"absolute")
        return 1;
    if (v == u"relative")
        return 2;
    return 0;
}

int TProperties::GetVisibility() const {
    return Values[Visibility].IsIntValue(1) ? 1 : 2;
}

int TProperties::GetZIndex() const {
    const TPropValue& v = Values[ZIndex];
    if (v.IsNumber())
        return RoundHalfEven(v.AsNumber());
    if (auto n = ReadInteger(v.AsString()))
        return static_cast<int>(std::clamp<long long>(*n, INT_MIN, INT_MAX));
    return 0;
}

int TProperties::GetTextTransform() const {
    return Values[TextTransform].IsNumber() ? RoundHalfEven(Values[TextTransform].AsNumber()) : 0;
}

std::u16string TProperties::GetFontVariant() const {
    const TPropValue& v = Values[FontVariant];
    return v.IsString() && !v.AsString().empty() ? v.AsString() : u"normal";
}

std::u16string TProperties::GetListStyleType() const {
    return Values[ListStyleType].AsString();
}
std::u16string TProperties::GetListStyleImage() const {
    return Values[ListStyleImage].AsString();
}
std::u16string TProperties::GetBackgroundImage() const {
    return Values[BackgroundImage].AsString();
}
std::u16string TProperties::GetBackgroundPosition() const {
    return Values[BackgroundPosition].AsString();
}

int TProperties::GetBorderStyleCode() const {
    const TPropValue& v = Values[BorderStyle];
    if (v.IsNumber())
        return static_cast<int>(v.AsNumber());
    return BorderStyleCode(v.AsString());
}

void TProperties::GetBoxValues(TVMarginArray& box) const {
    for (int i = BackgroundColor; i <= LeftPos; ++i)
        box[i] = Values[i];
    for (int i = BorderTopStyle; i <= BorderLeftStyle; ++i)
        if (box[i].IsString())
            box[i] = BorderStyleCode(box[i].AsString());
}

namespace {

// A number itself (NoValue giving noValue), a string converted.
int LengthOf(const TPropValue& v, int base, int def, int noValue, int em, int ex) {
    if (v.IsString())
        return ConvertLength(v.AsString(), false, base, def, em, ex);
    if (v.IsNumber()) {
        int n = RoundHalfEven(v.AsNumber());
        return n == NoValue ? noValue : n;
    }
    return noValue;
}

int VMargin(const TPropValue& v, int base, int em, int ex, bool& isAuto) {
    isAuto = false;
    if (v.IsString())
        return ConvertLength(v.AsString(), false, base, 0, em, ex);
    if (!v.IsNumber())
        return 0;
    int n = RoundHalfEven(v.AsNumber());
    if (n == NoValue)
        return 0;
    if (n == ParaSpace) {
        isAuto = true;
        return ParaSpacePixels;
    }
    return n;
}

int BorderWidth(const TPropValue& v, int style, int base, int em, int ex) {
    if (style == bssNone)
        return 0;
    if (v.IsString()) {
        const std::u16string s = LowerCase(Trim(v.AsString()));
        if (s == u"thin")
            return 2;
        if (s == u"medium")
            return 4;
        if (s == u"thick")
            return 6;
        return ConvertLength(s, false, base, 4, em, ex);
    }
    return LengthOf(v, base, 4, 4, em, ex);
}

bool IsPercent(const TPropValue& v) {
    return v.IsString() && Contains(v.AsString(), u"%");
}

} // namespace

TBoxValues ConvertBoxValues(const TVMarginArray& box, int baseWidth, int baseHeight, int emHeight,
                            int exHeight) {
    TBoxValues r;
    TMarginArray& m = r.M;
    m[BackgroundColor] = ColorOf(box[BackgroundColor], clNone);
    m[BorderColor] = ColorOf(box[BorderColor], clNone);
    m[MarginTop] = VMargin(box[MarginTop], baseWidth, emHeight, exHeight, r.TopAuto);
    m[MarginBottom] = VMargin(box[MarginBottom], baseWidth, emHeight, exHeight, r.BottomAuto);
    for (int i : {MarginRight, MarginLeft}) {
        const TPropValue& v = box[i];
        if (v.IsString() && LowerCase(Trim(v.AsString())) == u"auto") {
            m[i] = AutoValue;
            ++r.AutoCount;
        } else {
            m[i] = LengthOf(v, baseWidth, 0, 0, emHeight, exHeight);
        }
    }
    for (int i = PaddingTop; i <= PaddingLeft; ++i)
        m[i] = LengthOf(box[i], baseWidth, 0, 0, emHeight, exHeight);
    for (int i = BorderTopStyle; i <= BorderLeftStyle; ++i)
        m[i] = LengthOf(box[i], 0, 0, 0, 0, 0);
    for (int i = BorderTopColor; i <= BorderLeftColor; ++i)
        m[i] = box[i].IsNumber() && box[i].AsInt() != NoValue ? box[i].AsInt() : 0;
    for (int i = 0; i < 4; ++i)
        m[BorderTopWidth + i] = BorderWidth(box[BorderTopWidth + i], m[BorderTopStyle + i],
                                            baseWidth, emHeight, exHeight);
    m[piWidth] = LengthOf(box[piWidth], baseWidth, AutoValue, AutoValue, emHeight, exHeight);
    if (m[piWidth] == AutoValue)
        ++r.AutoCount;
    m[piHeight] = LengthOf(box[piHeight], baseHeight, 0, 0, emHeight, exHeight);
    if (IsPercent(box[piHeight]))
        m[piHeight] -= m[BorderTopWidth] + m[BorderBottomWidth] + m[PaddingTop] + m[PaddingBottom];
    m[TopPos] = LengthOf(box[TopPos], baseHeight, AutoValue, AutoValue, emHeight, exHeight);
    for (int i : {BottomPos, RightPos, LeftPos})
        m[i] = LengthOf(box[i], baseWidth, AutoValue, AutoValue, emHeight, exHeight);
    return r;
}

TMarginArray ConvertCellPaddings(const TVMarginArray& box, int baseWidth, int emHeight,
                                 int exHeight) {
    TMarginArray m;
    for (int i = PaddingTop; i <= PaddingLeft; ++i) {
        const TPropValue& v = box[i];
        if (IsPercent(v)) {
            auto n = SplitNumberUnit(v.AsString());
            m[i] = -RoundHalfEven(n.Number);
        } else {
            m[i] = LengthOf(v, baseWidth, -1, -1, emHeight, exHeight);
        }
    }
    return m;
}

TMarginArray ConvertInlineBoxValues(const TVMarginArray& box, int baseWidth, int baseHeight,
                                    int emHeight, int exHeight) {
    TMarginArray m;
    for (int i = MarginTop; i <= MarginLeft; ++i)
        m[i] = LengthOf(box[i], baseWidth, 0, 0, emHeight, exHeight);
    for (int i = PaddingTop; i <= PaddingLeft; ++i)
        m[i] = LengthOf(box[i], baseWidth, 0, 0, emHeight, exHeight);
    for (int i = BorderTopStyle; i <= BorderLeftStyle; ++i)
        m[i] = LengthOf(box[i], 0, 0, 0, 0, 0);
    for (int i = 0; i < 4; ++i)
        m[BorderTopWidth + i] = BorderWidth(box[BorderTopWidth + i], m[BorderTopStyle + i],
                                            baseWidth, emHeight, exHeight);
    m[piWidth] = LengthOf(box[piWidth], baseWidth, AutoValue, AutoValue, emHeight, exHeight);
    m[piHeight] = LengthOf(box[piHeight], baseHeight, AutoValue, AutoValue, emHeight, exHeight);
    return m;
}

} // namespace html
