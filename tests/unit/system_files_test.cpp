// The system's own file layer (POSIX natively, Win32 under Wine) keeps the
// promise the codec relies on when it gives an output its name.
#include "sys/system_files.h"

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

}  // namespace
}  // namespace plivex
