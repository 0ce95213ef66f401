#pragma once
// Threads for background work and the ways a worker talks to the user-interface thread.
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

using TLock = std::mutex;
using TLockGuard = std::lock_guard<std::mutex>;

// A thread that runs one function; WaitFor joins it.
class TThread {
public:
    explicit TThread(std::function<void()> body) : Worker(std::move(body)) {}
    ~TThread() { WaitFor(); }
    TThread(const TThread&) = delete;
    TThread& operator=(const TThread&) = delete;
    void WaitFor() {
        if (Worker.joinable())
            Worker.join();
    }

private:
    std::thread Worker;
};

// An event with automatic reset: one wait returns per signal, and a signal given while nobody
// waits is kept for the next wait.
class TAutoResetEvent {
public:
    void SetEvent();
    void WaitFor();

private:
    std::mutex Guard;
    std::condition_variable Changed;
    bool Signalled{false};
};

// One message at a time handed from a worker to a control on the user-interface thread; the
// worker waits until the message was handled. The user-interface thread handles it when its
// event loop runs (a posted event) or when it calls Dispatch itself, whichever comes first, so
// it can wait for a worker without blocking the worker's messages.
class TSyncMailbox {
public:
    using THandler =
        std::function<void(unsigned message, std::uintptr_t wParam, std::intptr_t lParam)>;
    // Made on the user-interface thread; the handler runs there.
    explicit TSyncMailbox(THandler handler);
    ~TSyncMailbox();
    TSyncMailbox(const TSyncMailbox&) = delete;
    TSyncMailbox& operator=(const TSyncMailbox&) = delete;

    // Worker side: hands the message over and returns once the handler has run.
    void Send(unsigned message, std::uintptr_t wParam, std::intptr_t lParam);
    // User-interface side: runs the handler for the waiting message; whether there was one.
    bool Dispatch();

private:
    struct TBridge; // the backend's object that wakes the user-interface thread
    // Asks the user-interface thread's event loop to call Dispatch (nothing without a loop).
    void Wake();
    THandler Handler;
    std::mutex Guard;
    std::condition_variable Handled;
    bool Waiting{false};
    unsigned Message{0};
    std::uintptr_t WParam{0};
    std::intptr_t LParam{0};
    std::unique_ptr<TBridge> Bridge;
};
