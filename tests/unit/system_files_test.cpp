// The system's own file layer (POSIX natively, Win32 under Wine) keeps the
// promise the codec relies on when it gives an output its name.
#include "sys/system_files.h"

#include "base/pipelined_output.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

namespace plivex {
namespace {

std::string Contents(const std::string& path) {
    std::ifstream in(std::filesystem::u8path(path), std::ios::binary);
    std::ostringstream all;
    all << in.rdbuf();
    return all.str();
}

// A fresh folder of the system's temporary folder, removed with everything in
// it when the test ends, a failed one too.
class FreshFolder {
public:
    explicit FreshFolder(const std::string& prefix)
        : path_(std::filesystem::temp_directory_path() / (prefix + std::to_string(std::random_device()()))) {
        std::filesystem::remove_all(path_);
        made_ = std::filesystem::create_directory(path_);
    }
    ~FreshFolder() { std::filesystem::remove_all(path_); }
    bool made() const { return made_; }
    std::string File(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
    bool made_ = false;
};

// A name another program takes between the clash check and the commit is
// refused, never replaced; both files stay as they were. Told to replace,
// the commit does.
TEST(SystemFiles, CommitRefusesANameTakenMeanwhileUnlessToldToReplace) {
    namespace fs = std::filesystem;
    const FreshFolder dir("plivex-commit-");
    ASSERT_TRUE(dir.made());
    const std::string target = dir.File("taken.pvx");
    FileAccess& files = SystemFiles();
    std::string temp;
    std::unique_ptr<OutputFile> out = files.CreateTemp(target, temp);
    ASSERT_TRUE(out);
    ASSERT_TRUE(out->Write("ours", 4));
    ASSERT_TRUE(out->Finish());
    out.reset();
    std::ofstream(fs::path(target), std::ios::binary) << "theirs";

    EXPECT_FALSE(files.Commit(temp, target, false));
    EXPECT_FALSE(files.LastError().empty());
    EXPECT_EQ(Contents(target), "theirs");
    EXPECT_EQ(Contents(temp), "ours");

    EXPECT_TRUE(files.Commit(temp, target, true));
    EXPECT_EQ(Contents(target), "ours");
    EXPECT_FALSE(fs::exists(temp));
}

// A large output written from a thread of its own, with the gate this system
// gives, holds every step whole and in order once finished.
TEST(SystemFiles, AnOutputWrittenBehindHoldsEveryStepInOrder) {
    const FreshFolder dir("plivex-behind-");
    ASSERT_TRUE(dir.made());
    FileAccess& files = SystemFiles();
    std::unique_ptr<ThreadGate> gate = files.WriteBehindGate();
    ASSERT_TRUE(gate);
    std::string temp;
    std::unique_ptr<OutputFile> file = files.CreateTemp(dir.File("big.bin"), temp);
    ASSERT_TRUE(file);
    std::string expected = "header";
    {
        PipelinedOutput out(std::move(file), files, std::move(gate));
        ASSERT_TRUE(out.Write(expected.data(), expected.size()));
        WipedBytes step(64u << 10);
        for (int i = 0; i < 300; ++i) {
            const std::size_t size = step.size() - static_cast<std::size_t>(i % 7);
            for (std::size_t k = 0; k < size; ++k) step.data()[k] = static_cast<unsigned char>(i * 13 + k / 251);
            expected.append(reinterpret_cast<const char*>(step.data()), size);
            ASSERT_TRUE(out.WriteHanded(step, size));
        }
        ASSERT_TRUE(out.Finish());
    }
    EXPECT_TRUE(Contents(temp) == expected);  // not EXPECT_EQ: a failure would print megabytes
}

}  // namespace
}  // namespace plivex
