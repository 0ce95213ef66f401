#include "platform/thread.h"
#include "text/scopeexit.h"

#include <QCoreApplication>
#include <QEvent>
#include <QObject>

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

// Lives on the user-interface thread; a posted event wakes it to dispatch the waiting message.
// Events still queued for it when it goes are dropped by the toolkit.
struct TSyncMailbox::TBridge : QObject {
    explicit TBridge(TSyncMailbox& owner) : Owner(owner) {}
    void customEvent(QEvent* event) override {
        if (event->type() == DispatchEvent)
            Owner.Dispatch();
    }
    static inline const QEvent::Type DispatchEvent =
        static_cast<QEvent::Type>(QEvent::registerEventType());
    TSyncMailbox& Owner;
};

TSyncMailbox::TSyncMailbox(THandler handler)
    : Handler(std::move(handler)), Bridge(std::make_unique<TBridge>(*this)) {}

TSyncMailbox::~TSyncMailbox() = default;

void TSyncMailbox::Send(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) {
    std::unique_lock<std::mutex> lock(Guard);
    Handled.wait(lock, [this] { return !Waiting; });
    Waiting = true;
    Message = message;
    WParam = wParam;
    LParam = lParam;
    // Without an event loop the message is still handled by an explicit Dispatch.
    if (QCoreApplication::instance() != nullptr)
        QCoreApplication::postEvent(Bridge.get(), new QEvent(TBridge::DispatchEvent));
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
