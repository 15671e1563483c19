// The other ways a user works with plivex.exe, each driven from outside only:
// a folder of both kinds, the Browse dialog, every answer to a name clash, the
// command-line options, an option that has to outlive a restart, and help.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <optional>
#include <string>
#include <vector>

#include "e2e_support.h"
#include "options/options_record.h"
#include "sys/text_win.h"
#include "win_support.h"
#include "window_driver.h"

namespace plivex {
namespace {

using namespace e2e;
using test::LongPathOf;

const std::wstring kPreferenceKey = std::wstring(kProgramKey) + L"\\Preference";

TEST(Roads, DroppedFolderOfBothKindsIsEncryptedThenMeltedDownToItsSubfolders) {
    test::SavedRegistryKey saved(HKEY_CURRENT_USER, kProgramKey);
    Options options;  // the question before deleting a container has its own test
    options.AskBeforeDeletingUnassociated = false;
    WritePreferences(options);
    test::TempDir dir;
    const std::string top = LongPathOf(dir.path()) + "書類", year = top + "\\2026年度\\", deep = year + "会計\\";
    for (const std::string& f : {top, year, deep}) ASSERT_TRUE(CreateDirectoryW(Widen(f).c_str(), nullptr));
    const std::string lockPw = "封 Lock1", openPw = "開 Open2";

    struct Plain {
        std::string folder, name, stem, content;
    };
    const std::vector<Plain> plains = {{top + "\\", "memo.txt", "memo", SampleContent("メモ", 1)},
                                       {year, "売上 見込み.xls", "売上 見込み", SampleContent("売上", 2)},
                                       {deep, "決算①.doc", "決算①", SampleContent("決算", 3)}};
    // Containers under other names than they store: the stored name decides.
    struct Sealed {
        std::string folder, container, stored, content;
    };
    const std::vector<Sealed> sealed = {{top + "\\", "a.pvx", "届いた資料.doc", SampleContent("資料", 4)},
                                        {deep, "z.PVX", "明細.csv", SampleContent("明細", 5)}};
    for (const Plain& p : plains) ASSERT_TRUE(test::WriteAll(p.folder + p.name, p.content));
    for (const Sealed& s : sealed) {
        const auto bytes = CodecContainer(s.stored, s.container, s.content, openPw);
        ASSERT_TRUE(bytes && test::WriteAll(s.folder + s.container, *bytes));
    }

    Program plivex({});
    const HWND main = WaitForMainWindow(plivex.id());
    ASSERT_TRUE(main) << Describe(plivex);
    ASSERT_TRUE(DropFile(plivex.process(), main, Widen(top)));
    EXPECT_EQ(AnswerPasswordPrompt(plivex.id(), "暗号化", lockPw), 2) << Describe(plivex);
    EXPECT_EQ(AnswerPasswordPrompt(plivex.id(), "解凍", openPw), 1) << Describe(plivex);
    for (std::size_t i = 0; i < sealed.size(); ++i) {
        const HWND nameQuestion = WaitForMessageBox(plivex.id(), L"解凍ファイル名は");
        ASSERT_TRUE(nameQuestion) << Describe(plivex);
        // Names unlike their containers': the container goes only when the user says so.
        EXPECT_NE(MessageTextOf(nameQuestion).find(L"と違います。"), std::wstring::npos);
        Click(GetDlgItem(nameQuestion, IDYES));
        ASSERT_TRUE(WaitFor([&] { return !IsWindow(nameQuestion); }));
        const HWND deletion = WaitForMessageBox(plivex.id(), L"暗号化ファイル");
        ASSERT_TRUE(deletion) << Describe(plivex);
        Click(GetDlgItem(deletion, IDYES));
        ASSERT_TRUE(WaitFor([&] { return !IsWindow(deletion); }));
    }
    // The files of a folder come before those of its subfolders.
    const std::wstring expected = L"解凍：a.pvx　他1個";
    EXPECT_EQ(WaitForStatus(plivex.process(), main, [&](const std::wstring& s) { return s == expected; }), expected)
        << Describe(plivex);

    for (const Plain& p : plains) {
        const auto reference = CodecContainer(p.name, p.stem + ".pvx", p.content, lockPw);
        EXPECT_TRUE(SameBytes(test::ReadAll(p.folder + p.stem + ".pvx"), reference)) << p.folder << p.name;
        EXPECT_FALSE(test::FileExists(p.folder + p.name)) << p.folder << p.name;
    }
    for (const Sealed& s : sealed) {
        EXPECT_TRUE(SameBytes(test::ReadAll(s.folder + s.stored), s.content)) << s.folder << s.stored;
        EXPECT_FALSE(test::FileExists(s.folder + s.container)) << s.folder << s.container;
    }
    EXPECT_EQ(CloseProgram(plivex, main), 0u);
}

TEST(Roads, FileTypedIntoTheBrowseDialogIsEncrypted) {
    test::SavedRegistryKey saved(HKEY_CURRENT_USER, kProgramKey);
    test::TempDir dir;
    const std::string folder = LongPathOf(dir.path()), name = "見積書.txt", other = "他の書類.txt";
    const std::string content = SampleContent("見積", 6), password = "参照 Ref3";
    ASSERT_TRUE(test::WriteAll(folder + name, content));
    ASSERT_TRUE(test::WriteAll(folder + other, "そのまま"));
    // The dialog opens in the folder of the user's last choice.
    SaveExitStateIn(folder);

    Program plivex({});
    const HWND main = WaitForMainWindow(plivex.id());
    ASSERT_TRUE(main) << Describe(plivex);
    const HWND chooser = OpenFileSelection(plivex, main);
    ASSERT_TRUE(chooser) << Describe(plivex);
    EXPECT_TRUE(WaitFor([&] { return Listed(chooser, name) && Listed(chooser, other); }))
        << "the folder's files are not listed";
    ASSERT_TRUE(TypeInto(ChildAt(chooser, 96, 304), Widen(name)));
    Click(ButtonOf(chooser, L"&OK"));
    EXPECT_EQ(AnswerPasswordPrompt(plivex.id(), "暗号化", password), 2) << Describe(plivex);
    const std::wstring expected = Widen("暗号化：" + name);
    EXPECT_EQ(WaitForStatus(plivex.process(), main, [&](const std::wstring& s) { return s == expected; }), expected);

    EXPECT_TRUE(SameBytes(test::ReadAll(folder + "見積書.pvx"), CodecContainer(name, "見積書.pvx", content, password)));
    EXPECT_FALSE(test::FileExists(folder + name));
    EXPECT_EQ(test::ListFolder(folder), (std::vector<std::string>{other, "見積書.pvx"})) << "only the chosen file";
    EXPECT_EQ(CloseProgram(plivex, main), 0u);
}

TEST(Roads, EveryAnswerToANameClashWritesSkipsOrRenamesAsChosen) {
    test::SavedRegistryKey saved(HKEY_CURRENT_USER, kProgramKey);
    Options options;
    options.OnNameClash = kAskAtClash;
    WritePreferences(options);
    test::TempDir dir;
    const std::string folder = LongPathOf(dir.path()), password = "重複 Dup4", renamed = "改名後.pvx";
    enum Outcome { kWritten, kSkipped, kRenamed, kCancelled };
    struct Clash {
        std::string tag;
        const wchar_t* button;
        int files;  // an answer for all must also settle the second clash, without asking
        Outcome outcome;
    };
    const Clash clashes[] = {{"yes", L"&Y・はい", 1, kWritten},
                             {"no", L"&N・いいえ", 1, kSkipped},
                             {"allyes", L"&A・すべてはい", 2, kWritten},
                             {"allno", L"&B・すべていいえ", 2, kSkipped},
                             {"rename", L"&R・下記の名前に変更する", 1, kRenamed},
                             {"cancel", L"&C・キャンセル", 2, kCancelled}};
    const auto plainOf = [](const Clash& c, int i) { return c.tag + std::to_string(i) + ".txt"; };
    const auto containerOf = [](const Clash& c, int i) { return c.tag + std::to_string(i) + ".pvx"; };
    const auto contentOf = [](const Clash& c, int i) { return SampleContent("衝突 " + c.tag, i); };
    const std::optional<std::string> old = "前からある暗号ファイル";

    Program plivex({});
    const HWND main = WaitForMainWindow(plivex.id());
    ASSERT_TRUE(main) << Describe(plivex);
    const auto asking = [&] {
        return FindWindowOf(plivex.id(), [](HWND w) { return TextOf(w) == L"上書き確認"; }) != nullptr;
    };
    for (const Clash& c : clashes) {
        SCOPED_TRACE(c.tag);
        const std::string sub = folder + c.tag + "\\";
        ASSERT_TRUE(CreateDirectoryW(Widen(sub).c_str(), nullptr));
        for (int i = 1; i <= c.files; ++i)
            ASSERT_TRUE(test::WriteAll(sub + plainOf(c, i), contentOf(c, i)) &&
                        test::WriteAll(sub + containerOf(c, i), *old));
        std::vector<std::wstring> dropped;
        for (int i = 1; i <= c.files; ++i) dropped.push_back(Widen(sub + plainOf(c, i)));
        ASSERT_TRUE(DropFiles(plivex.process(), main, dropped));
        ASSERT_EQ(AnswerPasswordPrompt(plivex.id(), "暗号化", password), 2) << Describe(plivex);
        const HWND dialog = WaitForWindow(plivex.id(), L"上書き確認");
        ASSERT_TRUE(dialog) << Describe(plivex);
        if (c.outcome == kRenamed) {
            ASSERT_TRUE(TypeInto(ChildOfClass(dialog, L"Edit"), Widen(renamed)));
        }
        ASSERT_TRUE(Click(ButtonOf(dialog, c.button)));

        if (c.outcome == kWritten || c.outcome == kRenamed) {
            const std::wstring done = Widen("暗号化：" + plainOf(c, 1) + (c.files > 1 ? "　他1個" : ""));
            EXPECT_EQ(WaitForStatus(plivex.process(), main, [&](const std::wstring& s) { return s == done; }), done)
                << "the batch did not finish; " << Describe(plivex);
        } else {
            // Skipped or cancelled: the files left plain are named, and the status says none was done.
            const HWND left = WaitForMessageBox(plivex.id(), L"次のファイルは暗号化されていません");
            ASSERT_TRUE(left) << Describe(plivex);
            std::string listed = "次のファイルは暗号化されていません（" + std::to_string(c.files) + " 個中 0 個を暗号化しました）。";
            for (int i = 1; i <= c.files; ++i) listed += "\n" + sub + plainOf(c, i);
            EXPECT_EQ(MessageTextOf(left), Widen(listed));
            Click(GetDlgItem(left, IDOK));
            const std::wstring none = Widen("暗号化できませんでした：" + plainOf(c, 1));
            EXPECT_EQ(WaitForStatus(plivex.process(), main, [&](const std::wstring& s) { return s == none; }), none)
                << Describe(plivex);
            EXPECT_TRUE(WaitFor([&] { return IsWindowEnabled(main) && !asking(); })) << Describe(plivex);
        }
        EXPECT_FALSE(asking()) << "asked twice";
        for (int i = 1; i <= c.files; ++i) {
            const auto written = CodecContainer(plainOf(c, i), containerOf(c, i), contentOf(c, i), password);
            EXPECT_TRUE(SameBytes(test::ReadAll(sub + containerOf(c, i)), c.outcome == kWritten ? written : old)) << i;
            if (c.outcome == kRenamed) {
                EXPECT_TRUE(SameBytes(test::ReadAll(sub + renamed), written));
            }
            const bool converted = c.outcome == kWritten || c.outcome == kRenamed;
            EXPECT_EQ(test::FileExists(sub + plainOf(c, i)), !converted) << i;
        }
        const std::size_t left = c.outcome == kWritten ? c.files : c.outcome == kRenamed ? 2 : 2 * c.files;
        EXPECT_EQ(test::ListFolder(sub).size(), left) << "nothing else is written";
    }
    EXPECT_EQ(CloseProgram(plivex, main), 0u);
}

TEST(Roads, QuitAloneClosesAtOnceAndRegClearLeavesNoKeyAfterExit) {
    test::SavedRegistryKey saved(HKEY_CURRENT_USER, kProgramKey);
    RegDeleteTreeW(HKEY_CURRENT_USER, kProgramKey);
    RegDeleteKeyW(HKEY_CURRENT_USER, kProgramKey);
    {
        Program plivex({"/Q"});
        ASSERT_TRUE(plivex.started()) << plivex.failure();
        EXPECT_EQ(plivex.Wait(10000), 0u) << "/Q did not close the program; " << Describe(plivex);
        EXPECT_EQ(test::RegistryValues(kPreferenceKey.c_str()).size(), 14u) << "the settings are saved at exit";
    }
    Program plivex({"/RC"});
    const HWND main = WaitForMainWindow(plivex.id());
    ASSERT_TRUE(main) << Describe(plivex);
    EXPECT_EQ(plivex.Wait(1500), std::nullopt) << "without /Q the program stays open";
    EXPECT_TRUE(test::KeyExists(kProgramKey));
    EXPECT_EQ(CloseProgram(plivex, main), 0u);
    EXPECT_FALSE(test::KeyExists(kProgramKey)) << "/RC leaves the program's key behind";
    EXPECT_TRUE(test::KeyExists(L"Software\\QUORVA")) << "the maker's key is not the program's to remove";
}

TEST(Roads, OptionChangedInTheOptionsDialogSurvivesARestart) {
    test::SavedRegistryKey saved(HKEY_CURRENT_USER, kProgramKey);
    WritePreferences(Options{});
    const std::wstring deletePlain = L"&P・暗号化する時に元のファイルを削除";
    for (const bool firstRun : {true, false}) {
        SCOPED_TRACE(firstRun ? "first run" : "after the restart");
        Program plivex({});
        const HWND main = WaitForMainWindow(plivex.id());
        ASSERT_TRUE(main) << Describe(plivex);
        const HWND dialog = OpenOptions(plivex, main);
        ASSERT_TRUE(dialog) << Describe(plivex);
        const HWND box = ButtonOf(dialog, deletePlain);
        ASSERT_TRUE(box);
        const auto ticked = [&] { return SendMessageW(box, BM_GETCHECK, 0, 0) == BST_CHECKED; };
        EXPECT_EQ(ticked(), firstRun);
        if (firstRun) {
            Click(box);
            EXPECT_TRUE(WaitFor([&] { return !ticked(); }));
            Click(ButtonOf(dialog, L"&OK"));
            const std::wstring changed = L"設定を変更しました。";
            EXPECT_EQ(WaitForStatus(plivex.process(), main, [&](const std::wstring& s) { return s == changed; }),
                      changed);
        }
        EXPECT_EQ(CloseProgram(plivex, main), 0u);
        EXPECT_EQ(test::RegistryValues(kPreferenceKey.c_str())["DelRawF"], "0");
    }
}

TEST(Roads, HelpButtonStartsTheBrowserOnceAtTheBasicChapterBesideTheProgram) {
    test::SavedRegistryKey saved(HKEY_CURRENT_USER, kProgramKey);
    const wchar_t* appPath = L"Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Netscape.exe";
    test::SavedRegistryKey savedAppPath(HKEY_LOCAL_MACHINE, appPath);
    test::SavedRegistryKey savedHtm(HKEY_LOCAL_MACHINE, L"Software\\Classes\\.htm");
    test::SavedRegistryKey savedProgId(HKEY_LOCAL_MACHINE, L"Software\\Classes\\PlivexTest.Browser");
    // The association's browser is what this counts: the Netscape option off, so
    // an App Paths entry another test may leave in the shared prefix cannot
    // take the road (that road has tests of its own in the window layer).
    Options options;
    options.UseNetscapeForHelp = false;
    WritePreferences(options);
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, appPath);
    const auto windowsPath = [](std::string path) {
        for (char& c : path)
            if (c == '/') c = '\\';
        return path;
    };
    const std::string browser = windowsPath(PLIVEX_TEST_BROWSER), exe = windowsPath(PLIVEX_EXE);
    // The user's browser: the program of ".htm", with a switch of its own before the page.
    const auto setDefault = [](const wchar_t* key, const std::string& value) {
        const std::wstring w = Widen(value);
        return RegSetKeyValueW(HKEY_LOCAL_MACHINE, key, nullptr, REG_SZ, w.c_str(),
                               static_cast<DWORD>((w.size() + 1) * sizeof(wchar_t)));
    };
    ASSERT_EQ(setDefault(L"Software\\Classes\\.htm", "PlivexTest.Browser"), ERROR_SUCCESS);
    ASSERT_EQ(setDefault(L"Software\\Classes\\PlivexTest.Browser\\shell\\open\\command",
                         "\"" + browser + "\" -url \"%1\""),
              ERROR_SUCCESS);
    test::TempDir dir;
    const std::string log = dir / "browser.txt";
    test::EnvVar logTo(L"PLIVEX_TEST_BROWSER_LOG", log);

