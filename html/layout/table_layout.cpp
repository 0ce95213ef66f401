// Tables: column widths, row heights, cell layout, painting, and the table block around them.
#include "html/layout/table.h"

#include "html/layout/document.h"
#include "text/scopeexit.h"

#include <algorithm>
#include <map>
#include <numeric>

using namespace mkb::text;

namespace html {

namespace {

// Cell content this far outside the clip rectangle is not painted.
constexpr int kCellPaintMargin = 200;

// Counts nesting while a scope is open, also when layout is left by an exception.
auto CountScope(int* counter) {
    if (counter)
        ++*counter;
    return TScopeExit([counter] {
        if (counter)
            --*counter;
    });
}

TRect Intersect(const TRect& a, const TRect& b) {
    return {std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right),
            std::min(a.Bottom, b.Bottom)};
}

bool Meets(const TRect& a, const TRect& b) {
    return !Intersect(a, b).IsEmpty();
}

// Spreads extra over the columns [c, c + n), weighted when the weights are not all 0.
void Spread(std::vector<int>& target, int c, int n, int extra, const std::vector<int>& weights) {
    long long total = 0;
    for (int k = c; k < c + n; ++k)
        total += std::max(weights[k], 0);
    int given = 0;
    for (int k = c; k < c + n; ++k) {
        const int share =
            total > 0 ? static_cast<int>(extra * std::max(weights[k], 0) / total) : extra / n;
        target[k] += share;
        given += share;
    }
    target[c + n - 1] += extra - given;
}

} // namespace

// --- TCellObjCell ----------------------------------------------------------------------------

int TCellObjCell::LayoutContent(THtmlCanvas& canvas, int x, int& pos, int& maxWidth, int width,
                                int availHeight, int y) {
    IndentManager& im = OwnIndents;
    im.Reset();
    im.Init(0, x + width);
    im.Width = width;
    im.Owner = this;
    im.PushLeft(x, y);
    im.PushRight(x + width, y);
    const int h = DoLayout(canvas, x, pos, maxWidth, im, width, availHeight, y);
    im.Reset();
    return h;
}

// --- ThtmlTable ------------------------------------------------------------------------------

template <typename F> void ThtmlTable::ForEachCell(F&& f) {
    for (auto& row : Rows)
        for (auto& cell : row->Cells)
            if (!cell->IsPlaceholder())
                f(*cell);
}

void ThtmlTable::ColumnWidths(THtmlCanvas& canvas, int avail, int& totalMin, int& totalMax) {
    std::fill(MaxWidths.begin(), MaxWidths.end(), 0);
    std::fill(MinWidths.begin(), MinWidths.end(), 0);
    std::fill(Percents.begin(), Percents.end(), 0);
    RowHeights.clear();
    // Cells by the number of columns they span, in document order within each size; a pass
    // per size then only visits its own cells.
    std::map<int, std::vector<std::pair<TCellObj*, int>>> bySpan;
    for (auto& row : Rows)
        for (int c = 0; c < row->Count() && c < ColCount; ++c) {
            TCellObj& cell = *row->Cells[c];
            if (!cell.IsPlaceholder())
                bySpan[std::min(cell.ColSpan, ColCount - c)].push_back({&cell, c});
        }
    for (auto& [span, cells] : bySpan)
        for (auto [cellPtr, c] : cells) {
            TCellObj& cell = *cellPtr;
            int mn = 0, mx = 0;
            cell.Cell->MeasureWidths(canvas, mn, mx);
            mn += cell.HorzExtra + CellSpacing;
            mx = std::max(mx + cell.HorzExtra + CellSpacing, mn);
            int pct = 0;
            if (cell.WidthIsPercent)
                pct = cell.WidthSetting;
            else if (cell.WidthSetting > 0 && avail > 0)
                pct = static_cast<int>(
                    std::min<long long>(1000, (cell.WidthSetting * 1000LL + avail / 2) / avail));
            if (span == 1) {
                MaxWidths[c] = std::max(MaxWidths[c], mx);
                MinWidths[c] = std::max(MinWidths[c], mn);
                Percents[c] = std::max(Percents[c], pct);
                continue;
            }
            const int sumMin =
                std::accumulate(MinWidths.begin() + c, MinWidths.begin() + c + span, 0);
            const int sumMax =
                std::accumulate(MaxWidths.begin() + c, MaxWidths.begin() + c + span, 0);
            const int sumPct =
                std::accumulate(Percents.begin() + c, Percents.begin() + c + span, 0);
            const std::vector<int>& weights = sumPct > 0 ? Percents : MaxWidths;
            if (mn > sumMin)
                Spread(MinWidths, c, span, mn - sumMin, weights);
            if (mx > sumMax)
                Spread(MaxWidths, c, span, mx - sumMax, weights);
            for (int k = c; k < c + span; ++k)
                MaxWidths[k] = std::max(MaxWidths[k], MinWidths[k]);
            if (pct > sumPct)
                Spread(Percents, c, span, pct - sumPct, MaxWidths);
        }
    totalMin = std::accumulate(MinWidths.begin(), MinWidths.end(), 0);
    totalMax = std::accumulate(MaxWidths.begin(), MaxWidths.end(), 0);
}

