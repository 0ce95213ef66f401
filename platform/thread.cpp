// The hand-over between threads; the backend only wakes the user-interface thread.
#include "platform/thread.h"
#include "text/scopeexit.h"

using namespace mkb::text;

void TAutoResetEvent::SetEvent() {
    {
        std::lock_guard<std::mutex> lock(Guard);
        Signalled = true;
    }
    Changed.notify_one();
}

void TAutoResetEvent::WaitFor() {
    std::unique_lock<std::mutex> lock(Guard);
    Changed.wait(lock, [this] { return Signalled; });
    Signalled = false;
}

void TSyncMailbox::Send(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) {
    std::unique_lock<std::mutex> lock(Guard);
    Handled.wait(lock, [this] { return !Waiting; });
    Waiting = true;
    Message = message;
    WParam = wParam;
    LParam = lParam;
    Wake();
    Handled.wait(lock, [this] { return !Waiting; });
}

bool TSyncMailbox::Dispatch() {
    std::unique_lock<std::mutex> lock(Guard);
    if (!Waiting)
        return false;
    const unsigned message = Message;
    const std::uintptr_t wParam = WParam;
    const std::intptr_t lParam = LParam;
    lock.unlock();
    // The worker stays blocked until the handler has finished, even if it throws.
    TScopeExit release([this] {
        {
            std::lock_guard<std::mutex> l(Guard);
            Waiting = false;
        }
        Handled.notify_all();
    });
    if (Handler)
        Handler(message, wParam, lParam);
    return true;
}
