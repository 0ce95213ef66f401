// The document frame: the two passes over the text, the reading of symbols, and what every
// element uses: property records, text sections with their links and ids.
#include "html/builder.h"

#include "html/layout/block.h"
#include "html/layout/document.h"
#include "html/layout/section.h"
#include "html/read/htmlerrors.h"
#include "html/text/htmlstrings.h"

#include <algorithm>
#include <iterator>

namespace html {

namespace {

TSymbolSet MakeCellStopSet() {
    TSymbolSet s;
    for (THtmlSymbol sym : {symTableEnd, symTd, symTdEnd, symTr, symTrEnd, symTh, symThEnd,
                            symCaption, symCaptionEnd, symCol, symColgroup})
        s.set(sym);
    return s;
}

} // namespace

const TSymbolSet& CellStopSet() {
    static const TSymbolSet set = MakeCellStopSet();
    return set;
}

int ParseDocument(std::u16string_view text, TSectionList& document) {
    THtmlBuilder builder(document);
    builder.ParseDocument(text);
    return builder.CodePage();
}

THtmlBuilder::THtmlBuilder(TSectionList& document) : FDocument(document), FStack(document.Styles) {}

THtmlBuilder::~THtmlBuilder() = default;

void THtmlBuilder::ParseDocument(std::u16string_view text) {
    StartDocument(text);
    CountLinks();
    auto finish = [this] {
        FReader.Attributes.Clear();
        AddCurrentSection();
        FStack.ClearStack();
        FLinkTarget.clear();
        FReader.PropStack = nullptr;
    };
    try {
        FReader.GetChar();
        Next();
        ReadBody(TSymbolSet{});
    } catch (const EMkbError&) {
        // The document keeps what was built up to the failure.
    } catch (...) {
        finish();
        throw;
    }
    finish();
}

void THtmlBuilder::StartDocument(std::u16string_view text) {
    FCurrentCell = &FDocument;
    auto base = std::make_unique<TProperties>();
    FDocument.Styles.CopyDefault(*base);
    TProperties* baseRecord = FStack.PushBase(std::move(base));
    FReader.PropStack = &FStack;
    FReader.OnRegisterId = [this](const std::u16string& id, int) {
        FDocument.IdList.emplace(LowerCase(id), nullptr);
    };
    FReader.ResetReader(text);
    FCodePage = baseRecord->CodePage;

    auto body = std::make_unique<TBodyBlock>(&FDocument, nullptr, &FDocument, *baseRecord);
    FBodyBlock = body.get();
    FDocument.AddSection(std::move(body), 0);
    FCurrentCell = &FBodyBlock->BlockCell;

    FLinkTarget.clear();
    FInLink = false;
    FBaseFontSize = 3;
    FDocument.Title.clear();
    FInForm = false;
    FInPre = false;
    FNoBreak = false;
    FCurrentSection = NewSection(true, false, nullptr);
    FReader.Attributes.Clear();
    FTableDepth = 0;
    FInputEnded = false;
}

void THtmlBuilder::CountLinks() {
    FReader.FirstPass = true;
    int links = 0;
    try {
        FReader.GetChar();
        do {
            FReader.NextSymbol();
            if (FReader.Symbol == symA && FReader.Attributes.Find(symAttrHref))
                ++links;
        } while (FReader.Symbol != symEndOfInput && links <= ManyLinksCount);
    } catch (const EMkbError&) {
        // Only the count matters here; the reading pass meets the same error again.
    }
    FDocument.ManyLinks = links > ManyLinksCount;
    FReader.Rewind();
    FReader.FirstPass = false;
}

void THtmlBuilder::Next() {
    ++FSymbols;
    if (!FInputEnded) {
        try {
            FReader.NextSymbol();
            return;
        } catch (const EParseError&) {
            // An open comment at the end: everything before it is closed as at the end of
            // input, so that open tables keep their rows.
            FInputEnded = true;
        }
    }
    FReader.Token.Clear();
    FReader.Attributes.Clear();
    FReader.Symbol = symEndOfInput;
}

TProperties* THtmlBuilder::Push(std::u16string_view tag, std::u16string_view pseudo) {
    TAttributeList& a = FReader.Attributes;
    const std::u16string cls = a.ClassValue();
    const std::u16string id = a.IdValue();
    const std::u16string title = a.TitleValue();
    return FStack.PushProperties(tag, cls, id, a.StyleProperties(), title, pseudo);
}

TProperties* THtmlBuilder::PushBare(std::u16string_view tag) {
    return FStack.PushProperties(tag, u"", u"", nullptr, u"", u"");
}

void THtmlBuilder::TakeInlineBackground(TProperties& record) {
    const TColor bg = record.GetBackgroundColor();
    if (bg != clNone) {
        record.InlineBackground = bg;
        record.FontCache.reset();
    }
}

void THtmlBuilder::PopTo(int count) {
    while (FStack.Count() > std::max(count, 1))
        FStack.PopProperties();
}

std::unique_ptr<TSection> THtmlBuilder::NewSection(bool firstIndent, bool withLink,
                                                   const TAttributeList* attributes) {
    static const std::u16string noLink;
    auto s = std::make_unique<TSection>(&FDocument, FCurrentCell, firstIndent,
                                        withLink ? FLinkTarget : noLink, *FStack.TopProperties(),
                                        attributes);
    s->NoBreak = FNoBreak;
    s->Preformatted = FInPre;
    return s;
}

void THtmlBuilder::AddCurrentSection() {
    if (!FCurrentSection)
        return;
    // Finished here as the cell would finish it, so that one the cell would drop never joins
    // the document's lists.
    if (!FCurrentCell || !FCurrentSection->Finish(FReader.TagStart)) {
        DiscardCurrentSection();
        return;
    }
    RegisterSection(*FCurrentSection);
    FCurrentCell->AddSection(std::move(FCurrentSection), FReader.TagStart);
}

void THtmlBuilder::DiscardCurrentSection() {
    if (!FCurrentSection)
        return;
    // Its id, and the anchor names placed in it, go with it.
    if (!FCurrentSection->Id.empty())
        FDocument.IdList.erase(FCurrentSection->Id);
    for (auto it = FDocument.IdList.begin(); it != FDocument.IdList.end();)
        it = it->second == FCurrentSection.get() ? FDocument.IdList.erase(it) : std::next(it);
    FCurrentSection.reset();
}

void THtmlBuilder::RegisterSection(TSection& section) {
    for (const auto& run : section.FontRuns)
        if (!run->Link.empty())
            FDocument.LinkRuns.push_back(run.get());
    if (!section.Id.empty())
        FDocument.IdList[section.Id] = &section;
}

void THtmlBuilder::ChangeFont() {
    if (FCurrentSection)
        FCurrentSection->ChangeFont(*FStack.TopProperties());
}

void THtmlBuilder::SetNoBreak(bool on) {
    FNoBreak = on;
    if (FCurrentSection)
        FCurrentSection->NoBreak = on;
}

void THtmlBuilder::SetRunLink(const std::u16string& link) {
    if (!FCurrentSection)
        return;
    FCurrentSection->FontRuns.back()->Link = link;
}

void THtmlBuilder::EndLink() {
    if (!FInLink)
        return;
    FInLink = false;
    FLinkTarget.clear();
    FStack.PopTagProperties(u"a");
    ChangeFont();
    SetRunLink(FLinkTarget);
}

} // namespace html
