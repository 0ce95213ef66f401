#include "tree/worker.h"
#include "tree/basetree.h"
#include <algorithm>

namespace {
// Touched only on the user-interface thread.
std::unique_ptr<TWorkerThread> Worker;
} // namespace

TWorkerThread* TWorkerThread::Instance() {
    return Worker.get();
}

void TWorkerThread::RegisterTree(TBaseVirtualTree* tree) {
    if (!Worker)
        Worker = std::make_unique<TWorkerThread>();
    ++Worker->TreeCount;
}

void TWorkerThread::UnregisterTree(TBaseVirtualTree* tree) {
    if (!Worker)
        return;
    --Worker->TreeCount;
    tree->StopCacheValidation();
    if (Worker->TreeCount == 0)
        Worker.reset();
}

TWorkerThread::TWorkerThread() {
    Thread = std::make_unique<TThread>([this] { Execute(); });
}

TWorkerThread::~TWorkerThread() {
    {
        TLockGuard lock(ListLock);
        Terminated = true;
    }
    WakeUp.SetEvent();
    Thread->WaitFor();
}

void TWorkerThread::AddTree(TBaseVirtualTree* tree) {
    {
        TLockGuard lock(ListLock);
        if (std::find(WaitingList.begin(), WaitingList.end(), tree) == WaitingList.end())
            WaitingList.push_back(tree);
    }
    WakeUp.SetEvent();
}

void TWorkerThread::RemoveTree(TBaseVirtualTree* tree) {
    TLockGuard lock(ListLock);
    WaitingList.erase(std::remove(WaitingList.begin(), WaitingList.end(), tree), WaitingList.end());
}

bool TWorkerThread::IsCurrent(const TBaseVirtualTree* tree) {
    TLockGuard lock(ListLock);
    return CurrentTree == tree;
}

bool TWorkerThread::IsQueued(const TBaseVirtualTree* tree) {
    TLockGuard lock(ListLock);
    return CurrentTree == tree ||
           std::find(WaitingList.begin(), WaitingList.end(), tree) != WaitingList.end();
}

void TWorkerThread::Execute() {
    for (;;) {
        WakeUp.WaitFor();
        TBaseVirtualTree* tree = nullptr;
        {
            TLockGuard lock(ListLock);
            if (Terminated)
                return;
            if (!WaitingList.empty()) {
                tree = WaitingList.front();
                WaitingList.pop_front();
                if (!WaitingList.empty())
                    WakeUp.SetEvent();
            }
            CurrentTree = tree;
        }
        if (tree == nullptr)
            continue;
        tree->SendCacheState({tsValidating}, {tsUseCache});
        bool built = false;
        try {
            built = !tree->StopValidationRequested() && tree->BuildPositionCache();
        } catch (...) {
            built = false;
        }
        if (built)
            tree->SendCacheState({tsUseCache},
                                 {tsStopValidation, tsValidating, tsValidationNeeded});
        else
            tree->SendCacheState({}, {tsStopValidation, tsValidating});
        TLockGuard lock(ListLock);
        CurrentTree = nullptr;
    }
}
