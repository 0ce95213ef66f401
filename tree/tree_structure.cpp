// Nodes and structure: allocation, child lists, deletion, initialisation, visibility and
// traversal.
#include "tree/basetree.h"
#include "tree/tree_internal.h"
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>

using namespace mkb::text;

using namespace tree_detail;

namespace {
constexpr unsigned FallbackNodeHeight = 18;
constexpr std::uint8_t DefaultLineAlign = 50;
} // namespace

// ---- allocation ------------------------------------------------------------------------------

void TBaseVirtualTree::EnsureNodeDataSize() {
    if (FNodeDataSize != -1 || FNodeDataSizeAsked)
        return;
    FNodeDataSizeAsked = true;
    int size = 0;
    if (OnGetNodeDataSize)
        OnGetNodeDataSize(this, size);
    FNodeDataSize = size < 0 ? 0 : size;
}

PVirtualNode TBaseVirtualTree::MakeNewNode() {
    EnsureNodeDataSize();
    const std::size_t size = sizeof(TVirtualNode) + FInternalDataSize +
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
        static_cast<TVirtualNode*>(std::calloc(1, sizeof(TVirtualNode) + FInternalDataSize));
    if (root == nullptr)
        throw std::bad_alloc();
    if (FRoot != nullptr) {
        std::memcpy(root, FRoot, sizeof(TVirtualNode));
        FreeNodeMemory(FRoot);
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
    FRoot = root;
}

unsigned TBaseVirtualTree::AllocateInternalDataArea(unsigned size) {
    if (FRoot->ChildCount != 0)
        throw EVirtualTreeError("Internal node data can only be requested before nodes exist.", 0);
    const unsigned offset = static_cast<unsigned>(sizeof(TVirtualNode)) + FInternalDataSize;
    FInternalDataSize += (size + 3) & ~3u;
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
    FNodeDataSizeAsked = false;
    // Nodes of the old size cannot be kept: the tree is rebuilt with as many fresh top-level
    // nodes as it had.
    const std::uint32_t count = FRoot->ChildCount;
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
    FRoot->NodeHeight = static_cast<std::uint16_t>(FRoot->NodeHeight + diff);
    FRoot->SubtreeHeight =
        static_cast<std::uint32_t>(static_cast<std::int64_t>(FRoot->SubtreeHeight) + diff);
    FDefaultNodeHeight = value;
    InvalidatePositionCache();
    if (FUpdateCount == 0) {
        UpdateScrollBars(true);
        Invalidate();
    }
}

void* TBaseVirtualTree::GetNodeData(PVirtualNode node) const {
    if (node == nullptr || node == FRoot || FNodeDataSize <= 0)
        return nullptr;
    return NodeBytes(node) + sizeof(TVirtualNode) + FInternalDataSize;
}

std::uint32_t TBaseVirtualTree::GetNodeLevel(PVirtualNode node) const {
    if (node == nullptr || node == FRoot)
        return 0;
    std::uint32_t level = 0;
    for (PVirtualNode p = node->Parent; p != nullptr && p != FRoot; p = p->Parent)
        ++level;
    return level;
}

unsigned TBaseVirtualTree::NodeHeight(PVirtualNode node) const {
    return node == nullptr || node == FRoot ? 0 : node->NodeHeight;
}

bool TBaseVirtualTree::Expanded(PVirtualNode node) const {
    return node != nullptr && IsExpandedNode(node);
}

void TBaseVirtualTree::SetExpanded(PVirtualNode node, bool value) {
    if (node != nullptr && node != FRoot && value != IsExpandedNode(node))
        ToggleExpanded(node);
}

bool TBaseVirtualTree::IsVisible(PVirtualNode node) const {
    return node != nullptr && IsVisibleNode(node);
}

bool TBaseVirtualTree::Revealed(PVirtualNode node) const {
    if (node == nullptr || !IsVisibleNode(node))
        return false;
    if (node == FRoot)
        return true;
    for (PVirtualNode p = node->Parent; p != nullptr && p != FRoot; p = p->Parent)
        if (!IsExpandedNode(p) || !IsVisibleNode(p))
            return false;
    return true;
}

void TBaseVirtualTree::SetIsVisible(PVirtualNode node, bool value) {
    if (node == nullptr || node == FRoot || value == IsVisibleNode(node))
        return;
    StopCacheValidation();
    PVirtualNode parent = node->Parent;
    bool ancestorsShown = true;
    for (PVirtualNode p = parent; p != nullptr && p != FRoot; p = p->Parent)
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
    if (node == nullptr || node == FRoot)
        return;
    SetIsVisible(node, value);
    if (!value)
        return;
    // An expansion handler may rebuild the path; a node that is freed ends the walk, and
    // while the node lives all its ancestors do.
    TNodeWatch watch(*this, node);
    for (PVirtualNode p = node->Parent; p != nullptr && p != FRoot; p = p->Parent) {
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
        if (!IsVisibleNode(n) || n == FRoot || n->Parent == nullptr || !IsExpandedNode(n->Parent))
            break;
        n = n->Parent;
    }
}

void TBaseVirtualTree::UpdateNoVisibleChildren(PVirtualNode node) {
    if (node == nullptr || node == FRoot)
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
    FStates.Include(tsUpdateHiddenChildrenNeeded);
    if (std::find(FHiddenChildrenPending.begin(), FHiddenChildrenPending.end(), node) ==
        FHiddenChildrenPending.end())
        FHiddenChildrenPending.push_back(node);
}

void TBaseVirtualTree::RecountPendingNoVisibleChildren() {
    FStates.Exclude(tsUpdateHiddenChildrenNeeded);
    std::vector<PVirtualNode> pending;
    pending.swap(FHiddenChildrenPending);
    for (PVirtualNode node : pending)
        UpdateNoVisibleChildren(node);
}

// ---- growing and shrinking -------------------------------------------------------------------

void TBaseVirtualTree::SetChildCount(PVirtualNode node, std::uint32_t newCount) {
    if (FOptions.MiscOptions.Contains(toReadOnly))
        return;
    if (node == nullptr)
        node = FRoot;
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
        FDeletionDepth++;
        while (node->ChildCount > newCount && node->LastChild != nullptr)
            DeleteNode(node->LastChild, false);
        FDeletionDepth--;
    }
    if (FUpdateCount == 0) {
        RevalidatePositionCache();
        UpdateScrollBars(true);
        Invalidate();
    }
    StructureChange(node == FRoot ? nullptr : node, crChildAdded);
    RaisePendingDeletionError();
}

