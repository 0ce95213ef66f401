// The scroll state: offsets, content ranges, row rectangles, the node at a position,
// ScrollIntoView and the scroll bars.
#include "platform/application.h"
#include "tree/basetree.h"
#include "tree/tree_internal.h"
#include <algorithm>
#include <limits>

using namespace tree_detail;

void TBaseVirtualTree::SetBottomSpace(unsigned value) {
    if (value == FBottomSpace)
        return;
    FBottomSpace = value;
    UpdateScrollBars(true);
}

void TBaseVirtualTree::SetIndent(int value) {
    if (FAppearance.SetIndent(value) && FUpdateCount == 0) {
        UpdateScrollBars(true);
        Invalidate();
    }
}

void TBaseVirtualTree::SetMargin(int value) {
    if (FAppearance.SetMargin(value) && FUpdateCount == 0)
        Invalidate();
}

// ---- ranges ----------------------------------------------------------------------------------

void TBaseVirtualTree::UpdateVerticalRange() {
    if (FRoot->SubtreeHeight < FDefaultNodeHeight)
        FRoot->SubtreeHeight = FDefaultNodeHeight;
    FRangeY = ClampToInt(static_cast<std::int64_t>(FRoot->SubtreeHeight) - FRoot->NodeHeight +
                         FBottomSpace);
}

void TBaseVirtualTree::UpdateHorizontalRange() {
    // Only rows on screen are measured; a hidden control has none.
    if (!Showing())
        return;
    int start = 0;
    PVirtualNode first = GetNodeAt(0, true, &start);
    if (first == nullptr) {
        FRangeX = FAppearance.Margin();
        return;
    }
    const int imageWidth = GetImagesWidth();
    const std::int64_t imageRoom = imageWidth > 0 ? imageWidth + 2 : 0;
    const std::int64_t clientBottom = static_cast<std::int64_t>(ClientHeight()) - FOffsetY;
    std::int64_t widest = 0;
    std::int64_t top = start;
    // Every row that starts on screen, the first one always.
    WalkVisibleRows(first, top, [&](PVirtualNode n, std::int64_t rowTop) {
        if (n != first && rowTop > clientBottom)
            return false;
        if (!n->States.Contains(nsInitialized))
            InitNode(n);
        const std::int64_t indentWidth =
            static_cast<std::int64_t>(FAppearance.Indent()) * (GetNodeLevel(n) + 1) + imageRoom;
        widest = std::max(widest, indentWidth + GetNodeContentWidth(n, NoColumn));
        return true;
    });
    FRangeX = ClampToInt(widest + FAppearance.Margin());
}

// ---- offsets ---------------------------------------------------------------------------------

bool TBaseVirtualTree::DoSetOffsetXY(int x, int y) {
    x = std::min(0, std::max(x, ClientWidth() - FRangeX));
    y = std::min(0, std::max(y, ClientHeight() - FRangeY));
    const int dx = x - FOffsetX;
    const int dy = y - FOffsetY;
    if (dx == 0 && dy == 0)
        return false;
    FOffsetX = x;
    FOffsetY = y;
    if (FUpdateCount == 0) {
        // With the fixed background picture nothing can be moved: the rows are drawn anew.
        Invalidate();
        if (dx != 0)
            UpdateHorizontalScrollBar(false);
        if (dy != 0 && !FStates.ContainsAny({tsThumbTracking, tsSizing})) {
            UpdateVerticalScrollBar(false);
            UpdateHorizontalScrollBar(false);
        }
    }
    if (OnScroll)
        OnScroll(this, dx, dy);
    return true;
}

// ---- geometry of rows ------------------------------------------------------------------------

int TBaseVirtualTree::NodeTop(PVirtualNode node) const {
    if (!Revealed(node) || node == FRoot)
        return -1;
    int start = 0;
    PVirtualNode first = CacheStartByNode(node, start);
    std::int64_t top = start;
    PVirtualNode n =
        WalkVisibleRows(first, top, [node](PVirtualNode row, std::int64_t) { return row != node; });
    return n == node ? ClampToInt(top) : -1;
}

