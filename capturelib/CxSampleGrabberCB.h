#pragma once
// The callback of one sample grabber (DV, RGB or audio), owned by its
// CVideoCap. The streaming thread copies each sample once, into a buffer of
// its own, then swaps it in as the latest sample and posts one frame message
// unless one is pending already. The window thread takes the latest sample
// out (swapping it with the buffer it lends to the sinks), so the lent buffer
// never changes during a sink call, no lock is held while sinks run, each
// sample is delivered at most once, and at most one message per grabber is
// ever pending: a busy window thread skips samples, it never queues them.
#include "IVideoCap.h"
#include "SampleGrabber.h"

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>

class CVideoCap;

class CxSampleGrabberCB : public dshow::ISampleGrabberCB {
public:
    enum Kind : uint64_t { DV = 0, RGB = 1, Audio = 2 };

    CxSampleGrabberCB(CVideoCap* owner, Kind kind) : m_owner(owner), m_kind(kind) {}
    CxSampleGrabberCB(const CxSampleGrabberCB&) = delete;
    CxSampleGrabberCB& operator=(const CxSampleGrabberCB&) = delete;

    com::HRESULT SampleCB(double, const dshow::MediaSample&) override { return com::S_OK; }
    com::HRESULT BufferCB(double SampleTime, const dshow::MediaSample& sample) override;

    // One sample: its time and bytes; the buffer grows to the largest sample
    // seen and never shrinks.
    struct CxEventInfo {
        double time = 0;
        std::unique_ptr<uint8_t[]> data;
        size_t capacity = 0;
        size_t length = 0;
    };

    // Window thread: moves the latest sample into the lent buffer; false when
    // there is none (already delivered). Clears the pending mark either way.
    bool TakeLatest();
    const CxEventInfo& Lent() const { return m_lent; }
    // Window thread, after a delivery: a sample that came in meanwhile and has
    // no message gets one.
    void RepostIfWaiting();
    // Window thread: a frame message was consumed without a delivery.
    void MessageDropped();
    // Drops any sample not yet delivered (Stop, Run).
    void Reset();
    // A file graph is not live: its streaming thread may wait until the
    // window thread has taken the previous sample, so no frame of a file is
    // skipped. Live sources never wait.
    void SetHoldBack(bool holdBack);
    // Ends any such wait (Stop, release).
    void Wake();
    Kind kind() const { return m_kind; }
    // Samples of this grabber that never reached the sinks (a live source's):
    // overwritten before they were taken, or numbered by the source and never
    // seen here. Never reset.
    VideoCapFramesLost& FramesLost() { return m_lost; }

private:
    bool PostLocked();
    CVideoCap* m_owner;
    Kind m_kind;
    std::mutex m_fillLock; // the streaming side's buffer
    CxEventInfo m_fill;
    std::mutex m_lock; // the latest sample and the pending mark
    CxEventInfo m_latest;
    bool m_hasLatest = false;
    bool m_pending = false;
    bool m_holdBack = false;
    std::condition_variable m_taken;
    CxEventInfo m_lent; // window thread only
    VideoCapFramesLost m_lost;
    int64_t m_lastSequence = -1; // under m_fillLock; -1 after Reset
    bool m_holdBackSeen = false; // m_holdBack as the streaming side sees it (under m_fillLock)
};
