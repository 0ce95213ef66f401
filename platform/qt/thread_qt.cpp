#include "platform/thread.h"

#include <QCoreApplication>
#include <QEvent>
#include <QObject>

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

void TSyncMailbox::Wake() {
    // Without an event loop the message is still handled by an explicit Dispatch.
    if (QCoreApplication::instance() != nullptr)
        QCoreApplication::postEvent(Bridge.get(), new QEvent(TBridge::DispatchEvent));
}
