// Painting: the paint properties, row geometry, the paint cycle with its row bitmap, lines,
// buttons, images, the selection wash, the focus frame and the fixed background picture.
#include "platform/colors.h"
#include "tree/basetree.h"
#include "tree/tree_internal.h"
#include <algorithm>

using namespace mkb::text;

using namespace tree_detail;

namespace {

constexpr TColor ButtonKeyColor = RGBColor(255, 0, 255);

TRect Intersect(const TRect& a, const TRect& b) {
    TRect r{std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right),
            std::min(a.Bottom, b.Bottom)};
    return r.IsEmpty() ? TRect{} : r;
}

} // namespace

// ---- properties ------------------------------------------------------------------------------

void TBaseVirtualTree::SetColor(TColor value) {
    if (FAppearance.SetColor(value))
        Invalidate();
}

void TBaseVirtualTree::SetFont(const TFontSpec& font, TColor color) {
    FAppearance.SetFont(font, color);
    ResetAllNodeCaches();
    UpdateScrollBars(true);
    Invalidate();
}

const std::shared_ptr<const TPlatformFont>& TBaseVirtualTree::PlatformFont() const {
    return FAppearance.PlatformFont();
}

void TBaseVirtualTree::SetImages(TImageList* images) {
    if (!FAppearance.SetImages(images))
        return;
    UpdateScrollBars(true);
    Invalidate();
}

void TBaseVirtualTree::SetColors(const TVTColors& colors) {
    if (FAppearance.SetColors(colors))
        Invalidate();
}

void TBaseVirtualTree::SetLineStyle(TVTLineStyle value) {
    if (FAppearance.SetLineStyle(value))
        Invalidate();
}

void TBaseVirtualTree::SetCustomLinePattern(const TPattern8x8& pattern) {
    FAppearance.SetCustomLinePattern(pattern);
    Invalidate();
}

void TBaseVirtualTree::SetButtonFillMode(TVTButtonFillMode value) {
    if (FAppearance.SetButtonFillMode(value))
        Invalidate();
}

void TBaseVirtualTree::SetNodeAlignment(TVTNodeAlignment value) {
    if (FAppearance.SetNodeAlignment(value))
        Invalidate();
}

void TBaseVirtualTree::SetAlignment(TAlignment value) {
    if (FAppearance.SetAlignment(value))
        Invalidate();
}

void TBaseVirtualTree::SetBiDiMode(TBiDiMode value) {
    if (FAppearance.SetBiDiMode(value))
        Invalidate();
}

void TBaseVirtualTree::SetDrawSelectionMode(TVTDrawSelectionMode value) {
    if (FAppearance.SetDrawSelectionMode(value))
        Invalidate();
}

void TBaseVirtualTree::SetSelectionBlendFactor(int value) {
    if (FAppearance.SetSelectionBlendFactor(value))
        Invalidate();
}

void TBaseVirtualTree::SetSelectionCurveRadius(int value) {
    if (FAppearance.SetSelectionCurveRadius(value))
        Invalidate();
}

void TBaseVirtualTree::SetBackground(const TBitmap& picture) {
    FAppearance.SetBackground(picture);
    Invalidate();
}

void TBaseVirtualTree::SetBackgroundOffsetX(int value) {
    if (FAppearance.SetBackgroundOffsetX(value))
        Invalidate();
}

void TBaseVirtualTree::SetBackgroundOffsetY(int value) {
    if (FAppearance.SetBackgroundOffsetY(value))
        Invalidate();
}

void TBaseVirtualTree::SetBlendingAvailable(bool value) {
    if (FAppearance.SetBlendingAvailable(value))
        Invalidate();
}

void TBaseVirtualTree::SetDropTarget(PVirtualNode node, TDropMode mode) {
    if (node == FRoot)
        node = nullptr;
    if (node == DropTargetNode() && mode == LastDropMode())
        return;
    InvalidateNode(DropTargetNode());
    FInput.SetDropTarget(node, mode);
    InvalidateNode(DropTargetNode());
}

