// The road of one document with the strong format chosen, black-box: encrypted
// under a password the compatible format could not take, melted without the
// questions that only guard against a wrong password, opened, and encrypted
// again in its own format when its application ends.
#include <gtest/gtest.h>

#include <windows.h>

#include <optional>
#include <string>

#include "e2e_support.h"
#include "monitor/texts.h"
#include "sys/text_win.h"
#include "win_support.h"
#include "window_driver.h"

namespace plivex {
namespace {

using namespace e2e;
using test::LongPathOf;

TEST(Strong, DocumentIsEncryptedMeltedOpenedAndEncryptedAgainInTheStrongFormat) {
    test::SavedRegistryKey saved(HKEY_CURRENT_USER, kProgramKey);
    Options options;  // the defaults, both safeguard questions on
    options.StrongFormat = true;
    WritePreferences(options);
    test::TestAppGuard apps;
    test::Association association(".pvxdoc", test::TestAppPath());
    test::TempDir dir;
    const std::string folder = LongPathOf(dir.path());
    const std::string plain = folder + "報告 한국.pvxdoc", container = folder + "報告 한국.pvx";
    const std::string content = SampleContent("月次報告", 23);
    const std::string password = "鍵 🔑 pw";
    ASSERT_TRUE(test::WriteAll(plain, content));

    {
        Program plivex({"/Q", plain});
        ASSERT_TRUE(plivex.started());
        EXPECT_EQ(AnswerPasswordPrompt(plivex.id(), "暗号化", password), 2) << Describe(plivex.id());
        ASSERT_EQ(plivex.Wait(20000), 0u) << Describe(plivex.id());
    }
    const std::optional<std::string> first = test::ReadAll(container);
    ASSERT_TRUE(first);
    EXPECT_FALSE(test::FileExists(plain));
    EXPECT_EQ(first->substr(0, 12), std::string("\x02\x00PLVX\x01\x01\xC0\x27\x09\x00", 12));
    const auto sealed = StrongContents(*first, password);
    ASSERT_TRUE(sealed);
    EXPECT_EQ(sealed->first, "報告 한국.pvxdoc");
    EXPECT_TRUE(sealed->second == content);

    Program plivex({"/Q", container});
    ASSERT_TRUE(plivex.started());
    const HWND dialog = WaitForWindow(plivex.id(), L"パスワード入力 - 解凍 -");
    ASSERT_TRUE(dialog) << Describe(plivex.id());
    EXPECT_EQ(AnswerPassword(dialog, password), 1);
    // No name question: it would hold the melt, and so the opening, until answered.
    const HWND app = WaitForDocumentWindow(plain);
    ASSERT_TRUE(app) << "the document was not opened; " << Describe(plivex.id());
    EXPECT_TRUE(test::ReadAll(plain) == content);
    EXPECT_FALSE(test::FileExists(container));

    ASSERT_TRUE(test::WriteAll(plain, content + "edited"));
    ASSERT_TRUE(test::CloseTestApp(app));
    ASSERT_EQ(plivex.Wait(10000), 0u) << "the program did not end after re-encrypting; " << Describe(plivex.id());
    EXPECT_FALSE(test::FileExists(plain));
    const std::optional<std::string> again = test::ReadAll(container);
    ASSERT_TRUE(again) << "no container after the application ended";
    // Its own format again, with the pass salt and count it had, and a fresh file salt.
    EXPECT_EQ(again->substr(0, 28), first->substr(0, 28));
    EXPECT_NE(again->substr(28, 16), first->substr(28, 16));
    const auto edited = StrongContents(*again, password);
    ASSERT_TRUE(edited);
    EXPECT_TRUE(edited->second == content + "edited");
}

// A mistyped password is asked for again, with the reason above the field,
// and the right one melts the file without a second drop.
TEST(Strong, AWrongPasswordIsAskedAgainAndTheRightOneMelts) {
    test::SavedRegistryKey saved(HKEY_CURRENT_USER, kProgramKey);
    Options options;
    options.StrongFormat = true;
    options.OpenMeltedFile = false;
    WritePreferences(options);
    test::TempDir dir;
    const std::string plain = LongPathOf(dir.path()) + "見積書.txt", container = LongPathOf(dir.path()) + "見積書.pvx";
    ASSERT_TRUE(test::WriteAll(plain, "本文"));
    ASSERT_TRUE(EncryptWithProgram(plain, "himitsu123"));
    const std::optional<std::string> sealed = test::ReadAll(container);
    ASSERT_TRUE(sealed);

    Program plivex({container, "/Q"});
    EXPECT_EQ(AnswerPasswordPrompt(plivex.id(), "解凍", "himitsu321"), 1) << Describe(plivex.id());
    HWND again = nullptr;
    ASSERT_TRUE(WaitFor([&] {
        again = FindWindowOf(plivex.id(), [](HWND w) {
            if (TextOf(w) != L"パスワード入力 - 解凍 -") return false;
            for (HWND c : Children(w))
                if (TextOf(c) == L"パスワードが違います。もう一度入力して下さい。" && IsWindowVisible(c)) return true;
            return false;
        });
        return again != nullptr;
    })) << Describe(plivex.id());
    EXPECT_EQ(AnswerPassword(again, "himitsu123"), 1);
    ASSERT_EQ(plivex.Wait(20000), 0u) << Describe(plivex.id());
    EXPECT_EQ(test::ReadAll(plain), std::optional<std::string>("本文"));
    EXPECT_FALSE(test::FileExists(container));
}

// Closing while a melted file is open names it; after Yes it stays plain, and
// the next start says so once.
TEST(Strong, AFileLeftPlainByACloseIsNamedAtTheNextStartOnce) {
    test::SavedRegistryKey saved(HKEY_CURRENT_USER, kProgramKey);
    Options options;
    options.StrongFormat = true;
    WritePreferences(options);
    test::TestAppGuard apps;
    test::Association association(".pvxdoc", test::TestAppPath());
    test::TempDir dir;
    const std::string plain = LongPathOf(dir.path()) + "下書き.pvxdoc", container = LongPathOf(dir.path()) + "下書き.pvx";
    ASSERT_TRUE(test::WriteAll(plain, "draft"));
    ASSERT_TRUE(EncryptWithProgram(plain, "pw"));
    {
        Program plivex({});
        const HWND main = WaitForMainWindow(plivex.id());
        ASSERT_TRUE(main) << Describe(plivex.id());
        ASSERT_TRUE(DropFile(plivex.process(), main, Widen(container)));
        EXPECT_EQ(AnswerPasswordPrompt(plivex.id(), "解凍", "pw"), 1) << Describe(plivex.id());
        ASSERT_TRUE(WaitForDocumentWindow(plain)) << Describe(plivex.id());
        PostMessageW(main, WM_CLOSE, 0, 0);
        const HWND question = WaitForMessageBox(plivex.id(), L"再暗号化すべきファイル");
        ASSERT_TRUE(question) << Describe(plivex.id());
        EXPECT_NE(MessageTextOf(question).find(Widen("\n" + plain)), std::wstring::npos) << "the open file is named";
        Click(GetDlgItem(question, IDYES));
        ASSERT_EQ(plivex.Wait(10000), 0u) << Describe(plivex.id());
    }
    EXPECT_EQ(test::ReadAll(plain), std::optional<std::string>("draft"));
    // Told before anything else of the run, the main window after it.
    for (int start = 0; start < 2; ++start) {
        Program plivex({});
        if (start == 0) {
            const HWND reminder = WaitForMessageBox(plivex.id(), L"前回の終了時に");
            ASSERT_TRUE(reminder) << Describe(plivex.id());
            EXPECT_EQ(MessageTextOf(reminder), Widen(text::LeftUnprotected({plain})));
            Click(GetDlgItem(reminder, IDOK));
            ASSERT_TRUE(WaitFor([&] { return !IsWindow(reminder); }));
        }
        const HWND main = WaitForMainWindow(plivex.id());
        ASSERT_TRUE(main) << Describe(plivex.id());
        EXPECT_FALSE(FindWindowOf(plivex.id(), [](HWND w) { return MessageTextOf(w).rfind(L"前回の終了時に", 0) == 0; }))
            << "told twice";
        EXPECT_EQ(CloseProgram(plivex, main), 0u);
    }
}

// The password prompt's format tick, set from outside the process, decides
// what the pass writes; the option only says where the tick starts.
TEST(Strong, ThePromptsTickDecidesThePassAndLeavesTheOption) {
    test::SavedRegistryKey saved(HKEY_CURRENT_USER, kProgramKey);
    test::TempDir dir;
    const std::string plain = LongPathOf(dir.path()) + "見積書.txt";
    const std::string container = LongPathOf(dir.path()) + "見積書.pvx";
    const std::wstring preference = std::wstring(kProgramKey) + L"\\Preference";
    for (const bool option : {false, true}) {
        for (const bool tick : {false, true}) {
            SCOPED_TRACE(std::string("StrongFormat ") + (option ? "1" : "0") + ", tick " + (tick ? "on" : "off"));
            Options options;
            options.StrongFormat = option;
            WritePreferences(options);
            ASSERT_TRUE(test::WriteAll(plain, "本文"));
            Program plivex({plain, "/Q"});
            ASSERT_TRUE(plivex.started());
            const HWND dialog = WaitForWindow(plivex.id(), L"パスワード入力 - 暗号化 -");
            ASSERT_TRUE(dialog) << Describe(plivex.id());
            const HWND box = ButtonOf(dialog, L"&K・新しい形式（AES-256）で暗号化する");
            ASSERT_TRUE(box) << Describe(plivex.id());
            EXPECT_EQ(SendMessageW(box, BM_GETCHECK, 0, 0), option ? BST_CHECKED : BST_UNCHECKED);
            if (tick != option) Click(box);
            EXPECT_TRUE(WaitFor([&] { return SendMessageW(box, BM_GETCHECK, 0, 0) == (tick ? BST_CHECKED : BST_UNCHECKED); }));
            EXPECT_EQ(AnswerPassword(dialog, "pw"), 2);
            ASSERT_EQ(plivex.Wait(20000), 0u) << Describe(plivex.id());
            const std::optional<std::string> written = test::ReadAll(container);
            ASSERT_TRUE(written && !written->empty());
            EXPECT_EQ(static_cast<int>((*written)[0]), tick ? 2 : 1);
            DWORD value = 99, size = sizeof value;
            ASSERT_EQ(RegGetValueW(HKEY_CURRENT_USER, preference.c_str(), L"StrongFormat", RRF_RT_REG_DWORD, nullptr,
                                   &value, &size),
                      ERROR_SUCCESS);
            EXPECT_EQ(value, option ? 1u : 0u);
            DeleteFileW(Widen(container).c_str());
        }
    }
}

}  // namespace
}  // namespace plivex
