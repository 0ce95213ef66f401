// The tree as screen readers see it: its visible rows in display order, numbered afresh after
// every change of the rows (ForgetAccessibleRows), so a number never reaches a freed node.
#include "tree/basetree.h"
#include "tree/tree_internal.h"
#include <algorithm>

using namespace tree_detail;

TAccessibleDescription* TBaseVirtualTree::AccessibleDescription() {
    if (FStates.Contains(tsDestroying))
        return nullptr;
    return static_cast<TAccessibleTree*>(this);
}

PVirtualNode TBaseVirtualTree::AccessibleRow(int row) {
    if (!FAccessibleRowsBuilt) {
        FAccessibleRows.clear();
        FAccessibleRows.reserve(FVisibleCount);
        std::int64_t top = 0;
        WalkVisibleRows(GetFirstVisibleNoInit(), top, [this](PVirtualNode n, std::int64_t) {
            FAccessibleRows.push_back(n);
            return true;
        });
        FAccessibleRowsBuilt = true;
    }
    if (row < 0 || static_cast<std::size_t>(row) >= FAccessibleRows.size())
        return nullptr;
    return FAccessibleRows[static_cast<std::size_t>(row)];
}

int TBaseVirtualTree::AccessibleRowOf(PVirtualNode node) {
    if (node == nullptr || node == FRoot || AccessibleRow(0) == nullptr)
        return -1;
    auto it = std::find(FAccessibleRows.begin(), FAccessibleRows.end(), node);
    return it == FAccessibleRows.end() ? -1 : static_cast<int>(it - FAccessibleRows.begin());
}

void TBaseVirtualTree::NotifyAccessibleRow(TAccessibleEvent event, PVirtualNode node) {
    // Finding the row costs a walk over the rows; nobody listens most of the time.
    if (!AccessibilityActive() || FStates.Contains(tsDestroying))
        return;
    const int row = AccessibleRowOf(node);
    if (row >= 0)
        NotifyAccessible(*this, event, row);
}

int TBaseVirtualTree::RowCount() {
    AccessibleRow(0);
    return static_cast<int>(FAccessibleRows.size());
}

std::u16string TBaseVirtualTree::RowName(int row) {
    PVirtualNode node = AccessibleRow(row);
    return node != nullptr ? AccessibleNodeName(node) : std::u16string();
}

int TBaseVirtualTree::RowLevel(int row) {
    PVirtualNode node = AccessibleRow(row);
    return node != nullptr ? static_cast<int>(GetNodeLevel(node)) + 1 : 0;
}

TAccessibleRowStates TBaseVirtualTree::RowStates(int row) {
    TAccessibleRowStates s;
    PVirtualNode node = AccessibleRow(row);
    if (node == nullptr)
        return s;
    // A node not yet initialised may still have children: its expand button says so.
    if (node->States.Contains(nsHasChildren) || node->ChildCount > 0)
        s |= arsExpandable;
    if (IsExpandedNode(node) && node->ChildCount > 0)
        s |= arsExpanded;
    if (node->States.Contains(nsSelected))
        s |= arsSelected;
    if (node == FFocusedNode)
        s |= arsFocused;
    return s;
}

int TBaseVirtualTree::RowChildCount(int row) {
    PVirtualNode node = AccessibleRow(row);
    return node != nullptr ? static_cast<int>(node->ChildCount) : 0;
}

TRect TBaseVirtualTree::RowRect(int row) {
    PVirtualNode node = AccessibleRow(row);
    return node != nullptr ? GetDisplayRect(node) : TRect{};
}

int TBaseVirtualTree::RowAt(TPoint p) {
    if (p.X < 0 || p.Y < 0 || p.X >= ClientWidth() || p.Y >= ClientHeight())
        return -1;
    return AccessibleRowOf(GetNodeAt(p.Y, true));
}

int TBaseVirtualTree::FocusedRow() {
    return AccessibleRowOf(FFocusedNode);
}

bool TBaseVirtualTree::DoRowAction(int row, TAccessibleRowAction action) {
    PVirtualNode node = AccessibleRow(row);
    if (node == nullptr || !Enabled())
        return false;
    const TAccessibleRowStates s = RowStates(row);
    switch (action) {
    case araExpand:
        if (!s.Contains(arsExpandable) || s.Contains(arsExpanded))
            return false;
        ToggleExpanded(node);
        return true;
    case araCollapse:
        if (!s.Contains(arsExpanded))
            return false;
        ToggleExpanded(node);
        return true;
    case araSelect: {
        // As a click on the row: the row alone selected, then focused, so the owner's focus
        // handler sees the selection it expects.
        TNodeWatch watch(*this, node);
        ClearSelection();
        if (watch.Node != nullptr)
            AddToSelection(watch.Node);
        if (watch.Node != nullptr)
            SetFocusedNode(watch.Node);
        return watch.Node != nullptr;
    }
    }
    return false;
}
