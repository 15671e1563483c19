// What a thread and the one that hands it work wait on: a lock with a
// condition. The file layer gives the kind its system makes cheapest
// (FileAccess::WriteBehindGate); StandardGate is the standard library's.
#pragma once

#include <condition_variable>
#include <mutex>

namespace plivex {

class ThreadGate {
public:
    virtual ~ThreadGate() = default;
    // Lockable, for std::unique_lock and std::lock_guard.
    virtual void lock() = 0;
    virtual void unlock() = 0;
    // Held by the caller: lets go until woken, then holds again. May return
    // without a wake, so callers wait in a loop on what they wait for.
    virtual void Wait() = 0;
    virtual void WakeAll() = 0;

    template <typename Done>
    void WaitUntil(Done done) {
        while (!done()) Wait();
    }
};

class StandardGate final : public ThreadGate {
public:
    void lock() override { mutex_.lock(); }
    void unlock() override { mutex_.unlock(); }
    void Wait() override {
        std::unique_lock held(mutex_, std::adopt_lock);
        changed_.wait(held);
        held.release();  // still held, by the caller
    }
    void WakeAll() override { changed_.notify_all(); }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
};

}  // namespace plivex