    Program plivex({});
    const HWND main = WaitForMainWindow(plivex.id());
    ASSERT_TRUE(main) << Describe(plivex);
    ASSERT_TRUE(Click(ChildAt(main, 40, 40))) << "no help tool button";
    const std::wstring shown = L"ヘルプを表示しました。";
    EXPECT_EQ(WaitForStatus(plivex.process(), main, [&](const std::wstring& s) { return s == shown; }), shown)
        << Describe(plivex);
    // The page beside the program as a file: address with its chapter; this
    // build's folder needs no escaping in an address.
    const std::string folder = exe.substr(0, exe.rfind('\\') + 1);
    ASSERT_EQ(folder.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_.:\\"),
              std::string::npos);
    std::string address = "file:///" + folder + "Plivex.htm#Kihonsousa";
    for (char& c : address)
        if (c == '\\') c = '/';
    std::string records;
    EXPECT_TRUE(WaitFor([&] {
        records = test::ReadAll(log).value_or("");
        return records.find(address) != std::string::npos;
    }));
    // The status came after every start the click made: once none of them
    // runs, the record is complete.
    EXPECT_TRUE(WaitFor([&] { return test::ProcessesRunningFrom(browser) == 0; }));
    EXPECT_EQ(test::ReadAll(log).value_or(""), "start " + browser + "\narg -url\narg " + address + "\n");
    EXPECT_EQ(CloseProgram(plivex, main), 0u);
}

}  // namespace
}  // namespace plivex