void TBaseVirtualTree::ResetAllNodeCaches() {
    // Every node, collapsed subtrees included: they are measured again when shown.
    PVirtualNode n = FRoot->FirstChild;
    while (n != nullptr) {
        ResetNodeCaches(n);
        if (n->FirstChild != nullptr) {
            n = n->FirstChild;
            continue;
        }
        while (n != nullptr && n != FRoot && n->NextSibling == nullptr)
            n = n->Parent;
        n = (n == nullptr || n == FRoot) ? nullptr : n->NextSibling;
    }
}

const TBitmap& TBaseVirtualTree::PlusButton() {
    return FAppearance.PlusButton();
}

const TBitmap& TBaseVirtualTree::MinusButton() {
    return FAppearance.MinusButton();
}

// ---- paint cycle -----------------------------------------------------------------------------

bool TBaseVirtualTree::UseBlendedSelection() const {
    return FAppearance.BlendingAvailable() && FOptions.PaintOptions.Contains(toUseBlendedSelection);
}

bool TBaseVirtualTree::TextHighlighted(PVirtualNode node) const {
    if (node == DropTargetNode() && node != nullptr &&
        (LastDropMode() == dmOnNode || node->States.Contains(nsSelected)))
        return true;
    const auto& po = FOptions.PaintOptions;
    const bool focused = Focused() || po.Contains(toPopupMode);
    const bool drawSelection =
        !(po.Contains(toAlwaysHideSelection) || (po.Contains(toHideSelection) && !Focused()));
    return drawSelection && node->States.Contains(nsSelected) && focused;
}

TColor TBaseVirtualTree::HighlightTextColor(PVirtualNode node, TColor otherwise) const {
    const bool dropTarget = node != nullptr && node == DropTargetNode();
    TColor under = ColorToRGB(dropTarget ? FAppearance.Colors().DropTargetColor
                                         : FAppearance.Colors().FocusedSelectionColor);
    if (UseBlendedSelection()) {
        // The wash over the tree's colour, as WashRect blends it.
        const TColor base = ColorToRGB(Color());
        const int a = FAppearance.SelectionBlendFactor();
        auto mix = [a](int old, int c) { return std::min(255, (old * (256 - a) + c * a) >> 8); };
        under =
            RGBColor(mix(GetRValue(base), GetRValue(under)), mix(GetGValue(base), GetGValue(under)),
                     mix(GetBValue(base), GetBValue(under)));
    }
    return ReadableTextColor(clHighlightText, under, otherwise);
}

bool TBaseVirtualTree::NodeDisabledLook(PVirtualNode node) const {
    return node->States.Contains(nsDisabled) || !Enabled();
}

// What one paint cycle paints where, and how.
struct TBaseVirtualTree::TPaintCycle {
    TCanvas& Canvas;
    TRect Window; // content coordinates
    TPoint Target;
    TVTInternalPaintOptions Options;
    bool UseBackground;
    bool DrawSelection;
    bool DrawFocus;
    int ContentWidth;
};

