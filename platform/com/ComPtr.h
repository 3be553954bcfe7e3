#pragma once
// An owning interface pointer: holds one reference, released when it goes.
#include "Unknown.h"

#include <utility>

namespace com {

template <class T> class ComPtr {
public:
    ComPtr() = default;
    ComPtr(std::nullptr_t) {}
    // Takes a new reference to p.
    explicit ComPtr(T* p) : p_(p) {
        if (p_) p_->AddRef();
    }
    ComPtr(const ComPtr& o) : ComPtr(o.p_) {}
    ComPtr(ComPtr&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
    ~ComPtr() { reset(); }
    ComPtr& operator=(const ComPtr& o) {
        ComPtr(o).swap(*this);
        return *this;
    }
    ComPtr& operator=(ComPtr&& o) noexcept {
        ComPtr(std::move(o)).swap(*this);
        return *this;
    }
    ComPtr& operator=(std::nullptr_t) {
        reset();
        return *this;
    }

    T* get() const { return p_; }
    T* operator->() const { return p_; }
    T& operator*() const { return *p_; }
    explicit operator bool() const { return p_ != nullptr; }

    void reset() {
        if (T* p = std::exchange(p_, nullptr)) p->Release();
    }
    // Releases what is held and offers the slot to a call that hands out a reference.
    T** put() {
        reset();
        return &p_;
    }
    void** put_void() { return reinterpret_cast<void**>(put()); }
    // Takes over a reference the caller already owns.
    void attach(T* p) {
        reset();
        p_ = p;
    }
    // Gives up the reference without releasing it.
    T* detach() { return std::exchange(p_, nullptr); }
    void swap(ComPtr& o) noexcept { std::swap(p_, o.p_); }

    // Queries the held object for interface U.
    template <class U> HRESULT As(ComPtr<U>& out) const {
        if (!p_) return E_POINTER;
        return p_->QueryInterface(U::kIID, out.put_void());
    }

private:
    T* p_ = nullptr;
};

template <class T, class U> bool operator==(const ComPtr<T>& a, const ComPtr<U>& b) {
    return a.get() == b.get();
}

} // namespace com
