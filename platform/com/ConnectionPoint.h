#pragma once
// Event sinks. SinkList keeps the advised sinks of one outgoing interface in
// the order of advising, each with one reference and a cookie; cookies start
// at 1 and are never handed out twice, so a stale cookie can never remove a
// later connection. ConnectionPoint is the standard connection point over it.
//
// One re-entrant lock guards the list; a walk holds it throughout, so a sink
// may advise or unadvise from inside its own call on the walking thread
// (a sink removed meanwhile is not called; one added is called from the next
// walk on), while other threads wait until the walk ends.
#include "ComPtr.h"
#include "Unknown.h"

#include <mutex>
#include <vector>

namespace com {

template <class T> class SinkList {
public:
    // limit 0: no limit on the number of connections.
    explicit SinkList(size_t limit = 0) : limit_(limit) {}
    SinkList(const SinkList&) = delete;
    SinkList& operator=(const SinkList&) = delete;
    ~SinkList() { clear(); }

    // Adds a sink with one reference; E_POINTER for a null sink or cookie,
    // CONNECT_E_ADVISELIMIT when full (or when the cookies ran out).
    HRESULT add(T* sink, DWORD* cookie) {
        if (!sink || !cookie) return E_POINTER;
        std::lock_guard g(mutex_);
        if ((limit_ && entries_.size() >= limit_) || next_cookie_ == 0) return CONNECT_E_ADVISELIMIT;
        sink->AddRef();
        entries_.push_back({next_cookie_, sink});
        *cookie = next_cookie_++;
        return S_OK;
    }

    // Removes the connection and releases its reference; false for a cookie not in the list.
    bool remove(DWORD cookie) {
        T* sink = nullptr;
        {
            std::lock_guard g(mutex_);
            for (auto it = entries_.begin(); it != entries_.end(); ++it) {
                if (it->cookie == cookie) {
                    sink = it->sink;
                    entries_.erase(it);
                    break;
                }
            }
        }
        if (!sink) return false;
        sink->Release();
        return true;
    }

    void clear() {
        std::vector<Entry> gone;
        {
            std::lock_guard g(mutex_);
            gone.swap(entries_);
        }
        for (auto& e : gone)
            e.sink->Release();
    }

    size_t size() const {
        std::lock_guard g(mutex_);
        return entries_.size();
    }

    // Calls f(sink) for each sink in the order of advising, under the lock.
    template <class F> void for_each(F&& f) {
        std::lock_guard g(mutex_);
        std::vector<DWORD> cookies;
        cookies.reserve(entries_.size());
        for (const auto& e : entries_)
            cookies.push_back(e.cookie);
        for (DWORD c : cookies) {
            ComPtr<T> sink;
            for (const auto& e : entries_)
                if (e.cookie == c) sink = ComPtr<T>(e.sink); // kept alive through an unadvise inside the call
            if (sink) f(sink.get());
        }
    }

private:
    struct Entry {
        DWORD cookie;
        T* sink;
    };
    mutable std::recursive_mutex mutex_;
    std::vector<Entry> entries_;
    DWORD next_cookie_ = 1;
    size_t limit_;
};

// A connection point for the outgoing interface TSink, a member of its
// container: it shares the container's lifetime and reference count.
template <class TSink> class ConnectionPoint : public IConnectionPoint {
public:
    ConnectionPoint(IConnectionPointContainer* container, size_t limit = 0)
        : container_(container), sinks_(limit) {}

    HRESULT QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        if (riid == IUnknown::kIID || riid == IConnectionPoint::kIID) {
            *ppv = static_cast<IConnectionPoint*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    ULONG AddRef() override { return container_->AddRef(); }
    ULONG Release() override { return container_->Release(); }

    HRESULT GetConnectionInterface(IID* piid) override {
        if (!piid) return E_POINTER;
        *piid = TSink::kIID;
        return S_OK;
    }
    HRESULT GetConnectionPointContainer(IConnectionPointContainer** ppcpc) override {
        if (!ppcpc) return E_POINTER;
        container_->AddRef();
        *ppcpc = container_;
        return S_OK;
    }
    HRESULT Advise(IUnknown* sink, DWORD* cookie) override {
        if (cookie) *cookie = 0;
        if (!sink || !cookie) return E_POINTER;
        ComPtr<TSink> typed;
        if (FAILED(sink->QueryInterface(TSink::kIID, typed.put_void())) || !typed)
            return CONNECT_E_CANNOTCONNECT;
        return sinks_.add(typed.get(), cookie);
    }
    HRESULT Unadvise(DWORD cookie) override { return sinks_.remove(cookie) ? S_OK : CONNECT_E_NOCONNECTION; }

    SinkList<TSink>& sinks() { return sinks_; }

private:
    IConnectionPointContainer* container_;
    SinkList<TSink> sinks_;
};

} // namespace com
