// A long conversion seen from outside: the progress window, a program that
// keeps answering, and Cancel. A seam of the program's own slows every step.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
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

TEST(Progress, LongConversionShowsItsProgressKeepsAnsweringAndCancelsCleanly) {
    test::SavedRegistryKey saved(HKEY_CURRENT_USER, kProgramKey);
    test::TempDir dir;
    const std::string folder = LongPathOf(dir.path());
    const std::string plain = folder + "動画.mp4";
    std::string content(8u << 20, '\0');
    for (std::size_t i = 0; i < content.size(); ++i) content[i] = static_cast<char>(i * 31 + i / 4093);
    ASSERT_TRUE(test::WriteAll(plain, content));
    test::EnvVar slow(L"PLIVEX_TEST_STEP_MS", "200");  // 32 steps of 256 KiB: about 6 s

    Program plivex({plain, "/Q"});
    const HWND prompt = WaitForWindow(plivex.id(), L"パスワード入力 - 暗号化 -");
    ASSERT_TRUE(prompt) << Describe(plivex);
    EXPECT_EQ(AnswerPassword(prompt, "pw"), 2);

    HWND progress = nullptr;
    ASSERT_TRUE(WaitFor([&] {
        progress = FindWindowOf(plivex.id(), [](HWND w) { return ChildOfClass(w, PROGRESS_CLASSW) != nullptr; });
        return progress != nullptr;
    })) << "no progress window; " << Describe(plivex);
    const HWND bar = ChildOfClass(progress, PROGRESS_CLASSW);
    const auto position = [&] {
        DWORD_PTR at = 0;
        SendMessageTimeoutW(bar, PBM_GETPOS, 0, 0, SMTO_ABORTIFHUNG, kSendTimeout, &at);
        return static_cast<int>(at);
    };
    const int first = position();
    EXPECT_TRUE(WaitFor([&] { return position() > first; })) << "the bar does not grow";
    // It answers while it converts: a message sent now is handled within a fraction of a second.
    DWORD_PTR ignored = 0;
    EXPECT_TRUE(SendMessageTimeoutW(progress, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 500, &ignored));
    std::vector<std::wstring> texts;
    for (HWND c : Children(progress)) texts.push_back(TextOf(c));
    EXPECT_NE(std::find(texts.begin(), texts.end(), L"暗号化：動画.mp4"), texts.end()) << Describe(plivex);
    EXPECT_NE(std::find(texts.begin(), texts.end(), L"1 / 1"), texts.end());
    // The numbers: per cent, bytes done of the total and, once it has worked a
    // few seconds, the time left.
    const auto textOf = [&](auto match) {
        for (HWND c : Children(progress))
            if (const std::wstring t = TextOf(c); match(t)) return t;
        return std::wstring();
    };
    const std::wstring amount = textOf([](const std::wstring& t) { return t.ends_with(L" / 8.00 MB"); });
    EXPECT_FALSE(amount.empty()) << Describe(plivex);
    const std::wstring percent = textOf([](const std::wstring& t) { return t.ends_with(L"%"); });
    EXPECT_TRUE(percent.size() >= 2 && percent.size() <= 3) << Narrow(percent);
    std::wstring left;
    EXPECT_TRUE(WaitFor([&] {
        left = textOf([](const std::wstring& t) { return t.starts_with(L"残り 約") && t.ends_with(L"秒"); });
        return !left.empty();
    })) << "no time left; " << Describe(plivex);

    Click(ButtonOf(progress, L"&C・キャンセル"));
    // The file left plain is named before the run ends.
    const HWND notDone = WaitForMessageBox(plivex.id(), L"次のファイルは暗号化されていません");
    ASSERT_TRUE(notDone) << Describe(plivex);
    Click(GetDlgItem(notDone, IDOK));
    EXPECT_EQ(plivex.Wait(20000), 0u) << "a command-line run ends by itself; " << Describe(plivex);
    EXPECT_TRUE(SameBytes(test::ReadAll(plain), content)) << "the file changed";
    EXPECT_EQ(test::ListFolder(folder), std::vector<std::string>{"動画.mp4"}) << "output left behind";
}

}  // namespace
}  // namespace plivex
