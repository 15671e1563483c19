#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "base/paths.h"
#include "filesel/file_types.h"

namespace plivex {
namespace {

using Strings = std::vector<std::string>;

TEST(FileTypes, EntriesAndTheirMasks) {
    EXPECT_EQ(FileTypeEntry("暗号ファイル", "*.pvx"), "暗号ファイル (*.pvx)");
    EXPECT_EQ(FileTypeMasks("暗号ファイル (*.pvx)"), "*.pvx");
    EXPECT_EQ(FileTypeMasks("文書 (*.doc,*.txt)"), "*.doc,*.txt");
    // Only the first "(" counts, and the last character goes whatever it is.
    EXPECT_EQ(FileTypeMasks("a (b(c))"), "b(c)");
    EXPECT_EQ(FileTypeMasks("a ("), "");
    EXPECT_EQ(FileTypeMasks(""), "");

    const FileTypeList fresh;
    EXPECT_EQ(fresh.Entries(), Strings{"すべてのファイル (*.*)"});
}

TEST(FileTypes, AddRefusesDuplicatesInAnyCaseAndClampsTheIndex) {
    FileTypeList list;
    EXPECT_TRUE(list.Add("暗号ファイル", "*.pvx", std::numeric_limits<std::int32_t>::max()));
    EXPECT_TRUE(list.Add("外持ファイル", "*.pvxe", -5));
    EXPECT_EQ(list.Entries(), (Strings{"外持ファイル (*.pvxe)", "すべてのファイル (*.*)", "暗号ファイル (*.pvx)"}));
    EXPECT_TRUE(list.Add("Text", "*.txt", 1));
    EXPECT_EQ(list.Entries()[1], "Text (*.txt)");

    EXPECT_TRUE(list.Add("ｔｅｘｔ", "*.txt", 9));
    const Strings before = list.Entries();
    EXPECT_FALSE(list.Add("暗号ファイル", "*.PVX", 0));
    EXPECT_FALSE(list.Add("TEXT", "*.Txt", 4));
    EXPECT_FALSE(list.Add("ＴＥＸＴ", "*.TXT", 0));  // full-width letters have case too
    EXPECT_EQ(list.Entries(), before);
    EXPECT_TRUE(list.Add("Texts", "*.txt", 4));  // a longer name is another entry
}

TEST(FileTypes, DeleteByCaseSensitiveSubstringAndClear) {
    FileTypeList list;
    list.Add("暗号ファイル", "*.pvx", 9);
    list.Add("Bilder", "*.bmp", 9);
    EXPECT_FALSE(list.Delete("bilder"));
    EXPECT_TRUE(list.Delete("*.pvx"));
    EXPECT_EQ(list.Entries(), (Strings{"すべてのファイル (*.*)", "Bilder (*.bmp)"}));
    EXPECT_TRUE(list.Delete("("));  // the first entry that holds it
    EXPECT_EQ(list.Entries(), Strings{"Bilder (*.bmp)"});
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
    EXPECT_FALSE(list.Delete(""));
}

TEST(FileTypes, TypeIndexKeepsValidAndNegativeOnes) {
    EXPECT_EQ(FileTypeIndexFor(1, 2), 1);
    EXPECT_EQ(FileTypeIndexFor(2, 2), 0);
    EXPECT_EQ(FileTypeIndexFor(std::numeric_limits<std::int32_t>::max(), 2), 0);
    EXPECT_EQ(FileTypeIndexFor(-1, 2), -1);
    EXPECT_EQ(FileTypeIndexFor(-5, 0), -5);
    EXPECT_EQ(FileTypeIndexFor(0, 0), 0);
}

TEST(FileTypes, PatternsSplitAtCommasWithBlanksKept) {
    EXPECT_EQ(SplitPatterns("*.pvx"), Strings{"*.pvx"});
    EXPECT_EQ(SplitPatterns("*.txt, *.doc"), (Strings{"*.txt", " *.doc"}));
    EXPECT_EQ(SplitPatterns("a,,b,"), (Strings{"a", "", "b", ""}));
}

TEST(FileTypes, DefaultExtensionFromTheFirstPattern) {
    EXPECT_EQ(AddDefaultExt("C:\\文書\\報告", "*.pvx"), "C:\\文書\\報告.pvx");
    EXPECT_EQ(AddDefaultExt("C:\\文書\\報告", "*.*"), "C:\\文書\\報告");
    EXPECT_EQ(AddDefaultExt("C:\\文書\\報告", "*.p?x"), "C:\\文書\\報告");
    EXPECT_EQ(AddDefaultExt("C:\\文書\\報告", "*.pvxe,*.*"), "C:\\文書\\報告.pvxe");
    EXPECT_EQ(AddDefaultExt("C:\\文書\\報告", "*.*,*.pvx"), "C:\\文書\\報告");
    EXPECT_EQ(AddDefaultExt("C:\\文書\\報告", "*,*.pvx"), "C:\\文書\\報告");
    EXPECT_EQ(AddDefaultExt("C:\\文書\\報告", "readme"), "C:\\文書\\報告");
    // An extension already there is kept, whatever the patterns; a dot in a folder is not one.
    EXPECT_EQ(AddDefaultExt("C:\\文書\\報告.doc", "*.pvx"), "C:\\文書\\報告.doc");
    EXPECT_EQ(AddDefaultExt("C:\\v1.0\\報告", "*.pvx"), "C:\\v1.0\\報告.pvx");
    // A typed full path stands on its own; anything else goes after the folder.
    EXPECT_EQ(AcceptedPath("C:\\作業\\", "D:\\他\\名前", "*.pvx"), "D:\\他\\名前.pvx");
    EXPECT_EQ(AcceptedPath("C:\\作業\\", "\\\\srv\\共有\\名前.txt", "*.pvx"), "\\\\srv\\共有\\名前.txt");
    EXPECT_EQ(AcceptedPath("C:\\作業\\", "名前.txt", "*.pvx"), "C:\\作業\\名前.txt");
    EXPECT_EQ(AcceptedPath("C:\\作業\\", "下\\名前", "*.pvx"), "C:\\作業\\下\\名前.pvx");
    for (const char* full : {"C:\\a", "z:/a", "\\\\srv\\s"}) EXPECT_TRUE(IsAbsolutePath(full)) << full;
    // A drive without its root, a root without its drive, a lone name: relative.
    for (const char* part : {"C:a", "C:", "\\a", "\\\\", "\\\\\\x", "1:\\a", "名前", ""})
        EXPECT_FALSE(IsAbsolutePath(part)) << part;
}

TEST(FileTypes, ChosenFilesInListOrderThenTheTypedName) {
    const std::string dir = "C:\\作業\\";
    EXPECT_EQ(ChosenFiles(dir, {"a.txt", "b.txt"}, "b.txt"), (Strings{dir + "a.txt", dir + "b.txt"}));
    EXPECT_EQ(ChosenFiles(dir, {"a.txt", "b.txt"}, "B.TXT"), (Strings{dir + "a.txt", dir + "b.txt"}));
    EXPECT_EQ(ChosenFiles(dir, {"a.txt", "b.txt"}, "新規.txt"),
              (Strings{dir + "a.txt", dir + "b.txt", dir + "新規.txt"}));
    EXPECT_EQ(ChosenFiles(dir, {}, "x.pvx"), Strings{dir + "x.pvx"});
}

TEST(FileTypes, CaseFoldingOfNames) {
    EXPECT_TRUE(SameTextIgnoringCase("Report.DOC", "report.doc"));
    EXPECT_TRUE(SameTextIgnoringCase("ÄÖÜ Ωμέγα ДОМ ＡＢＣ", "äöü ωμέγα дом ａｂｃ"));
    EXPECT_FALSE(SameTextIgnoringCase("ａｂｃ", "abc"));  // width is not case
    EXPECT_FALSE(SameTextIgnoringCase("かな", "カナ"));
    EXPECT_FALSE(SameTextIgnoringCase("×", "÷"));
    EXPECT_EQ(FoldCase("Łódź ŸŹ"), "łódź ÿź");
    // Bytes that are not UTF-8 pass unchanged and still compare.
    EXPECT_EQ(FoldCase("A\xFF\xC3"), "a\xFF\xC3");
}

TEST(FileTypes, InitialFolderDefaultsToTheProgramFolder) {
    EXPECT_EQ(InitialFolderOrDefault("", "C:\\Tools"), "C:\\Tools");
    EXPECT_EQ(InitialFolderOrDefault("D:\\文書", "C:\\Tools"), "D:\\文書");
    EXPECT_EQ(FolderOfFile("C:\\Program Files\\プリベックス\\plivex.exe"), "C:\\Program Files\\プリベックス");
    EXPECT_EQ(FolderOfFile("C:\\plivex.exe"), "C:");
}

}  // namespace
}  // namespace plivex
