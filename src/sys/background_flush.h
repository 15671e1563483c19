// Flushes a file that is being written, on a thread of its own, a range
// behind its writer: the disk writes one range while the next is converted,
// and the file's last flush finds little left. Used where the system has no
// way to start write-back of a range without waiting for it.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

namespace plivex {

class BackgroundFlush {
public:
    static constexpr std::uint64_t kRange = std::uint64_t{8} << 20;

    // flush writes every byte written so far to the disk and returns the
    // system's error code, 0 on success. It runs on the flusher's thread while
    // the writer goes on writing the same file, so the file must allow both at
    // once. range: how many new bytes start a flush.
    explicit BackgroundFlush(std::function<std::uint32_t()> flush, std::uint64_t range = kRange);
    ~BackgroundFlush();  // waits for the flush under way, starts none
    BackgroundFlush(const BackgroundFlush&) = delete;
    BackgroundFlush& operator=(const BackgroundFlush&) = delete;

    // The writer has written this many bytes in all. Starts a flush once a
    // range is waiting (the thread only then: a small file never starts one),
    // and waits for the flush asked for before it: the disk writes one range
    // while the writer fills the next, and the last flush finds little left.
    void Written(std::uint64_t total);
    // Waits for the flush under way and starts no more; the error code of the
    // first flush that failed (the system reports a write error once), else 0.
    std::uint32_t Stop();

private:
    void Run();

    const std::function<std::uint32_t()> flush_;
    const std::uint64_t range_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::uint64_t requested_ = 0;  // bytes written when the last flush was asked for
    std::uint64_t flushed_ = 0;    // bytes written when the last finished flush began
    std::uint32_t error_ = 0;
    bool stop_ = false;
    std::thread thread_;
};

}  // namespace plivex
