#include "tree/worker.h"
#include "tree/tree_position_cache.h"
#include <algorithm>

namespace {
// Touched only on the user-interface thread.
std::unique_ptr<TWorkerThread> Worker;
} // namespace

TWorkerThread* TWorkerThread::Instance() {
    return Worker.get();
}

void TWorkerThread::Register(TPositionCache* cache) {
    if (!Worker)
        Worker = std::make_unique<TWorkerThread>();
    ++Worker->TreeCount;
}

void TWorkerThread::Unregister(TPositionCache* cache) {
    if (!Worker)
        return;
    --Worker->TreeCount;
    cache->StopCacheValidation();
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

void TWorkerThread::Add(TPositionCache* cache) {
    {
        TLockGuard lock(ListLock);
        if (std::find(WaitingList.begin(), WaitingList.end(), cache) == WaitingList.end())
            WaitingList.push_back(cache);
    }
    WakeUp.SetEvent();
}

void TWorkerThread::Remove(TPositionCache* cache) {
    TLockGuard lock(ListLock);
    WaitingList.erase(std::remove(WaitingList.begin(), WaitingList.end(), cache),
                      WaitingList.end());
}

bool TWorkerThread::IsCurrent(const TPositionCache* cache) {
    TLockGuard lock(ListLock);
    return Current == cache;
}

bool TWorkerThread::IsQueued(const TPositionCache* cache) {
    TLockGuard lock(ListLock);
    return Current == cache ||
           std::find(WaitingList.begin(), WaitingList.end(), cache) != WaitingList.end();
}

void TWorkerThread::Execute() {
    for (;;) {
        WakeUp.WaitFor();
        TPositionCache* cache = nullptr;
        {
            TLockGuard lock(ListLock);
            if (Terminated)
                return;
            if (!WaitingList.empty()) {
                cache = WaitingList.front();
                WaitingList.pop_front();
                if (!WaitingList.empty())
                    WakeUp.SetEvent();
            }
            Current = cache;
        }
        if (cache == nullptr)
            continue;
        cache->SendCacheState({tsValidating}, {tsUseCache});
        bool built = false;
        try {
            built = !cache->StopValidationRequested() && cache->BuildPositionCache();
        } catch (...) {
            built = false;
        }
        if (built)
            cache->SendCacheState({tsUseCache},
                                  {tsStopValidation, tsValidating, tsValidationNeeded});
        else
            cache->SendCacheState({}, {tsStopValidation, tsValidating});
        TLockGuard lock(ListLock);
        Current = nullptr;
    }
}
