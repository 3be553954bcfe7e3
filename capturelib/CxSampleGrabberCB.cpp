#include "CxSampleGrabberCB.h"

#include "CVideoCap.h"

#include <chrono>
#include <cstring>
#include <new>
#include <utility>

bool CxSampleGrabberCB::Grow(CxEventInfo& info, size_t bytes) {
    if (info.capacity >= bytes) return true;
    std::unique_ptr<uint8_t[]> grown(new (std::nothrow) uint8_t[bytes]);
    if (!grown) return false;
    info.data = std::move(grown);
    info.capacity = bytes;
    return true;
}

void CxSampleGrabberCB::Reserve(size_t bytes) {
    if (!bytes) return;
    auto touch = [bytes](CxEventInfo& info) {
        const bool grown = info.capacity < bytes;
        if (Grow(info, bytes) && grown) std::memset(info.data.get(), 0, bytes);
    };
    {
        std::lock_guard fill(m_fillLock);
        touch(m_fill);
    }
    std::lock_guard g(m_lock);
    for (CxEventInfo& slot : m_queue)
        touch(slot);
}

com::HRESULT CxSampleGrabberCB::BufferCB(double SampleTime, const dshow::MediaSample& sample) {
    if (!m_owner->IsRunning()) return com::S_OK;
    // Taken before the copy and any wait for room: the frame came now.
    const auto arrived = std::chrono::steady_clock::now();
    const long length = sample.GetActualDataLength();
    if (length <= 0) return com::S_OK;
    std::lock_guard fill(m_fillLock);
    if (m_fill.capacity < size_t(length)) {
        const bool first = !m_fill.data;
        if (!Grow(m_fill, size_t(length))) {
            // A sample that cannot be held is dropped; the graph goes on.
            m_owner->SetErrorIfEmpty(first ? "Failed to allocate buffer!" : "Failed to reallocate buffer!");
            return com::S_OK;
        }
    }
    sample.CopyTo(m_fill.data.get());
    // A live source numbers its frames: a gap is frames it took and never
    // handed on. A file is read, not captured: nothing of it goes missing so.
    const int64_t seq = sample.Sequence();
    if (seq >= 0) {
        if (m_lastSequence >= 0 && seq > m_lastSequence + 1 && !m_holdBackSeen)
            m_lost.never_delivered.fetch_add(static_cast<uint32_t>(seq - m_lastSequence - 1),
                                             std::memory_order_relaxed);
        m_lastSequence = seq;
    }
    m_fill.length = size_t(length);
    m_fill.time = SampleTime;
    m_fill.arrived = arrived;
    bool post;
    {
        std::unique_lock g(m_lock);
        if (m_holdBack) // bounded, so a window thread that stops pumping cannot stall the graph for good
            m_taken.wait_for(g, std::chrono::seconds(2),
                             [&] { return m_count < kQueueDepth || !m_owner->IsRunning(); });
        if (m_count == kQueueDepth) {
            // Full: the oldest sample gives way to the newest, and is counted.
            m_lost.overwritten.fetch_add(1, std::memory_order_relaxed);
            std::swap(m_fill, m_queue[m_head]);
            m_head = (m_head + 1) % kQueueDepth;
        } else {
            std::swap(m_fill, m_queue[(m_head + m_count) % kQueueDepth]);
            ++m_count;
        }
        post = ClaimPostLocked();
    }
    if (post) Post();
    return com::S_OK;
}

bool CxSampleGrabberCB::ClaimPostLocked() {
    if (m_pending || !m_owner->IsRunning()) return false;
    m_pending = true;
    return true;
}

void CxSampleGrabberCB::Post() {
    if (m_owner->PostFrameMessage(m_kind)) return;
    std::lock_guard g(m_lock);
    m_pending = false;
}

bool CxSampleGrabberCB::TakeNext() {
    std::lock_guard g(m_lock);
    m_pending = false;
    if (!m_count) return false;
    std::swap(m_queue[m_head], m_lent);
    m_head = (m_head + 1) % kQueueDepth;
    --m_count;
    m_taken.notify_all();
    return true;
}

void CxSampleGrabberCB::RepostIfWaiting() {
    bool post;
    {
        std::lock_guard g(m_lock);
        post = m_count && ClaimPostLocked();
    }
    if (post) Post();
}

void CxSampleGrabberCB::Reset() {
    {
        // A new run numbers its frames afresh.
        std::lock_guard fill(m_fillLock);
        m_lastSequence = -1;
    }
    std::lock_guard g(m_lock);
    m_count = 0;
    m_taken.notify_all();
}

void CxSampleGrabberCB::SetHoldBack(bool holdBack) {
    {
        std::lock_guard fill(m_fillLock);
        m_holdBackSeen = holdBack;
    }
    std::lock_guard g(m_lock);
    m_holdBack = holdBack;
}

void CxSampleGrabberCB::Wake() {
    std::lock_guard g(m_lock);
    m_taken.notify_all();
}

void CxSampleGrabberCB::MessageDropped() {
    std::lock_guard g(m_lock);
    m_pending = false;
}
