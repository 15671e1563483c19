// The one owner of a kernel handle (file, process, thread, mutex, snapshot):
// closed when it goes. Both "no handle" values of Win32 mean none.
#pragma once

#include <windows.h>

#include <utility>

namespace plivex {

class OwnedHandle {
public:
    OwnedHandle() = default;
    explicit OwnedHandle(HANDLE h) : h_(h == INVALID_HANDLE_VALUE ? nullptr : h) {}
    ~OwnedHandle() { Close(); }
    OwnedHandle(OwnedHandle&& other) noexcept : h_(std::exchange(other.h_, nullptr)) {}
    OwnedHandle& operator=(OwnedHandle&& other) noexcept {
        if (this != &other) {
            Close();
            h_ = std::exchange(other.h_, nullptr);
        }
        return *this;
    }
    OwnedHandle(const OwnedHandle&) = delete;
    OwnedHandle& operator=(const OwnedHandle&) = delete;

    explicit operator bool() const { return h_ != nullptr; }
    HANDLE get() const { return h_; }
    // Closes it now; false when the system reports a failure (a flush of a file).
    bool Close() {
        if (!h_) return true;
        return CloseHandle(std::exchange(h_, nullptr)) != FALSE;
    }

private:
    HANDLE h_ = nullptr;
};

}  // namespace plivex
