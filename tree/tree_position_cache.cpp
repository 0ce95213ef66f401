// The position cache: every 2000th visible node with the top of its row, built by the shared
// worker thread and used by the lookups of a row by position and of a node's top.
//
// How the worker's reads stay safe: the worker reads node links, node states, NodeHeight and
// the tree's visible count while the user-interface thread owns the tree. Every operation that
// writes any of these stops a pending build before it writes (and, when one was pending, queues the
// tree again afterwards): the structural operations and visibility changes stop on their own, and
// toggling, initialising and (de)selecting a node do so through TWriteGuard, which also
// holds back any rebuild its event handlers ask for until it has finished writing. Stopping
// waits until the worker has left the tree, so no write ever overlaps a read; a cheap flag
// check alone could not give that, because the state word the worker reads also carries
// selection and initialisation bits. A build that finished just before such a stop may still
// enter tsUseCache through its final message, handled while the stop waits; the stop therefore
// leaves tsUseCache again once the worker is gone, so a cache built before a change is never
// consulted after it.
//
// How the worker's state messages reach the tree: each tree has a mailbox that the worker
// fills and then waits on. The user-interface thread handles the message from a posted event
// when its event loop runs, or directly from StopCacheValidation's wait, so a stop never waits
// for a worker that is itself waiting for the user-interface thread.
#include "tree/tree_position_cache.h"
#include "tree/basetree.h"
#include "tree/tree_internal.h"
#include "tree/worker.h"
#include <algorithm>
#include <climits>
#include <system_error>

using namespace tree_detail;

namespace {
constexpr std::uint32_t CacheThreshold = 2000;

// The 4-bit masks of the state message.
std::uintptr_t StatesToMask(TVirtualTreeStates states) {
    std::uintptr_t mask = 0;
    if (states.Contains(tsStopValidation))
        mask |= 1;
    if (states.Contains(tsUseCache))
        mask |= 2;
    if (states.Contains(tsValidating))
        mask |= 4;
    if (states.Contains(tsValidationNeeded))
        mask |= 8;
    return mask;
}

TVirtualTreeStates MaskToStates(std::uintptr_t mask) {
    TVirtualTreeStates states;
    if (mask & 1)
        states.Include(tsStopValidation);
    if (mask & 2)
        states.Include(tsUseCache);
    if (mask & 4)
        states.Include(tsValidating);
    if (mask & 8)
        states.Include(tsValidationNeeded);
    return states;
}

// Order of two nodes of one tree in display order: negative when a comes first.
int CompareNodePositions(PVirtualNode a, PVirtualNode b) {
    if (a == b)
        return 0;
    auto depth = [](PVirtualNode n) {
        unsigned d = 0;
        for (; n->Parent != nullptr; n = n->Parent)
            ++d;
        return d;
    };
    unsigned da = depth(a), db = depth(b);
    PVirtualNode ra = a, rb = b;
    while (da > db) {
        ra = ra->Parent;
        --da;
    }
    while (db > da) {
        rb = rb->Parent;
        --db;
    }
    // One is an ancestor of the other: the descendant comes after.
    if (ra == rb)
        return a == ra ? -1 : 1;
    while (ra->Parent != rb->Parent) {
        ra = ra->Parent;
        rb = rb->Parent;
    }
    return ra->Index < rb->Index ? -1 : 1;
}
} // namespace

// ---- registration ----------------------------------------------------------------------------

TPositionCache::TPositionCache(TBaseVirtualTree& tree) : Tree(tree) {}

void TPositionCache::RegisterWithWorker() {
    FMailbox = std::make_unique<TSyncMailbox>(
        [this](unsigned message, std::uintptr_t enter, std::intptr_t leave) {
            if (message == WM_CHANGESTATE)
                HandleStateMessage(enter, leave);
        });
    try {
        TWorkerThread::Register(this);
    } catch (const std::system_error& e) {
        throw EMkbError(e.what());
    }
}

void TPositionCache::UnregisterFromWorker() {
    TWorkerThread::Unregister(this);
}

// ---- state changes ---------------------------------------------------------------------------

void TPositionCache::SendCacheState(TVirtualTreeStates enter, TVirtualTreeStates leave) {
    FMailbox->Send(WM_CHANGESTATE, StatesToMask(enter),
                   static_cast<std::intptr_t>(StatesToMask(leave)));
}

void TPositionCache::HandleStateMessage(std::uintptr_t enterMask, std::intptr_t leaveMask) {
    Tree.DoStateChange(MaskToStates(enterMask),
                       MaskToStates(static_cast<std::uintptr_t>(leaveMask)));
}

bool TPositionCache::ValidationPending() const {
    TWorkerThread* worker = TWorkerThread::Instance();
    return worker != nullptr && worker->IsQueued(this);
}

