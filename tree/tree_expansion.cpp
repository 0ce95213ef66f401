// Expansion and collapse, selection and focus.
#include "tree/basetree.h"
#include "tree/tree_internal.h"
#include <algorithm>
#include <functional>

using namespace mkb::text;

using namespace tree_detail;

// ---- expanding and collapsing ----------------------------------------------------------------

void TBaseVirtualTree::ToggleExpanded(PVirtualNode node) {
    if (node == nullptr || node == FRoot || node->States.ContainsAny({nsDeleting, nsToggling}))
        return;
    TCacheWriteGuard cacheGuard(FCache);
    const bool enteredToggling = !FStates.Contains(tsToggling);
    FStates.Include(tsToggling);
    node->States.Include(nsToggling);
    // Every handler below may free the node; the toggle then ends where it stands.
    TNodeWatch watch(*this, node);
    TScopeExit restore([this, &watch, enteredToggling] {
        if (watch.Node != nullptr)
            watch.Node->States.Exclude(nsToggling);
        if (enteredToggling)
            FStates.Exclude(tsToggling);
    });
    auto freed = [&watch] { return watch.Node == nullptr; };

    bool allowed = true;
    bool childrenFit = false;
    if (IsExpandedNode(node)) {
        if (OnCollapsing)
            OnCollapsing(this, node, allowed);
        if (freed())
            return;
        if (allowed) {
            const bool shown = Revealed(node);
            const std::uint32_t hidden = shown ? CountShownDescendants(node) : 0;
            AdjustSubtreeHeight(node, node->NodeHeight, false);
            FVisibleCount -= hidden;
            node->States.Exclude(nsExpanded);
            if (OnCollapsed)
                OnCollapsed(this, node);
            if (freed())
                return;
        }
    } else {
        if (OnExpanding)
            OnExpanding(this, node, allowed);
        if (freed())
            return;
        if (allowed) {
            if (!node->States.Contains(nsInitialized))
                InitNode(node);
            if (freed())
                return;
            if (node->States.Contains(nsHasChildren) && node->ChildCount == 0)
                InitChildren(node);
            if (freed())
                return;
            // Initialisation may have expanded the node already (an expanded initial state).
            if (node->ChildCount > 0 && !IsExpandedNode(node)) {
                std::int64_t heightDelta = 0;
                for (PVirtualNode c = node->FirstChild; c != nullptr; c = c->NextSibling)
                    if (IsVisibleNode(c))
                        heightDelta += c->SubtreeHeight;
                if (FUpdateCount == 0)
                    childrenFit = node->NodeHeight + heightDelta <= ClientHeight();
                node->States.Include(nsExpanded);
                AdjustSubtreeHeight(node, heightDelta, true);
                if (Revealed(node))
                    FVisibleCount += CountShownDescendants(node);
                if (OnExpanded)
                    OnExpanded(this, node);
                if (freed())
                    return;
            }
        }
    }
    if (!allowed)
        return;

    InvalidatePositionCache();
    // Readers ask about the rows at once: after the rows are renumbered, before any scrolling.
    // Inside an update (a whole subtree opening) they hear once, when it ends.
    if (FUpdateCount == 0 && AccessibilityActive()) {
        NotifyAccessible(*this, aeRowsChanged);
        NotifyAccessibleRow(aeStateChanged, node);
    }
    if (FUpdateCount != 0) {
        UpdateVerticalRange();
        UpdateHorizontalRange();
        return;
    }
    RevalidatePositionCache();
    if (node->ChildCount == 0) {
        InvalidateNode(node);
        return;
    }
    UpdateVerticalRange();
    UpdateHorizontalRange();
    bool scrolled = false;
    const bool expanded = IsExpandedNode(node);
    if (!FStates.ContainsAny({tsPainting, tsExpanding}) && expanded &&
        FOptions.AutoOptions.Contains(toAutoScrollOnExpand)) {
        if (childrenFit) {
            scrolled = ScrollIntoView(GetLastVisibleNoInit(node), false, false);
        } else {
            // Opening an ancestor may rebuild its children and free this node, and a nested
            // walk may free the ancestor itself: the walk ends with the node.
            for (PVirtualNode p = node->Parent; p != nullptr && p != FRoot; p = p->Parent) {
                if (!IsExpandedNode(p))
                    ToggleExpanded(p);
                if (freed())
                    break;
            }
            if (!freed() && Revealed(node))
                scrolled = DoSetOffsetXY(FOffsetX, FOffsetY - GetDisplayRect(node).Top);
        }
    }
    if (freed()) {
        UpdateScrollBars(true);
        Invalidate();
        return;
    }
    UpdateScrollBars(true);
    if (expanded && childrenFit && !scrolled)
        InvalidateToBottom(node);
    else
        Invalidate();
}

void TBaseVirtualTree::DoExpandSubtree(PVirtualNode node, bool expand) {
    if (FRoot->ChildCount == 0)
        return;
    const TVirtualTreeState state = expand ? tsExpanding : tsCollapsing;
    const bool entered = !FStates.Contains(state);
    FStates.Include(state);
    BeginUpdate();
    TScopeExit leave([this, state, entered] {
        EndUpdate();
        if (entered)
            FStates.Exclude(state);
    });
    PVirtualNode stop = node == nullptr ? FRoot : node;
    // Children are created on the way (the expansion handler builds them), so the walk takes
    // the links as they are after each toggle.
    PVirtualNode n = node == nullptr ? GetFirstChild(FRoot) : node;
    while (n != nullptr) {
        // A handler that frees the node being walked ends the walk.
        TNodeWatch watch(*this, n);
        if (!n->States.Contains(nsInitialized))
            InitNode(n);
        if (watch.Node == nullptr)
            break;
        if (expand) {
            if (!IsExpandedNode(n))
                ToggleExpanded(n);
        } else if (IsExpandedNode(n) && n->ChildCount > 0) {
            ToggleExpanded(n);
        }
        if (watch.Node == nullptr)
            break;
        if (n->FirstChild != nullptr) {
            n = n->FirstChild;
            continue;
        }
        while (n != stop && n->NextSibling == nullptr)
            n = n->Parent;
        if (n == stop)
            break;
        n = n->NextSibling;
    }
}