void TBaseVirtualTree::RenderContent(TCanvas& canvas, const TRect& window, TPoint target,
                                     TVTInternalPaintOptions options, TPixelFormat format) {
    if (FStates.Contains(tsPainting))
        return;
    FStates.Include(tsPainting);
    TScopeExit leave([this] { FStates.Exclude(tsPainting); });
    if (OnBeforePaint)
        OnBeforePaint(this, canvas);
    if (window.IsEmpty()) {
        if (OnAfterPaint)
            OnAfterPaint(this, canvas);
        return;
    }
    // The row bitmap is 32-bit here whatever the device: blending needs direct pixel access.
    (void)format;
    const auto& po = FOptions.PaintOptions;
    const TPaintCycle cycle{
        canvas,
        window,
        target,
        options,
        po.Contains(toShowBackground) && options.Contains(poBackground) &&
            !FAppearance.Background().Empty(),
        !(po.Contains(toAlwaysHideSelection) || (po.Contains(toHideSelection) && !Focused())) &&
            options.Contains(poDrawSelection),
        !po.Contains(toHideFocusRect) && options.Contains(poDrawFocusRect),
        ContentWidth(),
    };

    int runningTop = window.Top;
    PVirtualNode start = nullptr;
    if (window.Top >= 0) {
        int top = 0;
        start = GetNodeAt(window.Top, false, &top);
        if (start != nullptr)
            runningTop = top;
    } else if (PVirtualNode first = GetFirstVisibleNoInit()) {
        // Above the content: the first row starts at 0, the space above it is background.
        start = first;
        runningTop = 0;
        TBitmap& gap = FRowBitmap;
        gap.SetPixelRatio(canvas.PixelRatio());
        gap.SetSize(window.Width(), -window.Top);
        TCanvas& gc = gap.Canvas();
        gc.SetWindowOrigin({window.Left, 0});
        gc.FillRect({window.Left, 0, window.Right, -window.Top}, FAppearance.Color());
        canvas.Draw(target.X, target.Y, gap);
    }

    std::int64_t walkTop = runningTop;
    WalkVisibleRows(start, walkTop, [&](PVirtualNode node, std::int64_t rowTop) {
        runningTop = static_cast<int>(rowTop);
        if (runningTop >= window.Bottom)
            return false;
        if (!node->States.Contains(nsInitialized)) {
            TNodeWatch watch(*this, node);
            InitNode(node);
            if (watch.Node == nullptr)
                return false; // the init handler took the node away; the next cycle paints anew
        }
        const int height = node->NodeHeight;
        if (height > 0)
            PaintRow(cycle, node, runningTop);
        runningTop += height;
        return true;
    });

    if (runningTop < window.Bottom)
        PaintBelowRows(cycle, runningTop);
    if (OnAfterPaint)
        OnAfterPaint(this, canvas);
}

void TBaseVirtualTree::PaintRow(const TPaintCycle& cycle, PVirtualNode node, int rowTop) {
    const TRect& window = cycle.Window;
    const int width = window.Width();
    const int height = node->NodeHeight;
    TBitmap& bm = FRowBitmap;
    bm.SetPixelRatio(cycle.Canvas.PixelRatio());
    if (bm.Width() != width || bm.Height() != height)
        bm.SetSize(width, height);
    TCanvas& rc = bm.Canvas();
    rc.ResetClip();
    rc.SetWindowOrigin({window.Left, 0});
    rc.SetBrushOrigin({window.Left % 2, rowTop % 2});

    const auto& po = FOptions.PaintOptions;
    TVTPaintInfo info;
    info.Canvas = &rc;
    info.PaintOptions = cycle.Options;
    info.Node = node;
    info.Column = NoColumn;
    info.CellRect = {0, 0, cycle.ContentWidth, height};
    info.Alignment = FAppearance.Alignment();
    info.BidiMode = FAppearance.BiDiMode();
    info.IndentSteps = NodeIndentSteps(node);
    if (po.Contains(toShowTreeLines))
        info.LineImage = GetLineImage(node);
    info.VerticalAnchor = VerticalAnchor(node);
    info.RowTop = rowTop;

    bool customDraw = false;
    if (OnBeforeItemPaint)
        OnBeforeItemPaint(this, rc, node, info.CellRect, customDraw);
    if (!customDraw) {
        PaintRowBackground(rc, node, info.CellRect, window, rowTop + FOffsetY, cycle.UseBackground);
        PaintCell(info, window, cycle.DrawSelection, cycle.DrawFocus);
        if (OnAfterItemPaint)
            OnAfterItemPaint(this, rc, node, info.CellRect);
    }
    if (node == DropTargetNode() && po.Contains(toShowDropmark) &&
        cycle.Options.Contains(poDrawDropMark))
        PaintDropMark(rc, info.CellRect);

    // Only the part of the row inside the window reaches the canvas.
    const int srcTop = std::max(0, window.Top - rowTop);
    const int srcBottom = std::min(height, window.Bottom - rowTop);
    if (srcBottom > srcTop)
        cycle.Canvas.Draw(cycle.Target.X, cycle.Target.Y + rowTop - window.Top + srcTop, bm,
                          {0, srcTop, width, srcBottom});
}