void ThtmlTable::MeasureWidths(THtmlCanvas& canvas, int& minWidth, int& maxWidth) {
    Initialize();
    int totalMin = 0, totalMax = 0;
    ColumnWidths(canvas, ImposedWidth, totalMin, totalMax);
    minWidth = std::max(totalMin + CellSpacing, ImposedWidth);
    maxWidth = std::max(totalMax + CellSpacing, ImposedWidth);
}

void ThtmlTable::DistributeWidths(int totalMin, int totalMax, int avail) {
    Widths.assign(ColCount, 0);
    if (ColCount == 0)
        return;
    const long long room = avail - totalMin;
    for (int c = 0; c < ColCount; ++c) {
        if (totalMax == totalMin) {
            Widths[c] = MinWidths[c] + static_cast<int>(room / ColCount);
        } else {
            const long long num = static_cast<long long>(MaxWidths[c] - MinWidths[c]) * room;
            const long long den = totalMax - totalMin;
            Widths[c] = MinWidths[c] + static_cast<int>((2 * num + den) / (2 * den));
        }
    }
    const int left = avail - std::accumulate(Widths.begin(), Widths.end(), 0);
    int widest = 0;
    for (int c = 1; c < ColCount; ++c)
        if (MaxWidths[c] - MinWidths[c] > MaxWidths[widest] - MinWidths[widest])
            widest = c;
    Widths[widest] += left;
}

void ThtmlTable::RowHeightsFor(THtmlCanvas& canvas) {
    const int rowCount = static_cast<int>(Rows.size());
    std::vector<int> natural(rowCount, 0);
    // Cells by the number of rows they span, row by row and left to right within each size.
    std::map<int, std::vector<std::pair<TCellObj*, int>>> bySpan;
    for (int r = 0; r < rowCount; ++r) {
        TCellList& row = *Rows[r];
        for (int c = 0; c < row.Count() && c < ColCount; ++c) {
            TCellObj& cell = *row.Cells[c];
            if (cell.IsPlaceholder())
                continue;
            const int span = std::min(cell.ColSpan, ColCount - c);
            cell.SpanWidth = std::accumulate(Widths.begin() + c, Widths.begin() + c + span, 0);
            bySpan[std::clamp(cell.RowSpan, 1, rowCount - r)].push_back({&cell, r});
        }
    }
    if (bySpan.find(1) == bySpan.end())
        bySpan[1]; // every row gets its spacing in the first pass
    for (auto& [pass, cells] : bySpan) {
        for (auto [cellPtr, r] : cells) {
            TCellObj& cell = *cellPtr;
            int target = cell.HeightSetting;
            if (target == 0 && TableHeight > 0)
                target = cell.HeightPercent > 0 ? TableHeight * cell.HeightPercent / 100
                                                : (rowCount == 1 ? TableHeight : 0);
            int trialPos = 0, trialMax = 0;
            {
                auto trial = CountScope(Document ? &Document->TrialLayoutDepth : nullptr);
                cell.ContentHeight = cell.Cell->LayoutContent(
                    canvas, 0, trialPos, trialMax, cell.SpanWidth - cell.HorzExtra - CellSpacing,
                    std::max(0, target - cell.VertExtra), 0);
            }
            int request = cell.ContentHeight + cell.VertExtra;
            if (cell.HeightSetting > 0)
                request = std::max(request, cell.HeightSetting);
            if (pass == 1) {
                natural[r] = std::max(natural[r], request);
                continue;
            }
            const int have = std::accumulate(natural.begin() + r, natural.begin() + r + pass, 0);
            const int want = request + CellSpacing;
            if (want > have) {
                const int diff = want - have;
                for (int k = r; k < r + pass; ++k)
                    natural[k] += diff / pass;
                natural[r + pass - 1] += diff % pass;
            }
        }
        if (pass == 1)
            // A collapsed border spacing of -1 must not make an empty row negative.
            for (int& h : natural)
                h = std::max(0, h + CellSpacing);
    }
    // A height given by the page would spread its extra over the rows here.
    RowHeights = natural;
}

