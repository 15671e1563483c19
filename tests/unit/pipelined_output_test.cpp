#include "base/pipelined_output.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>

namespace plivex {
namespace {

// A disk that records what reaches it; from write number failFrom on, every
// write fails, and, as a system's, the reason is known only on the thread
// that failed.
struct Disk : FileAccess {
    std::string written;
    int writes = 0;
    int failFrom = -1;
    bool finished = false;
    std::thread::id writer;
    std::thread::id failedOn;

    std::string LastError() const override {
        return failedOn == std::this_thread::get_id() ? "ディスクに十分な空き領域がありません。" : "";
    }
    std::unique_ptr<InputFile> OpenRead(const std::string&) override { return nullptr; }
    bool Exists(const std::string&) override { return false; }
    bool CanCreate(const std::string&) override { return false; }
    std::unique_ptr<OutputFile> CreateTemp(const std::string&, std::string&, const std::string&) override;
    bool Commit(const std::string&, const std::string&, bool) override { return false; }
    bool Remove(const std::string&) override { return false; }
};

struct DiskFile : OutputFile {
    explicit DiskFile(Disk& disk) : disk(disk) {}
    bool Write(const void* data, std::size_t size) override {
        disk.writer = std::this_thread::get_id();
        if (disk.failFrom >= 0 && disk.writes >= disk.failFrom) {
            disk.failedOn = disk.writer;
            return false;
        }
        ++disk.writes;
        disk.written.append(static_cast<const char*>(data), size);
        return true;
    }
    bool Finish() override { return disk.finished = true; }
    Disk& disk;
};

std::unique_ptr<OutputFile> Disk::CreateTemp(const std::string&, std::string&, const std::string&) {
    return std::make_unique<DiskFile>(*this);
}

// Writes a step from a buffer that is overwritten as soon as Write returns.
bool WriteStep(PipelinedOutput& out, char fill, std::size_t size) {
    std::string step(size, fill);
    const bool ok = out.Write(step.data(), step.size());
    step.assign(size, '#');
    return ok;
}

TEST(PipelinedOutput, StepsArriveWholeAndInOrderFromAnotherThreadBeforeTheFlush) {
    Disk disk;
    std::string expected;
    PipelinedOutput out(std::make_unique<DiskFile>(disk), disk);
    for (int i = 0; i < 200; ++i) {
        const std::size_t size = 1000 + static_cast<std::size_t>(i) * 37;
        expected.append(size, static_cast<char>('a' + i % 26));
        ASSERT_TRUE(WriteStep(out, static_cast<char>('a' + i % 26), size));
    }
    EXPECT_TRUE(out.Finish());
    EXPECT_TRUE(disk.finished);
    EXPECT_EQ(disk.written, expected);
    EXPECT_NE(disk.writer, std::this_thread::get_id());
}

// A failed write stops the file: nothing after it is written, a later Write
// or the Finish fails, nothing is flushed, and the writer thread's reason is kept.
TEST(PipelinedOutput, AFailedWriteFailsWhatFollowsWithTheWritersReason) {
    Disk disk;
    disk.failFrom = 3;
    {
        PipelinedOutput out(std::make_unique<DiskFile>(disk), disk);
        bool refused = false;
        for (int i = 0; i < 100 && !refused; ++i) refused = !WriteStep(out, 'x', 4096);
        EXPECT_FALSE(out.Finish());
        EXPECT_TRUE(out.WriterFailed());
        EXPECT_EQ(out.WriterReason(), "ディスクに十分な空き領域がありません。");
        EXPECT_EQ(disk.LastError(), "") << "the caller's thread has no reason of its own";
    }
    EXPECT_EQ(disk.written, std::string(3 * 4096, 'x'));
    EXPECT_FALSE(disk.finished);
}

// Ended before Finish (Cancel, a read failure): what waits is dropped, nothing is flushed.
TEST(PipelinedOutput, EndedBeforeFinishFlushesNothing) {
    Disk disk;
    {
        PipelinedOutput out(std::make_unique<DiskFile>(disk), disk);
        for (int i = 0; i < 10; ++i) ASSERT_TRUE(WriteStep(out, 'y', 100));
    }
    EXPECT_FALSE(disk.finished);
    EXPECT_EQ(disk.written, std::string(disk.written.size(), 'y'));
}

}  // namespace
}  // namespace plivex
