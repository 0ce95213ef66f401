// Nodes and structure: allocation, child lists, deletion, initialisation, visibility and
// traversal.
#include "tree/basetree.h"
#include "tree/tree_internal.h"
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>

using namespace tree_detail;

namespace {
constexpr unsigned FallbackNodeHeight = 18;
constexpr std::uint8_t DefaultLineAlign = 50;
} // namespace

// ---- allocation ------------------------------------------------------------------------------

void TBaseVirtualTree::EnsureNodeDataSize() {
    if (FNodeDataSize != -1 || NodeDataSizeAsked)
        return;
    NodeDataSizeAsked = true;
    int size = 0;
    if (OnGetNodeDataSize)
        OnGetNodeDataSize(this, size);
    FNodeDataSize = size < 0 ? 0 : size;
}

PVirtualNode TBaseVirtualTree::MakeNewNode() {
    EnsureNodeDataSize();
    const std::size_t size = sizeof(TVirtualNode) + InternalDataSize +
                             static_cast<std::size_t>(std::max(FNodeDataSize, 0));
    auto* node = static_cast<TVirtualNode*>(std::calloc(1, size));
    if (node == nullptr)
        throw std::bad_alloc();
    node->SubtreeCount = 1;
    node->NodeHeight = static_cast<std::uint16_t>(FDefaultNodeHeight);
    node->SubtreeHeight = FDefaultNodeHeight;
    node->States = nsVisible;
    node->LineAlign = DefaultLineAlign;
    return node;
}

void TBaseVirtualTree::FreeNodeMemory(PVirtualNode node) {
    ForgetAccessibleRows();
    std::free(node);
}

void TBaseVirtualTree::InitRootNode() {
    auto* root =
        static_cast<TVirtualNode*>(std::calloc(1, sizeof(TVirtualNode) + InternalDataSize));
    if (root == nullptr)
        throw std::bad_alloc();
    if (Root != nullptr) {
        std::memcpy(root, Root, sizeof(TVirtualNode));
        FreeNodeMemory(Root);
    } else {
        root->States = {nsInitialized, nsExpanded, nsHasChildren, nsVisible};
        root->SubtreeCount = 1;
        root->NodeHeight = static_cast<std::uint16_t>(FDefaultNodeHeight);
        root->SubtreeHeight = FDefaultNodeHeight;
        root->LineAlign = DefaultLineAlign;
    }
    // Upward walks stop at the root; its sibling links refer to itself.
    root->Parent = nullptr;
    root->PrevSibling = root;
    root->NextSibling = root;
    Root = root;
}

unsigned TBaseVirtualTree::AllocateInternalDataArea(unsigned size) {
    if (Root->ChildCount != 0)
        throw EVirtualTreeError("Internal node data can only be requested before nodes exist.", 0);
    const unsigned offset = static_cast<unsigned>(sizeof(TVirtualNode)) + InternalDataSize;
    InternalDataSize += (size + 3) & ~3u;
    InitRootNode();
    return offset;
}

// ---- properties ------------------------------------------------------------------------------

void TBaseVirtualTree::SetNodeDataSize(int value) {
    if (value < -1)
        value = -1;
    // The same size again keeps the tree: a rebuild would only throw away every node's data,
    // state, focus and selection.
    if (value == FNodeDataSize)
        return;
    FNodeDataSize = value;
    NodeDataSizeAsked = false;
    // Nodes of the old size cannot be kept: the tree is rebuilt with as many fresh top-level
    // nodes as it had.
    const std::uint32_t count = Root->ChildCount;
    Clear();
    if (count != 0)
        SetChildCount(nullptr, count);
}

