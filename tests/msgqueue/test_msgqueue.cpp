#include "MessageQueue.h"
#include "QtMessagePump.h"
#include "VbTrap.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>
#include <QTimer>
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

using namespace msgqueue;

namespace {

struct Seen {
    uint32_t msg;
    uint64_t w, l;
    std::thread::id thread;
};

TEST(MessageQueue, PostsFromManyThreadsArriveInOrderOnTheCreatingThread) {
    std::vector<Seen> seen;
    MessageTarget target([&](uint32_t m, uint64_t w, uint64_t l) {
        seen.push_back({m, w, l, std::this_thread::get_id()});
    });
    constexpr int kThreads = 4, kEach = 2000;
    std::vector<std::thread> posters;
    for (int t = 0; t < kThreads; ++t)
        posters.emplace_back([&, t] {
            for (int i = 0; i < kEach; ++i)
                ASSERT_TRUE(PostMessage(target.id(), 1124, t, i));
        });
    // Pumping while the posters run: nothing is delivered on a poster's thread.
    while (seen.size() < size_t(kThreads * kEach))
        target.queue().pump();
    for (auto& p : posters)
        p.join();
    std::vector<uint64_t> next(kThreads, 0);
    for (const Seen& s : seen) {
        EXPECT_EQ(s.thread, std::this_thread::get_id());
        EXPECT_EQ(s.msg, 1124u);
        ASSERT_EQ(s.l, next[s.w]) << "thread " << s.w;
        ++next[s.w];
    }
    EXPECT_EQ(target.queue().pending(), 0u);
}

TEST(MessageQueue, MessagesForADestroyedTargetAreDropped) {
    int calls = 0;
    TargetId old_id;
    {
        MessageTarget gone([&](uint32_t, uint64_t, uint64_t) { ++calls; });
        old_id = gone.id();
        EXPECT_TRUE(PostMessage(old_id, 1, 0, 0));
        EXPECT_TRUE(PostMessage(old_id, 2, 0, 0));
    }
    EXPECT_FALSE(PostMessage(old_id, 3, 0, 0));
    MessageTarget next([&](uint32_t, uint64_t, uint64_t) { calls += 100; });
    EXPECT_NE(next.id(), old_id); // a new target never inherits an old one's messages
    EXPECT_EQ(MessageQueue::ForCurrentThread().pump(), 0u);
    EXPECT_EQ(calls, 0);
    EXPECT_FALSE(PostMessage(0, 1, 0, 0));
}

TEST(MessageQueue, AHandlerMayDestroyTargetsAndPumpAgain) {
    std::vector<uint32_t> order;
    std::unique_ptr<MessageTarget> other;
    MessageTarget first([&](uint32_t m, uint64_t, uint64_t) {
        order.push_back(m);
        if (m == 1) MessageQueue::ForCurrentThread().pump(); // nested event processing
        if (m == 3) other.reset();
    });
    other = std::make_unique<MessageTarget>([&](uint32_t m, uint64_t, uint64_t) { order.push_back(m); });
    PostMessage(first.id(), 1, 0, 0);
    PostMessage(first.id(), 2, 0, 0);
    PostMessage(first.id(), 3, 0, 0);
    PostMessage(other->id(), 4, 0, 0);
    MessageQueue::ForCurrentThread().pump();
    EXPECT_EQ(order, (std::vector<uint32_t>{1, 2, 3}));
}

TEST(MessageQueue, PumpOnAnotherThreadDeliversNothing) {
    int calls = 0;
    MessageTarget target([&](uint32_t, uint64_t, uint64_t) { ++calls; });
    PostMessage(target.id(), 1, 0, 0);
    size_t elsewhere = 99;
    std::thread([&] { elsewhere = target.queue().pump(); }).join();
    EXPECT_EQ(elsewhere, 0u);
    EXPECT_EQ(target.queue().pump(), 1u);
    EXPECT_EQ(calls, 1);
}

TEST(MessageQueue, HandlerThatPostsToItselfDoesNotStarveTheLoop) {
    int calls = 0;
    MessageTarget* self = nullptr;
    MessageTarget target([&](uint32_t, uint64_t, uint64_t) {
        ++calls;
        PostMessage(self->id(), 1, 0, 0);
    });
    self = &target;
    PostMessage(target.id(), 1, 0, 0);
    EXPECT_EQ(target.queue().pump(), 1u);
    EXPECT_EQ(target.queue().pump(), 1u);
    EXPECT_EQ(calls, 2);
}

// Through Qt: the wake descriptor is watched by the event loop, so messages
// from a streaming thread arrive while the thread runs events, also inside a
// nested loop (a modal dialog) started by a handler, and through DoEvents.
TEST(MessageQueue, DeliveredByTheQtEventLoopAndDoEvents) {
    AttachToQtEventLoop();
    std::vector<uint32_t> order;
    QEventLoop outer;
    QEventLoop* modal_running = nullptr;
    MessageTarget target([&](uint32_t m, uint64_t, uint64_t) {
        EXPECT_EQ(QThread::currentThread(), QCoreApplication::instance()->thread());
        order.push_back(m);
        if (m == 1) {
            QEventLoop modal;
            modal_running = &modal;
            std::thread([&] { PostMessage(target.id(), 2, 0, 0); }).join();
            QTimer::singleShot(5000, &modal, &QEventLoop::quit);
            modal.exec();
            modal_running = nullptr;
            EXPECT_EQ(order.size(), 2u) << "message 2 arrives inside the nested loop";
        }
        if (m == 2 && modal_running) modal_running->quit();
        if (m == 3) outer.quit();
    });
    std::thread([&] { PostMessage(target.id(), 1, 0, 0); }).join();
    QTimer::singleShot(1, [&] { std::thread([&] { PostMessage(target.id(), 3, 0, 0); }).join(); });
    QTimer::singleShot(10000, &outer, &QEventLoop::quit);
    outer.exec();
    EXPECT_EQ(order, (std::vector<uint32_t>{1, 2, 3}));

    int via_doevents = 0;
    MessageTarget counter([&](uint32_t, uint64_t, uint64_t) { ++via_doevents; });
    std::thread([&] { PostMessage(counter.id(), 9, 0, 0); }).join();
    vb::DoEvents();
    EXPECT_EQ(via_doevents, 1);
}

} // namespace
