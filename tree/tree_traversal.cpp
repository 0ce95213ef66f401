// Traversal in display order, without initialising (visible rows) and with it (children).
#include "tree/basetree.h"
#include "tree/tree_internal.h"

using namespace tree_detail;

// ---- traversal -------------------------------------------------------------------------------

PVirtualNode TBaseVirtualTree::GetFirstVisibleNoInit() const {
    PVirtualNode n = FRoot->FirstChild;
    while (n != nullptr && !IsVisibleNode(n))
        n = n->NextSibling;
    return n;
}

PVirtualNode TBaseVirtualTree::GetNextVisibleNoInit(PVirtualNode node) const {
    if (node == nullptr || node == FRoot)
        return nullptr;
    if (IsExpandedNode(node))
        for (PVirtualNode c = node->FirstChild; c != nullptr; c = c->NextSibling)
            if (IsVisibleNode(c))
                return c;
    for (PVirtualNode n = node; n != nullptr && n != FRoot; n = n->Parent)
        for (PVirtualNode s = n->NextSibling; s != nullptr; s = s->NextSibling)
            if (IsVisibleNode(s))
                return s;
    return nullptr;
}

PVirtualNode TBaseVirtualTree::GetLastVisibleChildNoInit(PVirtualNode node) const {
    if (node == nullptr)
        node = FRoot;
    if (!IsExpandedNode(node))
        return nullptr;
    PVirtualNode c = node->LastChild;
    while (c != nullptr && !IsVisibleNode(c))
        c = c->PrevSibling;
    return c;
}

PVirtualNode TBaseVirtualTree::GetLastVisibleNoInit(PVirtualNode node) const {
    PVirtualNode n = GetLastVisibleChildNoInit(node);
    while (n != nullptr) {
        PVirtualNode next = GetLastVisibleChildNoInit(n);
        if (next == nullptr)
            break;
        n = next;
    }
    return n;
}

PVirtualNode TBaseVirtualTree::GetPreviousVisibleNoInit(PVirtualNode node) const {
    if (node == nullptr || node == FRoot)
        return nullptr;
    PVirtualNode s = node->PrevSibling;
    while (s != nullptr && !IsVisibleNode(s))
        s = s->PrevSibling;
    if (s == nullptr)
        return node->Parent == FRoot ? nullptr : node->Parent;
    for (PVirtualNode c = GetLastVisibleChildNoInit(s); c != nullptr;
         c = GetLastVisibleChildNoInit(s))
        s = c;
    return s;
}

// Initialises node (the root for none) and creates its children if it has some not made yet;
// then the child at the chosen end, initialised too.
PVirtualNode TBaseVirtualTree::ChildAtEnd(PVirtualNode node, bool last) {
    if (node == nullptr)
        node = FRoot;
    if (!node->States.Contains(nsInitialized))
        InitNode(node);
    if (node->States.Contains(nsHasChildren) && node->ChildCount == 0)
        InitChildren(node);
    PVirtualNode c = last ? node->LastChild : node->FirstChild;
    if (c != nullptr && !c->States.Contains(nsInitialized))
        InitNode(c);
    return c;
}

PVirtualNode TBaseVirtualTree::GetFirstChild(PVirtualNode node) {
    return ChildAtEnd(node, false);
}

PVirtualNode TBaseVirtualTree::GetLastChild(PVirtualNode node) {
    return ChildAtEnd(node, true);
}

std::uint32_t TBaseVirtualTree::CountShownDescendants(PVirtualNode node) const {
    if (node == nullptr || !IsExpandedNode(node))
        return 0;
    std::uint32_t count = 0;
    PVirtualNode n = node->FirstChild;
    while (n != nullptr) {
        if (IsVisibleNode(n)) {
            ++count;
            if (IsExpandedNode(n) && n->FirstChild != nullptr) {
                n = n->FirstChild;
                continue;
            }
        }
        while (n != node && n->NextSibling == nullptr)
            n = n->Parent;
        if (n == node)
            break;
        n = n->NextSibling;
    }
    return count;
}
