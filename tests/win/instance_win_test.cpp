// The single-instance values in the real registry of the prefix, and long names
// of real files.
#include <gtest/gtest.h>

#include "app/instance_win.h"
#include "sys/text_win.h"
#include "win_support.h"
#include "sys/shell_win.h"

namespace plivex {
namespace {

using test::KeyExists;
using test::LongPathOf;
using test::ShortPathOf;

using Names = std::vector<std::string>;

bool ValueExists(const wchar_t* name) {
    return RegGetValueW(HKEY_CURRENT_USER, kSystemKeyPath, name, RRF_RT_ANY, nullptr, nullptr, nullptr) ==
           ERROR_SUCCESS;
}

void SetString(const wchar_t* name, const std::wstring& data) {
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, kSystemKeyPath, name, REG_SZ, data.c_str(),
                              static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t))),
              ERROR_SUCCESS);
}

// Leaves no hand-over values behind for other tests or for the program.
// The value a working instance leaves behind, gone as before any start.
void DeleteMainWindowHandle() { RegDeleteKeyValueW(HKEY_CURRENT_USER, kSystemKeyPath, L"HWND"); }

class Instance : public ::testing::Test {
protected:
    void TearDown() override {
        for (int k = 1; k <= 12; ++k)
            RegDeleteKeyValueW(HKEY_CURRENT_USER, kSystemKeyPath, (L"SendFile" + std::to_wstring(k)).c_str());
        DeleteMainWindowHandle();
    }
};

TEST_F(Instance, WindowHandleRoundTrip) {
    DeleteMainWindowHandle();
    EXPECT_FALSE(ReadMainWindowHandle());
    const HWND w = GetDesktopWindow();
    ASSERT_TRUE(WriteMainWindowHandle(w));
    DWORD raw = 0, size = sizeof raw;
    ASSERT_EQ(RegGetValueW(HKEY_CURRENT_USER, kSystemKeyPath, L"HWND", RRF_RT_REG_DWORD, nullptr, &raw, &size),
              ERROR_SUCCESS);
    EXPECT_EQ(raw, static_cast<DWORD>(reinterpret_cast<UINT_PTR>(w)));
    EXPECT_EQ(ReadMainWindowHandle(), w);
    EXPECT_TRUE(IsWindow(*ReadMainWindowHandle()));
    ASSERT_TRUE(WriteMainWindowHandle(reinterpret_cast<HWND>(0x5678)));  // the next start overwrites it
    EXPECT_EQ(ReadMainWindowHandle(), reinterpret_cast<HWND>(0x5678));
    DeleteMainWindowHandle();
    EXPECT_FALSE(ReadMainWindowHandle());
    SetString(L"HWND", L"12");  // not a DWORD: unreadable
    EXPECT_FALSE(ReadMainWindowHandle());
}

TEST_F(Instance, SendFilesAreNumberedReadInOrderAndDeleted) {
    const Names paths{"C:\\文書\\報告書.doc", "Z:\\tmp\\a b\\暗号 ファイル.pvx", "C:\\x.txt"};
    EXPECT_EQ(WriteSendFiles({}), 0u);
    EXPECT_FALSE(ValueExists(L"SendFile1"));
    ASSERT_EQ(WriteSendFiles(paths), 3u);
    wchar_t buf[MAX_PATH];
    DWORD size = sizeof buf;
    ASSERT_EQ(RegGetValueW(HKEY_CURRENT_USER, kSystemKeyPath, L"SendFile2", RRF_RT_REG_SZ, nullptr, buf, &size),
              ERROR_SUCCESS);
    EXPECT_EQ(Narrow(buf), paths[1]);
    EXPECT_FALSE(ValueExists(L"SendFile0"));
    EXPECT_FALSE(ValueExists(L"SendFile4"));
    EXPECT_EQ(TakeSendFiles(), paths);
    for (const wchar_t* n : {L"SendFile1", L"SendFile2", L"SendFile3"}) EXPECT_FALSE(ValueExists(n));
    EXPECT_TRUE(TakeSendFiles().empty());
}

// Copies that hand over one after the other before the receiver takes
// anything must not overwrite each other, and nothing is left behind a gap.
TEST_F(Instance, WritingNumbersOnAfterWhatWaitsAndTakingSkipsNothing) {
    SetString(L"SendFile2", L"C:\\二.txt");
    SetString(L"SendFile10", L"C:\\十.txt");
    SetString(L"SendFile03", L"C:\\not ours");  // not a number we write: neither taken nor counted
    SetString(L"SendFileX", L"C:\\not ours");
    ASSERT_EQ(WriteSendFiles({"C:\\a", "C:\\b"}), 2u);
    EXPECT_TRUE(ValueExists(L"SendFile11"));
    EXPECT_TRUE(ValueExists(L"SendFile12"));
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, kSystemKeyPath, L"SendFile5", REG_DWORD, "\1\0\0\0", 4),
              ERROR_SUCCESS);  // not a string: dropped unread
    EXPECT_TRUE(SendFilesWaiting());
    EXPECT_EQ(TakeSendFiles(), (Names{"C:\\二.txt", "C:\\十.txt", "C:\\a", "C:\\b"}));
    EXPECT_FALSE(SendFilesWaiting());
    for (const wchar_t* n : {L"SendFile2", L"SendFile5", L"SendFile10", L"SendFile11", L"SendFile12"})
        EXPECT_FALSE(ValueExists(n)) << Narrow(n);
    EXPECT_TRUE(ValueExists(L"SendFile03"));
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kSystemKeyPath, L"SendFile03");
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kSystemKeyPath, L"SendFileX");
    ASSERT_EQ(WriteSendFiles({"C:\\c"}), 1u);  // nothing waits: from 1 again
    EXPECT_TRUE(ValueExists(L"SendFile1"));
    EXPECT_EQ(TakeSendFiles(), (Names{"C:\\c"}));
}