void TBaseVirtualTree::FullExpand(PVirtualNode node) {
    DoExpandSubtree(node, true);
}
void TBaseVirtualTree::FullCollapse(PVirtualNode node) {
    DoExpandSubtree(node, false);
}

// ---- selection -------------------------------------------------------------------------------

bool TBaseVirtualTree::Selected(PVirtualNode node) const {
    return node != nullptr && node->States.Contains(nsSelected);
}

void TBaseVirtualTree::SetSelected(PVirtualNode node, bool value) {
    if (node == nullptr || node == FRoot || FSelectionLocked || value == Selected(node))
        return;
    if (value) {
        if (FSelection.empty())
            FRangeAnchor = node;
        else if (!FOptions.SelectionOptions.Contains(toMultiSelect))
            ClearSelection();
        AddToSelection(node);
        if (FRangeAnchor == nullptr)
            FRangeAnchor = node;
        if (Revealed(node))
            InvalidateNode(node);
    } else {
        RemoveFromSelection(node);
        if (FSelection.empty())
            FRangeAnchor = FFocusedNode;
    }
}

void TBaseVirtualTree::AddToSelection(PVirtualNode node) {
    if (FSelectionLocked || node == nullptr || node == FRoot)
        return;
    InternalAddToSelection(node, true);
}

void TBaseVirtualTree::RemoveFromSelection(PVirtualNode node) {
    if (FSelectionLocked || node == nullptr || !Selected(node))
        return;
    InternalRemoveFromSelection(node, true);
}

bool TBaseVirtualTree::InternalAddToSelection(PVirtualNode node, bool notify) {
    if (node->States.ContainsAny({nsDisabled, nsSelected}))
        return false;
    TCacheWriteGuard cacheGuard(FCache);
    auto at =
        std::lower_bound(FSelection.begin(), FSelection.end(), node, std::less<PVirtualNode>());
    FSelection.insert(at, node);
    node->States.Include(nsSelected);
    if (notify) {
        InvalidateNode(node);
        Change(node);
    }
    return true;
}

bool TBaseVirtualTree::InternalRemoveFromSelection(PVirtualNode node, bool notify) {
    if (!node->States.Contains(nsSelected))
        return false;
    TCacheWriteGuard cacheGuard(FCache);
    node->States.Exclude(nsSelected);
    auto at =
        std::lower_bound(FSelection.begin(), FSelection.end(), node, std::less<PVirtualNode>());
    if (at != FSelection.end() && *at == node)
        FSelection.erase(at);
    if (FSelection.empty())
        FRangeAnchor = FFocusedNode;
    if (notify) {
        InvalidateNode(node);
        Change(node);
    }
    return true;
}

void TBaseVirtualTree::ClearSelection() {
    if (FSelectionLocked || FSelection.empty() || FStates.Contains(tsDestroying))
        return;
    if (FUpdateCount == 0 && FVisibleCount != 0) {
        std::size_t remaining = FSelection.size();
        int start = 0;
        PVirtualNode first = GetNodeAt(0, true, &start);
        const int clientHeight = ClientHeight();
        std::int64_t top = start;
        WalkVisibleRows(first, top, [&](PVirtualNode n, std::int64_t rowTop) {
            const int y = static_cast<int>(rowTop + FOffsetY);
            if (remaining == 0 || y >= clientHeight)
                return false;
            if (n->States.Contains(nsSelected)) {
                InvalidateRect({0, y, ClientWidth(), y + n->NodeHeight});
                --remaining;
            }
            return true;
        });
    }
    TCacheWriteGuard cacheGuard(FCache);
    for (PVirtualNode n : FSelection)
        n->States.Exclude(nsSelected);
    FSelection.clear();
    Change(nullptr);
}

// ---- focus -----------------------------------------------------------------------------------

void TBaseVirtualTree::MoveFocus(PVirtualNode node, bool ask) {
    if (node == FRoot)
        node = nullptr;
    if (node != FFocusedNode) {
        bool allowed = true;
        if (ask && OnFocusChanging)
            OnFocusChanging(this, FFocusedNode, node, FFocusedColumn, FFocusedColumn, allowed);
        if (allowed) {
            if (FFocusedNode != nullptr)
                InvalidateNode(FFocusedNode);
            FFocusedNode = node;
            NotifyAccessibleRow(aeFocus, node);
        }
    }
    if (FFocusedNode != nullptr) {
        InvalidateNode(FFocusedNode);
        if (FUpdateCount == 0 && !FOptions.AutoOptions.Contains(toDisableAutoscrollOnFocus)) {
            const bool center =
                FOptions.SelectionOptions.Contains(toCenterScrollIntoView) &&
                !FStates.ContainsAny({tsLeftButtonDown, tsMiddleButtonDown, tsRightButtonDown});
            ScrollIntoView(FFocusedNode, center, true);
        }
    }
    if (FSelection.empty())
        FRangeAnchor = FFocusedNode;
}

void TBaseVirtualTree::SetFocusedNode(PVirtualNode node) {
    if (node == FRoot)
        node = nullptr;
    const bool differs = node != FFocusedNode;
    MoveFocus(node, true);
    if (differs && FFocusedNode == node && OnFocusChanged)
        OnFocusChanged(this, FFocusedNode, FFocusedColumn);
}