void TBaseVirtualTree::SetDefaultNodeHeight(unsigned value) {
    if (value == 0)
        value = FallbackNodeHeight;
    value = std::min<unsigned>(value, std::numeric_limits<std::uint16_t>::max());
    if (value == FDefaultNodeHeight)
        return;
    const int diff = static_cast<int>(value) - static_cast<int>(FDefaultNodeHeight);
    Root->NodeHeight = static_cast<std::uint16_t>(Root->NodeHeight + diff);
    Root->SubtreeHeight =
        static_cast<std::uint32_t>(static_cast<std::int64_t>(Root->SubtreeHeight) + diff);
    FDefaultNodeHeight = value;
    InvalidatePositionCache();
    if (FUpdateCount == 0) {
        UpdateScrollBars(true);
        Invalidate();
    }
}

void* TBaseVirtualTree::GetNodeData(PVirtualNode node) const {
    if (node == nullptr || node == Root || FNodeDataSize <= 0)
        return nullptr;
    return NodeBytes(node) + sizeof(TVirtualNode) + InternalDataSize;
}

std::uint32_t TBaseVirtualTree::GetNodeLevel(PVirtualNode node) const {
    if (node == nullptr || node == Root)
        return 0;
    std::uint32_t level = 0;
    for (PVirtualNode p = node->Parent; p != nullptr && p != Root; p = p->Parent)
        ++level;
    return level;
}

unsigned TBaseVirtualTree::NodeHeight(PVirtualNode node) const {
    return node == nullptr || node == Root ? 0 : node->NodeHeight;
}

bool TBaseVirtualTree::Expanded(PVirtualNode node) const {
    return node != nullptr && IsExpandedNode(node);
}

void TBaseVirtualTree::SetExpanded(PVirtualNode node, bool value) {
    if (node != nullptr && node != Root && value != IsExpandedNode(node))
        ToggleExpanded(node);
}

bool TBaseVirtualTree::IsVisible(PVirtualNode node) const {
    return node != nullptr && IsVisibleNode(node);
}

bool TBaseVirtualTree::Revealed(PVirtualNode node) const {
    if (node == nullptr || !IsVisibleNode(node))
        return false;
    if (node == Root)
        return true;
    for (PVirtualNode p = node->Parent; p != nullptr && p != Root; p = p->Parent)
        if (!IsExpandedNode(p) || !IsVisibleNode(p))
            return false;
    return true;
}

void TBaseVirtualTree::SetIsVisible(PVirtualNode node, bool value) {
    if (node == nullptr || node == Root || value == IsVisibleNode(node))
        return;
    StopCacheValidation();
    PVirtualNode parent = node->Parent;
    bool ancestorsShown = true;
    for (PVirtualNode p = parent; p != nullptr && p != Root; p = p->Parent)
        if (!IsExpandedNode(p) || !IsVisibleNode(p)) {
            ancestorsShown = false;
            break;
        }
    const std::uint32_t oldVisibleCount = FVisibleCount;
    if (value) {
        node->States.Include(nsVisible);
        if (IsExpandedNode(parent))
            AdjustSubtreeHeight(parent, node->SubtreeHeight, true);
        if (ancestorsShown)
            FVisibleCount += CountShownDescendants(node) + 1;
        parent->States.Exclude(nsNoVisibleChildren);
    } else {
        if (IsExpandedNode(parent))
            AdjustSubtreeHeight(parent, -static_cast<std::int64_t>(node->SubtreeHeight), true);
        if (ancestorsShown)
            FVisibleCount -= CountShownDescendants(node) + 1;
        node->States.Exclude(nsVisible);
        RecountNoVisibleChildren(parent);
    }
    InvalidatePositionCache();
    if (FVisibleCount != oldVisibleCount && FUpdateCount == 0) {
        RevalidatePositionCache();
        UpdateScrollBars(true);
        Invalidate();
    }
}

