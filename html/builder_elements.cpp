// The elements: the body tag, text, fonts, inline styles, line breaks, headings and blocks,
// links, and the content that is skipped.
#include "html/builder.h"

#include "html/layout/block.h"
#include "html/layout/document.h"
#include "html/layout/section.h"
#include "html/text/charsets.h"
#include "html/text/htmlcolors.h"
#include "html/text/htmlstrings.h"
#include "html/text/units.h"

#include <algorithm>

namespace html {

namespace {

struct TInlineTag {
    THtmlSymbol Start, End;
    std::u16string_view Name;
    bool MakesSection; // sub, sup, big and small open a section even before any text
};

constexpr TInlineTag kInlineTags[] = {
    {symB, symBEnd, u"b", false},
    {symI, symIEnd, u"i", false},
    {symEm, symEmEnd, u"em", false},
    {symStrong, symStrongEnd, u"strong", false},
    {symU, symUEnd, u"u", false},
    {symCite, symCiteEnd, u"cite", false},
    {symVar, symVarEnd, u"var", false},
    {symS, symSEnd, u"s", false},
    {symStrike, symStrikeEnd, u"strike", false},
    {symTt, symTtEnd, u"tt", false},
    {symCode, symCodeEnd, u"code", false},
    {symKbd, symKbdEnd, u"kbd", false},
    {symSamp, symSampEnd, u"samp", false},
    {symSpan, symSpanEnd, u"span", false},
    {symLabel, symLabelEnd, u"label", false},
    {symSub, symSubEnd, u"sub", true},
    {symSup, symSupEnd, u"sup", true},
    {symBig, symBigEnd, u"big", true},
    {symSmall, symSmallEnd, u"small", true},
};

// The table's entry that the symbol starts or ends; isEnd tells which.
template <typename TTag, std::size_t N>
const TTag* FindTag(const TTag (&tags)[N], THtmlSymbol sym, bool& isEnd) {
    for (const TTag& t : tags) {
        if (t.Start == sym || t.End == sym) {
            isEnd = t.End == sym;
            return &t;
        }
    }
    return nullptr;
}

const TInlineTag* FindInline(THtmlSymbol sym, bool& isEnd) {
    return FindTag(kInlineTags, sym, isEnd);
}

struct TBlockTag {
    THtmlSymbol Start, End;
    std::u16string_view Name;
};

// Elements that begin and end a run of lines; their own block layout (margins, list markers)
// is not part of what this viewer renders, so they break the text and style what they hold.
constexpr TBlockTag kBlockTags[] = {
    {symP, symPEnd, u"p"},
    {symDiv, symDivEnd, u"div"},
    {symCenter, symCenterEnd, u"center"},
    {symBlockquote, symBlockquoteEnd, u"blockquote"},
    {symAddress, symAddressEnd, u"address"},
    {symPre, symPreEnd, u"pre"},
    {symOl, symOlEnd, u"ol"},
    {symUl, symUlEnd, u"ul"},
    {symDir, symDirEnd, u"dir"},
    {symMenu, symMenuEnd, u"menu"},
    {symDl, symDlEnd, u"dl"},
    {symForm, symFormEnd, u"form"},
};

const TBlockTag* FindBlock(THtmlSymbol sym, bool& isEnd) {
    return FindTag(kBlockTags, sym, isEnd);
}

bool IsElementSymbol(THtmlSymbol sym) {
    bool isEnd = false;
    if (FindInline(sym, isEnd))
        return true;
    switch (sym) {
    case symText:
    case symTable:
    case symFont:
    case symFontEnd:
    case symBasefont:
    case symBr:
    case symA:
    case symAEnd:
    case symImg:
    case symHr:
    case symH:
    case symHEnd:
    case symPre:
    case symPreEnd:
    case symNobr:
    case symNobrEnd:
    case symWbr:
    case symInput:
    case symSelect:
    case symTextarea:
    case symMap:
    case symPage:
    case symPanel:
    case symObject:
    case symScript:
        return true;
    default:
        return false;
    }
}

} // namespace

void THtmlBuilder::ReadBody(const TSymbolSet& stop) {
    for (;;) {
        const THtmlSymbol sym = FReader.Symbol;
        if (stop[sym])
            return;
        bool isEnd = false;
        switch (sym) {
        case symEndOfInput:
            Next();
            return;
        case symBody:
            ReadBodyTag();
            break;
        case symTitle:
            ReadTitle();
            break;
        case symStyle:
            SkipContent(symStyleEnd);
            break;
        case symLi:
        case symDd:
        case symDt:
            AddCurrentSection();
            FCurrentSection = NewSection(true, true, &FReader.Attributes);
            Next();
            break;
        default:
            if (IsElementSymbol(sym))
                ReadElement();
            else if (FindBlock(sym, isEnd))
                ReadBlockTag();
            else
                Next(); // html, head, base, meta, link, stray end tags, unknown tags
            break;
        }
    }
}

void THtmlBuilder::ReadBodyTag() {
    if (FTableDepth > 0 || FBodyBlock->BlockCell.Count() > 0) {
        Next();
        return;
    }
    // What was read before body (white space between the leading tags, a byte-order mark)
    // belongs to no element.
    DiscardCurrentSection();
    TProperties& body = *Push(u"body");
    int vMargin = FDocument.MarginHeight;
    int hMargin = FDocument.MarginWidth;
    for (const TAttribute& a : FReader.Attributes) {
        TColor c = clNone;
        switch (a.Kind) {
        case symAttrText:
            if (ParseColor(a.Value, false, c))
                body.SetProperty(Color, TPropValue::Color(c | PaletteFlag()));
            break;
        case symAttrBgcolor:
            if (ParseColor(a.Value, false, c))
                body.SetProperty(BackgroundColor, TPropValue::Color(c | PaletteFlag()));
            break;
        case symAttrBackground:
            body.SetProperty(BackgroundImage, u"url(" + a.Value + u")");
            break;
        case symAttrLink:
            if (ParseColor(a.Value, false, c))
                FDocument.Styles.SetLinkColor(u"link", c);
            break;
        case symAttrVlink:
            if (ParseColor(a.Value, false, c))
                FDocument.Styles.SetLinkColor(u"visited", c);
            break;
        case symAttrOlink:
            if (ParseColor(a.Value, false, c)) {
                FDocument.Styles.SetLinkColor(u"hover", c);
                FDocument.OverLinksActive = true;
            }
            break;
        case symAttrMarginwidth:
        case symAttrLeftmargin:
            hMargin = std::clamp(a.Number, 0, 200);
            break;
        case symAttrMarginheight:
        case symAttrTopmargin:
            vMargin = std::clamp(a.Number, 0, 200);
            break;
        case symAttrBgproperties:
            if (SameText(a.Value, u"fixed"))
                body.SetProperty(BackgroundAttachment, u"fixed");
            break;
        default:
            break;
        }
    }
    body.SetProperty(MarginLeft, hMargin);
    body.SetProperty(MarginRight, hMargin);
    body.SetProperty(MarginTop, vMargin);
    body.SetProperty(MarginBottom, vMargin);
    body.FontCache.reset();

    auto& items = FDocument.Items;
    items.erase(std::remove_if(items.begin(), items.end(),
                               [this](const auto& e) { return e.get() == FBodyBlock; }),
                items.end());
    auto block = std::make_unique<TBodyBlock>(&FDocument, &FReader.Attributes, &FDocument, body);
    FBodyBlock = block.get();
    FDocument.AddSection(std::move(block), FReader.TagStart);
    FCurrentCell = &FBodyBlock->BlockCell;
    FCurrentSection = NewSection(true, false, nullptr);
    Next();
}

void THtmlBuilder::ReadElement() {
    const THtmlSymbol sym = FReader.Symbol;
    bool isEnd = false;
    if (const TInlineTag* tag = FindInline(sym, isEnd)) {
        if (isEnd) {
            FStack.PopTagProperties(tag->Name);
            ChangeFont();
            Next();
        } else {
            ReadInlineTag(tag->MakesSection);
        }
        return;
    }
    switch (sym) {
    case symText:
        if (FCurrentSection) {
            FCurrentSection->AddText(FReader.Token);
        } else {
            const std::u16string& s = FReader.Token.AsString();
            if (!s.empty() && s != u" ") {
                FCurrentSection = NewSection(true, true, nullptr);
                FCurrentSection->AddText(FReader.Token);
            }
        }
        Next();
        break;
    case symFont:
    case symBasefont:
        ReadFontTag();
        ChangeFont();
        Next();
        break;
    case symFontEnd:
        FStack.PopTagProperties(u"font");
        ChangeFont();
        Next();
        break;
    case symBr:
        ReadBreak();
        break;
    case symTable:
        ReadTable();
        break;
    case symA:
    case symAEnd:
        ReadLink();
        break;
    case symNobr:
    case symNobrEnd:
        SetNoBreak(sym == symNobr);
        Next();
        break;
    case symWbr:
        if (FCurrentSection)
            FCurrentSection->MarkBreakOpportunity();
        Next();
        break;
    case symH:
    case symHEnd:
    case symPre:
    case symPreEnd:
        ReadBlockTag();
        break;
    case symHr:
        AddCurrentSection();
        FCurrentSection = NewSection(true, true, nullptr);
        Next();
        break;
    case symPage:
        AddCurrentSection();
        if (FCurrentCell)
            FCurrentCell->AddSection(std::make_unique<TPage>(&FDocument), FReader.TagStart);
        FCurrentSection = NewSection(true, true, nullptr);
        Next();
        break;
    case symScript:
        SkipContent(symScriptEnd);
        break;
    case symSelect:
        SkipContent(symSelectEnd);
        break;
    case symTextarea:
        SkipContent(symTextareaEnd);
        break;
    case symMap:
        SkipContent(symMapEnd);
        break;
    default: // img, input, panel, object: pictures and controls are not shown
        Next();
        break;
    }
}

void THtmlBuilder::ReadInlineTag(bool createSection) {
    if (createSection && !FCurrentSection)
        FCurrentSection = NewSection(true, true, nullptr);
    bool isEnd = false;
    TProperties& record = *Push(FindInline(FReader.Symbol, isEnd)->Name);
    TakeInlineBackground(record);
    ChangeFont();
    Next();
}

void THtmlBuilder::ReadFontTag() {
    const bool isBase = FReader.Symbol == symBasefont;
    bool hasColor = false, hasSize = false, hasFace = false, hasCharSet = false;
    TColor color = clNone;
    double points = 0;
    std::u16string face;
    int charSet = 0;
    for (const TAttribute& a : FReader.Attributes) {
        switch (a.Kind) {
        case symAttrSize: {
            long long v = a.Number;
            if (a.Value.size() > 1 && (a.Value[0] == u'+' || a.Value[0] == u'-'))
                v += FBaseFontSize;
            const int index = static_cast<int>(std::clamp(v, 1LL, 7LL));
            if (isBase)
                FBaseFontSize = index;
            points = FInPre ? FDocument.FontSizes.PreFontSizePoints[index]
                            : FDocument.FontSizes.FontSizePoints[index];
            hasSize = true;
            break;
        }
        case symAttrColor:
            if (ParseColor(a.Value, false, color)) {
                color |= PaletteFlag();
                hasColor = true;
            }
            break;
        case symAttrFace:
            if (!isBase && !a.Value.empty()) {
                face = FirstInstalledFace(a.Value);
                hasFace = true;
            }
            break;
        case symAttrCharset:
            if (!FReader.Utf8Document && CharSetFromName(a.Value, charSet))
                hasCharSet = true;
            break;
        default:
            break;
        }
    }
    TProperties& record = *Push(u"font");
    TakeInlineBackground(record);
    if (hasColor)
        record.SetProperty(Color, TPropValue::Color(color));
    if (hasSize)
        record.SetProperty(FontSize, points);
    if (hasFace)
        record.SetProperty(FontFamily, face);
    if (hasCharSet)
        record.AssignCharSet(charSet);
    record.FontCache.reset();
}

void THtmlBuilder::ReadBreak() {
    const TAttribute* clear = FReader.Attributes.Find(symAttrClear);
    int clearMode = clrNone;
    if (clear) {
        const std::u16string v = LowerCase(Trim(clear->Value));
        if (v == u"left")
            clearMode = clrLeft;
        else if (v == u"right")
            clearMode = clrRight;
        else if (v == u"all" || v == u"both")
            clearMode = clrAll;
    }
    if (!clear) {
        if (!FCurrentSection)
            FCurrentSection = NewSection(false, true, &FReader.Attributes);
        FCurrentSection->AddChar(BreakChar, FReader.TagStart);
        AddCurrentSection();
        TProperties& br = *Push(u"br");
        bool before = false, after = false, intact = false;
        br.GetPageBreaks(before, after, intact);
        if ((before || after) && FCurrentCell)
            FCurrentCell->AddSection(std::make_unique<TPage>(&FDocument), FReader.TagStart);
        FStack.PopTagProperties(u"br");
        FCurrentSection = NewSection(false, true, &FReader.Attributes);
    } else {
        AddCurrentSection();
        FCurrentSection = NewSection(false, true, &FReader.Attributes);
        FCurrentSection->ClearMode = clearMode;
    }
    Next();
}

void THtmlBuilder::ReadTitle() {
    std::u16string title;
    Next();
    while (FReader.Symbol == symText) {
        title += FReader.Token.AsString();
        Next();
    }
    FDocument.Title = Trim(title);
    if (FReader.Symbol == symTitleEnd)
        Next();
}

void THtmlBuilder::ReadBlockTag() {
    const THtmlSymbol sym = FReader.Symbol;
    bool isEnd = false;
    std::u16string name;
    if (sym == symH || sym == symHEnd) {
        isEnd = sym == symHEnd;
        if (FReader.HeadingLevel < 1 || FReader.HeadingLevel > 6) {
            Next();
            return;
        }
        name = u"h" + std::u16string(1, static_cast<char16_t>(u'0' + FReader.HeadingLevel));
    } else if (const TBlockTag* tag = FindBlock(sym, isEnd)) {
        name = tag->Name;
    } else {
        Next();
        return;
    }
    AddCurrentSection();
    if (isEnd) {
        if (name[0] == u'h' && name.size() == 2) {
            // A heading may be closed under another level's name.
            for (int i = FStack.Count() - 1; i >= 1; --i) {
                const std::u16string& tag = FStack.PropertiesAt(i)->ElementTag;
                if (tag.size() == 2 && tag[0] == u'h' && tag[1] >= u'1' && tag[1] <= u'6') {
                    name = tag;
                    break;
                }
            }
        }
        FStack.PopTagProperties(name);
        if (sym == symPreEnd)
            FInPre = false;
        if (sym == symFormEnd)
            FInForm = false;
        FCurrentSection = NewSection(true, true, nullptr);
    } else {
        Push(name);
        if (sym == symPre)
            FInPre = true;
        if (sym == symForm)
            FInForm = true;
        FCurrentSection = NewSection(true, true, &FReader.Attributes);
    }
    Next();
}

void THtmlBuilder::ReadLink() {
    if (FReader.Symbol == symAEnd) {
        EndLink();
        Next();
        return;
    }
    EndLink();
    if (const TAttribute* name = FReader.Attributes.Find(symAttrName);
        name && !name->Value.empty()) {
        if (!FCurrentSection)
            FCurrentSection = NewSection(true, true, nullptr);
        FCurrentSection->HoldsAnchor = true;
        FDocument.IdList[LowerCase(name->Value)] = FCurrentSection.get();
    }
    if (const TAttribute* href = FReader.Attributes.Find(symAttrHref)) {
        FInLink = true;
        FLinkTarget = href->Value;
        Push(u"a", u"link");
        ChangeFont();
        SetRunLink(FLinkTarget);
    }
    Next();
}

void THtmlBuilder::SkipContent(THtmlSymbol endSymbol) {
    Next();
    while (FReader.Symbol != endSymbol && FReader.Symbol != symEndOfInput)
        Next();
    if (FReader.Symbol == endSymbol)
        Next();
}

} // namespace html
