#pragma once
// The callback of one sample grabber (DV, RGB or audio), owned by its
// CVideoCap. The streaming thread copies each sample once, into a buffer of
// its own, then swaps it into a short queue of samples and posts one frame
// message unless one is pending already. The window thread takes the oldest
// sample out (swapping it with the buffer it lends to the sinks), so the lent
// buffer never changes during a sink call, no lock is held while sinks run,
// each sample is delivered at most once and in order, and at most one message
// per grabber is ever pending. The queue's buffers are made once and reused:
// a window thread held up for a few frames catches up without a loss, and
// one that keeps falling behind loses the oldest samples, counted.
#include "IVideoCap.h"
#include "SampleGrabber.h"

#include <array>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>

class CVideoCap;

class CxSampleGrabberCB : public dshow::ISampleGrabberCB {
public:
    enum Kind : uint64_t { DV = 0, RGB = 1, Audio = 2 };
    // Samples waiting for the window thread at the most: 160 ms of a 50 Hz
    // camera. A 10-minute soak on two busy cores saw the window thread held
    // up 60 to 90 ms, and four samples lost three frames there.
    static constexpr size_t kQueueDepth = 8;

    CxSampleGrabberCB(CVideoCap* owner, Kind kind) : m_owner(owner), m_kind(kind) {}
    CxSampleGrabberCB(const CxSampleGrabberCB&) = delete;
    CxSampleGrabberCB& operator=(const CxSampleGrabberCB&) = delete;

    com::HRESULT SampleCB(double, const dshow::MediaSample&) override { return com::S_OK; }
    com::HRESULT BufferCB(double SampleTime, const dshow::MediaSample& sample) override;

    // One sample: its time, when it reached the grabber, and its bytes; the
    // buffer grows to the largest sample seen and never shrinks.
    struct CxEventInfo {
        double time = 0;
        std::chrono::steady_clock::time_point arrived;
        std::unique_ptr<uint8_t[]> data;
        size_t capacity = 0;
        size_t length = 0;
    };

    // Before a run: the streaming side's buffer and the queue's made (and
    // their memory touched) for samples of `bytes`, so that the streaming
    // thread neither allocates nor faults pages in while frames come. (The
    // lent buffer may be in a sink's hands; it joins the rotation as it is.)
    void Reserve(size_t bytes);
    // Window thread: moves the oldest waiting sample into the lent buffer;
    // false when none waits. Clears the pending mark either way.
    bool TakeNext();
    const CxEventInfo& Lent() const { return m_lent; }
    // Window thread, after a delivery: samples that wait and have no message get one.
    void RepostIfWaiting();
    // Window thread: a frame message was consumed without a delivery.
    void MessageDropped();
    // Drops every sample not yet delivered (Stop, Run).
    void Reset();
    // A file graph is not live: its streaming thread may wait until the
    // window thread has made room in the queue, so no frame of a file is
    // skipped. Live sources never wait.
    void SetHoldBack(bool holdBack);
    // Ends any such wait (Stop, release).
    void Wake();
    Kind kind() const { return m_kind; }
    // Samples of this grabber that never reached the sinks (a live source's):
    // dropped from a full queue, or numbered by the source and never seen
    // here. Never reset.
    VideoCapFramesLost& FramesLost() { return m_lost; }

private:
    // Under m_lock: whether the caller is to post the frame message, which
    // it then does through Post once it has let go of m_lock.
    bool ClaimPostLocked();
    // Outside m_lock: the wake-up makes the window thread runnable at once,
    // and its first step takes m_lock; posting while holding it could leave
    // the window thread waiting for the streaming thread to run again.
    void Post();
    static bool Grow(CxEventInfo& info, size_t bytes);

    CVideoCap* m_owner;
    Kind m_kind;
    std::mutex m_fillLock; // the streaming side's buffer
    CxEventInfo m_fill;
    std::mutex m_lock; // the queue and the pending mark
    std::array<CxEventInfo, kQueueDepth> m_queue;
    size_t m_head = 0;  // the oldest waiting sample
    size_t m_count = 0; // samples waiting
    bool m_pending = false;
    bool m_holdBack = false;
    std::condition_variable m_taken;
    CxEventInfo m_lent; // window thread only
    VideoCapFramesLost m_lost;
    int64_t m_lastSequence = -1; // under m_fillLock; -1 after Reset
    bool m_holdBackSeen = false; // m_holdBack as the streaming side sees it (under m_fillLock)
};