void TBaseVirtualTree::SetRevealed(PVirtualNode node, bool value) {
    if (node == nullptr || node == Root)
        return;
    SetIsVisible(node, value);
    if (!value)
        return;
    // An expansion handler may rebuild the path; a node that is freed ends the walk, and
    // while the node lives all its ancestors do.
    TNodeWatch watch(*this, node);
    for (PVirtualNode p = node->Parent; p != nullptr && p != Root; p = p->Parent) {
        if (!IsExpandedNode(p))
            ToggleExpanded(p);
        if (watch.Node == nullptr)
            return;
        if (!IsVisibleNode(p))
            SetIsVisible(p, true);
    }
}

// ---- totals ----------------------------------------------------------------------------------

void TBaseVirtualTree::AdjustSubtreeCount(PVirtualNode node, std::int64_t value, bool relative) {
    if (!relative)
        value -= node->SubtreeCount;
    if (value == 0)
        return;
    for (PVirtualNode n = node; n != nullptr; n = n->Parent)
        n->SubtreeCount = static_cast<std::uint32_t>(n->SubtreeCount + value);
}

void TBaseVirtualTree::AdjustSubtreeHeight(PVirtualNode node, std::int64_t value, bool relative) {
    if (!relative)
        value -= node->SubtreeHeight;
    if (value == 0)
        return;
    for (PVirtualNode n = node;;) {
        n->SubtreeHeight = static_cast<std::uint32_t>(n->SubtreeHeight + value);
        if (!IsVisibleNode(n) || n == Root || n->Parent == nullptr || !IsExpandedNode(n->Parent))
            break;
        n = n->Parent;
    }
}

void TBaseVirtualTree::UpdateNoVisibleChildren(PVirtualNode node) {
    if (node == nullptr || node == Root)
        return;
    bool none;
    if (node->ChildCount == 0) {
        none = !node->States.Contains(nsHasChildren);
    } else {
        none = true;
        for (PVirtualNode c = node->FirstChild; c != nullptr; c = c->NextSibling)
            if (IsVisibleNode(c)) {
                none = false;
                break;
            }
    }
    node->States.Set(nsNoVisibleChildren, none);
}

void TBaseVirtualTree::RecountNoVisibleChildren(PVirtualNode node) {
    if (FUpdateCount == 0) {
        UpdateNoVisibleChildren(node);
        return;
    }
    States.Include(tsUpdateHiddenChildrenNeeded);
    if (std::find(HiddenChildrenPending.begin(), HiddenChildrenPending.end(), node) ==
        HiddenChildrenPending.end())
        HiddenChildrenPending.push_back(node);
}

void TBaseVirtualTree::RecountPendingNoVisibleChildren() {
    States.Exclude(tsUpdateHiddenChildrenNeeded);
    std::vector<PVirtualNode> pending;
    pending.swap(HiddenChildrenPending);
    for (PVirtualNode node : pending)
        UpdateNoVisibleChildren(node);
}

// ---- growing and shrinking -------------------------------------------------------------------

void TBaseVirtualTree::SetChildCount(PVirtualNode node, std::uint32_t newCount) {
    if (Options.MiscOptions.Contains(toReadOnly))
        return;
    if (node == nullptr)
        node = Root;
    if (newCount == 0) {
        DeleteChildren(node, false);
        return;
    }
    if (newCount == node->ChildCount)
        return;
    StopCacheValidation();
    if (newCount > node->ChildCount) {
        const std::uint32_t wanted = newCount - node->ChildCount;
        std::uint32_t index = node->LastChild != nullptr ? node->LastChild->Index + 1 : 0;
        if (node->ChildCount == 0)
            node->States.Include(nsHasChildren);
        node->States.Exclude({nsNoVisibleChildren, nsMeasured});
        std::uint32_t made = 0;
        std::int64_t heightSum = 0;
        // Totals are settled for the nodes actually made, also when an allocation fails.
        auto settle = [&] {
            if (made == 0)
                return;
            if (IsExpandedNode(node)) {
                AdjustSubtreeHeight(node, heightSum, true);
                if (Revealed(node))
                    FVisibleCount += made;
            }
            AdjustSubtreeCount(node, made, true);
            node->ChildCount += made;
            InvalidatePositionCache();
        };
        try {
            for (; made < wanted; ++made) {
                PVirtualNode child = MakeNewNode();
                child->Index = index++;
                child->Parent = node;
                child->PrevSibling = node->LastChild;
                if (node->LastChild != nullptr)
                    node->LastChild->NextSibling = child;
                else
                    node->FirstChild = child;
                node->LastChild = child;
                heightSum += child->NodeHeight;
            }
        } catch (...) {
            settle();
            throw;
        }
        settle();
    } else {
        DeletionDepth++;
        while (node->ChildCount > newCount && node->LastChild != nullptr)
            DeleteNode(node->LastChild, false);
        DeletionDepth--;
    }
    if (FUpdateCount == 0) {
        RevalidatePositionCache();
        UpdateScrollBars(true);
        Invalidate();
    }
    StructureChange(node == Root ? nullptr : node, crChildAdded);
    RaisePendingDeletionError();
}

