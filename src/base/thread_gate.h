// What a thread and the one that hands it work wait on: a lock with a
// condition. Each system gives the kind it makes cheapest; the standard
// library's waits in the kernel only when it must on Linux, while MinGW's
// goes through Windows events (under Wine, a round trip to the Wine server
// for every wait), so Windows gives one of slim reader/writer locks.
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
