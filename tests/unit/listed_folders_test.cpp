#include "base/listed_folders.h"

#include <gtest/gtest.h>

#include "base/paths.h"
#include "mem_files.h"

namespace plivex {
namespace {

// A file system that lists folders and matches names without regard to case,
// as Windows does, and counts the lookups that would scan a folder.
class ListingFiles : public test::MemFiles {
public:
    int lookups = 0;
    int listings = 0;
    bool Exists(const std::string& path) override {
        ++lookups;
        for (const auto& [name, content] : files)
            if (NameKey(name) == NameKey(path)) return true;
        return false;
    }
    std::optional<std::vector<std::string>> ListFolder(const std::string& folder) override {
        ++listings;
        std::vector<std::string> names;
        for (const auto& [path, content] : files)
            if (FolderPart(path) == folder) names.push_back(FileNamePart(path));
        return names;
    }
    std::string NameKey(const std::string& name) const override {
        std::string key = name;
        for (char& c : key) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
        return key;
    }
};

TEST(ListedFolders, OneListingAnswersMissingNamesAndEveryNameFoundIsLookedUpAgain) {
    ListingFiles disk;
    disk.files["C:\\d\\a.txt"] = "a";
    disk.files["C:\\d\\b.pvx"] = "b";
    std::chrono::steady_clock::time_point now{};
    ListedFolders files(disk, [&] { return now; });

    for (int i = 0; i < 100; ++i) EXPECT_FALSE(files.Exists("C:\\d\\n" + std::to_string(i) + ".pvx"));
    EXPECT_EQ(disk.listings, 1);
    EXPECT_EQ(disk.lookups, 0);
    EXPECT_TRUE(files.Exists("C:\\d\\B.PVX"));  // the system's own matching of names
    EXPECT_EQ(disk.lookups, 1);

    // Gone meanwhile: not reported as there.
    disk.files.erase("C:\\d\\a.txt");
    EXPECT_FALSE(files.Exists("C:\\d\\a.txt"));

    // What this file system does itself is seen at once.
    std::string temp;
    ASSERT_TRUE(files.CreateTemp("C:\\d\\c.pvx", temp));
    ASSERT_TRUE(files.Commit(temp, "C:\\d\\c.pvx", false));
    EXPECT_TRUE(files.Exists("C:\\d\\c.pvx"));
    ASSERT_TRUE(files.Remove("C:\\d\\b.pvx"));
    EXPECT_FALSE(files.Exists("C:\\d\\b.pvx"));

    // Another program's new file: refused by Commit while the listing is
    // fresh, never overwritten; seen once the listing is taken again.
    disk.files["C:\\d\\e.pvx"] = "theirs";
    EXPECT_FALSE(files.Exists("C:\\d\\e.pvx"));
    ASSERT_TRUE(files.CreateTemp("C:\\d\\e.pvx", temp));
    EXPECT_FALSE(files.Commit(temp, "C:\\d\\e.pvx", false));
    EXPECT_EQ(disk.At("C:\\d\\e.pvx"), "theirs");
    now += ListedFolders::kMaxAge;
    EXPECT_TRUE(files.Exists("C:\\d\\e.pvx"));
    EXPECT_EQ(disk.listings, 2);

    // Where the system does not list, every lookup is its own.
    test::MemFiles plain;
    plain.files["x"] = "";
    ListedFolders passThrough(plain);
    EXPECT_TRUE(passThrough.Exists("x"));
    EXPECT_FALSE(passThrough.Exists("y"));
}

}  // namespace
}  // namespace plivex