void TBaseVirtualTree::PaintBelowRows(const TPaintCycle& cycle, int top) {
    const TRect& window = cycle.Window;
    const int height = window.Bottom - top;
    TBitmap& bm = FRowBitmap;
    bm.SetPixelRatio(cycle.Canvas.PixelRatio());
    bm.SetSize(window.Width(), height);
    TCanvas& rc = bm.Canvas();
    rc.ResetClip();
    rc.SetWindowOrigin({window.Left, 0});
    rc.SetBrushOrigin({window.Left % 2, top % 2});
    const TRect r{window.Left, 0, window.Right, height};
    bool handled = false;
    if (OnPaintBackground)
        OnPaintBackground(this, rc, r, handled);
    if (!handled) {
        if (cycle.UseBackground)
            PaintStaticBackground(rc, r, {window.Left + FOffsetX, top + FOffsetY});
        else
            rc.FillRect(r, FAppearance.Color());
    }
    cycle.Canvas.Draw(cycle.Target.X, cycle.Target.Y + top - window.Top, bm);
}

void TBaseVirtualTree::PaintStaticBackground(TCanvas& canvas, const TRect& r, TPoint clientPos) {
    canvas.FillRect(r, FAppearance.Color());
    const TRect picture{FAppearance.BackgroundOffsetX(), FAppearance.BackgroundOffsetY(),
                        FAppearance.BackgroundOffsetX() + FAppearance.Background().Width(),
                        FAppearance.BackgroundOffsetY() + FAppearance.Background().Height()};
    const TRect client{clientPos.X, clientPos.Y, clientPos.X + r.Width(), clientPos.Y + r.Height()};
    const TRect i = Intersect(picture, client);
    if (i.IsEmpty())
        return;
    canvas.Draw(r.Left + (i.Left - client.Left), r.Top + (i.Top - client.Top),
                FAppearance.Background(),
                {i.Left - picture.Left, i.Top - picture.Top, i.Right - picture.Left,
                 i.Bottom - picture.Top});
}

void TBaseVirtualTree::PaintRowBackground(TCanvas& canvas, PVirtualNode node, const TRect& rowRect,
                                          const TRect& window, int clientTop, bool useBackground) {
    TColor itemColor = FAppearance.Color();
    TItemEraseAction action = eaDefault;
    if (OnBeforeItemErase)
        OnBeforeItemErase(this, canvas, node, rowRect, itemColor, action);
    // The row as far as the bitmap reaches.
    const TRect row{window.Left, 0, window.Right, rowRect.Bottom};
    const auto& po = FOptions.PaintOptions;
    if (action == eaColor) {
        canvas.FillRect(row, itemColor);
    } else if (action == eaDefault) {
        if (useBackground) {
            PaintStaticBackground(canvas, row, {window.Left + FOffsetX, clientTop});
        } else {
            canvas.FillRect(row, FAppearance.Color());
            const bool drawSelection = !(po.Contains(toAlwaysHideSelection) ||
                                         (po.Contains(toHideSelection) && !Focused()));
            if (FOptions.SelectionOptions.Contains(toFullRowSelect) && drawSelection &&
                node->States.Contains(nsSelected) && !UseBlendedSelection() &&
                !po.Contains(toUseExplorerTheme)) {
                const bool focused = Focused() || po.Contains(toPopupMode);
                canvas.SetBrushColor(focused ? FAppearance.Colors().FocusedSelectionColor
                                             : FAppearance.Colors().UnfocusedSelectionColor);
                canvas.SetPenColor(focused ? FAppearance.Colors().FocusedSelectionBorderColor
                                           : FAppearance.Colors().UnfocusedSelectionBorderColor);
                TRect r = rowRect;
                if (po.Contains(toShowHorzGridLines))
                    --r.Bottom;
                canvas.RoundRect(r, FAppearance.SelectionCurveRadius());
            }
        }
    }
    if (OnAfterItemErase)
        OnAfterItemErase(this, canvas, node, rowRect);
}

