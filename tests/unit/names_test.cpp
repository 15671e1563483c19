#include <gtest/gtest.h>

#include <set>

#include "base/paths.h"
#include "codec/names.h"
#include "sys/cp932.h"

namespace plivex {
namespace {

TEST(Names, ContainerNameKeepsFolderAndReplacesLastExtension) {
    EXPECT_EQ(ChangeExt("C:\\Docs\\report.doc", "pvx"), "C:\\Docs\\report.pvx");
    EXPECT_EQ(ChangeExt("C:\\Docs\\archive.tar.gz", "pvx"), "C:\\Docs\\archive.tar.pvx");
    EXPECT_EQ(ChangeExt("C:\\Docs\\.profile", "pvx"), "C:\\Docs\\.pvx");
    EXPECT_EQ(ChangeExt("C:\\Docs\\README", "pvx"), "C:\\Docs\\README.pvx");
    EXPECT_EQ(ChangeExt("C:\\Data.old\\README", "pvx"), "C:\\Data.old\\README.pvx");
    EXPECT_EQ(ChangeExt("C:README", "pvx"), "C:README.pvx");
    EXPECT_EQ(ChangeExt("/home/u/a.b/c", "pvx"), "/home/u/a.b/c.pvx");
}

TEST(Names, NumberedNamesSkipTakenOnesInTheSameFolder) {
    std::set<std::string> taken = {"C:\\Docs\\report_2.pvx"};
    auto exists = [&](const std::string& p) { return taken.count(p) != 0; };
    EXPECT_EQ(AddNumber("C:\\Docs\\report.pvx", exists), "C:\\Docs\\report_3.pvx");
    EXPECT_EQ(AddNumber("C:\\Docs\\README", exists), "C:\\Docs\\README_2");
    EXPECT_EQ(AddNumber("C:\\Data.old\\README", exists), "C:\\Data.old\\README_2");
    for (int n = 2; n <= 11; ++n) taken.insert("D:\\x_" + std::to_string(n) + ".txt");
    EXPECT_EQ(AddNumber("D:\\x.txt", exists), "D:\\x_12.txt");
}

TEST(Names, FileAndFolderParts) {
    EXPECT_EQ(FileNamePart("C:\\a\\b.txt"), "b.txt");
    EXPECT_EQ(FolderPart("C:\\a\\b.txt"), "C:\\a\\");
    EXPECT_EQ(FileNamePart("C:b.txt"), "b.txt");
    EXPECT_EQ(FolderPart("C:b.txt"), "C:");
    EXPECT_EQ(FileNamePart("b.txt"), "b.txt");
    EXPECT_EQ(FolderPart("b.txt"), "");
    EXPECT_EQ(FileNamePart("C:/x/y.doc"), "y.doc");
    // A UTF-8 path never confuses a trailing byte with a separator.
    EXPECT_EQ(FileNamePart("C:\\表\\ソフト.txt"), "ソフト.txt");
}

// Paths of any length: what the system makes of a path, written so that it takes it as it is.
TEST(Names, ExtendedPathsAreFullAndResolvedAsTheSystemResolvesThem) {
    const std::string cwd = "C:\\Users\\利用者\\文書";
    // Drive and share
    EXPECT_EQ(ExtendedPath("C:\\a\\b.txt", cwd), "\\\\?\\C:\\a\\b.txt");
    EXPECT_EQ(ExtendedPath("d:/x/y.doc", cwd), "\\\\?\\d:\\x\\y.doc");
    EXPECT_EQ(ExtendedPath("C:\\", cwd), "\\\\?\\C:\\");
    EXPECT_EQ(ExtendedPath("\\\\srv\\共有\\a\\b.pvx", cwd), "\\\\?\\UNC\\srv\\共有\\a\\b.pvx");
    EXPECT_EQ(ExtendedPath("//srv/share", cwd), "\\\\?\\UNC\\srv\\share\\");
    EXPECT_EQ(ExtendedPath("\\\\srv", cwd), "");
    // Already in that form, or a device: as they are.
    EXPECT_EQ(ExtendedPath("\\\\?\\C:\\a\\..\\b. ", cwd), "\\\\?\\C:\\a\\..\\b. ");
    EXPECT_EQ(ExtendedPath("\\\\.\\CONIN$", cwd), "\\\\.\\CONIN$");
    // Relative: from the current folder, on its drive or share.
    EXPECT_EQ(ExtendedPath("報告.txt", cwd), "\\\\?\\C:\\Users\\利用者\\文書\\報告.txt");
    EXPECT_EQ(ExtendedPath("..\\x\\.\\y", cwd), "\\\\?\\C:\\Users\\利用者\\x\\y");
    EXPECT_EQ(ExtendedPath("\\top.txt", cwd), "\\\\?\\C:\\top.txt");
    EXPECT_EQ(ExtendedPath("c:name", cwd), "\\\\?\\C:\\Users\\利用者\\文書\\name");
    EXPECT_EQ(ExtendedPath("D:name", cwd), "\\\\?\\D:\\name");
    EXPECT_EQ(ExtendedPath("a.txt", "\\\\srv\\share\\dir"), "\\\\?\\UNC\\srv\\share\\dir\\a.txt");
    EXPECT_EQ(ExtendedPath("\\a.txt", "\\\\?\\UNC\\srv\\share\\dir"), "\\\\?\\UNC\\srv\\share\\a.txt");
    EXPECT_EQ(ExtendedPath("a.txt", "not full"), "");
    // "." and ".." resolved, never above the root; trailing dots and spaces of
    // a name dropped as the system drops them; a trailing separator kept.
    EXPECT_EQ(ExtendedPath("C:\\a\\..\\..\\b\\.\\c", cwd), "\\\\?\\C:\\b\\c");
    EXPECT_EQ(ExtendedPath("C:\\a. \\b..\\c", cwd), "\\\\?\\C:\\a\\b\\c");
    EXPECT_EQ(ExtendedPath("C:\\a\\\\b\\", cwd), "\\\\?\\C:\\a\\b\\");
    // Past 260 characters nothing changes.
    const std::string deep = "C:\\" + std::string(300, 'x') + "\\f.txt";
    EXPECT_EQ(ExtendedPath(deep, cwd), "\\\\?\\" + deep);
}

TEST(Names, StoredNamePartHonoursDoubleByteCharacters) {
    // 0x95 0x5C is 表; its second byte is not a backslash.
    const std::string hyou = "\x95\x5C";
    EXPECT_EQ(StoredFileNamePart(hyou + ".txt"), hyou + ".txt");
    EXPECT_EQ(StoredFileNamePart("dir\\" + hyou), hyou);
    EXPECT_EQ(StoredFileNamePart("..\\..\\evil.exe"), "evil.exe");
    EXPECT_EQ(StoredFileNamePart("C:evil.exe"), "evil.exe");
    EXPECT_EQ(StoredFileNamePart("a\\"), "");
    // A lead byte at the very end swallows nothing beyond the string.
    EXPECT_EQ(StoredFileNamePart("x\\\x95"), "\x95");
}

TEST(Names, FileNamesWindowsMustNotCreate) {
    EXPECT_EQ(CheckFileName("report.doc"), NameProblem::None);
    EXPECT_EQ(CheckFileName("報告書.txt"), NameProblem::None);
    EXPECT_EQ(CheckFileName(".profile"), NameProblem::None);
    EXPECT_EQ(CheckFileName("CONSOLE.txt"), NameProblem::None);
    EXPECT_EQ(CheckFileName("COM0"), NameProblem::None);
    EXPECT_EQ(CheckFileName(""), NameProblem::Empty);
    EXPECT_EQ(CheckFileName("."), NameProblem::DotName);
    EXPECT_EQ(CheckFileName(".."), NameProblem::DotName);
    EXPECT_EQ(CheckFileName(std::string("a\x01.txt")), NameProblem::ControlCharacter);
    EXPECT_EQ(CheckFileName(std::string("a\x7F")), NameProblem::ControlCharacter);
    for (const char* bad : {"a<b", "a>b", "a\"b", "a/b", "a|b", "a?b", "a*b", "a\\b", "a:b"})
        EXPECT_EQ(CheckFileName(bad), NameProblem::ForbiddenCharacter) << bad;
    EXPECT_EQ(CheckFileName("name "), NameProblem::TrailingSpaceOrDot);
    EXPECT_EQ(CheckFileName("name."), NameProblem::TrailingSpaceOrDot);
    for (const char* dev : {"CON", "prn", "Aux", "nul.txt", "COM1", "com9.log", "LPT1", "lpt9", "CON .txt", "nul.tar.gz"})
        EXPECT_EQ(CheckFileName(dev), NameProblem::ReservedDeviceName) << dev;
}

TEST(Names, CodePage932Conversions) {
    EXPECT_EQ(Utf8ToCp932("abc"), "abc");
    EXPECT_EQ(Utf8ToCp932("報告書"), std::string("\x95\xF1\x8D\x90\x8F\x91"));
    EXPECT_EQ(Utf8ToCp932("表"), std::string("\x95\x5C"));
    EXPECT_EQ(Utf8ToCp932(""), "");
    EXPECT_FALSE(Utf8ToCp932("\xF0\x9F\x98\x80"));  // an emoji has no code page 932 form
    EXPECT_FALSE(Utf8ToCp932("Ā"));                 // neither has a Latin letter with macron
    EXPECT_EQ(Cp932ToUtf8("\x95\xF1\x8D\x90\x8F\x91.txt"), "報告書.txt");
    EXPECT_FALSE(Cp932ToUtf8("\x95"));       // lead byte without its second byte
    EXPECT_FALSE(Cp932ToUtf8("\x81\x20"));   // second byte out of range
}

}  // namespace
}  // namespace plivex
