#include "base/pipelined_output.h"

#include <cstring>
#include <system_error>

#include "base/secret.h"

namespace plivex {

PipelinedOutput::PipelinedOutput(std::unique_ptr<OutputFile> inner, FileAccess& files)
    : inner_(std::move(inner)), files_(files) {
    try {
        writer_ = std::thread([this] { Run(); });
    } catch (const std::system_error&) {
        // No thread to be had: Write writes in place, as without the pipeline.
    }
}

PipelinedOutput::~PipelinedOutput() {
    {
        const std::lock_guard lock(mutex_);
        stop_ = true;
        for (Step& step : waiting_) Drop(step);
        waiting_.clear();
    }
    changed_.notify_all();
    if (writer_.joinable()) writer_.join();
}

void PipelinedOutput::Drop(Step& step) {
    if (step.size) SecureWipe(step.bytes.data(), step.size);
    step.size = 0;
}

bool PipelinedOutput::Write(const void* data, std::size_t size) {
    if (!writer_.joinable()) return inner_->Write(data, size);
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return failed_ || waiting_.size() + (writing_ ? 1 : 0) < kDepth; });
    if (failed_) return false;
    Step step;
    if (!spare_.empty()) {
        step = std::move(spare_.back());
        spare_.pop_back();
    }
    lock.unlock();
    if (step.bytes.size() < size) step.bytes.resize(size);  // its bytes were wiped when written
    std::memcpy(step.bytes.data(), data, size);
    step.size = size;
    lock.lock();
    waiting_.push_back(std::move(step));
    lock.unlock();
    changed_.notify_all();
    return true;
}

void PipelinedOutput::Run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [&] { return stop_ || !waiting_.empty(); });
        if (stop_) return;
        Step step = std::move(waiting_.front());
        waiting_.pop_front();
        const bool write = !failed_;
        writing_ = true;
        lock.unlock();
        const bool ok = !write || inner_->Write(step.bytes.data(), step.size);
        const std::string reason = ok ? std::string() : files_.LastError();  // on the thread that failed
        // Kept for the next step, so this store is not a dead one; a buffer
        // dropped at the end is wiped by Drop.
        std::memset(step.bytes.data(), 0, step.size);
        step.size = 0;
        lock.lock();
        writing_ = false;
        if (!ok && !failed_) {
            failed_ = true;
            reason_ = reason;
        }
        spare_.push_back(std::move(step));
        changed_.notify_all();
    }
}

bool PipelinedOutput::Finish() {
    if (writer_.joinable()) {
        {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [&] { return waiting_.empty() && !writing_; });
            stop_ = true;
        }
        changed_.notify_all();
        writer_.join();
        if (failed_) return false;
    }
    return inner_->Finish();
}

bool PipelinedOutput::WriterFailed() const {
    const std::lock_guard lock(mutex_);
    return failed_;
}

std::string PipelinedOutput::WriterReason() const {
    const std::lock_guard lock(mutex_);
    return reason_;
}

}  // namespace plivex
