// Tables: the cells, rows and table as their attributes give them, and the grid with its
// spans expanded.
#include "html/layout/table.h"

#include "html/read/attributes.h"
#include "html/text/htmlcolors.h"
#include "html/text/htmlstrings.h"
#include "html/text/units.h"

#include <algorithm>
#include <cstdint>

namespace html {

namespace {

// Spans beyond these are taken as these; a larger grid only costs memory.
constexpr int kMaxColSpan = 1000;
constexpr int kMaxRowSpan = 65534;
// Cells and span placeholders of one table together.
constexpr std::int64_t kMaxGridCells = 200000;

bool IsPercentValue(const TAttribute& a) {
    const std::u16string t = Trim(a.Value);
    return !t.empty() && t.back() == u'%';
}

bool AttrColor(const TAttribute& a, TColor& c) {
    return ParseColor(a.Value, false, c);
}

} // namespace

int VAlignOf(std::u16string_view value, int def) {
    const std::u16string v = LowerCase(Trim(value));
    if (v == u"top" || v == u"baseline")
        return ATop;
    if (v == u"middle")
        return AMiddle;
    if (v == u"bottom")
        return ABottom;
    return def;
}

// --- TCellObj --------------------------------------------------------------------------------

TCellObj::TCellObj(TSectionList* document, TProperties& properties,
                   const TAttributeList* attributes, int verticalAlign)
    : Cell(std::make_unique<TCellObjCell>(document)), VAlign(verticalAlign) {
    if (attributes)
        for (const TAttribute& a : *attributes) {
            switch (a.Kind) {
            case symAttrColspan:
                ColSpan = a.Number > 1 ? std::min(a.Number, kMaxColSpan) : 1;
                break;
            case symAttrRowspan:
                RowSpan = a.Number > 1 ? std::min(a.Number, kMaxRowSpan) : 1;
                break;
            case symAttrWidth:
                if (IsPercentValue(a)) {
                    if (a.Number > 0) {
                        WidthSetting = std::min(a.Number, 100) * 10;
                        WidthIsPercent = true;
                    }
                } else if (a.Number > 0) {
                    WidthSetting = a.Number;
                }
                break;
            case symAttrHeight:
                if (IsPercentValue(a))
                    HeightPercent = std::clamp(a.Number, 0, 100);
                else
                    HeightSetting = std::max(a.Number, 0);
                break;
            case symAttrBgcolor: {
                TColor c = clNone;
                if (AttrColor(a, c))
                    SetBackground(c);
                break;
            }
            case symAttrHref:
                Cell->Link = a.Value;
                break;
            case symAttrTarget:
                Cell->Target = a.Value;
                break;
            default:
                break;
            }
        }
    int va = 0;
    if (properties.GetVerticalAlign(va) && (va == ATop || va == AMiddle || va == ABottom))
        VAlign = va;

    if (properties.EmHeight == 0)
        (void)properties.GetFont();
    const TPropValue& w = properties.Values[piWidth];
    if (w.IsString()) {
        const TNumberUnit n = SplitNumberUnit(w.AsString());
        if (n.HasNumber && n.Unit == u"%") {
            const int p = RoundHalfEven(n.Number);
            if (p > 0) {
                WidthSetting = std::min(p, 100) * 10;
                WidthIsPercent = true;
            }
        } else {
            const int px =
                ConvertLength(w.AsString(), false, 0, 0, properties.EmHeight, properties.ExHeight);
            if (px > 0) {
                WidthSetting = px;
                WidthIsPercent = false;
            }
        }
    }
    const TPropValue& h = properties.Values[piHeight];
    if (h.IsString()) {
        const TNumberUnit n = SplitNumberUnit(h.AsString());
        if (n.HasNumber && n.Unit == u"%")
            HeightPercent = std::clamp(RoundHalfEven(n.Number), 0, 100);
        else
            HeightSetting = std::max(0, ConvertLength(h.AsString(), false, 0, 0,
                                                      properties.EmHeight, properties.ExHeight));
    }

    TVMarginArray box;
    properties.GetBoxValues(box);
    const TMarginArray pad = ConvertCellPaddings(box, 0, properties.EmHeight, properties.ExHeight);
    // Negative: not given, or a percentage, which has no base here; the table's padding applies.
    auto padding = [&](int prop) { return pad[prop] >= 0 ? pad[prop] : -1; };
    PaddingTop = padding(html::PaddingTop);
    PaddingRight = padding(html::PaddingRight);
    PaddingBottom = padding(html::PaddingBottom);
    PaddingLeft = padding(html::PaddingLeft);
    if (properties.GetBorderStyleCode() != bssNone) {
        HasBorderStyle = true;
        const TBoxValues b = ConvertBoxValues(box, 0, 0, properties.EmHeight, properties.ExHeight);
        BorderTopWidth = b.M[html::BorderTopWidth];
        BorderRightWidth = b.M[html::BorderRightWidth];
        BorderBottomWidth = b.M[html::BorderBottomWidth];
        BorderLeftWidth = b.M[html::BorderLeftWidth];
    }
    const TColor bg = properties.GetBackgroundColor();
    if (bg != clNone && !Cell->HasBkColor)
        SetBackground(bg);
    if (!WidthIsPercent)
        WidthSetting = std::clamp(WidthSetting, 0, MaxLayoutLength);
    HeightSetting = std::clamp(HeightSetting, 0, MaxLayoutLength);
    for (int* v : {&PaddingTop, &PaddingRight, &PaddingBottom, &PaddingLeft})
        *v = std::min(*v, MaxLayoutLength); // -1 stays: not given
    for (int* v : {&BorderTopWidth, &BorderRightWidth, &BorderBottomWidth, &BorderLeftWidth})
        *v = std::clamp(*v, 0, MaxLayoutLength);
}

std::unique_ptr<TCellObj> TCellObj::Placeholder(int rowSpan, bool fromAbove) {
    std::unique_ptr<TCellObj> p(new TCellObj());
    p->ColSpan = 0;
    p->RowSpan = std::max(rowSpan, 1);
    p->FromAbove = fromAbove;
    return p;
}

void TCellObj::SetBackground(TColor c) {
    if (!Cell)
        return;
    Cell->BkColor = c;
    Cell->HasBkColor = true;
}

// --- TCellList -------------------------------------------------------------------------------

TCellList::TCellList(const TAttributeList* attributes, TProperties& properties) {
    if (attributes)
        for (const TAttribute& a : *attributes) {
            if (a.Kind == symAttrBgcolor) {
                TColor c = clNone;
                if (AttrColor(a, c)) {
                    BkColor = c;
                    HasBkColor = true;
                }
            } else if (a.Kind == symAttrValign) {
                VAlign = VAlignOf(a.Value, AMiddle);
            }
        }
    if (!HasBkColor) {
        const TColor c = properties.GetBackgroundColor();
        if (c != clNone) {
            BkColor = c;
            HasBkColor = true;
        }
    }
}

void TCellList::AddCell(std::unique_ptr<TCellObj> cell) {
    if (cell)
        Cells.push_back(std::move(cell));
}

// --- ThtmlTable ------------------------------------------------------------------------------

ThtmlTable::ThtmlTable(TSectionList* document, TProperties& properties,
                       const TAttributeList* attributes)
    : TSectionBase(document) {
    if (attributes)
        for (const TAttribute& a : *attributes) {
            TColor c = clNone;
            switch (a.Kind) {
            case symAttrBorder:
                BorderWidth = std::clamp(a.Number, 0, 100);
                break;
            case symAttrCellpadding:
                if (a.Number >= 0)
                    CellPadding = std::min(a.Number, 50);
                break;
            case symAttrCellspacing:
                if (a.Number >= -1)
                    CellSpacing = std::min(a.Number, 40);
                break;
            case symAttrBordercolor:
                if (AttrColor(a, c))
                    BorderColorLight = BorderColorDark = c;
                break;
            case symAttrBordercolorlight:
                if (AttrColor(a, c))
                    BorderColorLight = c;
                break;
            case symAttrBordercolordark:
                if (AttrColor(a, c))
                    BorderColorDark = c;
                break;
            case symAttrBgcolor:
                if (AttrColor(a, c)) {
                    BkColor = c;
                    HasBkColor = true;
                }
                break;
            default:
                break;
            }
        }
    if (properties.IsBorderCollapse())
        CellSpacing = -1;
}

ThtmlTable::~ThtmlTable() = default;

void ThtmlTable::Initialize() {
    if (Initialized)
        return;
    Initialized = true;
    const int rowCount = static_cast<int>(Rows.size());
    // Placeholders the spans may still add: a page of huge spans costs bounded memory, and the
    // spans past the budget shrink instead.
    std::int64_t budget = kMaxGridCells;
    for (auto& row : Rows)
        budget -= row->Count();
    for (int r = 0; r < rowCount; ++r) {
        TCellList& row = *Rows[r];
        bool spans = false;
        for (int i = 0; i < row.Count(); ++i) {
            TCellObj& cell = *row.Cells[i];
            if (cell.IsPlaceholder())
                continue;
            if (row.HasBkColor && !cell.Cell->HasBkColor)
                cell.SetBackground(row.BkColor);
            for (int* p :
                 {&cell.PaddingTop, &cell.PaddingRight, &cell.PaddingBottom, &cell.PaddingLeft})
                if (*p < 0)
                    *p = CellPadding;
            if (BorderWidth > 0 && !cell.HasBorderStyle)
                for (int* b : {&cell.BorderTopWidth, &cell.BorderRightWidth,
                               &cell.BorderBottomWidth, &cell.BorderLeftWidth})
                    *b = std::max(1, *b);
            cell.HorzExtra =
                cell.PaddingLeft + cell.BorderLeftWidth + cell.BorderRightWidth + cell.PaddingRight;
            cell.VertExtra =
                cell.PaddingTop + cell.BorderTopWidth + cell.BorderBottomWidth + cell.PaddingBottom;
            if (!cell.WidthIsPercent && cell.WidthSetting > 0)
                HasPixelWidths = true;
            if (!cell.Cell->HasBkColor && HasBkColor)
                cell.SetBackground(BkColor);
            cell.RowSpan = std::min(cell.RowSpan, rowCount - r);
            cell.ColSpan = static_cast<int>(std::clamp<std::int64_t>(
                std::min<std::int64_t>(cell.ColSpan - 1, budget) + 1, 1, cell.ColSpan));
            budget -= cell.ColSpan - 1;
            const std::int64_t below =
                std::min<std::int64_t>(static_cast<std::int64_t>(cell.RowSpan - 1) * cell.ColSpan,
                                       std::max<std::int64_t>(budget, 0));
            // Rows below get ColSpan placeholders for each row the cell reaches into.
            cell.RowSpan = 1 + static_cast<int>(below / cell.ColSpan);
            budget -= static_cast<std::int64_t>(cell.RowSpan - 1) * cell.ColSpan;
            spans = spans || cell.ColSpan > 1;
        }
        if (!spans)
            continue;
        // Rebuilt in one pass: inserting into the row cell by cell would be quadratic.
        std::vector<std::unique_ptr<TCellObj>> cells;
        for (auto& cell : row.Cells) {
            const int extra = cell->IsPlaceholder() ? 0 : cell->ColSpan - 1;
            const int rowSpan = cell->RowSpan;
            cells.push_back(std::move(cell));
            for (int k = 0; k < extra; ++k)
                cells.push_back(TCellObj::Placeholder(rowSpan, false));
        }
        row.Cells = std::move(cells);
    }
    auto longestRow = [this] {
        int n = 0;
        for (auto& row : Rows)
            n = std::max(n, row->Count());
        return n;
    };
    // Cells reaching into later rows leave placeholders there, column by column.
    for (int c = 0; c < longestRow(); ++c)
        for (int r = 0; r < rowCount; ++r) {
            TCellList& row = *Rows[r];
            if (c >= row.Count())
                continue;
            const TCellObj& cell = *row.Cells[c];
            if (cell.RowSpan <= 1 || cell.FromAbove)
                continue;
            for (int k = 1; k < cell.RowSpan && r + k < rowCount; ++k) {
                auto& below = Rows[r + k]->Cells;
                auto p = TCellObj::Placeholder(cell.RowSpan, true);
                if (c <= static_cast<int>(below.size()))
                    below.insert(below.begin() + c, std::move(p));
                else
                    below.push_back(std::move(p));
            }
        }
    // Columns that only spanning cells reach are dropped from the right.
    ColCount = longestRow();
    while (ColCount > 0) {
        bool empty = true;
        for (auto& row : Rows)
            if (row->Count() == ColCount && !row->Cells[ColCount - 1]->IsPlaceholder())
                empty = false;
        if (!empty)
            break;
        for (auto& row : Rows) {
            if (row->Count() != ColCount)
                continue;
            if (!row->Cells[ColCount - 1]->FromAbove)
                for (int i = ColCount - 2; i >= 0; --i) {
                    TCellObj& c = *row->Cells[i];
                    if (c.FromAbove)
                        break;
                    if (!c.IsPlaceholder()) {
                        c.ColSpan = std::max(1, c.ColSpan - 1);
                        break;
                    }
                }
            row->Cells.pop_back();
        }
        --ColCount;
    }
    ColCount = longestRow();
    Widths.assign(ColCount, 0);
    MaxWidths.assign(ColCount, 0);
    MinWidths.assign(ColCount, 0);
    Percents.assign(ColCount, 0);
}

// --- TTableBlock -----------------------------------------------------------------------------

TTableBlock::TTableBlock(TSectionList* document, int level, const TAttributeList* attributes,
                         std::unique_ptr<ThtmlTable> table, TCellBasic* ownerCell,
                         TProperties& properties)
    : TBlock(document, attributes, ownerCell, properties), Level(level) {
    if (!table)
        table = std::make_unique<ThtmlTable>(document, properties, attributes);
    Table = table.get();
    if (attributes)
        for (const TAttribute& a : *attributes) {
            switch (a.Kind) {
            case symAttrWidth:
                if (IsPercentValue(a)) {
                    if (a.Number > 0) {
                        TableWidthSetting = std::min(a.Number, 100) * 10;
                        TableWidthIsPercent = true;
                    }
                } else if (a.Number > 0) {
                    TableWidthSetting = std::min(a.Number, MaxLayoutLength);
                }
                break;
            case symAttrAlign: {
                const std::u16string v = LowerCase(Trim(a.Value));
                if (v == u"center")
                    TableAlign = taCenter;
                else if (v == u"left")
                    Float = ALeft;
                else if (v == u"right")
                    Float = ARight;
                break;
            }
            case symAttrHspace:
                HSpace = std::clamp(a.Number, 0, 40);
                break;
            case symAttrVspace:
                VSpace = std::clamp(a.Number, 0, 200);
                break;
            default:
                break;
            }
        }
    HasOuterBorder = Table->BorderWidth > 0;
    BlockCell.AddSection(std::move(table), 0);
}

// --- TTableAndCaptionBlock -------------------------------------------------------------------

TTableAndCaptionBlock::TTableAndCaptionBlock(TSectionList* document, TTableBlock* tableBlock,
                                             const TAttributeList* attributes,
                                             TCellBasic* ownerCell, TProperties& properties)
    : TBlock(document, attributes, ownerCell, properties), TableBlock(tableBlock) {}

} // namespace html