PVirtualNode TBaseVirtualTree::AddChild(PVirtualNode parent, void* userData) {
    if (Options.MiscOptions.Contains(toReadOnly))
        return nullptr;
    if (parent == nullptr)
        parent = Root;
    if (!parent->States.Contains(nsInitialized))
        InitNode(parent);
    {
        ++FUpdateCount;
        TScopeExit lower([this] { --FUpdateCount; });
        SetChildCount(parent, parent->ChildCount + 1);
    }
    parent->States.Exclude(nsNoVisibleChildren);
    PVirtualNode node = parent->LastChild;
    bool dataFits = true;
    if (userData != nullptr) {
        // The whole pointer is kept, so the area must be able to hold one.
        if (FNodeDataSize < static_cast<int>(sizeof(void*))) {
            dataFits = false;
        } else {
            std::memcpy(GetNodeData(node), &userData, sizeof(void*));
            node->States.Include(nsFreeEventNeeded);
        }
    }
    InvalidatePositionCache();
    if (FUpdateCount == 0) {
        RevalidatePositionCache();
        if (States.Contains(tsStructureChangePending))
            StructureChange(parent == Root ? nullptr : parent, crChildAdded);
        InvalidateToBottom(parent);
        UpdateScrollBars(true);
    }
    if (!dataFits)
        throw EVirtualTreeError("Cannot set initial user data because there is not enough user "
                                "data space allocated.",
                                2008);
    return node;
}

// ---- deleting --------------------------------------------------------------------------------

void TBaseVirtualTree::RaisePendingDeletionError() {
    if (DeletionDepth == 0 && DeletionError) {
        std::exception_ptr e = DeletionError;
        DeletionError = nullptr;
        std::rethrow_exception(e);
    }
}

