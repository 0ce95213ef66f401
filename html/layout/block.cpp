// Block layout: the box around a content container, and the body block.
#include "html/layout/block.h"

#include "html/layout/document.h"
#include "html/layout/section.h"
#include "html/read/attributes.h"

#include <algorithm>

namespace html {

namespace {

int NoAuto(int v) {
    return v == AutoValue ? 0 : v;
}

} // namespace

// --- TCellBasic, the part that needs blocks --------------------------------------------------

void TCellBasic::ClearLastBottomMargin() {
    if (Items.empty())
        return;
    if (auto* b = dynamic_cast<TBlock*>(Items.back().get())) {
        b->DropAutoBottom = true;
        b->BlockCell.ClearLastBottomMargin();
    }
}

// --- TBlock ----------------------------------------------------------------------------------

TBlock::TBlock(TSectionList* document, const TAttributeList* attributes, TCellBasic* ownerCell,
               TProperties& properties)
    : TSectionBase(document), BlockCell(document), OwnerCell(ownerCell) {
    (void)attributes;
    properties.GetBoxValues(BoxValues);
    if (properties.EmHeight == 0)
        (void)properties.GetFont(); // measures the font, which sets the em and ex heights
    EmHeight = properties.EmHeight;
    ExHeight = properties.ExHeight;
    DisplayNone = properties.IsDisplayNone();
    VisibilityHidden = properties.GetVisibility() == 1;
    Position = properties.GetPosition();
    int f = ANone;
    if (properties.GetFloat(f))
        Float = f;
    ZIndex = properties.GetZIndex();
    Background = properties.GetBackgroundColor();
    BorderStyle = properties.GetBorderStyleCode();
}

void TBlock::ConvertMargins(int availWidth) {
    TBoxValues b = ConvertBoxValues(BoxValues, availWidth, 0, EmHeight, ExHeight);
    for (int i : {html::MarginTop, html::MarginRight, html::MarginBottom, html::MarginLeft,
                  html::PaddingTop, html::PaddingRight, html::PaddingBottom, html::PaddingLeft,
                  html::BorderTopWidth, html::BorderRightWidth, html::BorderBottomWidth,
                  html::BorderLeftWidth, html::piWidth})
        b.M[i] = ClampLayoutLength(b.M[i]);
    MarginTop = b.M[html::MarginTop];
    MarginRight = b.M[html::MarginRight];
    MarginBottom = b.M[html::MarginBottom];
    MarginLeft = b.M[html::MarginLeft];
    PaddingTop = b.M[html::PaddingTop];
    PaddingRight = b.M[html::PaddingRight];
    PaddingBottom = b.M[html::PaddingBottom];
    PaddingLeft = b.M[html::PaddingLeft];
    BorderTopWidth = b.M[html::BorderTopWidth];
    BorderRightWidth = b.M[html::BorderRightWidth];
    BorderBottomWidth = b.M[html::BorderBottomWidth];
    BorderLeftWidth = b.M[html::BorderLeftWidth];
    BorderColor = static_cast<TColor>(b.M[html::BorderColor]);
    WidthSetting = b.M[html::piWidth];
    TopAuto = b.TopAuto;
    BottomAuto = b.BottomAuto;
    // The automatic paragraph space is not kept at the end of a cell or list.
    if (BottomAuto && DropAutoBottom)
        MarginBottom = 0;
}

int TBlock::ContentWidthFor(THtmlCanvas&, int availWidth) {
    const int inner = BorderLeftWidth + PaddingLeft + PaddingRight + BorderRightWidth;
    const bool leftAuto = MarginLeft == AutoValue;
    const bool rightAuto = MarginRight == AutoValue;
    MarginLeft = NoAuto(MarginLeft);
    MarginRight = NoAuto(MarginRight);
    if (WidthSetting == AutoValue || WidthSetting < 0)
        return std::max(0, availWidth - MarginLeft - MarginRight - inner);
    // A block of a given width: auto margins take the rest.
    const int rest = availWidth - WidthSetting - inner;
    if (leftAuto && rightAuto && rest > 0)
        MarginLeft = MarginRight = rest / 2;
    else if (leftAuto && rest - MarginRight > 0)
        MarginLeft = rest - MarginRight;
    return WidthSetting;
}

void TBlock::BuildPaintList() {
    PaintList.clear();
    for (auto& e : BlockCell.Items)
        PaintList.push_back(e.get());
    std::stable_sort(PaintList.begin(), PaintList.end(),
                     [](const TSectionBase* a, const TSectionBase* b) {
                         const int za = a->ZIndex < 0 ? -1 : (a->ZIndex > 0 ? 1 : 0);
                         const int zb = b->ZIndex < 0 ? -1 : (b->ZIndex > 0 ? 1 : 0);
                         return za < zb;
                     });
}

int TBlock::Layout(THtmlCanvas& canvas, int x, int& pos, int& maxWidth, IndentManager& im,
                   int width, int availHeight, int y) {
    LayoutTop = y;
    FirstPos = pos;
    if (DisplayNone) {
        FlowHeight = PaintHeight = PosCount = 0;
        maxWidth = 0;
        InnerTop = PaintTop = FlowBottom = PaintBottom = y;
        return 0;
    }
    ConvertMargins(width);
    ContentWidth = ContentWidthFor(canvas, width);
    ContentLeft = x + LeftSide();
    ContentTop = y + TopSide();
    InnerTop = PaintTop = y + MarginTop;

    const void* oldOwner = im.Owner;
    im.Owner = this;
    const int left = im.PushLeft(ContentLeft, y);
    const int right = im.PushRight(ContentLeft + ContentWidth, y);
    int contentMax = 0;
    const int h =
        BlockCell.DoLayout(canvas, ContentLeft, pos, contentMax, im, ContentWidth,
                           std::max(0, availHeight - MarginTop - MarginBottom), ContentTop);
    im.PopRight(right);
    im.PopLeft(left);
    im.Owner = oldOwner;

    PosCount = pos - FirstPos;
    ContentBottom = std::max(ContentTop + h, BlockCell.ContentBottom);
    FlowHeight = ContentBottom + PaddingBottom + BorderBottomWidth + MarginBottom - y;
    FlowBottom = y + FlowHeight;
    PaintBottom =
        std::max(ContentBottom, BlockCell.PaintBottom) + PaddingBottom + BorderBottomWidth;
    PaintHeight = std::max(FlowHeight, PaintBottom - y);
    maxWidth = std::max(contentMax, ContentWidth) + LeftSide() + RightSide();
    if (PaintList.empty())
        BuildPaintList();
    return FlowHeight;
}

void TBlock::PaintContent(THtmlCanvas& canvas, const TRect& clip, int x) {
    if (PaintList.size() != BlockCell.Items.size())
        BuildPaintList();
    for (TSectionBase* e : PaintList)
        e->Paint(canvas, clip, x);
}

int TBlock::Paint(THtmlCanvas& canvas, const TRect& clip, int x) {
    const int below = LayoutTop + FlowHeight;
    if (DisplayNone || VisibilityHidden)
        return below;
    const int viewTop = Document ? Document->ViewTop : 0;
    if (LayoutTop + PaintHeight - viewTop < clip.Top || LayoutTop - viewTop >= clip.Bottom)
        return below;
    const TRect box{x + MarginLeft, LayoutTop + MarginTop - viewTop,
                    x + LeftSide() + ContentWidth + PaddingRight + BorderRightWidth,
                    below - MarginBottom - viewTop};
    if (Background != clNone && !box.IsEmpty())
        canvas.FillRect(box, Background);
    PaintBorder(canvas, box);
    PaintContent(canvas, clip, x + LeftSide());
    return below;
}

void TBlock::PaintBorder(THtmlCanvas& canvas, const TRect& box) {
    if (BorderStyle == bssNone || box.IsEmpty())
        return;
    const TColor c = BorderColor == clNone ? clBlack : BorderColor;
    if (BorderTopWidth > 0)
        canvas.FillRect({box.Left, box.Top, box.Right, box.Top + BorderTopWidth}, c);
    if (BorderBottomWidth > 0)
        canvas.FillRect({box.Left, box.Bottom - BorderBottomWidth, box.Right, box.Bottom}, c);
    if (BorderLeftWidth > 0)
        canvas.FillRect({box.Left, box.Top, box.Left + BorderLeftWidth, box.Bottom}, c);
    if (BorderRightWidth > 0)
        canvas.FillRect({box.Right - BorderRightWidth, box.Top, box.Right, box.Bottom}, c);
}

int TBlock::CursorAt(THtmlCanvas& canvas, int x, int y, bool& atChar, int& lineHeight, int& lineTop,
                     int& caretX) {
    if (DisplayNone)
        return -1;
    return BlockCell.CursorAt(canvas, x, y, atChar, lineHeight, lineTop, caretX);
}

int TBlock::PointOfCursor(THtmlCanvas& canvas, int pos, int& x, int& y) {
    if (DisplayNone || pos < FirstPos || pos > FirstPos + PosCount)
        return 0;
    return BlockCell.PointOfCursor(canvas, pos, x, y);
}

int TBlock::CharAt(int pos, char16_t& ch, TSection*& section) {
    if (DisplayNone || pos < FirstPos || pos >= FirstPos + PosCount)
        return 0;
    return BlockCell.CharAt(pos, ch, section);
}

void TBlock::MeasureWidths(THtmlCanvas& canvas, int& minWidth, int& maxWidth) {
    if (DisplayNone) {
        minWidth = maxWidth = 0;
        return;
    }
    ConvertMargins(0);
    BlockCell.MeasureWidths(canvas, minWidth, maxWidth);
    if (WidthSetting != AutoValue && WidthSetting > 0) {
        minWidth = std::max(minWidth, WidthSetting);
        maxWidth = std::max(minWidth, WidthSetting);
    }
    const int sides = NoAuto(MarginLeft) + BorderLeftWidth + PaddingLeft + PaddingRight +
                      BorderRightWidth + NoAuto(MarginRight);
    minWidth += sides;
    maxWidth += sides;
}

// --- TBodyBlock ------------------------------------------------------------------------------

TBodyBlock::TBodyBlock(TSectionList* document, const TAttributeList* attributes,
                       TCellBasic* ownerCell, TProperties& properties)
    : TBlock(document, attributes, ownerCell, properties) {
    if (Background != clNone && Document)
        Document->Background = Background;
}

int TBodyBlock::Layout(THtmlCanvas& canvas, int x, int& pos, int& maxWidth, IndentManager& im,
                       int width, int availHeight, int y) {
    LayoutTop = y;
    FirstPos = pos;
    ConvertMargins(width);
    MarginLeft = NoAuto(MarginLeft);
    MarginRight = NoAuto(MarginRight);
    const int l = x + LeftSide();
    ContentWidth = std::max(0, im.Width - l - MarginRight - PaddingRight - BorderRightWidth);
    InnerTop = PaintTop = y + MarginTop;

    const void* oldOwner = im.Owner;
    im.Owner = this;
    const int left = im.PushLeft(l, y);
    const int right = im.PushRight(l + ContentWidth, y);
    ContentTop = y + TopSide();
    ContentLeft = l;
    int contentMax = 0;
    BlockCell.DoLayout(canvas, l, pos, contentMax, im, ContentWidth,
                       std::max(0, availHeight - MarginTop - MarginBottom), ContentTop);

    PosCount = pos - FirstPos;
    const int c = std::max(ContentTop, BlockCell.ContentBottom);
    ContentBottom = c;
    FlowBottom = c + PaddingBottom + BorderBottomWidth + MarginBottom;
    PaintBottom = std::max(c, BlockCell.PaintBottom) + PaddingBottom + BorderBottomWidth;
    FlowHeight = PaintBottom + MarginBottom - y;
    im.PopRight(right);
    im.PopLeft(left);
    im.Owner = oldOwner;
    PaintHeight = std::max(FlowHeight, im.FloatBottom() - y);
    maxWidth = std::max(im.Width, std::max(contentMax, ContentWidth) + MarginLeft + MarginRight);
    if (PaintList.empty())
        BuildPaintList();
    return FlowHeight;
}

int TBodyBlock::Paint(THtmlCanvas& canvas, const TRect& clip, int x) {
    if (!DisplayNone && !VisibilityHidden)
        PaintContent(canvas, clip, x + LeftSide());
    return LayoutTop + FlowHeight;
}

} // namespace html
