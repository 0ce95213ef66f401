#include "tree/stringtree.h"
#include <cstring>

TCustomVirtualStringTree::TCustomVirtualStringTree()
    : InternalDataOffset(AllocateInternalDataArea(4)) {}

std::uint32_t& TCustomVirtualStringTree::CachedTextWidth(PVirtualNode node) const {
    return *reinterpret_cast<std::uint32_t*>(NodeBytes(node) + InternalDataOffset);
}

void TCustomVirtualStringTree::SetDefaultText(std::u16string text) {
    FDefaultText = std::move(text);
    Invalidate();
}

void TCustomVirtualStringTree::SetTextMargin(int value) {
    value = std::max(value, 0);
    if (value == FTextMargin)
        return;
    FTextMargin = value;
    // Every cached width includes the margins.
    for (PVirtualNode n = GetFirstVisibleNoInit(); n != nullptr; n = GetNextVisibleNoInit(n))
        CachedTextWidth(n) = 0;
    Invalidate();
}

void TCustomVirtualStringTree::SetTextWidthMeasure(TTextWidthMeasure measure) {
    Measure = std::move(measure);
    for (PVirtualNode n = GetFirstVisibleNoInit(); n != nullptr; n = GetNextVisibleNoInit(n))
        CachedTextWidth(n) = 0;
    UpdateScrollBars(true);
}

std::u16string TCustomVirtualStringTree::Text(PVirtualNode node, TColumnIndex column) {
    std::u16string text = FDefaultText;
    if (node != nullptr && node != RootNode() && OnGetText)
        OnGetText(this, node, column, ttNormal, text);
    return text;
}

int TCustomVirtualStringTree::NodeTextWidth(PVirtualNode node) {
    if (node == nullptr || node == RootNode())
        return 0;
    std::uint32_t& cached = CachedTextWidth(node);
    if (cached != 0)
        return static_cast<int>(cached);
    const std::u16string text = Text(node, NoColumn);
    int width = 2 * FTextMargin;
    if (!text.empty() && Measure)
        width += std::max(Measure(text), 0);
    cached = static_cast<std::uint32_t>(width);
    return width;
}

int TCustomVirtualStringTree::GetNodeContentWidth(PVirtualNode node, TColumnIndex column) {
    return NodeTextWidth(node);
}

void TCustomVirtualStringTree::ResetNodeCaches(PVirtualNode node) {
    if (node != nullptr && node != RootNode())
        CachedTextWidth(node) = 0;
}