void TBaseVirtualTree::DeleteChildren(PVirtualNode node, bool resetHasChildren) {
    if (node == nullptr || node->ChildCount == 0 || Options.MiscOptions.Contains(toReadOnly))
        return;
    const int oldX = FOffsetX, oldY = FOffsetY;
    {
        ++FUpdateCount;
        ++DeletionDepth;
        TScopeExit lower([this] {
            --FUpdateCount;
            --DeletionDepth;
        });
        StopCacheValidation();
        const bool onScreen = node == Root || (Revealed(node) && IsExpandedNode(node));
        node->States.Include(nsClearing);
        PVirtualNode child = node->LastChild;
        while (child != nullptr) {
            if (onScreen && IsVisibleNode(child))
                --FVisibleCount;
            child->States.Include(nsDeleting);
            PVirtualNode prev = child->PrevSibling;
            // Keep the list ends valid for handlers that run while the child is freed.
            if (prev != nullptr)
                prev->NextSibling = nullptr;
            else
                node->FirstChild = nullptr;
            node->LastChild = prev;
            --node->ChildCount;
            DeleteNode(child, false);
            child = prev;
        }
        node->States.Exclude(nsClearing);
        if (resetHasChildren)
            node->States.Exclude(nsHasChildren);
        if (node != Root)
            node->States.Exclude(nsExpanded);
        node->ChildCount = 0;
        if (node == Root) {
            Root->SubtreeHeight = Root->NodeHeight;
            Root->SubtreeCount = 1;
        } else if (node->States.Contains(nsDeleting)) {
            node->SubtreeHeight = node->NodeHeight;
            node->SubtreeCount = 1;
        } else {
            AdjustSubtreeHeight(node, node->NodeHeight, false);
            AdjustSubtreeCount(node, 1, false);
        }
        node->FirstChild = nullptr;
        node->LastChild = nullptr;
    }
    InvalidatePositionCache();
    if (FUpdateCount == 0) {
        RevalidatePositionCache();
        UpdateScrollBars(true);
        if (FOffsetX != oldX || FOffsetY != oldY)
            Invalidate();
        else
            InvalidateToBottom(node);
    }
    if (!node->States.Contains(nsDeleting))
        StructureChange(node == Root ? nullptr : node, crChildDeleted);
    RaisePendingDeletionError();
}

void TBaseVirtualTree::DeleteNode(PVirtualNode node, bool reindex) {
    if (node == nullptr || node == Root || Options.MiscOptions.Contains(toReadOnly))
        return;
    // Unlinking a node, childless or not, must not overlap a background build.
    StopCacheValidation();
    PVirtualNode parent = node->Parent;
    const bool parentClearing = parent->States.Contains(nsClearing);
    const int oldX = FOffsetX, oldY = FOffsetY;
    ++DeletionDepth;
    {
        TScopeExit lower([this] { --DeletionDepth; });
        if (!parentClearing)
            CallDuringDeletion(
                [&] { StructureChange(parent == Root ? nullptr : parent, crChildDeleted); });
        if (node->States.Contains(nsSelected)) {
            if (FUpdateCount == 0) {
                const bool synch = States.Contains(tsSynchMode);
                States.Include(tsSynchMode);
                CallDuringDeletion([&] { InternalRemoveFromSelection(node, true); });
                States.Set(tsSynchMode, synch);
            } else {
                // No entry may outlive its node, also inside an outer update.
                InternalRemoveFromSelection(node, false);
            }
        }
        InvalidateToBottom(parent);
        DeleteChildren(node, false);
        InternalDisconnectNode(node, false, reindex);
        DropReferences(node);
        if (node->States.ContainsAny({nsInitialized, nsFreeEventNeeded}) && OnFreeNode)
            CallDuringDeletion([&] { OnFreeNode(this, node); });
        FreeNodeMemory(node);
        if (!parentClearing) {
            UpdateNoVisibleChildren(parent);
            InvalidatePositionCache();
            if (FUpdateCount == 0) {
                RevalidatePositionCache();
                UpdateScrollBars(true);
                if (FOffsetX != oldX || FOffsetY != oldY)
                    Invalidate();
            }
        }
    }
    RaisePendingDeletionError();
}

