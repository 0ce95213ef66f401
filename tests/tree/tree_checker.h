#pragma once
// Verifies the structural invariants of a whole tree: subtree counts and heights, indexes and
// child counts, sibling and parent links, the visible count, and the selection.
#include "tree/basetree.h"
#include <algorithm>
#include <functional>
#include <gtest/gtest.h>
#include <set>
#include <sstream>

inline ::testing::AssertionResult TreeInvariantsHold(const TBaseVirtualTree& tree) {
    std::ostringstream err;
    std::set<PVirtualNode> all;
    std::uint32_t visible = 0;
    std::size_t selectedFlags = 0;
    PVirtualNode root = tree.RootNode();

    // Returns SubtreeCount computed, checks the node's own totals.
    std::function<bool(PVirtualNode, bool)> check = [&](PVirtualNode node, bool ancestorsShown) {
        std::uint32_t count = 1;
        std::uint64_t height = node->NodeHeight;
        std::uint32_t index = 0;
        PVirtualNode prev = nullptr;
        const bool expanded = node->States.Contains(nsExpanded);
        const bool childShown =
            node == root || (ancestorsShown && expanded && node->States.Contains(nsVisible));
        for (PVirtualNode c = node->FirstChild; c != nullptr; c = c->NextSibling) {
            if (!all.insert(c).second) {
                err << "node " << c << " reached twice";
                return false;
            }
            if (c->Parent != node) {
                err << "child " << c << " has a wrong parent";
                return false;
            }
            if (c->PrevSibling != prev) {
                err << "child " << c << " has a wrong previous sibling";
                return false;
            }
            if (c->Index != index) {
                err << "child " << c << " has Index " << c->Index << ", expected " << index;
                return false;
            }
            if (childShown && c->States.Contains(nsVisible))
                ++visible;
            if (c->States.Contains(nsSelected))
                ++selectedFlags;
            if (!check(c, node == root ? true : childShown))
                return false;
            count += c->SubtreeCount;
            if (expanded && c->States.Contains(nsVisible))
                height += c->SubtreeHeight;
            prev = c;
            ++index;
        }
        if (node->LastChild != prev) {
            err << "node " << node << " has a wrong LastChild";
            return false;
        }
        if (node->ChildCount != index) {
            err << "node " << node << " has ChildCount " << node->ChildCount << " but " << index
                << " children";
            return false;
        }
        if (node->SubtreeCount != count) {
            err << "node " << node << " (level " << tree.GetNodeLevel(node) << ") SubtreeCount "
                << node->SubtreeCount << ", expected " << count;
            return false;
        }
        if (node->SubtreeHeight != height) {
            err << "node " << node << " (level " << tree.GetNodeLevel(node) << ") SubtreeHeight "
                << node->SubtreeHeight << ", expected " << height;
            return false;
        }
        return true;
    };
    if (!check(root, true))
        return ::testing::AssertionFailure() << err.str();
    if (tree.VisibleCount() != visible)
        return ::testing::AssertionFailure()
               << "VisibleCount " << tree.VisibleCount() << ", expected " << visible;
    const TNodeArray& sel = tree.GetSelection();
    if (!std::is_sorted(sel.begin(), sel.end(), std::less<PVirtualNode>()))
        return ::testing::AssertionFailure() << "selection not sorted by address";
    for (PVirtualNode n : sel)
        if (all.count(n) == 0 || !n->States.Contains(nsSelected))
            return ::testing::AssertionFailure()
                   << "selection holds " << n << " which is not a selected node of the tree";
    if (sel.size() != selectedFlags)
        return ::testing::AssertionFailure() << "selection has " << sel.size() << " entries, "
                                             << selectedFlags << " nodes are marked selected";
    if (tree.FocusedNode() != nullptr && all.count(tree.FocusedNode()) == 0)
        return ::testing::AssertionFailure() << "focused node is not in the tree";
    if (tree.RangeAnchor() != nullptr && all.count(tree.RangeAnchor()) == 0)
        return ::testing::AssertionFailure() << "range anchor is not in the tree";
    return ::testing::AssertionSuccess();
}
