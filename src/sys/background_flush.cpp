#include "sys/background_flush.h"

#include <utility>

namespace plivex {

BackgroundFlush::BackgroundFlush(std::function<std::uint32_t()> flush, std::uint64_t range)
    : flush_(std::move(flush)), range_(range) {}

BackgroundFlush::~BackgroundFlush() { Stop(); }

void BackgroundFlush::Written(std::uint64_t total) {
    std::unique_lock<std::mutex> lock(mutex_);
    if (stop_ || total - requested_ < range_) return;
    const std::uint64_t before = requested_;
    requested_ = total;
    if (!thread_.joinable()) thread_ = std::thread([this] { Run(); });
    changed_.notify_all();
    // A flush that failed stops nothing here: the writer's own end reports it.
    changed_.wait(lock, [&] { return flushed_ >= before || error_ != 0; });
}

std::uint32_t BackgroundFlush::Stop() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stop_ = true;
    }
    changed_.notify_all();
    if (thread_.joinable()) thread_.join();
    return error_;
}

void BackgroundFlush::Run() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        changed_.wait(lock, [&] { return stop_ || requested_ > flushed_; });
        if (stop_) return;
        const std::uint64_t target = requested_;
        lock.unlock();
        const std::uint32_t error = flush_();
        lock.lock();
        flushed_ = target;
        if (error != 0 && error_ == 0) error_ = error;
        changed_.notify_all();
    }
}

}  // namespace plivex
