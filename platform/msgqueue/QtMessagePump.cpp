#include "QtMessagePump.h"

#include "MessageQueue.h"
#include "VbTrap.h"

#include <QAbstractEventDispatcher>
#include <QSocketNotifier>

namespace msgqueue {

void AttachToQtEventLoop() {
    static bool done = false;
    if (done) return;
    done = true;
    SetAttachHook([](MessageQueue& q) {
        // A thread without a Qt event loop pumps its queue itself.
        if (!QAbstractEventDispatcher::instance()) return;
        // Lives as long as the thread's queue: both end with the thread.
        auto* n = new QSocketNotifier(q.wakeFd(), QSocketNotifier::Read);
        QObject::connect(n, &QSocketNotifier::activated, [&q] { q.pump(); });
    });
    vb::AddEventPump([] {
        if (MessageQueue* q = MessageQueue::Existing()) q->pump();
    });
}

} // namespace msgqueue
