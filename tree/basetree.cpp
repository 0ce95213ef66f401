// Construction, the control's events, the update counter and change notifications.
#include "tree/basetree.h"
#include "tree/tree_internal.h"
#include <algorithm>
#include <cstdlib>

using namespace mkb::text;

using namespace tree_detail;

TBaseVirtualTree::TBaseVirtualTree() {
    FStates.Include(tsWindowCreating);
    InitRootNode();
    FStates.Exclude(tsWindowCreating);
    // Drags from other programs are refused, but hovering still scrolls and opens nodes.
    RegisterDropTarget(FOptions.MiscOptions.Contains(toAcceptOLEDrop));
    FCache.RegisterWithWorker();
}

TBaseVirtualTree::~TBaseVirtualTree() {
    // Only OnFreeNode reaches the owner while the tree goes: the owner may be half gone.
    OnFocusChanged = nullptr;
    OnFocusChanging = nullptr;
    OnChange = nullptr;
    OnStructureChange = nullptr;
    OnScroll = nullptr;
    OnResize = nullptr;
    OnShowScrollbar = nullptr;
    FStates.Include(tsDestroying);
    FInput.StopPanning();
    ReleaseCapture();
    FCache.UnregisterFromWorker();
    // A read-only tree refuses deletions, but its nodes must still go.
    FOptions.MiscOptions.Exclude(toReadOnly);
    ++FUpdateCount;
    try {
        DeleteChildren(FRoot, false);
    } catch (...) {
        // A failing free handler cannot stop the destruction; the nodes are gone regardless.
    }
    FreeNodeMemory(FRoot);
    FRoot = nullptr;
}

TBaseVirtualTree::TNodeWatch::TNodeWatch(TBaseVirtualTree& tree, PVirtualNode node)
    : Tree(tree), Node(node) {
    Tree.FWatches.push_back(this);
}

TBaseVirtualTree::TNodeWatch::~TNodeWatch() {
    auto it = std::find(Tree.FWatches.rbegin(), Tree.FWatches.rend(), this);
    if (it != Tree.FWatches.rend())
        Tree.FWatches.erase(std::next(it).base());
}

void TBaseVirtualTree::DoStateChange(TVirtualTreeStates enter, TVirtualTreeStates leave) {
    FStates.Include(enter);
    FStates.Exclude(leave);
    FCache.NoteStates(FStates);
}

// ---- update counter --------------------------------------------------------------------------

void TBaseVirtualTree::BeginUpdate() {
    ++FUpdateCount;
}

void TBaseVirtualTree::EndUpdate() {
    if (FUpdateCount == 0)
        return;
    if (--FUpdateCount != 0)
        return;
    if (FStates.Contains(tsUpdateHiddenChildrenNeeded))
        RecountPendingNoVisibleChildren();
    InvalidatePositionCache();
    RevalidatePositionCache();
    UpdateScrollBars(true);
    Invalidate();
    NotifyAccessible(*this, aeRowsChanged);
    if (FStates.Contains(tsStructureChangePending))
        StructureChange(FLastStructureChangeNode, crIgnore);
    if (FStates.Contains(tsChangePending))
        Change(FLastChangedNode);
}

// ---- notifications ---------------------------------------------------------------------------

void TBaseVirtualTree::Change(PVirtualNode node) {
    KillTimer(ChangeTimer);
    FStates.Include(tsChangePending);
    FLastChangedNode = node;
    if (FUpdateCount != 0)
        return;
    if (FChangeDelay == 0 || FStates.Contains(tsSynchMode))
        FireChange();
    else
        SetTimer(ChangeTimer, FChangeDelay);
}

void TBaseVirtualTree::FireChange() {
    KillTimer(ChangeTimer);
    FStates.Exclude(tsChangePending);
    PVirtualNode node = FLastChangedNode;
    FLastChangedNode = nullptr;
    if (OnChange)
        OnChange(this, node);
}

void TBaseVirtualTree::StructureChange(PVirtualNode node, TChangeReason reason) {
    KillTimer(StructureChangeTimer);
    if (FStates.Contains(tsStructureChangePending)) {
        // Several changes in one report: the reasons merge, the node is that of the last one.
        if (reason != crIgnore &&
            (reason != FLastStructureChangeReason || node != FLastStructureChangeNode)) {
            FLastStructureChangeNode = node;
            FLastStructureChangeReason = crAccumulated;
        }
    } else {
        FLastStructureChangeNode = node;
        FLastStructureChangeReason = reason;
    }
    FStates.Include(tsStructureChangePending);
    if (FUpdateCount != 0)
        return;
    if (FChangeDelay == 0 || FStates.Contains(tsSynchMode))
        FireStructureChange();
    else
        SetTimer(StructureChangeTimer, FChangeDelay);
}

void TBaseVirtualTree::FireStructureChange() {
    KillTimer(StructureChangeTimer);
    FStates.Exclude(tsStructureChangePending);
    PVirtualNode node = FLastStructureChangeNode;
    const TChangeReason reason = FLastStructureChangeReason;
    FLastStructureChangeNode = nullptr;
    FLastStructureChangeReason = crIgnore;
    if (OnStructureChange)
        OnStructureChange(this, node, reason);
}

// ---- control events --------------------------------------------------------------------------

void TBaseVirtualTree::Timer(unsigned id) {
    if (id == ChangeTimer)
        FireChange();
    else if (id == StructureChangeTimer)
        FireStructureChange();
    else if (id == ScrollTimer)
        DoTimerScroll();
    else if (id == ExpandTimer)
        DoAutoExpand();
}

void TBaseVirtualTree::Paint(TCanvas& canvas, const TRect& updateRect) {
    // The update rectangle moved into content coordinates.
    const TRect window{updateRect.Left - FOffsetX, updateRect.Top - FOffsetY,
                       updateRect.Right - FOffsetX, updateRect.Bottom - FOffsetY};
    // The erase request never reaches the control: every pixel is painted here.
    RenderContent(canvas, window, {updateRect.Left, updateRect.Top}, AllPaintOptions, pf32bit);
}

void TBaseVirtualTree::Resize() {
    if (OnResize)
        OnResize(this);
    if (FStates.ContainsAny({tsWindowCreating, tsSizing}) || ClientHeight() < 1)
        return;
    FStates.Include(tsSizing);
    TScopeExit leave([this] { FStates.Exclude(tsSizing); });
    UpdateScrollBars(true);
}
