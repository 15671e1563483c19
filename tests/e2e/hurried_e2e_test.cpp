// What a user in a hurry meets, driven from outside: Enter pressed at every
// question, failures said out loud.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <optional>
#include <string>
#include <vector>

#include "e2e_support.h"
#include "sys/text_win.h"
#include "win_support.h"
#include "window_driver.h"

namespace plivex {
namespace {

using namespace e2e;
using test::LongPathOf;

// Presses Enter in a dialog, as a user would: on the control that has the
// keyboard focus, or on the dialog, whose default button it then presses.
bool PressEnter(HWND dialog) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    HWND target = dialog;
    if (GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info) && info.hwndFocus &&
        IsChild(dialog, info.hwndFocus))
        target = info.hwndFocus;
    if (!PostMessageW(target, WM_KEYDOWN, VK_RETURN, 0x001C0001)) return false;
    // The key-down alone may already have closed the dialog, as a real key's
    // release can come after its window is gone: the release is not checked.
    PostMessageW(target, WM_KEYUP, VK_RETURN, 0xC01C0001);
    return true;
}

// A wrong password melts report.txt into a valid name that no application
// opens; Enter at the prompt and at every question must not take the only
// good copy with it, nor write the garbled file.
TEST(Hurried, EnterAtEveryQuestionAfterAWrongPasswordKeepsTheContainer) {
    test::SavedRegistryKey saved(HKEY_CURRENT_USER, kProgramKey);
    test::TempDir dir;
    const std::string folder = LongPathOf(dir.path());
    const std::string content = SampleContent("大事な報告", 7);
    const std::optional<std::string> bytes = CodecContainer("report.txt", "report.pvx", content, "secret");
    ASSERT_TRUE(bytes);
    const std::string container = folder + "report.pvx";
    ASSERT_TRUE(test::WriteAll(container, *bytes));
    // Found by search: with this password of the same length the stored name reads as below.
    const std::string garbled = folder + "jxoKkm7mam";

    Program plivex({container, "/Q"});
    const HWND prompt = WaitForWindow(plivex.id(), L"パスワード入力 - 解凍 -");
    ASSERT_TRUE(prompt) << Describe(plivex);
    for (HWND c : Children(prompt))
        if (ClassOf(c) == L"Edit" && IsWindowVisible(c)) TypeInto(c, L"bybnki");
    ASSERT_TRUE(PressEnter(prompt));
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(prompt); })) << Describe(plivex);

    // Every question answered with Enter; the password, asked again, is not known: Esc.
    std::vector<std::wstring> asked;
    while (plivex.running() && asked.size() < 6) {
        HWND box = nullptr;
        WaitFor([&] {
            box = FindWindowOf(plivex.id(), [](HWND w) {
                return ClassOf(w) == L"#32770" && !ChildOfClass(w, STATUSCLASSNAMEW) &&
                       (TextOf(w) == Widen(kAppTitle) || TextOf(w) == L"パスワード入力 - 解凍 -");
            });
            return box != nullptr || !plivex.running();
        });
        if (!box) break;
        if (TextOf(box) == Widen(kAppTitle)) {
            asked.push_back(MessageTextOf(box));
            ASSERT_TRUE(PressEnter(box));
        } else {
            asked.push_back(L"prompt again");
            PostMessageW(box, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
            PostMessageW(box, WM_KEYUP, VK_ESCAPE, 0xC0010001);
        }
        WaitFor([&] { return !IsWindow(box); });
    }
    ASSERT_EQ(plivex.Wait(10000), 0u) << Describe(plivex);
    // The name is unlike the container's: the question says so and Enter answers No.
    std::wstring all;
    for (const auto& a : asked) all += a + L" / ";
    ASSERT_EQ(asked.size(), 3u) << Narrow(all);
    EXPECT_EQ(asked[0], Widen(text::ConfirmMeltName(garbled) + "\n" + text::NameUnlikeContainer("report")));
    EXPECT_EQ(asked[1], L"prompt again");
    EXPECT_EQ(asked[2], Widen("次のファイルは解凍されていません（1 個中 0 個を解凍しました）。\n" + container));
    EXPECT_TRUE(SameBytes(test::ReadAll(container), bytes)) << "Enter deleted the only good copy";
    EXPECT_FALSE(test::FileExists(garbled)) << "No, the default of the name question, writes nothing";
}

// A second file of four held by another program: its failure is told, the
// batch stops, and what was left plain is named, with the status bar counting
// only the file that was done.
TEST(Hurried, ALockedFileEndsTheBatchAndWhatIsLeftPlainIsNamed) {
    test::SavedRegistryKey saved(HKEY_CURRENT_USER, kProgramKey);
    test::TempDir dir;
    const std::string folder = LongPathOf(dir.path());
    std::vector<std::string> files;
    for (const char* name : {"1.txt", "2.txt", "3.txt", "4.txt"}) {
        files.push_back(folder + name);
        ASSERT_TRUE(test::WriteAll(files.back(), SampleContent(name, 3)));
    }
    // Held by this test's process, another program to plivex.exe.
    const HANDLE held = CreateFileW(Widen(files[1]).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    struct Release {
        HANDLE h;
        ~Release() { CloseHandle(h); }
    } release{held};
    std::vector<std::string> arguments = files;
    arguments.push_back("/Q");
    Program plivex(arguments);
    EXPECT_EQ(AnswerPasswordPrompt(plivex.id(), "暗号化", "pw"), 2) << Describe(plivex);
    const HWND failure = WaitForWindow(plivex.id(), L"オープン失敗");
    ASSERT_TRUE(failure) << Describe(plivex);
    Click(GetDlgItem(failure, IDOK));
    const HWND left = WaitForMessageBox(plivex.id(), L"次のファイルは暗号化されていません");
    ASSERT_TRUE(left) << Describe(plivex);
    EXPECT_EQ(MessageTextOf(left), Widen("次のファイルは暗号化されていません（4 個中 1 個を暗号化しました）。\n" + files[1] +
                                         "\n" + files[2] + "\n" + files[3]));
    // The main window, still hidden while the command line's batch runs.
    struct Search {
        DWORD pid;
        HWND main = nullptr;
    } search{plivex.id()};
    EnumWindows(
        [](HWND w, LPARAM p) -> BOOL {
            auto& s = *reinterpret_cast<Search*>(p);
            DWORD owner = 0;
            GetWindowThreadProcessId(w, &owner);
            if (owner == s.pid && ChildOfClass(w, STATUSCLASSNAMEW)) s.main = w;
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    const HWND main = search.main;
    ASSERT_TRUE(main) << Describe(plivex);
    EXPECT_EQ(StatusTextOf(plivex.process(), ChildOfClass(main, STATUSCLASSNAMEW)), L"暗号化：1.txt　（未処理 3 個）");
    Click(GetDlgItem(left, IDOK));
    ASSERT_EQ(plivex.Wait(10000), 0u) << Describe(plivex);
    EXPECT_TRUE(test::FileExists(folder + "1.pvx"));
    for (std::size_t i = 1; i < files.size(); ++i) EXPECT_TRUE(test::FileExists(files[i])) << files[i];
    EXPECT_FALSE(test::FileExists(folder + "3.pvx") || test::FileExists(folder + "4.pvx"));
}

}  // namespace
}  // namespace plivex
