// The single-instance values in the real registry of the prefix, and long names
// of real files.
#include <gtest/gtest.h>

#include <set>

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
        TakeSendFiles();
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

// Every copy writes under names of its own, taken in the order the copies
// started; a sender takes back exactly what no working copy took.
TEST_F(Instance, HandOverValuesCannotCollideAndGoToOneTakerEach) {
    const Names first{"C:\\文書\\報告書.doc", "Z:\\tmp\\a b\\暗号 ファイル.pvx"};
    EXPECT_TRUE(WriteSendFiles({}).names.empty());
    const SentFiles a = WriteSendFiles(first), b = WriteSendFiles({"C:\\x.txt"});
    ASSERT_EQ(a.names.size(), 2u);
    ASSERT_EQ(b.names.size(), 1u);
    EXPECT_EQ(a.paths, first);
    std::set<std::wstring> names(a.names.begin(), a.names.end());
    names.insert(b.names[0]);
    EXPECT_EQ(names.size(), 3u) << "a name was written twice";
    for (const std::wstring& n : names) EXPECT_TRUE(ValueExists(n.c_str())) << Narrow(n);

    // An older copy's numbered values are taken first, by number; strangers stay.
    SetString(L"SendFile10", L"C:\\十.txt");
    SetString(L"SendFile2", L"C:\\二.txt");
    SetString(L"SendFile03", L"C:\\not ours");
    SetString(L"SendFileX", L"C:\\not ours");
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, kSystemKeyPath, L"SendFile5", REG_DWORD, "\1\0\0\0", 4),
              ERROR_SUCCESS);  // not a string: dropped unread
    EXPECT_EQ(TakeBackSendFiles(b), Names{"C:\\x.txt"});  // not taken yet: the sender's again
    EXPECT_FALSE(ValueExists(b.names[0].c_str()));
    EXPECT_TRUE(SendFilesWaiting());
    EXPECT_EQ(TakeSendFiles(), (Names{"C:\\二.txt", "C:\\十.txt", first[0], first[1]}));
    EXPECT_FALSE(SendFilesWaiting());
    EXPECT_TRUE(TakeBackSendFiles(a).empty()) << "taken by the working copy, and taken back as well";
    EXPECT_TRUE(TakeSendFiles().empty());
    EXPECT_TRUE(ValueExists(L"SendFile03"));
    EXPECT_TRUE(ValueExists(L"SendFileX"));
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kSystemKeyPath, L"SendFile03");
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kSystemKeyPath, L"SendFileX");
}

// The closing copy's mark is what a sender reads; an older copy carries none.
TEST_F(Instance, TheWindowMarkSaysWhetherTheWorkingCopyTakesHandOvers) {
    const HWND w = CreateWindowExW(0, L"#32770", L"", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(w);
    EXPECT_EQ(MarkOf(w), WindowMark::None);
    MarkProgramWindow(w, WindowMark::TakesHandOvers);
    EXPECT_EQ(MarkOf(w), WindowMark::TakesHandOvers);
    MarkProgramWindow(w, WindowMark::Closing);
    EXPECT_EQ(MarkOf(w), WindowMark::Closing);
    EXPECT_TRUE(IsProgramWindow(w));  // still ours while it closes
    MarkProgramWindow(w, WindowMark::None);
    EXPECT_EQ(MarkOf(w), WindowMark::None);
    DestroyWindow(w);
}

TEST_F(Instance, DeletingTheProgramKeyKeepsItsParent) {
    const bool parentExisted = KeyExists(L"Software\\QUORVA");
    const wchar_t* sibling = L"Software\\QUORVA\\PlivexTestSibling";
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, sibling, L"v", REG_DWORD, "\1\0\0\0", 4), ERROR_SUCCESS);
    ASSERT_TRUE(WriteMainWindowHandle(GetDesktopWindow()));
    ASSERT_EQ(WriteSendFiles({"C:\\x"}).names.size(), 1u);
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
