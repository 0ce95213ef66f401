// Construction, the control's events, the update counter and change notifications.
#include "tree/basetree.h"
#include "tree/tree_internal.h"
#include <algorithm>
#include <cstdlib>

using namespace tree_detail;

TBaseVirtualTree::TBaseVirtualTree() {
    States.Include(tsWindowCreating);
    InitRootNode();
    States.Exclude(tsWindowCreating);
    // Drags from other programs are refused, but hovering still scrolls and opens nodes.
    RegisterDropTarget(Options.MiscOptions.Contains(toAcceptOLEDrop));
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
    States.Include(tsDestroying);
    FInput.StopPanning();
    ReleaseCapture();
    FCache.UnregisterFromWorker();
    // A read-only tree refuses deletions, but its nodes must still go.
    Options.MiscOptions.Exclude(toReadOnly);
    ++FUpdateCount;
    try {
        DeleteChildren(Root, false);
    } catch (...) {
        // A failing free handler cannot stop the destruction; the nodes are gone regardless.
    }
    FreeNodeMemory(Root);
    Root = nullptr;
}

TBaseVirtualTree::TNodeWatch::TNodeWatch(TBaseVirtualTree& tree, PVirtualNode node)
    : Tree(tree), Node(node) {
    Tree.Watches.push_back(this);
}

TBaseVirtualTree::TNodeWatch::~TNodeWatch() {
    auto it = std::find(Tree.Watches.rbegin(), Tree.Watches.rend(), this);
    if (it != Tree.Watches.rend())
        Tree.Watches.erase(std::next(it).base());
}

void TBaseVirtualTree::DoStateChange(TVirtualTreeStates enter, TVirtualTreeStates leave) {
    States.Include(enter);
    States.Exclude(leave);
    FCache.NoteStates(States);
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
    if (States.Contains(tsUpdateHiddenChildrenNeeded))
        RecountPendingNoVisibleChildren();
    InvalidatePositionCache();
    RevalidatePositionCache();
    UpdateScrollBars(true);
    Invalidate();
    NotifyAccessible(*this, aeRowsChanged);
    if (States.Contains(tsStructureChangePending))
        StructureChange(LastStructureChangeNode, crIgnore);
    if (States.Contains(tsChangePending))
        Change(LastChangedNode);
}

// ---- notifications ---------------------------------------------------------------------------

void TBaseVirtualTree::Change(PVirtualNode node) {
    KillTimer(ChangeTimer);
    States.Include(tsChangePending);
    LastChangedNode = node;
    if (FUpdateCount != 0)
        return;
    if (FChangeDelay == 0 || States.Contains(tsSynchMode))
        FireChange();
    else
        SetTimer(ChangeTimer, FChangeDelay);
}

void TBaseVirtualTree::FireChange() {
    KillTimer(ChangeTimer);
    States.Exclude(tsChangePending);
    PVirtualNode node = LastChangedNode;
    LastChangedNode = nullptr;
    if (OnChange)
        OnChange(this, node);
}

void TBaseVirtualTree::StructureChange(PVirtualNode node, TChangeReason reason) {
    KillTimer(StructureChangeTimer);
    if (States.Contains(tsStructureChangePending)) {
        // Several changes in one report: the reasons merge, the node is that of the last one.
        if (reason != crIgnore &&
            (reason != LastStructureChangeReason || node != LastStructureChangeNode)) {
            LastStructureChangeNode = node;
            LastStructureChangeReason = crAccumulated;
        }
    } else {
        LastStructureChangeNode = node;
        LastStructureChangeReason = reason;
    }
    States.Include(tsStructureChangePending);
    if (FUpdateCount != 0)
        return;
    if (FChangeDelay == 0 || States.Contains(tsSynchMode))
        FireStructureChange();
    else
        SetTimer(StructureChangeTimer, FChangeDelay);
}

void TBaseVirtualTree::FireStructureChange() {
    KillTimer(StructureChangeTimer);
    States.Exclude(tsStructureChangePending);
    PVirtualNode node = LastStructureChangeNode;
    const TChangeReason reason = LastStructureChangeReason;
    LastStructureChangeNode = nullptr;
    LastStructureChangeReason = crIgnore;
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
    if (States.ContainsAny({tsWindowCreating, tsSizing}) || ClientHeight() < 1)
        return;
    States.Include(tsSizing);
    TScopeExit leave([this] { States.Exclude(tsSizing); });
    UpdateScrollBars(true);
}
