// Tables: rows and cells (opened implicitly where the tags are missing), content outside every
// cell, captions, column settings, table parts, and the closing of all of it.
#include "html/builder.h"
#include "html/layout/cellmanager.h"
#include "html/layout/document.h"
#include "html/layout/section.h"
#include "html/layout/table.h"
#include "html/text/htmlstrings.h"

#include <algorithm>
#include <exception>

namespace html {

struct TTableState {
    TCellBasic* Enclosing{nullptr};
    bool SavedNoBreak{false};
    std::unique_ptr<TTableBlock> Block;
    ThtmlTable* Table{nullptr};
    std::unique_ptr<TTableAndCaptionBlock> Wrapper;
    std::unique_ptr<TCellList> Row;
    std::unique_ptr<TCellObj> Cell; // the cell object made last, until its row takes it
    int TableLevel{0};              // stack index of the table record
    int RowLevel{0};                // stack index of the open row's record
    int PartLevel{-1};              // stack index of the open thead, tbody or tfoot record
    TCellList::TRowKind Part{TCellList::rkBody};
    int RowVAlign{AMiddle};
    std::vector<std::unique_ptr<TCellList>> Footer;
    std::unique_ptr<TBlock> Caption;
    bool CaptionBottom{false};
    std::unique_ptr<TCellManager> Manager;
    bool CellsSeen{false};
};

namespace {

// Column settings a hostile page could multiply without end; more are ignored.
constexpr std::size_t kMaxColSpecs = 1000;
constexpr int kMaxColSpan = 100;

int VAlignOf(const TAttributeList& attributes, int fallback) {
    const TAttribute* a = attributes.Find(symAttrValign);
    if (!a)
        return fallback;
    return html::VAlignOf(a->Value, fallback);
}

// The text-align value an align attribute gives, or empty.
std::u16string AlignValue(std::u16string_view value) {
    const std::u16string v = LowerCase(Trim(value));
    if (v == u"left" || v == u"center" || v == u"right" || v == u"justify")
        return v;
    if (v == u"middle")
        return u"center";
    return {};
}

void SetAlign(TProperties& record, std::u16string_view value) {
    const std::u16string v = AlignValue(value);
    if (!v.empty()) {
        record.SetProperty(TextAlign, v);
        record.FontCache.reset();
    }
}

bool IsSingleSpace(const TokenObj& token) {
    return token.AsString() == u" ";
}

// A column setting from the attributes of col or colgroup; span receives its repeat
// count (1 to 100) when it has one.
TColObj ColumnOf(const TAttributeList& attributes, const TColObj& defaults, int& span) {
    TColObj col = defaults;
    if (const TAttribute* w = attributes.Find(symAttrWidth)) {
        // Percentages in tenths, as cell widths hold them.
        col.IsPercent = Contains(w->Value, u"%");
        col.ColWidth = col.IsPercent ? std::clamp(w->Number, 0, 100) * 10 : std::max(w->Number, 0);
    }
    if (const TAttribute* a = attributes.Find(symAttrAlign))
        col.ColAlign = AlignValue(a->Value);
    col.ColVAlign = VAlignOf(attributes, defaults.ColVAlign);
    if (const TAttribute* s = attributes.Find(symAttrSpan))
        span = std::clamp(s->Number, 1, kMaxColSpan);
    return col;
}

} // namespace

void THtmlBuilder::ReadTable() {
    if (FTableDepth >= MaxTableDepth) {
        Next();
        return;
    }
    ++FTableDepth;
    EndLink();
    AddCurrentSection();

    TTableState t;
    t.Enclosing = FCurrentCell;
    t.SavedNoBreak = FNoBreak;
    FCurrentCell = nullptr;
    // A failure inside the table leaves the builder pointing at the enclosing cell, not at the
    // cells of a table that is being dropped.
    struct TRestore {
        THtmlBuilder& B;
        TTableState& T;
        int Uncaught{std::uncaught_exceptions()};
        ~TRestore() {
            if (std::uncaught_exceptions() > Uncaught) {
                B.FCurrentCell = T.Enclosing;
                B.FNoBreak = T.SavedNoBreak;
                --B.FTableDepth;
            }
        }
    } restore{*this, t};

    const std::u16string outerAlign =
        LowerCase(FStack.TopProperties()->Values[TextAlign].AsString());
    const int placement = outerAlign == u"center"  ? TTableBlock::taCenter
                          : outerAlign == u"right" ? TTableBlock::taRight
                                                   : TTableBlock::taNone;

    TProperties& record = *Push(u"table");
    auto table = std::make_unique<ThtmlTable>(&FDocument, record, &FReader.Attributes);
    t.Table = table.get();
    t.Block = std::make_unique<TTableBlock>(&FDocument, FTableDepth, &FReader.Attributes,
                                            std::move(table), t.Enclosing, record);
    if (t.Block->TableAlign == TTableBlock::taNone && t.Block->Float == ANone)
        t.Block->TableAlign = placement;
    t.Wrapper = std::make_unique<TTableAndCaptionBlock>(&FDocument, t.Block.get(),
                                                        &FReader.Attributes, t.Enclosing, record);
    t.TableLevel = FStack.Count() - 1;
    Next();

    for (;;) {
        const THtmlSymbol sym = FReader.Symbol;
        if (sym == symTableEnd || sym == symCaptionEnd || sym == symEndOfInput)
            break;
        switch (sym) {
        case symTd:
        case symTh:
            ReadTableCell(t);
            break;
        case symTdEnd:
        case symThEnd:
            FinishCell(t);
            Next();
            break;
        case symTr:
            ReadTableRow(t);
            break;
        case symTrEnd:
            FinishRow(t);
            Next();
            break;
        case symCaption:
            ReadCaption(t);
            break;
        case symCol:
        case symColgroup:
            ReadColumns(t);
            break;
        case symColgroupEnd:
        case symUnknownTag:
            Next();
            break;
        case symThead:
        case symTbody:
        case symTfoot:
        case symTheadEnd:
        case symTbodyEnd:
        case symTfootEnd:
            ReadTablePart(t);
            break;
        case symText:
            if (IsSingleSpace(FReader.Token))
                Next();
            else
                ReadStrayContent(t);
            break;
        default:
            ReadStrayContent(t);
            break;
        }
    }
    EndTable(t);
}

void THtmlBuilder::ReadTableCell(TTableState& t) {
    EndLink();
    if (t.Row) {
        FinishCell(t);
        PopTo(t.RowLevel + 1);
    } else {
        t.RowLevel = FStack.Count();
        TProperties& row = *PushBare(u"tr");
        t.Row = std::make_unique<TCellList>(&FNoAttributes, row);
        t.RowVAlign = AMiddle;
        if (t.Manager)
            t.Manager->NewRow();
    }
    AddCurrentSection();
    const bool isHeading = FReader.Symbol == symTh;
    TProperties& record = *Push(isHeading ? u"th" : u"td");
    int vAlign = VAlignOf(FReader.Attributes, t.RowVAlign);
    const TColObj* column = nullptr;
    if (t.Manager) {
        const int col = t.Manager->FindColumn();
        if (col < static_cast<int>(t.Table->ColSpecs.size()))
            column = &t.Table->ColSpecs[col];
    }
    if (column && !FReader.Attributes.Find(symAttrValign))
        vAlign = column->ColVAlign;
    if (const TAttribute* align = FReader.Attributes.Find(symAttrAlign))
        SetAlign(record, align->Value);
    if (column && !column->ColAlign.empty())
        SetAlign(record, column->ColAlign);
    if (LowerCase(record.Values[TextAlign].AsString()) == u"none")
        record.Values[TextAlign] = isHeading ? u"center" : u"left";

    t.Cell = std::make_unique<TCellObj>(&FDocument, record, &FReader.Attributes, vAlign);
    t.CellsSeen = true;
    FCurrentCell = t.Cell->Cell.get();
    const TAttribute* width = FReader.Attributes.Find(symAttrWidth);
    const bool pixelWidth = width && !Contains(width->Value, u"%");
    SetNoBreak(FReader.Attributes.Find(symAttrNowrap) && !pixelWidth);
    FReader.SkipSpace();
    Next();
    ReadBody(CellStopSet());
}

void THtmlBuilder::ReadTableRow(TTableState& t) {
    FinishRow(t);
    t.RowLevel = FStack.Count();
    TProperties& record = *Push(u"tr");
    if (const TAttribute* align = FReader.Attributes.Find(symAttrAlign))
        SetAlign(record, align->Value);
    t.Row = std::make_unique<TCellList>(&FReader.Attributes, record);
    t.RowVAlign = VAlignOf(FReader.Attributes, AMiddle);
    if (t.Manager)
        t.Manager->NewRow();
    Next();
}

void THtmlBuilder::FinishCell(TTableState& t) {
    if (!FCurrentCell)
        return;
    AddCurrentSection();
    if (t.Cell && FCurrentCell == t.Cell->Cell.get()) {
        FCurrentCell->ClearLastBottomMargin();
        if (t.Manager)
            t.Cell->ColSpan = t.Manager->TakeCells(t.Cell->ColSpan, t.Cell->RowSpan);
        if (t.Row)
            t.Row->AddCell(std::move(t.Cell));
        t.Cell.reset();
    }
    FCurrentCell = nullptr;
}

void THtmlBuilder::FinishRow(TTableState& t) {
    EndLink();
    if (!t.Row)
        return;
    FinishCell(t);
    t.Row->RowKind = t.Part;
    if (t.Part == TCellList::rkFoot)
        t.Footer.push_back(std::move(t.Row));
    else
        t.Table->Rows.push_back(std::move(t.Row));
    t.Row.reset();
    // An open table part keeps its record, so that every row of it inherits from it.
    PopTo(std::max(t.TableLevel, t.PartLevel) + 1);
}

void THtmlBuilder::ReadCaption(TTableState& t) {
    FinishCell(t);
    const int level = FStack.Count();
    TProperties& record = *Push(u"caption");
    if (!t.Caption)
        t.Caption = std::make_unique<TBlock>(&FDocument, &FReader.Attributes, &t.Wrapper->BlockCell,
                                             record);
    if (const TAttribute* align = FReader.Attributes.Find(symAttrAlign))
        t.CaptionBottom = SameText(Trim(align->Value), u"bottom");
    FCurrentCell = &t.Caption->BlockCell;
    Next();
    ReadBody(CellStopSet());
    AddCurrentSection();
    // The caption's own end tag ends the caption, not the table.
    if (FReader.Symbol == symCaptionEnd)
        Next();
    PopTo(level);
    FCurrentCell = nullptr;
}

void THtmlBuilder::ReadColumns(TTableState& t) {
    if (t.CellsSeen) {
        Next();
        return;
    }
    auto add = [&t](const TColObj& col, int span) {
        for (int i = 0; i < span && t.Table->ColSpecs.size() < kMaxColSpecs; ++i)
            t.Table->ColSpecs.push_back(col);
    };
    if (FReader.Symbol == symColgroup) {
        int groupSpan = 1;
        const TColObj group = ColumnOf(FReader.Attributes, TColObj{}, groupSpan);
        Next();
        // The columns of the group take its values as defaults; a group without col tags
        // stands for span columns itself.
        bool anyCol = false;
        while (FReader.Symbol == symCol ||
               (FReader.Symbol == symText && IsSingleSpace(FReader.Token))) {
            if (FReader.Symbol == symCol) {
                int span = 1;
                const TColObj col = ColumnOf(FReader.Attributes, group, span);
                add(col, span);
                anyCol = true;
            }
            Next();
        }
        if (!anyCol)
            add(group, groupSpan);
        if (FReader.Symbol == symColgroupEnd)
            Next();
    } else {
        int span = 1;
        const TColObj col = ColumnOf(FReader.Attributes, TColObj{}, span);
        add(col, span);
        Next();
    }
    if (!t.Manager) {
        t.Manager = std::make_unique<TCellManager>();
        if (t.Row)
            t.Manager->NewRow();
    }
}

void THtmlBuilder::ReadTablePart(TTableState& t) {
    const THtmlSymbol sym = FReader.Symbol;
    FinishRow(t);
    if (t.PartLevel >= 0) {
        PopTo(t.PartLevel);
        t.PartLevel = -1;
    }
    switch (sym) {
    case symThead:
        t.Part = t.Table->Rows.empty() && t.Footer.empty() ? TCellList::rkHead : TCellList::rkBody;
        break;
    case symTfoot:
        t.Part = TCellList::rkFoot;
        break;
    default:
        t.Part = TCellList::rkBody;
        break;
    }
    if (sym == symThead || sym == symTbody || sym == symTfoot) {
        t.PartLevel = FStack.Count();
        Push(sym == symThead ? u"thead" : sym == symTbody ? u"tbody" : u"tfoot");
    }
    Next();
}

void THtmlBuilder::ReadStrayContent(TTableState& t) {
    TCellBasic* saved = FCurrentCell;
    // Text the open cell already holds stays in that cell.
    AddCurrentSection();
    FCurrentCell = t.Enclosing;
    const auto before = FSymbols;
    ReadBody(CellStopSet());
    if (FSymbols == before)
        Next();
    AddCurrentSection();
    FCurrentCell = saved;
}

void THtmlBuilder::EndTable(TTableState& t) {
    EndLink();
    FinishCell(t);
    FinishRow(t);
    if (t.PartLevel >= 0)
        PopTo(t.PartLevel);
    for (auto& row : t.Footer)
        t.Table->Rows.push_back(std::move(row));
    t.Footer.clear();
    const int sourceIndex = FReader.TagStart;
    if (t.Caption) {
        TBlock* caption = t.Caption.get();
        t.Wrapper->CaptionBlock = caption;
        t.Wrapper->CaptionAtBottom = t.CaptionBottom;
        t.Block->HasCaption = true;
        TBlockCell& content = t.Wrapper->BlockCell;
        if (t.CaptionBottom) {
            content.AddSection(std::move(t.Block), sourceIndex);
            content.AddSection(std::move(t.Caption), sourceIndex);
        } else {
            content.AddSection(std::move(t.Caption), sourceIndex);
            content.AddSection(std::move(t.Block), sourceIndex);
        }
        if (t.Enclosing)
            t.Enclosing->AddSection(std::move(t.Wrapper), sourceIndex);
    } else if (t.Enclosing) {
        t.Enclosing->AddSection(std::move(t.Block), sourceIndex);
    }
    FCurrentCell = t.Enclosing;
    FStack.PopTagProperties(u"table");
    SetNoBreak(t.SavedNoBreak);
    --FTableDepth;
    Next();
}

} // namespace html
