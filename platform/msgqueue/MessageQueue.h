#pragma once
// A per-thread message queue in place of a hidden window and PostMessage.
//
// Any thread may post a message to a target; the target's handler runs on the
// thread that created the target, in the order the messages were posted, when
// that thread pumps its queue: from its event loop (through the attach hook
// below, also inside modal dialogs and nested event processing), from
// vb::DoEvents, or from a test calling pump() directly. Messages for a target
// that has gone are dropped, never delivered to whatever comes after it:
// target ids are never reused.
//
// The queue wakes its thread through an eventfd (readable while messages are
// pending), so any event loop can watch it; this layer itself knows no loop.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <thread>

namespace msgqueue {

// A target's handle, the counterpart of a window handle. 0 is never a target.
using TargetId = uint64_t;
using MessageHandler = std::function<void(uint32_t msg, uint64_t wParam, uint64_t lParam)>;

struct QueueState;

class MessageQueue {
public:
    // The calling thread's queue, created at first use; it lives until the thread ends.
    static MessageQueue& ForCurrentThread();
    // The calling thread's queue when it has one, else null (creates nothing).
    static MessageQueue* Existing();

    // Readable while messages are pending; pump() drains it.
    int wakeFd() const;
    // Delivers the messages pending when it is called, in order, and returns
    // how many reached a live target. Only on the owning thread (else 0).
    // A handler may pump again (nested event processing): the nested pump
    // simply carries on with the next messages.
    size_t pump();
    size_t pending() const;
    std::thread::id ownerThread() const;

    MessageQueue(const MessageQueue&) = delete;
    MessageQueue& operator=(const MessageQueue&) = delete;
    ~MessageQueue();

private:
    MessageQueue();
    std::shared_ptr<QueueState> state_;
    friend class MessageTarget;
    friend bool PostMessage(TargetId, uint32_t, uint64_t, uint64_t);
};

// Called once for each queue, on its thread, when the queue is created, so an
// event loop (the forms layer, the program's main) can watch its wakeFd().
// Setting the hook also calls it for the calling thread's existing queue.
void SetAttachHook(std::function<void(MessageQueue&)> hook);

// A message target bound to the queue of the thread that creates it: the
// counterpart of a hidden message window. Destroying it (on any thread) drops
// its pending messages; a handler call already running finishes.
class MessageTarget {
public:
    explicit MessageTarget(MessageHandler handler);
    ~MessageTarget();
    MessageTarget(const MessageTarget&) = delete;
    MessageTarget& operator=(const MessageTarget&) = delete;

    TargetId id() const { return id_; }
    MessageQueue& queue() const { return queue_; }

private:
    TargetId id_;
    MessageQueue& queue_;
};

// Thread-safe; false (and nothing queued) when the target no longer exists.
bool PostMessage(TargetId target, uint32_t msg, uint64_t wParam, uint64_t lParam);

} // namespace msgqueue
