// An output written from a thread of its own, so that the disk takes one step
// while the caller reads and converts the next (the cipher's time then hides
// under the disk's instead of adding to it).
//
// Write hands a copy of the bytes to the writer thread and returns at once,
// unless kDepth steps are already waiting; the copy is wiped once written or
// dropped, as it may hold plain bytes. Once a write fails, nothing more is
// written and every later Write and Finish fails; the system's reason was
// taken on the writer thread (the file layer's last error is per thread).
// Finish waits for every step, then flushes and closes the file on the
// calling thread. Destroyed before Finish (a failure, Cancel), it drops what
// waits and waits only for the write in progress.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "base/file_access.h"

namespace plivex {

class PipelinedOutput : public OutputFile {
public:
    static constexpr std::size_t kDepth = 2;

    PipelinedOutput(std::unique_ptr<OutputFile> inner, FileAccess& files);
    ~PipelinedOutput() override;
    PipelinedOutput(const PipelinedOutput&) = delete;
    PipelinedOutput& operator=(const PipelinedOutput&) = delete;

    bool Write(const void* data, std::size_t size) override;
    bool Finish() override;
    // Whether a write on the writer thread failed, and the system's reason it gave there.
    bool WriterFailed() const;
    std::string WriterReason() const;

private:
    struct Step {
        std::vector<unsigned char> bytes;
        std::size_t size = 0;
    };
    void Run();
    static void Drop(Step& step);

    std::unique_ptr<OutputFile> inner_;
    FileAccess& files_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Step> waiting_;  // handed over, in order
    std::vector<Step> spare_;   // written and wiped, for the next steps
    bool writing_ = false;      // the writer holds a step
    bool stop_ = false;
    bool failed_ = false;
    std::string reason_;
    std::thread writer_;  // last: started once everything it uses is there
};

}  // namespace plivex
