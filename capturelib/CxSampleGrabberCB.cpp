#include "CxSampleGrabberCB.h"

#include "CVideoCap.h"

#include <chrono>
#include <new>
#include <utility>

com::HRESULT CxSampleGrabberCB::BufferCB(double SampleTime, const dshow::MediaSample& sample) {
    if (!m_owner->IsRunning()) return com::S_OK;
    const long length = sample.GetActualDataLength();
    if (length <= 0) return com::S_OK;
    std::lock_guard fill(m_fillLock);
    if (m_fill.capacity < size_t(length)) {
        const bool first = !m_fill.data;
        std::unique_ptr<uint8_t[]> grown(new (std::nothrow) uint8_t[size_t(length)]);
        if (!grown) {
            // A sample that cannot be held is dropped; the graph goes on.
            m_owner->SetErrorIfEmpty(first ? "Failed to allocate buffer!" : "Failed to reallocate buffer!");
            return com::S_OK;
        }
        m_fill.data = std::move(grown);
        m_fill.capacity = size_t(length);
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
    std::unique_lock g(m_lock);
    if (m_holdBack) // bounded, so a window thread that stops pumping cannot stall the graph for good
        m_taken.wait_for(g, std::chrono::seconds(2), [&] { return !m_hasLatest || !m_owner->IsRunning(); });
    // An undelivered older sample is overwritten: skipped, not queued, and counted.
    if (m_hasLatest) m_lost.overwritten.fetch_add(1, std::memory_order_relaxed);
    std::swap(m_fill, m_latest);
    m_hasLatest = true;
    PostLocked();
    return com::S_OK;
}

bool CxSampleGrabberCB::PostLocked() {
    if (m_pending || !m_owner->IsRunning()) return false;
    m_pending = m_owner->PostFrameMessage(m_kind);
    return m_pending;
}

bool CxSampleGrabberCB::TakeLatest() {
    std::lock_guard g(m_lock);
    m_pending = false;
    if (!m_hasLatest) return false;
    std::swap(m_latest, m_lent);
    m_hasLatest = false;
    m_taken.notify_all();
    return true;
}

void CxSampleGrabberCB::RepostIfWaiting() {
    std::lock_guard g(m_lock);
    if (m_hasLatest) PostLocked();
}

void CxSampleGrabberCB::Reset() {
    {
        // A new run numbers its frames afresh.
        std::lock_guard fill(m_fillLock);
        m_lastSequence = -1;
    }
    std::lock_guard g(m_lock);
    m_hasLatest = false;
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
