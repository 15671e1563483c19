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

// A name another program takes between the clash check and the commit is
// refused, never replaced; both files stay as they were. Told to replace,
// the commit does.
TEST(SystemFiles, CommitRefusesANameTakenMeanwhileUnlessToldToReplace) {
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / ("plivex-commit-" + std::to_string(std::random_device()()));
    fs::remove_all(dir);
    ASSERT_TRUE(fs::create_directory(dir));
    const std::string target = (dir / "taken.pvx").string();
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
    fs::remove_all(dir);
}

// A large output written from a thread of its own, with the gate this system
// gives, holds every step whole and in order once finished.
TEST(SystemFiles, AnOutputWrittenBehindHoldsEveryStepInOrder) {
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / ("plivex-behind-" + std::to_string(std::random_device()()));
    fs::remove_all(dir);
    ASSERT_TRUE(fs::create_directory(dir));
    FileAccess& files = SystemFiles();
    std::unique_ptr<ThreadGate> gate = files.WriteBehindGate();
    ASSERT_TRUE(gate);
    std::string temp;
    std::unique_ptr<OutputFile> file = files.CreateTemp((dir / "big.bin").string(), temp);
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
    fs::remove_all(dir);
}

}  // namespace
}  // namespace plivex
