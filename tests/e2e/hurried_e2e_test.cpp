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
    return PostMessageW(target, WM_KEYDOWN, VK_RETURN, 0x001C0001) &&
           PostMessageW(target, WM_KEYUP, VK_RETURN, 0xC01C0001);
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
    ASSERT_TRUE(prompt) << Describe(plivex.id());
    for (HWND c : Children(prompt))
        if (ClassOf(c) == L"Edit" && IsWindowVisible(c)) TypeInto(c, L"bybnki");
    ASSERT_TRUE(PressEnter(prompt));
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(prompt); })) << Describe(plivex.id());

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
    ASSERT_EQ(plivex.Wait(10000), 0u) << Describe(plivex.id());
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

}  // namespace
}  // namespace plivex
