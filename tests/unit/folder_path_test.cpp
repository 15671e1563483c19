#include <gtest/gtest.h>

#include "filesel/folder_path.h"

namespace plivex {
namespace {

using Steps = std::vector<FolderSegment>;

TEST(FolderPath, SegmentsFollowBackslashesAndMarkDrives) {
    const Steps dataOnC{{"C:", true}, {"Data", false}};
    EXPECT_EQ(FolderPathSegments("C:\\Data\\"), dataOnC);
    EXPECT_EQ(FolderPathSegments("C:\\Data"), dataOnC);  // the trailing backslash is supplied
    EXPECT_EQ(FolderPathSegments("C:"), (Steps{{"C:", true}}));
    EXPECT_EQ(FolderPathSegments("c:\\"), (Steps{{"c:", true}}));  // case is the lookup's business
    EXPECT_EQ(FolderPathSegments("C:\\文書\\報告書 2026\\"),
              (Steps{{"C:", true}, {"文書", false}, {"報告書 2026", false}}));
    // Every part counts, an empty one too: it names no folder, so the walk stops there.
    EXPECT_EQ(FolderPathSegments("C:\\\\Data"), (Steps{{"C:", true}, {"", false}, {"Data", false}}));
    // A colon that does not end the first part gives a first step no root node can match.
    EXPECT_EQ(FolderPathSegments("C:Data\\x"), (Steps{{"C:Data", false}, {"x", false}}));
    EXPECT_EQ(FolderPathSegments("Data\\C:\\"), (Steps{{"Data", false}, {"C:", true}}));
}

TEST(FolderPath, PathsWithoutAColonNameNothing) {
    EXPECT_TRUE(FolderPathSegments("").empty());
    EXPECT_TRUE(FolderPathSegments("\\\\server\\share\\").empty());
    EXPECT_TRUE(FolderPathSegments("Data\\2024").empty());
    EXPECT_TRUE(FolderPathSegments("\\Windows").empty());
}

TEST(FolderPath, NodePathsAndFolderNames) {
    EXPECT_EQ(FolderPathOf({"C:"}), "C:\\");
    EXPECT_EQ(FolderPathOf({"C:", "Data", "報告書 2026"}), "C:\\Data\\報告書 2026\\");
    EXPECT_EQ(FolderPathOf({}), "");
    EXPECT_EQ(FolderNameOf("C:\\"), "C:");
    EXPECT_EQ(FolderNameOf("C:\\Data\\報告書 2026\\"), "C:\\Data\\報告書 2026");
    EXPECT_EQ(FolderNameOf(""), "");
    // The last character, however many bytes it takes.
    EXPECT_EQ(FolderNameOf("C:\\文書"), "C:\\文");
}

TEST(FolderPath, DriveTextIsTheUpperCaseLetterAndColon) {
    EXPECT_EQ(DriveNodeText("c:\\"), "C:");
    EXPECT_EQ(DriveNodeText("Z:\\"), "Z:");
    EXPECT_EQ(DriveNodeText("t:"), "T:");
}

}  // namespace
}  // namespace plivex
