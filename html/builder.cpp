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

THtmlBuilder::THtmlBuilder(TSectionList& document) : Document(document), Stack(document.Styles) {}

THtmlBuilder::~THtmlBuilder() = default;

void THtmlBuilder::ParseDocument(std::u16string_view text) {
    StartDocument(text);
    CountLinks();
    auto finish = [this] {
        Reader.Attributes.Clear();
        AddCurrentSection();
        Stack.ClearStack();
        LinkTarget.clear();
        Reader.PropStack = nullptr;
    };
    try {
        Reader.GetChar();
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
    CurrentCell = &Document;
    auto base = std::make_unique<TProperties>();
    Document.Styles.CopyDefault(*base);
    TProperties* baseRecord = Stack.PushBase(std::move(base));
    Reader.PropStack = &Stack;
    Reader.OnRegisterId = [this](const std::u16string& id, int) {
        Document.IdList.emplace(LowerCase(id), nullptr);
    };
    Reader.ResetReader(text);
    FCodePage = baseRecord->CodePage;

    auto body = std::make_unique<TBodyBlock>(&Document, nullptr, &Document, *baseRecord);
    BodyBlock = body.get();
    Document.AddSection(std::move(body), 0);
    CurrentCell = &BodyBlock->BlockCell;

    LinkTarget.clear();
    InLink = false;
    BaseFontSize = 3;
    Document.Title.clear();
    InForm = false;
    InPre = false;
    NoBreak = false;
    CurrentSection = NewSection(true, false, nullptr);
    Reader.Attributes.Clear();
    TableDepth = 0;
    FInputEnded = false;
}

void THtmlBuilder::CountLinks() {
    Reader.FirstPass = true;
    int links = 0;
    try {
        Reader.GetChar();
        do {
            Reader.NextSymbol();
            if (Reader.Symbol == symA && Reader.Attributes.Find(symAttrHref))
                ++links;
        } while (Reader.Symbol != symEndOfInput && links <= ManyLinksCount);
    } catch (const EMkbError&) {
        // Only the count matters here; the reading pass meets the same error again.
    }
    Document.ManyLinks = links > ManyLinksCount;
    Reader.Rewind();
    Reader.FirstPass = false;
}

void THtmlBuilder::Next() {
    ++FSymbols;
    if (!FInputEnded) {
        try {
            Reader.NextSymbol();
            return;
        } catch (const EParseError&) {
            // An open comment at the end: everything before it is closed as at the end of
            // input, so that open tables keep their rows.
            FInputEnded = true;
        }
    }
    Reader.Token.Clear();
    Reader.Attributes.Clear();
    Reader.Symbol = symEndOfInput;
}

TProperties* THtmlBuilder::Push(std::u16string_view tag, std::u16string_view pseudo) {
    TAttributeList& a = Reader.Attributes;
    const std::u16string cls = a.ClassValue();
    const std::u16string id = a.IdValue();
    const std::u16string title = a.TitleValue();
    return Stack.PushProperties(tag, cls, id, a.StyleProperties(), title, pseudo);
}

TProperties* THtmlBuilder::PushBare(std::u16string_view tag) {
    return Stack.PushProperties(tag, u"", u"", nullptr, u"", u"");
}

void THtmlBuilder::TakeInlineBackground(TProperties& record) {
    const TColor bg = record.GetBackgroundColor();
    if (bg != clNone) {
        record.InlineBackground = bg;
        record.FontCache.reset();
    }
}

void THtmlBuilder::PopTo(int count) {
    while (Stack.Count() > std::max(count, 1))
        Stack.PopProperties();
}

std::unique_ptr<TSection> THtmlBuilder::NewSection(bool firstIndent, bool withLink,
                                                   const TAttributeList* attributes) {
    static const std::u16string noLink;
    auto s = std::make_unique<TSection>(&Document, CurrentCell, firstIndent,
                                        withLink ? LinkTarget : noLink, *Stack.TopProperties(),
                                        attributes);
    s->NoBreak = NoBreak;
    s->Preformatted = InPre;
    return s;
}

void THtmlBuilder::AddCurrentSection() {
    if (!CurrentSection)
        return;
    // Finished here as the cell would finish it, so that one the cell would drop never joins
    // the document's lists.
    if (!CurrentCell || !CurrentSection->Finish(Reader.TagStart)) {
        DiscardCurrentSection();
        return;
    }
    RegisterSection(*CurrentSection);
    CurrentCell->AddSection(std::move(CurrentSection), Reader.TagStart);
}

void THtmlBuilder::DiscardCurrentSection() {
    if (!CurrentSection)
        return;
    // Its id, and the anchor names placed in it, go with it.
    if (!CurrentSection->Id.empty())
        Document.IdList.erase(CurrentSection->Id);
    for (auto it = Document.IdList.begin(); it != Document.IdList.end();)
        it = it->second == CurrentSection.get() ? Document.IdList.erase(it) : std::next(it);
    CurrentSection.reset();
}

void THtmlBuilder::RegisterSection(TSection& section) {
    for (const auto& run : section.FontRuns)
        if (!run->Link.empty())
            Document.LinkRuns.push_back(run.get());
    if (!section.Id.empty())
        Document.IdList[section.Id] = &section;
}

void THtmlBuilder::ChangeFont() {
    if (CurrentSection)
        CurrentSection->ChangeFont(*Stack.TopProperties());
}

void THtmlBuilder::SetNoBreak(bool on) {
    NoBreak = on;
    if (CurrentSection)
        CurrentSection->NoBreak = on;
}

void THtmlBuilder::SetRunLink(const std::u16string& link) {
    if (!CurrentSection)
        return;
    CurrentSection->FontRuns.back()->Link = link;
}

void THtmlBuilder::EndLink() {
    if (!InLink)
        return;
    InLink = false;
    LinkTarget.clear();
    Stack.PopTagProperties(u"a");
    ChangeFont();
    SetRunLink(LinkTarget);
}

} // namespace html
