#include "base/pipelined_output.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
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
        if (size > 100) disk.writer = std::this_thread::get_id();  // a step, not a header
        if (disk.failFrom >= 0 && disk.writes >= disk.failFrom) {
            disk.failedOn = std::this_thread::get_id();
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

bool AllZero(WipedBytes& bytes) {
    return std::all_of(bytes.data(), bytes.data() + bytes.size(), [](unsigned char c) { return c == 0; });
}

// Steps and headers arrive whole and in order, the steps from another thread,
// before the flush; each handed buffer is taken as it is and another comes
// back, wiped and no smaller: two buffers in all, never a copy.
TEST(PipelinedOutput, StepsArriveInOrderFromAnotherThreadAndBuffersComeBackWiped) {
    Disk disk;
    std::string expected;
    PipelinedOutput out(std::make_unique<DiskFile>(disk), disk, std::make_unique<StandardGate>());
    ASSERT_TRUE(out.Write("HEAD", 4));
    expected += "HEAD";
    WipedBytes buffer(8000);
    const unsigned char* seen[2] = {nullptr, nullptr};
    for (int i = 0; i < 200; ++i) {
        const std::size_t size = 1000 + static_cast<std::size_t>(i) * 37 % 7000;
        const char fill = static_cast<char>('a' + i % 26);
        std::memset(buffer.data(), fill, size);
        expected.append(size, fill);
        const unsigned char* handed = buffer.data();
        ASSERT_TRUE(out.WriteHanded(buffer, size));
        ASSERT_NE(buffer.data(), handed) << "step " << i;
        ASSERT_GE(buffer.size(), 8000u);
        ASSERT_TRUE(AllZero(buffer)) << "step " << i;
        seen[i % 2] = handed;
        if (i >= 2) {
            ASSERT_EQ(buffer.data(), seen[(i + 1) % 2]) << "a third buffer at step " << i;
        }
        if (i == 100) {
            ASSERT_TRUE(out.Write("MID", 3));
            expected += "MID";
        }
    }
    EXPECT_TRUE(out.Finish());
    EXPECT_TRUE(disk.finished);
    EXPECT_EQ(disk.written, expected);
    EXPECT_NE(disk.writer, std::this_thread::get_id());
}

// A failed write stops the file: nothing after it is written, a later write
// or the Finish fails, nothing is flushed, and the writer thread's reason is kept.
TEST(PipelinedOutput, AFailedWriteFailsWhatFollowsWithTheWritersReason) {
    Disk disk;
    disk.failFrom = 3;
    {
        PipelinedOutput out(std::make_unique<DiskFile>(disk), disk, std::make_unique<StandardGate>());
        WipedBytes buffer(4096);
        bool refused = false;
        for (int i = 0; i < 100 && !refused; ++i) {
            std::memset(buffer.data(), 'x', buffer.size());
            refused = !out.WriteHanded(buffer, buffer.size());
        }
        EXPECT_TRUE(refused);
        EXPECT_FALSE(out.Write("tail", 4));
        EXPECT_FALSE(out.Finish());
        EXPECT_TRUE(out.WriterFailed());
        EXPECT_EQ(out.WriterReason(), "ディスクに十分な空き領域がありません。");
        EXPECT_EQ(disk.LastError(), "") << "the caller's thread has no reason of its own";
    }
    EXPECT_EQ(disk.written, std::string(3 * 4096, 'x'));
    EXPECT_FALSE(disk.finished);
}

// Ended before Finish (Cancel, a read failure): nothing more is written and nothing is flushed.
TEST(PipelinedOutput, EndedBeforeFinishFlushesNothing) {
    Disk disk;
    {
        PipelinedOutput out(std::make_unique<DiskFile>(disk), disk, std::make_unique<StandardGate>());
        WipedBytes buffer(1000);
        for (int i = 0; i < 10; ++i) {
            std::memset(buffer.data(), 'y', buffer.size());
            ASSERT_TRUE(out.WriteHanded(buffer, buffer.size()));
        }
    }
    EXPECT_FALSE(disk.finished);
    EXPECT_EQ(disk.written, std::string(disk.written.size(), 'y'));
}

}  // namespace
}  // namespace plivex
