// Row geometry with the tree's current properties, the images the owner gives, and the tree
// lines of a row: what painting, hit testing and the display rectangles share.
#include "tree/basetree.h"
#include "tree/tree_internal.h"
#include <algorithm>

using namespace tree_detail;

namespace {

PVirtualNode NextVisibleSibling(PVirtualNode n) {
    for (n = n->NextSibling; n != nullptr; n = n->NextSibling)
        if (IsVisibleNode(n))
            return n;
    return nullptr;
}

bool HasVisiblePreviousSibling(PVirtualNode n) {
    for (n = n->PrevSibling; n != nullptr; n = n->PrevSibling)
        if (IsVisibleNode(n))
            return true;
    return false;
}

} // namespace

// ---- row geometry
// --------------------------------------------------------------------------------

TRowGeometry TBaseVirtualTree::RowGeometry() const {
    TRowGeometry g;
    g.Indent = FAppearance.Indent();
    g.Margin = FAppearance.Margin();
    g.TextMargin = GetTextMargin();
    g.ImageWidth = FAppearance.Images() ? FAppearance.Images()->Width() : 0;
    g.ImageHeight = FAppearance.Images() ? FAppearance.Images()->Height() : 0;
    g.ShowRoot = FOptions.PaintOptions.Contains(toShowRoot);
    g.ShowButtons = FOptions.PaintOptions.Contains(toShowButtons);
    g.NodeAlignment = FAppearance.NodeAlignment();
    return g;
}

int TBaseVirtualTree::NodeIndentSteps(PVirtualNode node) const {
    if (node == nullptr || node == FRoot)
        return 0;
    return RowGeometry().IndentSteps(GetNodeLevel(node));
}

int TBaseVirtualTree::VerticalAnchor(PVirtualNode node) const {
    if (node == nullptr || node == FRoot)
        return 0;
    return RowGeometry().VerticalAnchor(node->NodeHeight, node->LineAlign);
}

int TBaseVirtualTree::ContentWidth() const {
    return std::max(ClientWidth(), FRangeX);
}

int TBaseVirtualTree::AskImageIndex(PVirtualNode node, TVTImageKind kind, bool& ghosted,
                                    TImageList*& list) {
    int index = -1;
    ghosted = false;
    list = FAppearance.Images();
    if (OnGetImageIndexEx)
        OnGetImageIndexEx(this, node, kind, NoColumn, ghosted, index, list);
    else if (OnGetImageIndex)
        OnGetImageIndex(this, node, kind, NoColumn, ghosted, index);
    return index;
}

int TBaseVirtualTree::NodeImageIndex(PVirtualNode node) {
    if (node == nullptr || node == FRoot)
        return -1;
    bool ghosted = false;
    TImageList* list = nullptr;
    const int index = AskImageIndex(node, node->States.Contains(nsSelected) ? ikSelected : ikNormal,
                                    ghosted, list);
    return list != nullptr && index >= 0 ? index : -1;
}

TRect TBaseVirtualTree::NodeTextArea(PVirtualNode node) {
    if (node == nullptr || node == FRoot)
        return {};
    const TRowGeometry g = RowGeometry();
    const int left = g.ContentLeft(g.IndentSteps(GetNodeLevel(node)), NodeImageIndex(node) >= 0);
    return {left, 0, left + GetNodeContentWidth(node, NoColumn),
            static_cast<int>(node->NodeHeight)};
}

TLineImage TBaseVirtualTree::GetLineImage(PVirtualNode node) const {
    const int steps = NodeIndentSteps(node);
    TLineImage image(static_cast<std::size_t>(std::max(steps, 0)), ltNone);
    if (steps <= 0)
        return image;
    const bool showRoot = FOptions.PaintOptions.Contains(toShowRoot);
    // The step that belongs to a node at a level: the last of its steps.
    auto ownStep = [&](std::uint32_t level) {
        return static_cast<int>(level) + (showRoot ? 0 : -1);
    };
    const std::uint32_t level = GetNodeLevel(node);
    for (PVirtualNode n = node; n != nullptr && n != FRoot; n = n->Parent) {
        const std::uint32_t l = GetNodeLevel(n);
        const int step = ownStep(l);
        if (step < 0)
            break;
        const bool follows = NextVisibleSibling(n) != nullptr;
        TVTLineType type;
        if (n == node) {
            if (l == 0) {
                const bool first = !HasVisiblePreviousSibling(n);
                type = first ? (follows ? ltBottomRight : ltRight)
                             : (follows ? ltTopDownRight : ltTopRight);
            } else {
                type = follows ? ltTopDownRight : ltTopRight;
            }
        } else {
            type = follows ? ltTopDown : ltNone;
        }
        image[static_cast<std::size_t>(step)] = type;
        (void)level;
    }
    return image;
}
