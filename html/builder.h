#pragma once
// The document builder: reads the symbols of the HTML reader into a document of text sections,
// blocks and tables, keeping one property record per open element. It never rejects a
// document: unknown tags are skipped, stray end tags ignored, misplaced content moved, and
// whatever is still open at the end of input is closed.
#include "html/read/reader.h"
#include "html/style/propstack.h"

#include <bitset>
#include <memory>
#include <string>

namespace html {

class TSectionList;
class TCellBasic;
class TSection;
class TBodyBlock;
struct TTableState;

// Reads text into document, which the caller has emptied and given its defaults. Whatever
// could be built stays; no error is reported. Returns the code page of the base record (65001
// for a text that began with the byte-order mark), which the viewer keeps.
int ParseDocument(std::u16string_view text, TSectionList& document);

using TSymbolSet = std::bitset<symCount>;
// Where the content of a table cell or caption ends: the end of table, the start and end of
// td, tr, th and caption, and the start of col and colgroup.
const TSymbolSet& CellStopSet();

class THtmlBuilder {
public:
    static constexpr int MaxTableDepth = 10;
    static constexpr int ManyLinksCount = 400;

    explicit THtmlBuilder(TSectionList& document);
    ~THtmlBuilder();
    THtmlBuilder(const THtmlBuilder&) = delete;
    THtmlBuilder& operator=(const THtmlBuilder&) = delete;

    void ParseDocument(std::u16string_view text);
    int CodePage() const { return FCodePage; }

private:
    // Document, elements and text.
    void StartDocument(std::u16string_view text);
    void CountLinks();
    void ReadBody(const TSymbolSet& stop);
    void ReadBodyTag();
    void ReadElement();
    void ReadInlineTag(bool createSection);
    void ReadFontTag();
    void ReadBreak();
    void ReadTitle();
    void ReadBlockTag();
    void ReadLink();
    void SkipContent(THtmlSymbol endSymbol);

    // Tables.
    void ReadTable();
    void ReadTableCell(TTableState& t);
    void ReadTableRow(TTableState& t);
    void ReadCaption(TTableState& t);
    void ReadColumns(TTableState& t);
    void ReadTablePart(TTableState& t);
    void ReadStrayContent(TTableState& t);
    void FinishCell(TTableState& t);
    void FinishRow(TTableState& t);
    void EndTable(TTableState& t);

    // Helpers.
    void Next();
    TProperties* Push(std::u16string_view tag, std::u16string_view pseudo = u"");
    TProperties* PushBare(std::u16string_view tag);
    void TakeInlineBackground(TProperties& record);
    void PopTo(int count);
    std::unique_ptr<TSection> NewSection(bool firstIndent, bool withLink,
                                         const TAttributeList* attributes);
    void AddCurrentSection();
    void DiscardCurrentSection();
    // A kept section's link runs and id join the document's lists.
    void RegisterSection(TSection& section);
    void ChangeFont();
    void SetNoBreak(bool on);
    // The last font run of the current section becomes part of the link (or of none).
    void SetRunLink(const std::u16string& link);
    void EndLink();
    int FontSizeIndex(const TAttribute& size) const;

    TSectionList& FDocument;
    THtmlReader FReader;
    TPropStack FStack;
    TAttributeList FNoAttributes;
    TCellBasic* FCurrentCell{nullptr};
    std::unique_ptr<TSection> FCurrentSection;
    TBodyBlock* FBodyBlock{nullptr};
    int FTableDepth{0};
    int FBaseFontSize{3};
    bool FNoBreak{false};
    bool FInLink{false};
    std::u16string FLinkTarget;
    bool FInForm{false};
    bool FInPre{false};

    int FCodePage{0};
    bool FInputEnded{false}; // the reader reported an open comment at the end
    unsigned long long FSymbols{0};
};

} // namespace html
