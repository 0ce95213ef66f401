#pragma once
// The position cache of one tree: every 2000th visible node with the content top of its row,
// built by the shared worker thread (worker.h), and the hand-off between the two threads.
#include "platform/thread.h"
#include "tree/tree_types.h"
#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

class TBaseVirtualTree;

// One entry of the position cache: a visible node and the content top of its row.
struct TCacheEntry {
    PVirtualNode Node;
    std::uint32_t AbsoluteTop;
};
using TCache = std::vector<TCacheEntry>;

// The private window message that carries the worker's state changes to a tree.
constexpr unsigned WM_CHANGESTATE = 0x8000 + 32;

class TPositionCache {
public:
    explicit TPositionCache(TBaseVirtualTree& tree);
    TPositionCache(const TPositionCache&) = delete;
    TPositionCache& operator=(const TPositionCache&) = delete;

    // ---- user-interface thread ----
    void RegisterWithWorker();
    void UnregisterFromWorker();
    // Meaningful only while tsUseCache is set.
    const TCache& Entries() const { return FEntries; }
    // Whether the worker has the tree queued or is building its cache now.
    bool ValidationPending() const;
    void InvalidatePositionCache();
    void RevalidatePositionCache();
    void StopCacheValidation();
    // Follows the tree's tsStopValidation for the worker's polling.
    void NoteStates(TVirtualTreeStates states) {
        FStopValidation.store(states.Contains(tsStopValidation), std::memory_order_relaxed);
    }
    // Where a walk to the content position y may start: a visible node and its row top.
    PVirtualNode StartByPosition(int y, int& top) const;
    // Where a walk to the node may start: a visible node at or before it and its row top.
    PVirtualNode StartByNode(PVirtualNode node, int& top) const;

    // Node fields the worker reads change only between these: a pending build is stopped
    // first and queued again afterwards.
    class TWriteGuard {
    public:
        explicit TWriteGuard(TPositionCache& cache);
        ~TWriteGuard();
        TWriteGuard(const TWriteGuard&) = delete;
        TWriteGuard& operator=(const TWriteGuard&) = delete;

    private:
        TPositionCache& Cache;
        bool Resume;
    };

    // ---- worker thread ----
    bool StopValidationRequested() const { return FStopValidation.load(std::memory_order_relaxed); }
    // The state change goes through the tree's mailbox and is made on the user-interface
    // thread.
    void SendCacheState(TVirtualTreeStates enter, TVirtualTreeStates leave);
    bool BuildPositionCache();

private:
    void HandleStateMessage(std::uintptr_t enterMask, std::intptr_t leaveMask);
    // The entry before the first one above the sought place, else the first visible node.
    PVirtualNode EntryBefore(TCache::const_iterator upper, int& top) const;

    TBaseVirtualTree& Tree;
    TCache FEntries;
    // tsStopValidation as the worker polls it.
    std::atomic<bool> FStopValidation{false};
    std::unique_ptr<TSyncMailbox> FMailbox;
    // Nesting depth of TWriteGuard and whether a rebuild was asked for meanwhile.
    unsigned FHold{0};
    bool FResume{false};
};
