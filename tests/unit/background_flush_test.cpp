#include "sys/background_flush.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <map>
#include <memory>
#include <thread>

namespace plivex {
namespace {

constexpr std::uint64_t kRange = 100;

// A flush the test lets through one at a time, to see where the writer waits.
struct Gate {
    std::mutex mutex;
    std::condition_variable changed;
    int started = 0;
    int allowed = 0;
    std::thread::id thread;
    std::map<int, std::uint32_t> errors;  // by the flush's number, from 1

    std::uint32_t Flush() {
        std::unique_lock<std::mutex> lock(mutex);
        thread = std::this_thread::get_id();
        const int number = ++started;
        changed.notify_all();
        changed.wait(lock, [&] { return allowed >= number; });
        return errors[number];
    }
    void Allow() {
        std::lock_guard<std::mutex> lock(mutex);
        ++allowed;
        changed.notify_all();
    }
    void AwaitStarted(int n) {
        std::unique_lock<std::mutex> lock(mutex);
        changed.wait(lock, [&] { return started >= n; });
    }
};

TEST(BackgroundFlush, FlushesARangeBehindTheWriterOnItsOwnThreadAndWaitsOnlyForTheOneBefore) {
    Gate gate;
    BackgroundFlush flusher([&] { return gate.Flush(); }, kRange);
    flusher.Written(kRange - 1);  // a small file starts nothing
    flusher.Written(kRange);
    gate.AwaitStarted(1);
    EXPECT_NE(gate.thread, std::this_thread::get_id());

    // One range more while the first flush runs: the writer goes on.
    flusher.Written(2 * kRange - 1);
    // The next range asked for: the writer waits until the flush before it ends.
    auto ahead = std::async(std::launch::async, [&] { flusher.Written(3 * kRange); });
    EXPECT_EQ(ahead.wait_for(std::chrono::milliseconds(50)), std::future_status::timeout);
    gate.Allow();
    ahead.get();
    gate.AwaitStarted(2);
    gate.Allow();
    EXPECT_EQ(flusher.Stop(), 0u);
    EXPECT_EQ(gate.started, 2);
}

TEST(BackgroundFlush, TheFirstFailureIsKeptForTheEndAndStopStartsNoFurtherFlush) {
    Gate gate;
    gate.errors[1] = 112;  // the disk is full; a later flush that succeeds must not hide it
    {
        BackgroundFlush flusher([&] { return gate.Flush(); }, kRange);
        flusher.Written(kRange);
        gate.AwaitStarted(1);
        gate.Allow();
        flusher.Written(5 * kRange);  // does not wait on a failed flush
        gate.AwaitStarted(2);
        gate.Allow();
        EXPECT_EQ(flusher.Stop(), 112u);
        flusher.Written(10 * kRange);
        EXPECT_EQ(gate.started, 2);
    }
    // Destroyed while a flush runs: waits for it and leaves no thread behind.
    Gate slow;
    std::atomic<bool> released{false};
    auto flusher = std::make_unique<BackgroundFlush>([&] { return slow.Flush(); }, kRange);
    flusher->Written(kRange);
    slow.AwaitStarted(1);
    std::thread release([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        released = true;
        slow.Allow();
    });
    flusher.reset();
    EXPECT_TRUE(released);
    release.join();
}

}  // namespace
}  // namespace plivex