void TPositionCache::InvalidatePositionCache() {
    Tree.DoStateChange({tsValidationNeeded}, {tsUseCache});
}

void TPositionCache::StopCacheValidation() {
    Tree.DoStateChange({tsStopValidation}, {tsUseCache});
    TWorkerThread* worker = TWorkerThread::Instance();
    if (worker == nullptr)
        return;
    const bool wasValidating = Tree.FStates.Contains(tsValidating);
    worker->Remove(this);
    bool waited = false;
    // No sleeping: the worker ends the build at its next node and only needs its messages
    // handled to let go of the tree.
    while (worker->IsCurrent(this)) {
        waited = true;
        if (!FMailbox->Dispatch())
            std::this_thread::yield();
    }
    // The interrupted build, or one that finished while we waited, has to be done again.
    if (waited || wasValidating)
        Tree.DoStateChange({tsValidationNeeded}, {tsUseCache});
}

void TPositionCache::RevalidatePositionCache() {
    StopCacheValidation();
    // Event handlers run inside a guarded write may change the structure and ask for a
    // rebuild; it waits until the outermost guard has finished writing.
    if (FHold > 0) {
        FResume = true;
        return;
    }
    TWorkerThread* worker = TWorkerThread::Instance();
    if (worker == nullptr || !Tree.FStates.Contains(tsValidationNeeded))
        return;
    Tree.DoStateChange({}, {tsStopValidation});
    worker->Add(this);
}

TPositionCache::TWriteGuard::TWriteGuard(TPositionCache& cache)
    : Cache(cache), Resume(cache.ValidationPending()) {
    ++Cache.FHold;
    if (Resume)
        Cache.StopCacheValidation();
}

TPositionCache::TWriteGuard::~TWriteGuard() {
    if (--Cache.FHold != 0)
        return;
    const bool resume = Resume || Cache.FResume;
    Cache.FResume = false;
    // Inside an update the final EndUpdate revalidates.
    if (resume && Cache.Tree.FUpdateCount == 0 && !Cache.Tree.FStates.Contains(tsDestroying))
        Cache.RevalidatePositionCache();
}

// ---- building (worker thread) ----------------------------------------------------------------

bool TPositionCache::BuildPositionCache() {
    if (StopValidationRequested())
        return false;
    FEntries.clear();
    const std::uint32_t visible = Tree.FVisibleCount;
    if (visible <= CacheThreshold)
        return false;
    const std::size_t entries = (visible + CacheThreshold - 1) / CacheThreshold;
    FEntries.reserve(entries);
    std::int64_t top = 0;
    std::uint32_t visited = 0;
    Tree.WalkVisibleRows(Tree.GetFirstVisibleNoInit(), top,
                         [&](PVirtualNode node, std::int64_t rowTop) {
                             if (StopValidationRequested() || FEntries.size() == entries)
                                 return false;
                             if (visited % CacheThreshold == 0)
                                 FEntries.push_back({node, static_cast<std::uint32_t>(rowTop)});
                             ++visited;
                             return true;
                         });
    return visited > 1 && !StopValidationRequested();
}

// ---- lookups ---------------------------------------------------------------------------------

PVirtualNode TPositionCache::EntryBefore(TCache::const_iterator upper, int& top) const {
    if (upper == FEntries.begin()) {
        top = 0;
        return Tree.GetFirstVisibleNoInit();
    }
    const TCacheEntry& e = *(upper - 1);
    top = static_cast<int>(std::min<std::uint32_t>(e.AbsoluteTop, INT_MAX));
    return e.Node;
}

PVirtualNode TPositionCache::StartByPosition(int y, int& top) const {
    if (Tree.FStates.Contains(tsUseCache) && !FEntries.empty() && y >= 0) {
        const auto yy = static_cast<std::uint32_t>(y);
        auto it = std::upper_bound(
            FEntries.begin(), FEntries.end(), yy,
            [](std::uint32_t v, const TCacheEntry& e) { return v < e.AbsoluteTop; });
        return EntryBefore(it, top);
    }
    top = 0;
    return Tree.GetFirstVisibleNoInit();
}

PVirtualNode TPositionCache::StartByNode(PVirtualNode node, int& top) const {
    if (Tree.FStates.Contains(tsUseCache) && !FEntries.empty() && node != nullptr) {
        auto it = std::upper_bound(FEntries.begin(), FEntries.end(), node,
                                   [](PVirtualNode n, const TCacheEntry& e) {
                                       return CompareNodePositions(n, e.Node) < 0;
                                   });
        return EntryBefore(it, top);
    }
    top = 0;
    return Tree.GetFirstVisibleNoInit();
}
