#pragma once
// The advised sinks: an ordered list of interface pointers, each held with
// one reference under a cookie that is never handed out twice (a stale
// cookie can never remove a later sink). The delivery walk runs over a copy
// taken under the lock and calls no sink with the lock held, so a sink may
// advise, unadvise or release the object from inside its call; a sink
// removed meanwhile is skipped.
#include "ComPtr.h"
#include "Unknown.h"

#include <mutex>
#include <vector>

template <class T> class CxInterfaceList {
public:
    struct Entry {
        com::DWORD cookie;
        com::ComPtr<T> item;
    };

    explicit CxInterfaceList(size_t block = 10) { m_entries.reserve(block); }
    CxInterfaceList(const CxInterfaceList&) = delete;
    CxInterfaceList& operator=(const CxInterfaceList&) = delete;
    ~CxInterfaceList() { Clear(); }

    // 0 when the cookies ran out (never in practice).
    com::DWORD Add(T* item) {
        std::lock_guard g(m_lock);
        if (m_next == 0) return 0;
        if (m_entries.size() == m_entries.capacity()) m_entries.reserve(m_entries.size() + 10);
        m_entries.push_back({m_next, com::ComPtr<T>(item)});
        return m_next++;
    }
    bool Remove(com::DWORD cookie) {
        com::ComPtr<T> gone; // released outside the lock
        std::lock_guard g(m_lock);
        for (auto it = m_entries.begin(); it != m_entries.end(); ++it)
            if (it->cookie == cookie) {
                gone = std::move(it->item);
                m_entries.erase(it);
                return true;
            }
        return false;
    }
    bool Contains(com::DWORD cookie) const {
        std::lock_guard g(m_lock);
        for (const auto& e : m_entries)
            if (e.cookie == cookie) return true;
        return false;
    }
    std::vector<Entry> Snapshot() const {
        std::lock_guard g(m_lock);
        return m_entries;
    }
    size_t Size() const {
        std::lock_guard g(m_lock);
        return m_entries.size();
    }
    void Clear() {
        std::vector<Entry> gone;
        std::lock_guard g(m_lock);
        gone.swap(m_entries);
    }

private:
    mutable std::mutex m_lock;
    std::vector<Entry> m_entries;
    com::DWORD m_next = 1;
};
