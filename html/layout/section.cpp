// Building a text section: adding text and font runs, and the clean-up when it is finished.
#include "html/layout/section.h"

#include "html/layout/document.h"
#include "html/read/attributes.h"
#include "html/read/token.h"
#include "html/style/properties.h"
#include "html/text/htmlstrings.h"

#include <algorithm>

namespace html {

namespace {

char16_t UpCase(char16_t c) {
    if (c >= u'a' && c <= u'z')
        return c - 32;
    if (c >= 0x0430 && c <= 0x044F)
        return c - 32;
    if (c >= 0x0450 && c <= 0x045F)
        return c - 80;
    return c;
}

char16_t LowCase(char16_t c) {
    if (c >= u'A' && c <= u'Z')
        return c + 32;
    if (c >= 0x0410 && c <= 0x042F)
        return c + 32;
    if (c >= 0x0400 && c <= 0x040F)
        return c + 80;
    return c;
}

int AlignOf(const TProperties& p) {
    const std::u16string a = LowerCase(p.Values[TextAlign].AsString());
    if (a == u"center")
        return 2;
    if (a == u"right")
        return 3;
    if (a == u"justify")
        return 4;
    return 1;
}

} // namespace

void TFontObj::SetFont(std::unique_ptr<TMyFont> font) {
    Font = std::move(font);
    FontHeight = Font->TextHeight;
    MaxCharWidth = Font->MaxCharWidth;
    BoxHeight = Font->TextHeight + Font->ExternalLeading;
    Descent = Font->Descent;
    Overhang = Font->Style.Has(TFontStyle::Italic) ? Font->TextHeight / 10 : 0;
}

TSection::TSection(TSectionList* document, TCellBasic* cell, bool useFirstIndent,
                   const std::u16string& linkTarget, TProperties& properties,
                   const TAttributeList* attributes)
    : TSectionBase(document) {
    (void)cell;
    auto run = std::make_unique<TFontObj>();
    run->Section = this;
    run->SetFont(properties.GetFont());
    run->Link = linkTarget;
    FontRuns.push_back(std::move(run));
    LineHeightSetting =
        std::min(properties.GetLineHeight(FontRuns[0]->FontHeight), MaxLayoutLength);
    Align = AlignOf(properties);
    BreakWord = LowerCase(properties.Values[WordWrap].AsString()) == u"break-word";
    TextTransform = properties.GetTextTransform();
    if (useFirstIndent) {
        bool percent = false;
        const int v = properties.GetTextIndent(percent);
        if (percent)
            FirstIndentPercent = std::clamp(v, 0, 90);
        else
            FirstIndent = ClampLayoutLength(v);
    }
    if (attributes)
        Id = attributes->IdValue();
    Text.reserve(64);
}

TSection::~TSection() = default;

void TSection::AddText(const TokenObj& token) {
    const std::u16string& s = token.AsString();
    const std::vector<int>& idx = token.Indexes();
    for (std::size_t i = 0; i < s.size(); ++i)
        AddChar(s[i], i < idx.size() ? idx[i] : -1);
}

void TSection::AddText(std::u16string_view text, int sourceIndex) {
    for (char16_t c : text)
        AddChar(c, sourceIndex);
}

void TSection::AddChar(char16_t ch, int sourceIndex) {
    if (Finished)
        return;
    if (Text.capacity() - Text.size() < 3)
        Text.reserve(Text.size() + 500);
    if (TextTransform == 1)
        ch = UpCase(ch);
    else if (TextTransform == 2)
        ch = LowCase(ch);
    Text.push_back(ch);
    BreakCodes.push_back(NoBreak || Preformatted ? 'n' : 'y');
    SourceIndexes.push_back(sourceIndex);
}

void TSection::ChangeFont(TProperties& properties) {
    if (Finished)
        return;
    const int len = static_cast<int>(Text.size());
    TFontObj* last = FontRuns.back().get();
    if (last->StartPos == len) {
        last->SetFont(properties.GetFont());
    } else {
        auto run = std::make_unique<TFontObj>();
        run->Section = this;
        run->StartPos = len;
        run->SetFont(properties.GetFont());
        run->Link = last->Link;
        last = run.get();
        FontRuns.push_back(std::move(run));
    }
    int va = 0;
    last->VAlign = properties.GetVerticalAlign(va) && (va == ASub || va == ASuper) ? va : 0;
}

void TSection::MarkBreakOpportunity() {
    if (!Finished && !BreakCodes.empty())
        BreakCodes.back() = 'a';
}

void TSection::DeleteChar(int i) {
    Text.erase(Text.begin() + i);
    BreakCodes.erase(BreakCodes.begin() + i);
    SourceIndexes.erase(SourceIndexes.begin() + i);
    for (std::size_t r = 1; r < FontRuns.size(); ++r)
        if (FontRuns[r]->StartPos > i)
            --FontRuns[r]->StartPos;
    // A run that now starts where the previous one does replaces it.
    for (std::size_t r = 1; r < FontRuns.size();) {
        if (FontRuns[r]->StartPos == FontRuns[r - 1]->StartPos) {
            FontRuns[r]->StartPos = FontRuns[r - 1]->StartPos;
            FontRuns.erase(FontRuns.begin() + static_cast<std::ptrdiff_t>(r - 1));
        } else {
            ++r;
        }
    }
}

bool TSection::Finish(int sourceIndex) {
    if (!Finished)
        FinishText(sourceIndex);
    // Kept when it shows something, holds an anchor or clears the floats.
    return Preformatted || !Text.empty() || HoldsAnchor || ClearMode != 0;
}

void TSection::FinishText(int sourceIndex) {
    Finished = true;
    while (!Text.empty() && Text[0] == u' ')
        DeleteChar(0);
    for (int i = 0; i < static_cast<int>(Text.size());) {
        if (Text[i] != SoftHyphen) {
            ++i;
            continue;
        }
        DeleteChar(i);
        if (i > 0 && BreakCodes[i - 1] != 'n')
            BreakCodes[i - 1] = 's';
    }
    for (int i = 0; i + 1 < static_cast<int>(Text.size());) {
        if (Text[i] == u' ' && Text[i + 1] == u' ')
            DeleteChar(BreakCodes[i] != 'n' ? i + 1 : i);
        else
            ++i;
    }
    // No floating objects reach here, so step four (a space after a float) never applies.
    for (int i = 0; i < static_cast<int>(Text.size()); ++i)
        if (Text[i] == BreakChar && i > 0 && Text[i - 1] == u' ') {
            DeleteChar(i - 1);
            --i;
        }
    for (int i = 0; i + 1 < static_cast<int>(Text.size()); ++i)
        if (Text[i] == BreakChar && Text[i + 1] == u' ')
            DeleteChar(i + 1);
    if (Text.size() > 1 && Text.back() == BreakChar)
        DeleteChar(static_cast<int>(Text.size()) - 1);
    if (Text.size() > 1 && Text.back() == u' ')
        DeleteChar(static_cast<int>(Text.size()) - 1);
    if (!(Text.size() == 1 && Text[0] == BreakChar) && !Text.empty() && Text.back() != u' ') {
        const int oldEnd = static_cast<int>(Text.size());
        Text.push_back(u' ');
        BreakCodes.push_back(NoBreak || Preformatted ? 'n' : 'y');
        SourceIndexes.push_back(sourceIndex);
        if (FontRuns.back()->StartPos == oldEnd && FontRuns.size() > 1)
            FontRuns.back()->StartPos = oldEnd + 1;
    }
    // A hyphen after a digit joins a range of codes ("S00-T98", "G00-G09"), never a line end.
    auto codeChar = [](char16_t c) { return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'Z'); };
    for (std::size_t i = 1; i + 1 < Text.size(); ++i)
        if (Text[i] == u'-' && Text[i - 1] >= u'0' && Text[i - 1] <= u'9' && codeChar(Text[i + 1]))
            BreakCodes[i] = 'n';
    BreakCodes.push_back('y');
    SourceMap.clear();
    for (std::size_t i = 0; i < SourceIndexes.size(); ++i)
        if (i == 0 || SourceIndexes[i] != SourceIndexes[i - 1] + 1)
            SourceMap.push_back({static_cast<int>(i), SourceIndexes[i]});
    SourceIndexes.clear();
    SourceIndexes.shrink_to_fit();
    PosCount = static_cast<int>(Text.size());
    if (!Text.empty() && Document)
        Number = ++Document->SectionCount;
    CachedMinWidth = CachedMaxWidth = 0;
    FBreakFound = -1;
}

int TSection::SourceOfChar(int i) const {
    if (SourceMap.empty() || i < 0)
        return -1;
    auto it = std::upper_bound(SourceMap.begin(), SourceMap.end(), i,
                               [](int v, const IndexObj& o) { return v < o.Pos; });
    if (it == SourceMap.begin())
        return -1;
    --it;
    return it->Index + (i - it->Pos);
}

int TSection::RunIndexAt(int i) const {
    // Runs are sorted by start and the first starts at 0.
    auto it =
        std::upper_bound(FontRuns.begin() + 1, FontRuns.end(), i,
                         [](int v, const std::unique_ptr<TFontObj>& r) { return v < r->StartPos; });
    return static_cast<int>(it - FontRuns.begin()) - 1;
}

const TFontObj& TSection::RunAt(int i) const {
    return *FontRuns[RunIndexAt(i)];
}

int TSection::RunEnd(int run) const {
    return run + 1 < static_cast<int>(FontRuns.size()) ? FontRuns[run + 1]->StartPos
                                                       : static_cast<int>(Text.size());
}

} // namespace html