void TBaseVirtualTree::InternalDisconnectNode(PVirtualNode node, bool keepFocus, bool reindex) {
    PVirtualNode parent = node->Parent;
    if (node == FFocusedNode && !keepFocus) {
        MoveFocus(nullptr, false);
        if (OnFocusChanged)
            CallDuringDeletion([&] { OnFocusChanged(this, nullptr, FFocusedColumn); });
    }
    if (node == FRangeAnchor)
        FRangeAnchor = FFocusedNode;
    if (parent != Root && !parent->States.Contains(nsClearing))
        RecountNoVisibleChildren(parent);
    if (node->States.Contains(nsDeleting))
        return;
    node->States.Exclude(nsChecking);
    const bool parentExpanded = IsExpandedNode(parent);
    const bool wasShown = Revealed(node);
    const std::uint32_t shown = wasShown ? CountShownDescendants(node) + 1 : 0;
    --parent->ChildCount;
    if (parent->ChildCount == 0) {
        parent->States.Exclude({nsNoVisibleChildren, nsHasChildren});
        if (parent != Root)
            parent->States.Exclude(nsExpanded);
    }
    AdjustSubtreeCount(parent, -static_cast<std::int64_t>(node->SubtreeCount), true);
    if (parentExpanded && IsVisibleNode(node))
        AdjustSubtreeHeight(parent, -static_cast<std::int64_t>(node->SubtreeHeight), true);
    FVisibleCount -= shown;
    if (node->PrevSibling != nullptr)
        node->PrevSibling->NextSibling = node->NextSibling;
    else
        parent->FirstChild = node->NextSibling;
    if (node->NextSibling != nullptr)
        node->NextSibling->PrevSibling = node->PrevSibling;
    else
        parent->LastChild = node->PrevSibling;
    if (reindex) {
        std::uint32_t index = node->Index;
        for (PVirtualNode s = node->NextSibling; s != nullptr; s = s->NextSibling)
            s->Index = index++;
    }
    node->PrevSibling = node->NextSibling = nullptr;
}

void TBaseVirtualTree::DropReferences(PVirtualNode node) {
    for (TNodeWatch* w : Watches)
        if (w->Node == node)
            w->Node = nullptr;
    if (LastChangedNode == node)
        LastChangedNode = nullptr;
    if (!HiddenChildrenPending.empty())
        std::erase(HiddenChildrenPending, node);
    // A pending structure change moves up to the nearest node that stays.
    if (LastStructureChangeNode == node)
        LastStructureChangeNode = node->Parent == Root ? nullptr : node->Parent;
    if (FRangeAnchor == node)
        FRangeAnchor = nullptr;
    if (DropTargetNode() == node)
        FInput.SetDropTarget(nullptr, dmNowhere);
}

void TBaseVirtualTree::Clear() {
    if (Options.MiscOptions.Contains(toReadOnly))
        return;
    BeginUpdate();
    {
        TScopeExit end([this] { EndUpdate(); });
        DeleteChildren(Root, false);
        FFocusedNode = nullptr;
        FRangeAnchor = nullptr;
        FOffsetX = 0;
        FOffsetY = 0;
    }
}

// ---- initialisation --------------------------------------------------------------------------

void TBaseVirtualTree::InitNode(PVirtualNode node) {
    if (node == nullptr || node == Root)
        return;
    TCacheWriteGuard cacheGuard(FCache);
    node->States.Include(nsInitialized);
    ResetNodeCaches(node);
    if (!OnInitNode)
        return;
    TVirtualNodeInitStates init;
    OnInitNode(this, node->Parent == Root ? nullptr : node->Parent, node, init);
    if (init.Contains(ivsDisabled))
        node->States.Include(nsDisabled);
    if (init.Contains(ivsHasChildren))
        node->States.Include(nsHasChildren);
    if (init.Contains(ivsSelected))
        InternalAddToSelection(node, false);
    if (init.Contains(ivsMultiline))
        node->States.Include(nsMultiline);
    if (init.Contains(ivsExpanded) != IsExpandedNode(node)) {
        if (init.Contains(ivsExpanded))
            ToggleExpanded(node);
        else if (node->States.Contains(nsHasChildren))
            InitChildren(node);
    }
}

void TBaseVirtualTree::InitChildren(PVirtualNode node) {
    if (node == nullptr || node == Root || !node->States.Contains(nsHasChildren))
        return;
    std::uint32_t count = node->ChildCount;
    if (OnInitChildren)
        OnInitChildren(this, node, count);
    if (count == 0) {
        DeleteChildren(node, true);
        node->States.Exclude(nsHasChildren);
    } else {
        SetChildCount(node, count);
    }
}
