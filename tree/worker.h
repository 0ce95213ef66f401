#pragma once
// The one background thread that builds the position caches of every tree of the process.
// All members but the loop itself are called on the user-interface thread.
#include "platform/thread.h"
#include <deque>
#include <memory>

class TPositionCache;

class TWorkerThread {
public:
    // Counts a tree's cache in, starting the thread with the first one.
    static void Register(TPositionCache* cache);
    // Counts a tree's cache out after stopping its build; the last one ends the thread.
    static void Unregister(TPositionCache* cache);
    // The running worker, or none.
    static TWorkerThread* Instance();

    // Queues the cache unless it is queued already, and wakes the thread.
    void Add(TPositionCache* cache);
    void Remove(TPositionCache* cache);
    bool IsCurrent(const TPositionCache* cache);
    bool IsQueued(const TPositionCache* cache);

    TWorkerThread();
    ~TWorkerThread();

private:
    void Execute();

    TLock ListLock;
    std::deque<TPositionCache*> WaitingList;
    TPositionCache* Current{nullptr};
    bool Terminated{false};
    unsigned TreeCount{0};
    TAutoResetEvent WakeUp;
    std::unique_ptr<TThread> Thread;
};