void ThtmlTable::LayoutCells(THtmlCanvas& canvas, int row, int y, int& pos, int& maxWidth) {
    TCellList& cells = *Rows[row];
    for (auto& p : cells.Cells) {
        TCellObj& cell = *p;
        if (cell.IsPlaceholder() || cell.Cell->Count() == 0)
            continue;
        const int d = cell.SpanHeight - cell.ContentHeight - CellSpacing - cell.VertExtra;
        cell.VOffset = cell.VAlign == ATop ? 0 : (cell.VAlign == AMiddle ? d / 2 : d);
        int cellMax = 0;
        cell.Cell->LayoutContent(
            canvas, 0, pos, cellMax, cell.SpanWidth - CellSpacing - cell.HorzExtra,
            cell.SpanHeight - cell.VertExtra - CellSpacing,
            y + CellSpacing + cell.PaddingTop + cell.BorderTopWidth + cell.VOffset);
        maxWidth = std::max(maxWidth, cellMax);
    }
}

int ThtmlTable::Layout(THtmlCanvas& canvas, int x, int& pos, int& maxWidth, IndentManager& im,
                       int width, int availHeight, int y) {
    (void)x;
    (void)width;
    (void)availHeight;
    auto nesting = CountScope(Document ? &Document->TableNestLevel : nullptr);
    LayoutTop = PaintTop = InnerTop = y;
    FirstPos = pos;
    const int avail =
        (ImposedWidth > 0 ? ImposedWidth : im.RightAt(y) - im.LeftAt(y)) - CellSpacing;
    Initialize();
    int totalMin = 0, totalMax = 0;
    ColumnWidths(canvas, avail, totalMin, totalMax);
    // Fixed and imposed widths share the proportional rule here.
    if (totalMin < avail)
        DistributeWidths(totalMin, totalMax, avail);
    else
        Widths = MinWidths;
    TableWidth = CellSpacing + std::accumulate(Widths.begin(), Widths.end(), 0);
    RowHeightsFor(canvas);

    const bool final = !Document || Document->TrialLayoutDepth == 0;
    int rowY = y;
    int cellsMax = 0;
    for (int r = 0; r < static_cast<int>(Rows.size()); ++r) {
        TCellList& row = *Rows[r];
        row.RowHeight = RowHeights[r];
        for (auto& cell : row.Cells)
            if (!cell->IsPlaceholder())
                cell->SpanHeight = std::accumulate(RowHeights.begin() + r,
                                                   RowHeights.begin() + r + cell->RowSpan, 0);
        if (final)
            LayoutCells(canvas, r, rowY, pos, cellsMax);
        rowY += row.RowHeight;
    }
    FlowHeight =
        std::max(0, std::accumulate(RowHeights.begin(), RowHeights.end(), 0) + CellSpacing);
    PaintHeight = FlowHeight;
    PosCount = pos - FirstPos;
    maxWidth = TableWidth;
    FlowBottom = PaintBottom = y + FlowHeight;
    return FlowHeight;
}

int ThtmlTable::Paint(THtmlCanvas& canvas, const TRect& clip, int x) {
    const int below = LayoutTop + FlowHeight;
    const int viewTop = Document ? Document->ViewTop : 0;
    const TRect box{x, LayoutTop - viewTop, x + std::max(TableWidth, 0), below - viewTop};
    if (!Meets(box, clip))
        return below;
    int rowY = LayoutTop;
    for (int r = 0; r < static_cast<int>(Rows.size()); ++r)
        rowY = PaintRow(canvas, clip, r, x, rowY);
    return below;
}