void TBaseVirtualTree::PaintCell(TVTPaintInfo& info, const TRect& window, bool drawSelection,
                                 bool drawFocus) {
    PVirtualNode node = info.Node;
    const auto& po = FOptions.PaintOptions;
    info.NodeWidth = GetNodeContentWidth(node, info.Column);
    info.ContentRect = info.CellRect;
    info.ContentRect.Left += FAppearance.Margin();

    TVTImageInfo& normal = info.ImageInfo[static_cast<int>(iiNormal)];
    {
        bool ghosted = false;
        TImageList* list = nullptr;
        const int index = AskImageIndex(
            node, node->States.Contains(nsSelected) ? ikSelected : ikNormal, ghosted, list);
        if (list != nullptr && index >= 0) {
            normal.Index = index;
            normal.Ghosted = ghosted;
            normal.Images = list;
            normal.XPos = info.ContentRect.Left;
            normal.YPos = info.VerticalAnchor - list->Height() / 2;
            info.ContentRect.Left += list->Width() + 2;
            bool overlayGhosted = false;
            TImageList* overlayList = list;
            TVTImageInfo& overlay = info.ImageInfo[static_cast<int>(iiOverlay)];
            overlay.Index = AskImageIndex(node, ikOverlay, overlayGhosted, overlayList);
            overlay.Images = overlayList;
        }
    }
    const int indent = FAppearance.Indent() * info.IndentSteps;
    info.ContentRect.Left += indent;
    normal.XPos += indent;

    PrepareCell(info, window, drawSelection, drawFocus);
    if (po.Contains(toShowTreeLines))
        PaintTreeLines(info);
    if (po.Contains(toShowButtons) && node->States.Contains(nsHasChildren) &&
        !(node->States.Contains(nsNoVisibleChildren) &&
          FOptions.AutoOptions.Contains(toAutoHideButtons)))
        PaintNodeButton(info);
    if (normal.Index >= 0)
        PaintNodeImage(info);
    DoPaintNode(info);
    if (OnAfterCellPaint)
        OnAfterCellPaint(this, *info.Canvas, node, info.Column, info.CellRect);
}

void TBaseVirtualTree::PrepareCell(TVTPaintInfo& info, const TRect& window, bool drawSelection,
                                   bool drawFocus) {
    TCanvas& canvas = *info.Canvas;
    PVirtualNode node = info.Node;
    const auto& po = FOptions.PaintOptions;
    const auto& so = FOptions.SelectionOptions;
    if (OnBeforeCellPaint)
        OnBeforeCellPaint(this, canvas, node, info.Column, cpmPaint, info.CellRect,
                          info.ContentRect);
    TRect inner = info.ContentRect;
    if (!FOptions.MiscOptions.Contains(toGridExtensions)) {
        switch (info.Alignment) {
        case taLeftJustify:
            if (inner.Left + info.NodeWidth < inner.Right)
                inner.Right = inner.Left + info.NodeWidth;
            break;
        case taRightJustify:
            if (inner.Right - info.NodeWidth > inner.Left)
                inner.Left = inner.Right - info.NodeWidth;
            break;
        case taCenter:
            inner.Left = (inner.Left + inner.Right - info.NodeWidth) / 2;
            inner.Right = inner.Left + info.NodeWidth;
            break;
        }
    }
    const bool focused = Focused() || po.Contains(toPopupMode);
    const bool selected = node->States.Contains(nsSelected);
    if (drawSelection && (info.Column == FFocusedColumn || so.Contains(toFullRowSelect))) {
        TColor fill = clNone, border = clNone;
        if (node == DropTargetNode() && (LastDropMode() == dmOnNode || selected)) {
            fill = FAppearance.Colors().DropTargetColor;
            border = FAppearance.Colors().DropTargetBorderColor;
        } else if (selected) {
            fill = focused ? FAppearance.Colors().FocusedSelectionColor
                           : FAppearance.Colors().UnfocusedSelectionColor;
            border = focused ? FAppearance.Colors().FocusedSelectionBorderColor
                             : FAppearance.Colors().UnfocusedSelectionBorderColor;
        }
        if (fill != clNone) {
            if (so.Contains(toFullRowSelect) || FOptions.MiscOptions.Contains(toGridExtensions))
                inner = info.CellRect;
            if (!inner.IsEmpty()) {
                if (UseBlendedSelection()) {
                    const TRect r{inner.Left - window.Left, inner.Top, inner.Right - window.Left,
                                  inner.Bottom};
                    WashRect(FRowBitmap, r, fill, FAppearance.SelectionBlendFactor());
                } else {
                    canvas.SetBrushColor(fill);
                    canvas.SetPenColor(border);
                    canvas.RoundRect(inner, FAppearance.SelectionCurveRadius());
                }
            }
        }
    }
    if (drawFocus && focused && node == FFocusedNode && info.Column == FFocusedColumn) {
        const TColor oldText = canvas.TextColor(), oldBk = canvas.BkColor();
        canvas.SetTextColor(clWhite);
        canvas.SetBkColor(clBlack);
        canvas.DrawFocusRect(inner);
        canvas.SetTextColor(oldText);
        canvas.SetBkColor(oldBk);
    }
}