TEST_F(Instance, DeletingTheProgramKeyKeepsItsParent) {
    const bool parentExisted = KeyExists(L"Software\\QUORVA");
    const wchar_t* sibling = L"Software\\QUORVA\\PlivexTestSibling";
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, sibling, L"v", REG_DWORD, "\1\0\0\0", 4), ERROR_SUCCESS);
    ASSERT_TRUE(WriteMainWindowHandle(GetDesktopWindow()));
    ASSERT_EQ(WriteSendFiles({"C:\\x"}), 1u);
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, L"Software\\QUORVA\\Plivex\\Preference\\Deeper", L"n", REG_DWORD,
                              "\1\0\0\0", 4),
              ERROR_SUCCESS);
    EXPECT_TRUE(DeleteProgramKey());
    EXPECT_FALSE(KeyExists(kProgramKeyPath));
    EXPECT_TRUE(KeyExists(L"Software\\QUORVA"));
    EXPECT_TRUE(KeyExists(sibling));
    EXPECT_TRUE(DeleteProgramKey());  // already gone
    EXPECT_FALSE(ReadMainWindowHandle());
    RegDeleteKeyW(HKEY_CURRENT_USER, sibling);
    if (!parentExisted) RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\QUORVA");
}

// Lower case after the drive letter, as a user might type it.
std::string Lower(std::string s) {
    for (std::size_t i = 2; i < s.size(); ++i)
        if (s[i] >= 'A' && s[i] <= 'Z') s[i] = static_cast<char>(s[i] - 'A' + 'a');
    return s;
}

TEST(InstanceLongName, ShortAndMisspeltNamesComeBackLong) {
    test::TempDir dir;
    const std::string base = LongPathOf(dir.path());  // the temporary folder may itself be named short
    const std::string folder = base + "Long Folder Name With Spaces";
    ASSERT_TRUE(CreateDirectoryW(Widen(folder).c_str(), nullptr));
    for (const std::string name : {"長い日本語のファイル名の文書.txt", "A Much Longer File Name.Document"}) {
        SCOPED_TRACE(name);
        const std::string full = folder + "\\" + name;
        ASSERT_TRUE(test::WriteAll(full, "x"));
        const std::string shortName = ShortPathOf(full);  // Wine may give the long name back
        EXPECT_EQ(ToLongName(shortName), full) << shortName;
        EXPECT_EQ(ToLongName(full), full);
        // Each component as the file system spells it, whatever case was typed.
        EXPECT_EQ(ToLongName(Lower(full)), full);
        // A folder, also named with a trailing backslash.
        EXPECT_EQ(ToLongName(Lower(folder) + "\\"), folder);
    }
    // A name that does not exist comes back as typed; a missing folder stops the walk there.
    const std::string missing = Lower(folder) + "\\missing.txt";
    EXPECT_EQ(ToLongName(missing), missing);
    EXPECT_EQ(ToLongName(Lower(folder) + "\\Missing\\A Much Longer File Name.Document"),
              Lower(folder) + "\\Missing\\A Much Longer File Name.Document");
    EXPECT_EQ(ToLongName("C:\\"), "C:\\");
    EXPECT_EQ(ToLongName(Lower(folder) + "\\*.txt"), Lower(folder) + "\\*.txt");
}

TEST(InstanceLongName, RelativeNamesAreMadeAbsoluteAgainstTheCurrentFolder) {
    test::TempDir dir;
    const std::string base = LongPathOf(dir.path());
    ASSERT_TRUE(CreateDirectoryW(Widen(base + "サブフォルダ").c_str(), nullptr));
    ASSERT_TRUE(test::WriteAll(base + "サブフォルダ\\暗号ファイル.pvx", "x"));
    wchar_t saved[MAX_PATH];
    ASSERT_GT(GetCurrentDirectoryW(MAX_PATH, saved), 0u);
    ASSERT_TRUE(SetCurrentDirectoryW(Widen(base + "サブフォルダ").c_str()));
    EXPECT_EQ(ToLongName("暗号ファイル.pvx"), base + "サブフォルダ\\暗号ファイル.pvx");
    EXPECT_EQ(ToLongName("..\\サブフォルダ\\.\\暗号ファイル.pvx"), base + "サブフォルダ\\暗号ファイル.pvx");
    EXPECT_EQ(ToLongName("無い.txt"), base + "サブフォルダ\\無い.txt");
    SetCurrentDirectoryW(saved);  // before TempDir removes the folder
}

}  // namespace
}  // namespace plivex
