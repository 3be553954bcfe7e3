#include "QtMessagePump.h"

#include "MessageQueue.h"
#include "VbTrap.h"

#include <QAbstractEventDispatcher>
#include <QSocketNotifier>
#include <memory>

namespace msgqueue {

void AttachToQtEventLoop() {
    static bool done = false;
    if (done) return;
    done = true;
    SetAttachHook([](MessageQueue& q) {
        // A thread without a Qt event loop pumps its queue itself.
        if (!QAbstractEventDispatcher::instance()) return;
        // Ends with the thread, just before the thread's queue (made first,
        // so freed last) closes the descriptor it watches.
        thread_local std::unique_ptr<QSocketNotifier> notifier;
        notifier = std::make_unique<QSocketNotifier>(q.wakeFd(), QSocketNotifier::Read);
        QObject::connect(notifier.get(), &QSocketNotifier::activated, [&q] { q.pump(); });
    });
    vb::AddEventPump([] {
        if (MessageQueue* q = MessageQueue::Existing()) q->pump();
    });
}

} // namespace msgqueue