void TBaseVirtualTree::WashRect(TBitmap& bitmap, const TRect& r, TColor color, int alpha) {
    const TRect c = bitmap.DeviceRect(Intersect(r, {0, 0, bitmap.Width(), bitmap.Height()}));
    if (c.IsEmpty())
        return;
    const TColor rgb = ColorToRGB(color);
    // Blue, green, red and the unused fourth byte, which is left opaque (see below).
    const std::uint16_t cb[3] = {static_cast<std::uint16_t>(GetBValue(rgb)),
                                 static_cast<std::uint16_t>(GetGValue(rgb)),
                                 static_cast<std::uint16_t>(GetRValue(rgb))};
    const std::uint16_t a = static_cast<std::uint16_t>(alpha);
    const std::uint16_t na = static_cast<std::uint16_t>(256 - alpha);
    for (int y = c.Top; y < c.Bottom; ++y) {
        TPixel* row = bitmap.ScanLine(y);
        for (int x = c.Left; x < c.Right; ++x) {
            TPixel p = row[x];
            TPixel out = 0xFF000000u; // the toolkit's 32-bit format keeps this byte at 0xFF
            for (int b = 0; b < 3; ++b) {
                const std::uint16_t old = static_cast<std::uint16_t>((p >> (8 * b)) & 0xFF);
                const std::uint16_t v = static_cast<std::uint16_t>(
                    static_cast<std::uint16_t>(old * na + cb[b] * a) >> 8);
                out |= static_cast<TPixel>(std::min<std::uint16_t>(v, 255)) << (8 * b);
            }
            row[x] = out;
        }
    }
}

void TBaseVirtualTree::PaintTreeLines(TVTPaintInfo& info) {
    TCanvas& canvas = *info.Canvas;
    const int h = info.CellRect.Height();
    const int top = info.CellRect.Top;
    const int y = top + info.VerticalAnchor;
    const TColor lineColor = FAppearance.Colors().TreeLineColor;
    auto vertical = [&](int x, int y1, int y2) {
        canvas.FillPattern({x, y1, x + 1, y2 + 1}, FAppearance.LinePattern(), lineColor,
                           FAppearance.Color());
    };
    auto horizontal = [&](int x1, int x2, int yy) {
        canvas.FillPattern({x1, yy, x2 + 1, yy + 1}, FAppearance.LinePattern(), lineColor,
                           FAppearance.Color());
    };
    for (std::size_t i = 0; i < info.LineImage.size(); ++i) {
        const int x0 = info.CellRect.Left + static_cast<int>(i) * FAppearance.Indent();
        const int cx = x0 + FAppearance.Indent() / 2;
        const int xr = x0 + FAppearance.Indent();
        switch (info.LineImage[i]) {
        case ltNone:
            break;
        case ltTopDown:
            vertical(cx, top, top + h);
            break;
        case ltTopDownRight:
            vertical(cx, top, top + h);
            horizontal(cx, xr, y);
            break;
        case ltTopRight:
            vertical(cx, top, y);
            horizontal(cx, xr, y);
            break;
        case ltBottomRight:
            vertical(cx, y, top + h);
            horizontal(cx, xr, y);
            break;
        case ltRight:
            horizontal(cx, xr, y);
            break;
        case ltLeft:
            vertical(x0, top, top + h);
            break;
        case ltLeftBottom:
            vertical(x0, top, top + h);
            horizontal(x0, xr, top + h - 1);
            break;
        }
    }
}