PVirtualNode TBaseVirtualTree::AddChild(PVirtualNode parent, void* userData) {
    if (FOptions.MiscOptions.Contains(toReadOnly))
        return nullptr;
    if (parent == nullptr)
        parent = FRoot;
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
        if (FStates.Contains(tsStructureChangePending))
            StructureChange(parent == FRoot ? nullptr : parent, crChildAdded);
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
    if (FDeletionDepth == 0 && FDeletionError) {
        std::exception_ptr e = FDeletionError;
        FDeletionError = nullptr;
        std::rethrow_exception(e);
    }
}

void TBaseVirtualTree::DeleteChildren(PVirtualNode node, bool resetHasChildren) {
    if (node == nullptr || node->ChildCount == 0 || FOptions.MiscOptions.Contains(toReadOnly))
        return;
    const int oldX = FOffsetX, oldY = FOffsetY;
    {
        ++FUpdateCount;
        ++FDeletionDepth;
        TScopeExit lower([this] {
            --FUpdateCount;
            --FDeletionDepth;
        });
        StopCacheValidation();
        const bool onScreen = node == FRoot || (Revealed(node) && IsExpandedNode(node));
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
        if (node != FRoot)
            node->States.Exclude(nsExpanded);
        node->ChildCount = 0;
        if (node == FRoot) {
            FRoot->SubtreeHeight = FRoot->NodeHeight;
            FRoot->SubtreeCount = 1;
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
        StructureChange(node == FRoot ? nullptr : node, crChildDeleted);
    RaisePendingDeletionError();
}

void TBaseVirtualTree::DeleteNode(PVirtualNode node, bool reindex) {
    if (node == nullptr || node == FRoot || FOptions.MiscOptions.Contains(toReadOnly))
        return;
    // Unlinking a node, childless or not, must not overlap a background build.
    StopCacheValidation();
    PVirtualNode parent = node->Parent;
    const bool parentClearing = parent->States.Contains(nsClearing);
    const int oldX = FOffsetX, oldY = FOffsetY;
    ++FDeletionDepth;
    {
        TScopeExit lower([this] { --FDeletionDepth; });
        if (!parentClearing)
            CallDuringDeletion(
                [&] { StructureChange(parent == FRoot ? nullptr : parent, crChildDeleted); });
        if (node->States.Contains(nsSelected)) {
            if (FUpdateCount == 0) {
                const bool synch = FStates.Contains(tsSynchMode);
                FStates.Include(tsSynchMode);
                CallDuringDeletion([&] { InternalRemoveFromSelection(node, true); });
                FStates.Set(tsSynchMode, synch);
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
    if (parent != FRoot && !parent->States.Contains(nsClearing))
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
        if (parent != FRoot)
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
    for (TNodeWatch* w : FWatches)
        if (w->Node == node)
            w->Node = nullptr;
    if (FLastChangedNode == node)
        FLastChangedNode = nullptr;
    if (!FHiddenChildrenPending.empty())
        std::erase(FHiddenChildrenPending, node);
    // A pending structure change moves up to the nearest node that stays.
    if (FLastStructureChangeNode == node)
        FLastStructureChangeNode = node->Parent == FRoot ? nullptr : node->Parent;
    if (FRangeAnchor == node)
        FRangeAnchor = nullptr;
    if (DropTargetNode() == node)
        FInput.SetDropTarget(nullptr, dmNowhere);
}

void TBaseVirtualTree::Clear() {
    if (FOptions.MiscOptions.Contains(toReadOnly))
        return;
    BeginUpdate();
    {
        TScopeExit end([this] { EndUpdate(); });
        DeleteChildren(FRoot, false);
        FFocusedNode = nullptr;
        FRangeAnchor = nullptr;
        FOffsetX = 0;
        FOffsetY = 0;
    }
}

// ---- initialisation --------------------------------------------------------------------------

void TBaseVirtualTree::InitNode(PVirtualNode node) {
    if (node == nullptr || node == FRoot)
        return;
    TCacheWriteGuard cacheGuard(FCache);
    node->States.Include(nsInitialized);
    ResetNodeCaches(node);
    if (!OnInitNode)
        return;
    TVirtualNodeInitStates init;
    OnInitNode(this, node->Parent == FRoot ? nullptr : node->Parent, node, init);
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
    if (node == nullptr || node == FRoot || !node->States.Contains(nsHasChildren))
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
