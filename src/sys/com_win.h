// The shell's COM objects: the apartment of the calling thread, entered once
// and kept for the thread's life, and one owner for an interface pointer.
#pragma once

#include <objbase.h>

namespace plivex {

// Never uninitialised: the thread keeps it to the end, and a caller that had
// initialised COM already keeps its own model (the call then only counts).
inline void EnsureCom() {
    thread_local bool initialised = false;
    if (initialised) return;
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    initialised = true;
}

template <class T>
class ComRef {
public:
    ComRef() = default;
    ComRef(const ComRef&) = delete;
    ComRef& operator=(const ComRef&) = delete;
    ~ComRef() {
        if (p_) p_->Release();
    }
    T** Put() { return &p_; }
    void** PutVoid() { return reinterpret_cast<void**>(&p_); }
    T* operator->() const { return p_; }
    T* Get() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }

private:
    T* p_ = nullptr;
};

}  // namespace plivex