int ThtmlTable::PaintRow(THtmlCanvas& canvas, const TRect& clip, int row, int x, int y) {
    TCellList& cells = *Rows[row];
    const int viewTop = Document ? Document->ViewTop : 0;
    // Cells spanning rows reach below the row itself.
    int reach = cells.RowHeight;
    for (auto& cell : cells.Cells)
        if (!cell->IsPlaceholder())
            reach = std::max(reach, cell->SpanHeight);
    if (y + reach - viewTop < clip.Top || y - viewTop >= clip.Bottom)
        return y + cells.RowHeight;
    int colX = x;
    for (int c = 0; c < cells.Count(); ++c) {
        TCellObj& cell = *cells.Cells[c];
        if (!cell.IsPlaceholder())
            PaintCell(canvas, clip, cell, colX, y);
        if (c < ColCount)
            colX += Widths[c];
    }
    return y + cells.RowHeight;
}

void ThtmlTable::PaintCell(THtmlCanvas& canvas, const TRect& clip, TCellObj& cell, int x, int y) {
    const int viewTop = Document ? Document->ViewTop : 0;
    const TRect box{x + CellSpacing, y + CellSpacing - viewTop, x + cell.SpanWidth,
                    y + cell.SpanHeight - viewTop};
    cell.Cell->CellRect = box;
    if (!Meets(box, clip))
        return;
    if (cell.Cell->HasBkColor && cell.Cell->BkColor != clNone) {
        const TRect inner{box.Left + cell.BorderLeftWidth, box.Top + cell.BorderTopWidth,
                          box.Right - cell.BorderRightWidth, box.Bottom - cell.BorderBottomWidth};
        if (!inner.IsEmpty())
            canvas.FillRect(inner, cell.Cell->BkColor);
    }
    if (cell.Cell->Count() > 0 && box.Bottom >= clip.Top - kCellPaintMargin &&
        box.Top <= clip.Bottom + kCellPaintMargin) {
        // The clip handed down is the one in force; the canvas may not report one of its own.
        const TRect old = canvas.ClipRect();
        const TRect inside = Intersect(clip, box);
        canvas.SetClipRect(inside);
        cell.Cell->DoPaint(canvas, inside,
                           x + CellSpacing + cell.PaddingLeft + cell.BorderLeftWidth);
        canvas.SetClipRect(old);
    }
    if (cell.BorderTopWidth > 0)
        canvas.FillRect({box.Left, box.Top, box.Right, box.Top + cell.BorderTopWidth},
                        BorderColorDark);
    if (cell.BorderLeftWidth > 0)
        canvas.FillRect({box.Left, box.Top, box.Left + cell.BorderLeftWidth, box.Bottom},
                        BorderColorDark);
    if (cell.BorderBottomWidth > 0)
        canvas.FillRect({box.Left, box.Bottom - cell.BorderBottomWidth, box.Right, box.Bottom},
                        BorderColorLight);
    if (cell.BorderRightWidth > 0)
        canvas.FillRect({box.Right - cell.BorderRightWidth, box.Top, box.Right, box.Bottom},
                        BorderColorLight);
}

int ThtmlTable::CursorAt(THtmlCanvas& canvas, int x, int y, bool& atChar, int& lineHeight,
                         int& lineTop, int& caretX) {
    if (y < LayoutTop || y >= LayoutTop + FlowHeight)
        return -1;
    // Only cells whose rows hold y are asked: a section takes a point above its first line
    // as its own, which would let a later row answer for this one.
    int rowTop = LayoutTop;
    for (auto& row : Rows) {
        for (auto& cell : row->Cells)
            if (!cell->IsPlaceholder() && y >= rowTop && y < rowTop + cell->SpanHeight) {
                const int r =
                    cell->Cell->CursorAt(canvas, x, y, atChar, lineHeight, lineTop, caretX);
                if (r >= 0)
                    return r;
            }
        rowTop += row->RowHeight;
    }
    return -1;
}

int ThtmlTable::PointOfCursor(THtmlCanvas& canvas, int pos, int& x, int& y) {
    if (pos < FirstPos || pos > FirstPos + PosCount)
        return 0;
    for (auto& row : Rows)
        for (auto& cell : row->Cells)
            if (!cell->IsPlaceholder() && cell->Cell->PointOfCursor(canvas, pos, x, y))
                return 1;
    return 0;
}

int ThtmlTable::CharAt(int pos, char16_t& ch, TSection*& section) {
    if (pos < FirstPos || pos >= FirstPos + PosCount)
        return 0;
    for (auto& row : Rows)
        for (auto& cell : row->Cells)
            if (!cell->IsPlaceholder() && cell->Cell->CharAt(pos, ch, section))
                return 1;
    return 0;
}