TRect TBaseVirtualTree::GetDisplayRect(PVirtualNode node, [[maybe_unused]] TColumnIndex column,
                                       bool textOnly) {
    if (node == nullptr || node == FRoot)
        return {};
    const int top = NodeTop(node);
    if (top < 0)
        return {};
    TRect r;
    r.Top = top + FOffsetY;
    r.Bottom = r.Top + node->NodeHeight;
    if (textOnly) {
        // The same text area painting and hit testing use, so all three agree.
        const TRect text = NodeTextArea(node);
        r.Left = text.Left + FOffsetX;
        r.Right = text.Right + FOffsetX;
    } else {
        r.Left = FOffsetX;
        r.Right = FOffsetX + std::max(ClientWidth(), FRangeX);
    }
    return r;
}

PVirtualNode TBaseVirtualTree::GetNodeAt(int y, bool relative, int* nodeTop) const {
    std::int64_t contentY = relative ? static_cast<std::int64_t>(y) - FOffsetY : y;
    if (contentY < 0)
        contentY = 0;
    int start = 0;
    PVirtualNode first = CacheStartByPosition(ClampToInt(contentY), start);
    std::int64_t top = start;
    PVirtualNode n = WalkVisibleRows(first, top, [contentY](PVirtualNode row, std::int64_t rowTop) {
        return contentY >= rowTop + row->NodeHeight;
    });
    if (nodeTop != nullptr)
        *nodeTop = n != nullptr ? ClampToInt(top) : 0;
    return n;
}

bool TBaseVirtualTree::ScrollIntoView(PVirtualNode node, bool center, bool scrollHorizontally) {
    if (node == nullptr || node == FRoot)
        return false;
    {
        // Expanding an ancestor may free the node (a handler rebuilding the children).
        TNodeWatch watch(*this, node);
        for (PVirtualNode p = node->Parent; p != nullptr && p != FRoot; p = p->Parent) {
            if (!IsExpandedNode(p))
                ToggleExpanded(p);
            if (watch.Node == nullptr)
                return false;
        }
    }
    if (!Revealed(node))
        return false;
    const TRect r =
        GetDisplayRect(node, NoColumn, !FOptions.MiscOptions.Contains(toGridExtensions));
    const int clientHeight = ClientHeight();
    bool scrolled = false;
    if (r.Top < 0) {
        scrolled = DoSetOffsetXY(FOffsetX, FOffsetY - r.Top + (center ? clientHeight / 2 : 0));
    } else if (r.Bottom > clientHeight || center) {
        int y = FOffsetY - r.Bottom + (center ? clientHeight / 2 : clientHeight);
        // The horizontal bar is about to appear and will cover the bottom rows.
        if (!HorzScrollBar().Visible() && ClientWidth() < FRangeX)
            y -= HorizontalScrollBarHeight();
        scrolled = DoSetOffsetXY(FOffsetX, y);
    }
    // With no columns there is no column to bring into view horizontally.
    (void)scrollHorizontally;
    return scrolled;
}

// ---- repainting rows -------------------------------------------------------------------------

void TBaseVirtualTree::InvalidateNode(PVirtualNode node) {
    if (node == nullptr || node == FRoot)
        return;
    ResetNodeCaches(node);
    // Inside an update the whole control is repainted when it ends.
    if (FUpdateCount != 0 || !Revealed(node))
        return;
    InvalidateRect(GetDisplayRect(node));
}

void TBaseVirtualTree::InvalidateToBottom(PVirtualNode node) {
    if (FUpdateCount != 0)
        return;
    if (node == nullptr || node == FRoot) {
        Invalidate();
        return;
    }
    if (!node->States.Contains(nsInitialized) || !Revealed(node))
        return;
    const TRect r = GetDisplayRect(node);
    if (r.Top < ClientHeight())
        InvalidateRect({0, r.Top, ClientWidth(), ClientHeight()});
}

// ---- scroll bars -----------------------------------------------------------------------------

