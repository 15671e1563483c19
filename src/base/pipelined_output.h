// An output written from a thread of its own, so that the disk takes one step
// while the caller reads and converts the next: the cipher's time then hides
// under the disk's instead of adding to it.
//
// WriteHanded takes the caller's buffer for the writer thread and gives back
// the one the writer finished with, wiped: two buffers in all, no copies.
// It waits while the writer still holds the step before. Write (the small
// header) waits for the writer to be idle and writes on the calling thread.
// Once a write on the writer thread fails, nothing more is written and every
// later write and Finish fails; the system's reason was taken on that thread
// (the file layer's last error is per thread). Finish waits for the step in
// hand, then flushes and closes the file on the calling thread. Destroyed
// before Finish (a failure, Cancel), it writes nothing more and waits only
// for a write in progress.
#pragma once

#include <cstddef>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "base/file_access.h"
#include "base/secret.h"
#include "base/thread_gate.h"

namespace plivex {

class PipelinedOutput : public OutputFile {
public:
    PipelinedOutput(std::unique_ptr<OutputFile> inner, FileAccess& files, std::unique_ptr<ThreadGate> gate);
    ~PipelinedOutput() override;
    PipelinedOutput(const PipelinedOutput&) = delete;
    PipelinedOutput& operator=(const PipelinedOutput&) = delete;

    bool Write(const void* data, std::size_t size) override;
    bool WriteHanded(WipedBytes& buffer, std::size_t size) override;
    bool Finish() override;
    // Whether a write on the writer thread failed, and the system's reason it gave there.
    bool WriterFailed() const;
    std::string WriterReason() const;

private:
    void Run();
    // With the gate held: waits until the writer holds no step; false once a write failed.
    bool AwaitIdle();

    std::unique_ptr<OutputFile> inner_;
    FileAccess& files_;
    std::unique_ptr<ThreadGate> gate_;  // guards what follows
    WipedBytes held_;           // the step handed over, or the wiped spare
    std::size_t heldSize_ = 0;  // bytes of it to write
    bool busy_ = false;         // the writer holds a step
    bool stop_ = false;
    bool failed_ = false;
    std::string reason_;
    std::thread writer_;  // last: started once everything it uses is there
};

}  // namespace plivex
