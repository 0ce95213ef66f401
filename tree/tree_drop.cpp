// Objects dragged over the control from other programs: edge scrolling, the drop target and
// opening a node the pointer rests on. Nothing is ever dropped.
#include "tree/basetree.h"
#include "tree/tree_internal.h"
#include <algorithm>
#include <limits>

using namespace tree_detail;

// ---- objects dragged from other programs -----------------------------------------------------

bool TBaseVirtualTree::DragEnter(TShiftState shift, TPoint p) {
    SetDropTarget(nullptr, dmNowhere);
    FInput.LeaveDragScrollZone();
    int effect = DROPEFFECT_NONE;
    bool accept = false;
    if (OnDragOver)
        OnDragOver(this, nullptr, shift, dsDragEnter, p, dmNowhere, effect, accept);
    return accept && effect != DROPEFFECT_NONE;
}

void TBaseVirtualTree::ChangeDropTarget(PVirtualNode node, TDropMode mode) {
    const bool nodeChanged = node != DropTargetNode();
    SetDropTarget(node, mode);
    if (!nodeChanged)
        return;
    KillTimer(ExpandTimer);
    if (node != nullptr && FOptions.AutoOptions.Contains(toAutoDropExpand) &&
        node->States.Contains(nsHasChildren))
        SetTimer(ExpandTimer, FInput.AutoExpandDelay());
}

bool TBaseVirtualTree::DragOver(TShiftState shift, TPoint p) {
    // Scrolling at the edges, once the pointer has stayed in an edge zone long enough.
    const int zone = static_cast<int>(FDefaultNodeHeight);
    TScrollDirections dirs;
    if (p.X < zone && FOffsetX != 0)
        dirs |= sdLeft;
    else if (p.X > ClientWidth() - zone && ClientWidth() - FOffsetX < FRangeX)
        dirs |= sdRight;
    if (p.Y < zone && FOffsetY != 0)
        dirs |= sdUp;
    else if (p.Y > ClientHeight() - zone && ClientHeight() - FOffsetY < FRangeY)
        dirs |= sdDown;
    if (dirs.Empty()) {
        FInput.LeaveDragScrollZone();
    } else if (FInput.DragScrollDue(TickCount())) {
        const std::int64_t stepY = std::min(FScrollBarOptions.VerticalIncrement, ClientHeight());
        const std::int64_t stepX = FScrollBarOptions.HorizontalIncrement;
        std::int64_t x = FOffsetX, y = FOffsetY;
        if (dirs.Contains(sdUp))
            y += stepY;
        if (dirs.Contains(sdDown))
            y -= stepY;
        if (dirs.Contains(sdLeft))
            x += stepX;
        if (dirs.Contains(sdRight))
            x -= stepX;
        DoSetOffsetXY(ClampToInt(x), ClampToInt(y));
    }

    const THitInfo hit = GetHitTestInfoAt(p.X, p.Y);
    TDropMode mode = dmNowhere;
    if (hit.HitNode != nullptr) {
        if (hit.HitPositions.ContainsAny({hpOnText, hpOnImage}) ||
            !FOptions.PaintOptions.Contains(toShowDropmark)) {
            mode = dmOnNode;
        } else {
            const TRect row = GetDisplayRect(hit.HitNode);
            mode = p.Y - row.Top < hit.HitNode->NodeHeight / 2 ? dmAbove : dmBelow;
        }
    }
    ChangeDropTarget(hit.HitNode, mode);

    int effect = DROPEFFECT_NONE;
    bool accept = false;
    if (OnDragOver)
        OnDragOver(this, nullptr, shift, dsDragMove, p, mode, effect, accept);
    return accept && effect != DROPEFFECT_NONE;
}

void TBaseVirtualTree::DoAutoExpand() {
    KillTimer(ExpandTimer);
    PVirtualNode target = DropTargetNode();
    if (target != nullptr && !IsExpandedNode(target) && target->States.Contains(nsHasChildren))
        ToggleExpanded(target);
}

void TBaseVirtualTree::DragLeave() {
    KillTimer(ExpandTimer);
    SetDropTarget(nullptr, dmNowhere);
    FInput.LeaveDragScrollZone();
    int effect = DROPEFFECT_NONE;
    bool accept = false;
    if (OnDragOver)
        OnDragOver(this, nullptr, {}, dsDragLeave, {}, dmNowhere, effect, accept);
}

bool TBaseVirtualTree::DragDrop(TShiftState shift, TPoint p) {
    DragOver(shift, p);
    // Nothing is ever inserted from a drop.
    KillTimer(ExpandTimer);
    SetDropTarget(nullptr, dmNowhere);
    FInput.LeaveDragScrollZone();
    return false;
}
