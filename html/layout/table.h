#pragma once
// Tables: the table block, the table with its grid of rows and cells, and the cells.
#include "html/layout/block.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace html {

// The vertical alignment a VALIGN value names (top, baseline, middle, bottom), or def.
int VAlignOf(std::u16string_view value, int def);

class ThtmlTable;

// The content of a table cell.
class TCellObjCell : public TCell {
public:
    using TCell::TCell;
    TRect CellRect{};    // the cell box of the last paint, client coordinates
    std::u16string Link; // HREF of the cell
    std::u16string Target;
    TColor BkColor{clNone};
    bool HasBkColor{false};

    // Lays the content out with this cell's own indents, from x to x + width.
    int LayoutContent(THtmlCanvas& canvas, int x, int& pos, int& maxWidth, int width,
                      int availHeight, int y);
};

class TCellObj {
public:
    // verticalAlign: from the cell's VALIGN, or the row's default when it has none.
    TCellObj(TSectionList* document, TProperties& properties, const TAttributeList* attributes,
             int verticalAlign);
    // A grid place covered by a spanning cell: no content, ColSpan 0.
    static std::unique_ptr<TCellObj> Placeholder(int rowSpan, bool fromAbove);

    std::unique_ptr<TCellObjCell> Cell; // null for placeholders
    int ColSpan{1};
    int RowSpan{1};
    bool FromAbove{false}; // a placeholder for a cell of an earlier row
    int VAlign{AMiddle};   // ATop, AMiddle, ABaseline, ABottom
    int WidthSetting{0};   // pixels, or tenths of a percent with WidthIsPercent
    bool WidthIsPercent{false};
    int HeightSetting{0};
    int HeightPercent{0};
    // -1 until set by the cell's style or, at initialisation, by the table's CellPadding.
    int PaddingTop{-1}, PaddingRight{-1}, PaddingBottom{-1}, PaddingLeft{-1};
    int BorderTopWidth{0}, BorderRightWidth{0}, BorderBottomWidth{0}, BorderLeftWidth{0};
    bool HasBorderStyle{false};
    int HorzExtra{0};
    int VertExtra{0};
    int SpanWidth{0};
    int SpanHeight{0};
    int ContentHeight{0};
    int VOffset{0};

    bool IsPlaceholder() const { return ColSpan == 0 || !Cell; }
    TColor Background() const { return Cell && Cell->HasBkColor ? Cell->BkColor : clNone; }
    void SetBackground(TColor c);

private:
    TCellObj() = default;
};

// One row of a table.
class TCellList {
public:
    enum TRowKind { rkBody, rkHead, rkFoot };
    TCellList(const TAttributeList* attributes, TProperties& properties);

    std::vector<std::unique_ptr<TCellObj>> Cells;
    int RowHeight{0};
    TRowKind RowKind{rkBody};
    TColor BkColor{clNone};
    bool HasBkColor{false};
    int VAlign{AMiddle}; // handed to cells without a VALIGN of their own

    void AddCell(std::unique_ptr<TCellObj> cell);
    int Count() const { return static_cast<int>(Cells.size()); }
};

// A column's settings from COL; only carried.
struct TColObj {
    int ColWidth{0};
    bool IsPercent{false};
    std::u16string ColAlign;
    int ColVAlign{AMiddle};
};

class ThtmlTable : public TSectionBase {
public:
    ThtmlTable(TSectionList* document, TProperties& properties, const TAttributeList* attributes);
    ~ThtmlTable() override;

    std::vector<std::unique_ptr<TCellList>> Rows;
    int ColCount{0};
    int BorderWidth{0};
    int CellPadding{1};
    int CellSpacing{2};
    TColor BorderColorLight{clBtnHighlight};
    TColor BorderColorDark{clBtnShadow};
    TColor BkColor{clNone};
    bool HasBkColor{false};
    int ImposedWidth{0};
    bool HasPixelWidths{false};
    std::vector<int> Widths, MaxWidths, MinWidths, Percents;
    std::vector<int> RowHeights;
    int TableWidth{0};
    int TableHeight{0}; // a height the page asks for; 0 here
    bool Initialized{false};
    std::vector<TColObj> ColSpecs;

    int Layout(THtmlCanvas& canvas, int x, int& pos, int& maxWidth, IndentManager& im, int width,
               int availHeight, int y) override;
    int Paint(THtmlCanvas& canvas, const TRect& clip, int x) override;
    void MeasureWidths(THtmlCanvas& canvas, int& minWidth, int& maxWidth) override;
    int CursorAt(THtmlCanvas& canvas, int x, int y, bool& atChar, int& lineHeight, int& lineTop,
                 int& caretX) override;
    int PointOfCursor(THtmlCanvas& canvas, int pos, int& x, int& y) override;
    int CharAt(int pos, char16_t& ch, TSection*& section) override;
    void CollectSections(std::vector<TSection*>& list) override;
    void CopyText(int from, int to, std::u16string& out) const override;

    // The grid: spans expanded into placeholders, empty last columns dropped. Runs once.
    void Initialize();
    void ColumnWidths(THtmlCanvas& canvas, int avail, int& totalMin, int& totalMax);
    void DistributeWidths(int totalMin, int totalMax, int avail);
    void RowHeightsFor(THtmlCanvas& canvas);
    void LayoutCells(THtmlCanvas& canvas, int row, int y, int& pos, int& maxWidth);

private:
    int PaintRow(THtmlCanvas& canvas, const TRect& clip, int row, int x, int y);
    void PaintCell(THtmlCanvas& canvas, const TRect& clip, TCellObj& cell, int x, int y);
    template <typename F> void ForEachCell(F&& f);
};

class TTableBlock : public TBlock {
public:
    // Takes the table into its content cell; Table keeps referring to it.
    TTableBlock(TSectionList* document, int level, const TAttributeList* attributes,
                std::unique_ptr<ThtmlTable> table, TCellBasic* ownerCell, TProperties& properties);

    enum : int { taNone = 0, taCenter = 2, taRight = 3 };
    ThtmlTable* Table{nullptr};
    int Level;
    int TableWidthSetting{0}; // pixels, or tenths of a percent with TableWidthIsPercent
    bool TableWidthIsPercent{false};
    int TableAlign{taNone};
    int FloatShift{0};
    int HSpace{0};
    int VSpace{0};
    bool HasCaption{false};
    bool HasOuterBorder{false};

    int Layout(THtmlCanvas& canvas, int x, int& pos, int& maxWidth, IndentManager& im, int width,
               int availHeight, int y) override;
    int Paint(THtmlCanvas& canvas, const TRect& clip, int x) override;
    void MeasureWidths(THtmlCanvas& canvas, int& minWidth, int& maxWidth) override;
    int ContentWidthFor(THtmlCanvas& canvas, int availWidth) override;
    void PaintBorder(THtmlCanvas& canvas, const TRect& box) override;
};

// Wraps a table block and its caption block when a caption was read.
class TTableAndCaptionBlock : public TBlock {
public:
    TTableAndCaptionBlock(TSectionList* document, TTableBlock* tableBlock,
                          const TAttributeList* attributes, TCellBasic* ownerCell,
                          TProperties& properties);
    TTableBlock* TableBlock;       // refers; owned by BlockCell once added
    TBlock* CaptionBlock{nullptr}; // likewise
    bool CaptionAtBottom{false};
};

} // namespace html
