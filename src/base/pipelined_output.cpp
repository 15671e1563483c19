#include "base/pipelined_output.h"

#include <system_error>

namespace plivex {

PipelinedOutput::PipelinedOutput(std::unique_ptr<OutputFile> inner, FileAccess& files,
                                 std::unique_ptr<ThreadGate> gate)
    : inner_(std::move(inner)), files_(files), gate_(std::move(gate)) {
    try {
        writer_ = std::thread([this] { Run(); });
    } catch (const std::system_error&) {
        // No thread to be had: everything is written in place, as without the pipeline.
    }
}

PipelinedOutput::~PipelinedOutput() {
    {
        const std::lock_guard lock(*gate_);
        stop_ = true;
    }
    gate_->WakeAll();
    if (writer_.joinable()) writer_.join();
}

bool PipelinedOutput::AwaitIdle() {
    gate_->WaitUntil([&] { return !busy_; });
    return !failed_;
}

bool PipelinedOutput::Write(const void* data, std::size_t size) {
    if (writer_.joinable()) {
        const std::lock_guard lock(*gate_);
        if (!AwaitIdle()) return false;
    }
    // The writer waits for a step meanwhile and does not touch the file.
    return inner_->Write(data, size);
}

bool PipelinedOutput::WriteHanded(WipedBytes& buffer, std::size_t size) {
    if (!writer_.joinable()) return inner_->Write(buffer.data(), size);
    std::unique_lock lock(*gate_);
    if (!AwaitIdle()) return false;
    held_.Swap(buffer);
    heldSize_ = size;
    busy_ = true;
    const std::size_t needed = held_.size();
    lock.unlock();
    gate_->WakeAll();
    if (buffer.size() < needed) buffer.Reset(needed);  // the first step: no spare yet
    return true;
}

void PipelinedOutput::Run() {
    std::unique_lock lock(*gate_);
    for (;;) {
        gate_->WaitUntil([&] { return stop_ || busy_; });
        if (!busy_) return;
        const bool write = !stop_;
        lock.unlock();
        const bool ok = !write || inner_->Write(held_.data(), heldSize_);
        const std::string reason = ok ? std::string() : files_.LastError();  // on the thread that failed
        SecureWipe(held_.data(), heldSize_);
        lock.lock();
        busy_ = false;
        if (!ok) {
            failed_ = true;
            reason_ = reason;
        }
        gate_->WakeAll();
        if (!write) return;
    }
}

bool PipelinedOutput::Finish() {
    if (writer_.joinable()) {
        {
            const std::lock_guard lock(*gate_);
            AwaitIdle();
            stop_ = true;
        }
        gate_->WakeAll();
        writer_.join();
        if (failed_) return false;
    }
    return inner_->Finish();
}

bool PipelinedOutput::WriterFailed() const {
    const std::lock_guard lock(*gate_);
    return failed_;
}

std::string PipelinedOutput::WriterReason() const {
    const std::lock_guard lock(*gate_);
    return reason_;
}

}  // namespace plivex