void ThtmlTable::CollectSections(std::vector<TSection*>& list) {
    ForEachCell([&](TCellObj& c) { c.Cell->CollectSections(list); });
}

void ThtmlTable::CopyText(int from, int to, std::u16string& out) const {
    // Row by row, each cell's text on lines of its own.
    for (const auto& row : Rows)
        for (const auto& cell : row->Cells)
            if (!cell->IsPlaceholder())
                cell->Cell->CopyText(from, to, out);
}

// --- TTableBlock -----------------------------------------------------------------------------

int TTableBlock::ContentWidthFor(THtmlCanvas& canvas, int availWidth) {
    if (MarginLeft == AutoValue)
        MarginLeft = 0;
    if (MarginRight == AutoValue)
        MarginRight = 0;
    Table->ImposedWidth = 0;
    const int sides =
        MarginLeft + MarginRight + PaddingLeft + PaddingRight + BorderLeftWidth + BorderRightWidth;
    int mn = 0, mx = 0;
    Table->MeasureWidths(canvas, mn, mx);
    int w = 0;
    if (TableWidthSetting == 0) {
        const int room = availWidth - sides;
        w = room < mx ? std::max(mn, room) : mx;
    } else {
        const int wanted =
            TableWidthIsPercent
                ? static_cast<int>(static_cast<long long>(availWidth) * TableWidthSetting / 1000) -
                      sides
                : TableWidthSetting;
        w = std::max(mn, wanted);
        Table->ImposedWidth = w;
    }
    const bool right = TableAlign == taRight || Float == ARight;
    if ((TableAlign == taCenter || right) && MarginLeft == 0 && MarginRight == 0) {
        const int rest = availWidth - w - sides;
        if (rest > 0)
            MarginLeft = right ? rest : rest / 2;
    }
    return w;
}

int TTableBlock::Layout(THtmlCanvas& canvas, int x, int& pos, int& maxWidth, IndentManager& im,
                        int width, int availHeight, int y) {
    // Floats at this Y narrow the room from either side.
    const int left = std::max(x, im.LeftAt(y));
    const int right = std::min(x + width, im.RightAt(y));
    FloatShift = left - x;
    return TBlock::Layout(canvas, left, pos, maxWidth, im, std::max(0, right - left), availHeight,
                          y);
}

int TTableBlock::Paint(THtmlCanvas& canvas, const TRect& clip, int x) {
    return TBlock::Paint(canvas, clip, x + FloatShift);
}

void TTableBlock::MeasureWidths(THtmlCanvas& canvas, int& minWidth, int& maxWidth) {
    ConvertMargins(0);
    Table->ImposedWidth = 0;
    Table->MeasureWidths(canvas, minWidth, maxWidth);
    if (TableWidthSetting > 0 && !TableWidthIsPercent) {
        minWidth = std::max(minWidth, TableWidthSetting);
        maxWidth = std::max(minWidth, TableWidthSetting);
    }
    const int sides = (MarginLeft == AutoValue ? 0 : MarginLeft) +
                      (MarginRight == AutoValue ? 0 : MarginRight) + PaddingLeft + PaddingRight +
                      BorderLeftWidth + BorderRightWidth;
    minWidth += sides;
    maxWidth += sides;
}

void TTableBlock::PaintBorder(THtmlCanvas& canvas, const TRect& box) {
    const int b = Table->BorderWidth;
    if (b <= 0) {
        TBlock::PaintBorder(canvas, box);
        return;
    }
    // A raised frame around the table itself.
    const int viewTop = Document ? Document->ViewTop : 0;
    const int left = box.Left + BorderLeftWidth + PaddingLeft;
    const TRect t{left, Table->LayoutTop - viewTop, left + Table->TableWidth,
                  Table->LayoutTop + Table->FlowHeight - viewTop};
    if (t.IsEmpty())
        return;
    canvas.FillRect({t.Left, t.Top, t.Right, t.Top + b}, Table->BorderColorLight);
    canvas.FillRect({t.Left, t.Top, t.Left + b, t.Bottom}, Table->BorderColorLight);
    canvas.FillRect({t.Left, t.Bottom - b, t.Right, t.Bottom}, Table->BorderColorDark);
    canvas.FillRect({t.Right - b, t.Top, t.Right, t.Bottom}, Table->BorderColorDark);
}

} // namespace html
