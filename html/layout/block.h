#pragma once
// Block-level elements: a box (margins, borders, padding) around a content container.
#include "html/layout/sectionbase.h"
#include "html/style/properties.h"

#include <vector>

namespace html {

class TAttributeList;

class TBlock : public TSectionBase {
public:
    // properties: the element's record, read once here; the box is converted at layout time,
    // when the available width is known.
    TBlock(TSectionList* document, const TAttributeList* attributes, TCellBasic* ownerCell,
           TProperties& properties);

    TBlockCell BlockCell;
    TCellBasic* OwnerCell;
    TVMarginArray BoxValues; // the box properties as the element's record held them
    int MarginTop{0}, MarginRight{0}, MarginBottom{0}, MarginLeft{0};
    int PaddingTop{0}, PaddingRight{0}, PaddingBottom{0}, PaddingLeft{0};
    int BorderTopWidth{0}, BorderRightWidth{0}, BorderBottomWidth{0}, BorderLeftWidth{0};
    int WidthSetting{AutoValue}; // the element's own width, pixels
    int EmHeight{0}, ExHeight{0};
    int BorderStyle{bssNone};
    TColor BorderColor{clNone};
    int ContentWidth{0};
    int ContentLeft{0};
    int ContentTop{0};
    int ContentBottom{0};
    bool DisplayNone{false};
    bool VisibilityHidden{false};
    int Position{0}; // 0 static, 1 absolute, 2 relative
    int Float{ANone};
    bool TopAuto{false};    // margin-top is the automatic paragraph space
    bool BottomAuto{false}; // margin-bottom likewise
    bool DropAutoBottom{false};
    std::vector<TSectionBase*> PaintList; // refers; built on the first layout
    TColor Background{clNone};

    int Layout(THtmlCanvas& canvas, int x, int& pos, int& maxWidth, IndentManager& im, int width,
               int availHeight, int y) override;
    int Paint(THtmlCanvas& canvas, const TRect& clip, int x) override;
    int CursorAt(THtmlCanvas& canvas, int x, int y, bool& atChar, int& lineHeight, int& lineTop,
                 int& caretX) override;
    int PointOfCursor(THtmlCanvas& canvas, int pos, int& x, int& y) override;
    int CharAt(int pos, char16_t& ch, TSection*& section) override;
    void MeasureWidths(THtmlCanvas& canvas, int& minWidth, int& maxWidth) override;
    void CollectSections(std::vector<TSection*>& list) override { BlockCell.CollectSections(list); }
    void CopyText(int from, int to, std::u16string& out) const override {
        BlockCell.CopyText(from, to, out);
    }

    virtual void PaintBorder(THtmlCanvas& canvas, const TRect& box);
    // The content width for the width available to the block.
    virtual int ContentWidthFor(THtmlCanvas& canvas, int availWidth);

    // Converts the box for an available width (percentages are of it).
    void ConvertMargins(int availWidth);
    int LeftSide() const { return MarginLeft + BorderLeftWidth + PaddingLeft; }
    int RightSide() const { return MarginRight + BorderRightWidth + PaddingRight; }
    int TopSide() const { return MarginTop + BorderTopWidth + PaddingTop; }
    int BottomSide() const { return MarginBottom + BorderBottomWidth + PaddingBottom; }

protected:
    void BuildPaintList();
    // Paints the content at the content origin x.
    void PaintContent(THtmlCanvas& canvas, const TRect& clip, int x);
};

// The block made for the document body; its margins come from the body's record.
class TBodyBlock : public TBlock {
public:
    TBodyBlock(TSectionList* document, const TAttributeList* attributes, TCellBasic* ownerCell,
               TProperties& properties);

    int Layout(THtmlCanvas& canvas, int x, int& pos, int& maxWidth, IndentManager& im, int width,
               int availHeight, int y) override;
    int Paint(THtmlCanvas& canvas, const TRect& clip, int x) override;
};

// A forced page break: takes no room on the screen.
class TPage : public TSectionBase {
public:
    using TSectionBase::TSectionBase;
};

} // namespace html