void TBaseVirtualTree::PaintNodeButton(TVTPaintInfo& info) {
    if (info.IndentSteps <= 0)
        return;
    const TRowGeometry g = RowGeometry();
    const TBitmap& button = IsExpandedNode(info.Node) ? MinusButton() : PlusButton();
    info.Canvas->DrawTransparent(info.CellRect.Left + g.ButtonLeft(info.IndentSteps),
                                 info.CellRect.Top + info.VerticalAnchor -
                                     TRowGeometry::ButtonHeight / 2,
                                 button, ButtonKeyColor);
}

void TBaseVirtualTree::PaintNodeImage(TVTPaintInfo& info) {
    const TVTImageInfo& image = info.ImageInfo[static_cast<int>(iiNormal)];
    const TVTImageInfo& overlay = info.ImageInfo[static_cast<int>(iiOverlay)];
    if (image.Images == nullptr)
        return;
    PVirtualNode node = info.Node;
    const auto& po = FOptions.PaintOptions;
    const bool fullRow = FOptions.SelectionOptions.Contains(toFullRowSelect) ||
                         FOptions.MiscOptions.Contains(toGridExtensions);
    const bool selected = node->States.Contains(nsSelected);
    const bool cut = node->States.Contains(nsClipboardMarked);
    TImageDrawStyle style = idNormal;
    TColor blend = clNone;
    if (NodeDisabledLook(node)) {
        style = idDisabled;
    } else if ((Focused() || po.Contains(toGhostedIfUnfocused)) &&
               po.Contains(toUseBlendedImages) &&
               (image.Ghosted || cut || (selected && !fullRow))) {
        style = idBlend50;
        // The list's own blend colour for a selected node that is not ghosted.
        blend = (selected && !image.Ghosted) ? clNone : FAppearance.Color();
    }
    int overlayNumber = 0;
    if (overlay.Index >= 0 && overlay.Index <= 14)
        overlayNumber = overlay.Index + 1;
    image.Images->Draw(*info.Canvas, image.XPos, info.CellRect.Top + image.YPos, image.Index, style,
                       blend, overlayNumber);
    if (overlay.Index >= 15 && overlay.Images != nullptr)
        overlay.Images->Draw(*info.Canvas, image.XPos, info.CellRect.Top + image.YPos,
                             overlay.Index, style, blend);
}

void TBaseVirtualTree::PaintDropMark(TCanvas& canvas, const TRect& r) {
    if (LastDropMode() != dmAbove && LastDropMode() != dmBelow)
        return;
    const int l = r.Left, t = r.Top, rr = r.Right, b = r.Bottom;
    canvas.SetBrushColor(FAppearance.Colors().DropMarkColor);
    if (LastDropMode() == dmAbove)
        canvas.Polygon({{l + 2, t},
                        {rr - 2, t},
                        {rr - 2, t + 6},
                        {rr - 6, t + 2},
                        {l + 6, t + 2},
                        {l + 2, t + 6}});
    else
        canvas.Polygon({{l + 2, b - 1},
                        {rr - 2, b - 1},
                        {rr - 2, b - 8},
                        {rr - 7, b - 3},
                        {l + 7, b - 3},
                        {l + 2, b - 8}});
}
