#include "tree/stringtree.h"

#include "platform/clipboard.h"
#include <cstring>

TCustomVirtualStringTree::TCustomVirtualStringTree()
    : InternalDataOffset(AllocateInternalDataArea(4)) {}

std::uint32_t& TCustomVirtualStringTree::CachedTextWidth(PVirtualNode node) const {
    return *reinterpret_cast<std::uint32_t*>(NodeBytes(node) + InternalDataOffset);
}

void TCustomVirtualStringTree::SetDefaultText(std::u16string text) {
    FDefaultText = std::move(text);
    ResetAllNodeCaches();
    Invalidate();
}

void TCustomVirtualStringTree::SetTextMargin(int value) {
    value = std::max(value, 0);
    if (value == FTextMargin)
        return;
    FTextMargin = value;
    // Every cached width includes the margins.
    ResetAllNodeCaches();
    Invalidate();
}

void TCustomVirtualStringTree::SetTextWidthMeasure(TTextWidthMeasure measure) {
    Measure = std::move(measure);
    ResetAllNodeCaches();
    UpdateScrollBars(true);
}

std::u16string TCustomVirtualStringTree::Text(PVirtualNode node, TColumnIndex column) {
    std::u16string text = FDefaultText;
    if (node != nullptr && node != RootNode() && OnGetText)
        OnGetText(this, node, column, ttNormal, text);
    return text;
}

void TCustomVirtualStringTree::CopyToClipboard() {
    if (PVirtualNode node = FocusedNode())
        SetClipboardText(Text(node));
}

int TCustomVirtualStringTree::MeasureText(PVirtualNode node, const std::u16string& text,
                                          const TPlatformFont* font) {
    int width = 2 * FTextMargin;
    if (text.empty())
        return width;
    int extent = Measure ? Measure(text) : (font ? font->TextWidth(text) : 0);
    if (OnMeasureTextWidth)
        OnMeasureTextWidth(this, node, NoColumn, text, extent);
    return width + std::max(extent, 0);
}

int TCustomVirtualStringTree::NodeTextWidth(PVirtualNode node) {
    if (node == nullptr || node == RootNode())
        return 0;
    std::uint32_t& cached = CachedTextWidth(node);
    if (cached != 0)
        return static_cast<int>(cached);
    const int width = MeasureText(node, Text(node, NoColumn), PlatformFont().get());
    // Not through `cached`: a handler above may have changed the node's caches.
    CachedTextWidth(node) = static_cast<std::uint32_t>(width);
    return width;
}

int TCustomVirtualStringTree::GetNodeContentWidth(PVirtualNode node, TColumnIndex column) {
    return NodeTextWidth(node);
}

void TCustomVirtualStringTree::ResetNodeCaches(PVirtualNode node) {
    if (node != nullptr && node != RootNode())
        CachedTextWidth(node) = 0;
}

void TCustomVirtualStringTree::DoPaintNode(TVTPaintInfo& info) {
    if (TreeStates().Contains(tsEditing))
        return; // the editor shows the text
    PVirtualNode node = info.Node;
    const std::u16string text = Text(node, info.Column);
    if (text.empty())
        return;
    TCanvas& canvas = *info.Canvas;
    canvas.SetFont(PlatformFont());
    if (NodeDisabledLook(node))
        canvas.SetTextColor(Colors().DisabledColor);
    else if (TextHighlighted(node))
        canvas.SetTextColor(HighlightTextColor(node, FontColor()));
    else
        canvas.SetTextColor(FontColor());
    canvas.SetBkMode(bmTransparent);
    const TRect r{info.ContentRect.Left + FTextMargin, info.ContentRect.Top,
                  info.ContentRect.Right - FTextMargin, info.ContentRect.Bottom};
    if (OnPaintText) {
        const auto before = canvas.Font();
        OnPaintText(this, canvas, node, info.Column, ttNormal);
        if (canvas.Font() != before)
            info.NodeWidth = MeasureText(node, text, canvas.Font().get());
    }
    TTextFormat format{tfVCenter};
    if (info.Alignment == taRightJustify)
        format.Include(tfRight);
    else if (info.Alignment == taCenter)
        format.Include(tfCenter);
    if (info.BidiMode == bdRightToLeft)
        format.Include(tfRtlReading);
    bool defaultDraw = true;
    if (OnDrawText)
        OnDrawText(this, canvas, node, info.Column, text, r, defaultDraw);
    if (defaultDraw)
        canvas.TextRect(r, text, format);
}