void TBaseVirtualTree::UpdateScrollBars(bool doRepaint) {
    // Until the control is on screen there are no bars, and no row is measured (measuring
    // initialises the rows); showing it resizes it, which brings the bars up to date.
    if (!Showing()) {
        UpdateVerticalRange();
        return;
    }
    UpdateVerticalScrollBar(doRepaint);
    UpdateHorizontalScrollBar(doRepaint);
}

void TBaseVirtualTree::UpdateVerticalScrollBar(bool doRepaint) {
    UpdateVerticalRange();
    if (FUpdateCount != 0 || !Showing())
        return;
    const auto bars = FScrollBarOptions.ScrollBars;
    if (bars != ssVertical && bars != ssBoth) {
        DoSetOffsetXY(FOffsetX, FOffsetY);
        return;
    }
    const int clientHeight = ClientHeight();
    const bool canScroll = clientHeight < FRangeY;
    const bool wasShown = VertScrollBar().Visible();
    const bool show = canScroll || FScrollBarOptions.AlwaysVisible;
    if (show)
        VertScrollBar().SetScrollInfo({0, FRangeY, clientHeight + 1, -FOffsetY}, true, canScroll);
    else
        VertScrollBar().SetScrollInfo({}, false);
    if (show != wasShown && OnShowScrollbar)
        OnShowScrollbar(this, sbVertical, show);
    DoSetOffsetXY(FOffsetX, -VertScrollBar().Position());
    (void)doRepaint;
}

void TBaseVirtualTree::UpdateHorizontalScrollBar(bool doRepaint) {
    if (!Showing())
        return;
    UpdateHorizontalRange();
    if (FUpdateCount != 0)
        return;
    const auto bars = FScrollBarOptions.ScrollBars;
    if (bars != ssHorizontal && bars != ssBoth) {
        DoSetOffsetXY(FOffsetX, FOffsetY);
        return;
    }
    const int clientWidth = ClientWidth();
    const bool canScroll = clientWidth < FRangeX;
    const bool wasShown = HorzScrollBar().Visible();
    const bool show = canScroll || FScrollBarOptions.AlwaysVisible;
    if (show)
        HorzScrollBar().SetScrollInfo({0, FRangeX, clientWidth + 1, -FOffsetX}, true, canScroll);
    else
        HorzScrollBar().SetScrollInfo({}, false);
    if (show != wasShown && OnShowScrollbar)
        OnShowScrollbar(this, sbHorizontal, show);
    DoSetOffsetXY(-HorzScrollBar().Position(), FOffsetY);
    (void)doRepaint;
}

void TBaseVirtualTree::Scroll(TScrollBarKind bar, TScrollCode code, int pos) {
    const bool vertical = bar == sbVertical;
    const int line =
        vertical ? FScrollBarOptions.VerticalIncrement : FScrollBarOptions.HorizontalIncrement;
    const int page = vertical ? ClientHeight() : ClientWidth();
    const int current = vertical ? FOffsetY : FOffsetX;
    auto set = [&](std::int64_t v) {
        const int value = ClampToInt(v);
        vertical ? DoSetOffsetXY(FOffsetX, value) : DoSetOffsetXY(value, FOffsetY);
    };
    switch (code) {
    case scLineUp:
        set(static_cast<std::int64_t>(current) + line);
        break;
    case scLineDown:
        set(static_cast<std::int64_t>(current) - line);
        break;
    case scPageUp:
        set(static_cast<std::int64_t>(current) + page);
        break;
    case scPageDown:
        set(static_cast<std::int64_t>(current) - page);
        break;
    case scTop:
        set(0);
        break;
    case scBottom:
        set(vertical ? -static_cast<std::int64_t>(FRoot->SubtreeHeight)
                     : -static_cast<std::int64_t>(FRangeX));
        break;
    case scTrack:
    case scPosition:
        FStates.Include(tsThumbTracking);
        set(-static_cast<std::int64_t>(pos));
        break;
    case scEndScroll:
        FStates.Exclude(tsThumbTracking);
        UpdateScrollBars(true);
        break;
    }
}
