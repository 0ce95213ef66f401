#pragma once
// The one background thread that builds the position caches of every tree of the process.
// All members but the loop itself are called on the user-interface thread.
#include "platform/thread.h"
#include <deque>
#include <memory>

class TBaseVirtualTree;

class TWorkerThread {
public:
    // Counts a tree in, starting the thread with the first one.
    static void RegisterTree(TBaseVirtualTree* tree);
    // Counts a tree out after stopping its build; the last one ends the thread.
    static void UnregisterTree(TBaseVirtualTree* tree);
    // The running worker, or none.
    static TWorkerThread* Instance();

    // Queues the tree unless it is queued already, and wakes the thread.
    void AddTree(TBaseVirtualTree* tree);
    void RemoveTree(TBaseVirtualTree* tree);
    bool IsCurrent(const TBaseVirtualTree* tree);
    bool IsQueued(const TBaseVirtualTree* tree);

    TWorkerThread();
    ~TWorkerThread();

private:
    void Execute();

    TLock ListLock;
    std::deque<TBaseVirtualTree*> WaitingList;
    TBaseVirtualTree* CurrentTree{nullptr};
    bool Terminated{false};
    unsigned TreeCount{0};
    TAutoResetEvent WakeUp;
    std::unique_ptr<TThread> Thread;
};
