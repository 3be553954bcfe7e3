#include "MessageQueue.h"

#include <deque>
#include <mutex>
#include <unordered_map>
#include <utility>

#include <sys/eventfd.h>
#include <unistd.h>

namespace msgqueue {

struct QueueState {
    struct Message {
        TargetId target;
        uint32_t msg;
        uint64_t wParam;
        uint64_t lParam;
    };
    std::mutex mutex;
    std::deque<Message> messages;
    int fd = -1;
    std::thread::id owner;

    QueueState() : fd(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)), owner(std::this_thread::get_id()) {}
    ~QueueState() {
        if (fd >= 0) close(fd);
    }
    void signal() const {
        const uint64_t one = 1;
        // A full counter still leaves the fd readable, which is all that matters.
        [[maybe_unused]] ssize_t n = write(fd, &one, sizeof one);
    }
    void drain() const {
        uint64_t v;
        [[maybe_unused]] ssize_t n = read(fd, &v, sizeof v);
    }
};

namespace {

struct TargetEntry {
    std::shared_ptr<QueueState> queue;
    std::shared_ptr<MessageHandler> handler;
};

struct Targets {
    std::mutex mutex;
    std::unordered_map<TargetId, TargetEntry> map;
    TargetId next = 1;
};

Targets& targets() {
    static Targets* t = new Targets; // outlives every thread's queue and target
    return *t;
}

std::mutex& hookMutex() {
    static std::mutex m;
    return m;
}
std::function<void(MessageQueue&)>& hook() {
    static std::function<void(MessageQueue&)> h;
    return h;
}

thread_local std::unique_ptr<MessageQueue> t_queue;

} // namespace

MessageQueue::MessageQueue() : state_(std::make_shared<QueueState>()) {}
MessageQueue::~MessageQueue() = default;

MessageQueue& MessageQueue::ForCurrentThread() {
    if (!t_queue) {
        t_queue.reset(new MessageQueue);
        std::function<void(MessageQueue&)> h;
        {
            std::lock_guard g(hookMutex());
            h = hook();
        }
        if (h) h(*t_queue);
    }
    return *t_queue;
}

MessageQueue* MessageQueue::Existing() {
    return t_queue.get();
}

int MessageQueue::wakeFd() const {
    return state_->fd;
}

std::thread::id MessageQueue::ownerThread() const {
    return state_->owner;
}

size_t MessageQueue::pending() const {
    std::lock_guard g(state_->mutex);
    return state_->messages.size();
}

size_t MessageQueue::pump() {
    QueueState& s = *state_;
    if (std::this_thread::get_id() != s.owner) return 0;
    s.drain();
    size_t budget;
    {
        std::lock_guard g(s.mutex);
        budget = s.messages.size();
    }
    // Only what was pending at the start: a handler that posts to itself must
    // not keep this call from returning to the event loop.
    size_t delivered = 0;
    for (; budget > 0; --budget) {
        QueueState::Message m;
        {
            std::lock_guard g(s.mutex);
            if (s.messages.empty()) break;
            m = s.messages.front();
            s.messages.pop_front();
        }
        std::shared_ptr<MessageHandler> handler;
        {
            std::lock_guard g(targets().mutex);
            auto it = targets().map.find(m.target);
            if (it != targets().map.end()) handler = it->second.handler;
        }
        if (!handler) continue;
        (*handler)(m.msg, m.wParam, m.lParam);
        ++delivered;
    }
    bool more;
    {
        std::lock_guard g(s.mutex);
        more = !s.messages.empty();
    }
    if (more) s.signal();
    return delivered;
}

void SetAttachHook(std::function<void(MessageQueue&)> h) {
    {
        std::lock_guard g(hookMutex());
        hook() = h;
    }
    if (h && t_queue) h(*t_queue);
}

MessageTarget::MessageTarget(MessageHandler handler) : queue_(MessageQueue::ForCurrentThread()) {
    auto& t = targets();
    std::lock_guard g(t.mutex);
    id_ = t.next++;
    t.map.emplace(id_, TargetEntry{queue_.state_, std::make_shared<MessageHandler>(std::move(handler))});
}

MessageTarget::~MessageTarget() {
    std::shared_ptr<MessageHandler> handler; // freed outside the lock
    auto& t = targets();
    std::lock_guard g(t.mutex);
    auto it = t.map.find(id_);
    if (it != t.map.end()) {
        handler = std::move(it->second.handler);
        t.map.erase(it);
    }
}

bool PostMessage(TargetId target, uint32_t msg, uint64_t wParam, uint64_t lParam) {
    std::shared_ptr<QueueState> q;
    {
        std::lock_guard g(targets().mutex);
        auto it = targets().map.find(target);
        if (it == targets().map.end()) return false;
        q = it->second.queue;
    }
    {
        std::lock_guard g(q->mutex);
        q->messages.push_back({target, msg, wParam, lParam});
    }
    q->signal();
    return true;
}

} // namespace msgqueue
