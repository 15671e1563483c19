// The road of one document with the strong format chosen, black-box: encrypted
// under a password the compatible format could not take, melted without the
// questions that only guard against a wrong password, opened, and encrypted
// again in its own format when its application ends.
#include <gtest/gtest.h>

#include <windows.h>

#include <optional>
#include <string>

#include "base/paths.h"
#include "dialogs/password_dialog.h"
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
        ASSERT_TRUE(plivex.started()) << plivex.failure();
        EXPECT_EQ(AnswerPasswordPrompt(plivex.id(), "暗号化", password), 2) << Describe(plivex);
        ASSERT_EQ(plivex.Wait(20000), 0u) << Describe(plivex);
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
    ASSERT_TRUE(plivex.started()) << plivex.failure();
    const HWND dialog = WaitForWindow(plivex.id(), L"パスワード入力 - 解凍 -");
    ASSERT_TRUE(dialog) << Describe(plivex);
    EXPECT_EQ(AnswerPassword(dialog, password), 1);
    // No name question: it would hold the melt, and so the opening, until answered.
    const HWND app = WaitForDocumentWindow(plain);
    ASSERT_TRUE(app) << "the document was not opened; " << Describe(plivex);
    EXPECT_TRUE(test::ReadAll(plain) == content);
    EXPECT_FALSE(test::FileExists(container));

    ASSERT_TRUE(test::WriteAll(plain, content + "edited"));
    ASSERT_TRUE(test::CloseTestApp(app));
    ASSERT_EQ(plivex.Wait(10000), 0u) << "the program did not end after re-encrypting; " << Describe(plivex);
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
    EXPECT_EQ(AnswerPasswordPrompt(plivex.id(), "解凍", "himitsu321"), 1) << Describe(plivex);
    HWND again = nullptr;
    ASSERT_TRUE(WaitFor([&] {
        again = FindWindowOf(plivex.id(), [](HWND w) {
            if (TextOf(w) != L"パスワード入力 - 解凍 -") return false;
            for (HWND c : Children(w))
                if (TextOf(c) == L"パスワードが違います。もう一度入力して下さい。" && IsWindowVisible(c)) return true;
            return false;
        });
        return again != nullptr;
    })) << Describe(plivex);
    EXPECT_EQ(AnswerPassword(again, "himitsu123"), 1);
    ASSERT_EQ(plivex.Wait(20000), 0u) << Describe(plivex);
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
        ASSERT_TRUE(main) << Describe(plivex);
        ASSERT_TRUE(DropFile(plivex.process(), main, Widen(container)));
        EXPECT_EQ(AnswerPasswordPrompt(plivex.id(), "解凍", "pw"), 1) << Describe(plivex);
        ASSERT_TRUE(WaitForDocumentWindow(plain)) << Describe(plivex);
        PostMessageW(main, WM_CLOSE, 0, 0);
        const HWND question = WaitForMessageBox(plivex.id(), L"再暗号化すべきファイル");
        ASSERT_TRUE(question) << Describe(plivex);
        EXPECT_NE(MessageTextOf(question).find(Widen("\n" + plain)), std::wstring::npos) << "the open file is named";
        Click(GetDlgItem(question, IDYES));
        ASSERT_EQ(plivex.Wait(10000), 0u) << Describe(plivex);
    }
    EXPECT_EQ(test::ReadAll(plain), std::optional<std::string>("draft"));
    // Told before anything else of the run, the main window after it.
    for (int start = 0; start < 2; ++start) {
        Program plivex({});
        if (start == 0) {
            const HWND reminder = WaitForMessageBox(plivex.id(), L"前回の終了時に");
            ASSERT_TRUE(reminder) << Describe(plivex);
            EXPECT_EQ(MessageTextOf(reminder), Widen(text::LeftUnprotected({plain})));
            Click(GetDlgItem(reminder, IDOK));
            ASSERT_TRUE(WaitFor([&] { return !IsWindow(reminder); }));
        }
        const HWND main = WaitForMainWindow(plivex.id());
        ASSERT_TRUE(main) << Describe(plivex);
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
            ASSERT_TRUE(plivex.started()) << plivex.failure();
            const HWND dialog = WaitForWindow(plivex.id(), L"パスワード入力 - 暗号化 -");
            ASSERT_TRUE(dialog) << Describe(plivex);
            const HWND box = ButtonOf(dialog, L"&K・新しい形式（AES-256）で暗号化する");
            ASSERT_TRUE(box) << Describe(plivex);
            EXPECT_EQ(SendMessageW(box, BM_GETCHECK, 0, 0), option ? BST_CHECKED : BST_UNCHECKED);
            if (tick != option) Click(box);
            EXPECT_TRUE(WaitFor([&] { return SendMessageW(box, BM_GETCHECK, 0, 0) == (tick ? BST_CHECKED : BST_UNCHECKED); }));
            EXPECT_EQ(AnswerPassword(dialog, "pw"), 2);
            ASSERT_EQ(plivex.Wait(20000), 0u) << Describe(plivex);
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

// The conversion a user starts from the options dialog: a folder chosen in the
// program's file selection, the password typed once, and every compatible
// container in the folder and beneath it made strong in place; the strong
// one, the plain file and what lies outside the folder are left as they were.
TEST(Strong, OldContainersInAChosenFolderAreMadeStrongInPlace) {
    test::SavedRegistryKey saved(HKEY_CURRENT_USER, kProgramKey);
    WritePreferences(Options{});
    test::TempDir dir;
    const std::string root = LongPathOf(dir.path()), folder = root + "古い\\";
    const std::string password = "合言葉";
    const std::string a = SampleContent("見積書", 1), b = SampleContent("議事録", 2), c = SampleContent("強い", 3);
    ASSERT_TRUE(CreateDirectoryW(Widen(folder).c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW(Widen(folder + "内").c_str(), nullptr));
    const auto compatible = [&](const std::string& name, const std::string& path, const std::string& content) {
        const std::optional<std::string> bytes = CodecContainer(name, FileNamePart(path), content, password);
        return bytes && test::WriteAll(path, *bytes);
    };
    ASSERT_TRUE(compatible("見積書.xls", folder + "見積書.pvx", a));
    ASSERT_TRUE(compatible("議事録.doc", folder + "内\\議事録.pvx", b));
    ASSERT_TRUE(compatible("外.txt", root + "外.pvx", c));
    const std::optional<std::string> outside = test::ReadAll(root + "外.pvx");
    // A strong one, as the program writes it.
    {
        test::MemFiles files;
        test::ScriptedUi ui;
        const Options defaults;
        Codec codec(files, ui, defaults);
        files.files["C:\\d\\強い.txt"] = c;
        PassKeys keys = PassKeys::ToWrite(password, kStrongVersion);
        ASSERT_TRUE(codec.Encode("C:\\d\\強い.txt", "C:\\d\\強い.pvx", CodecResult::kNoClash, kStrongVersion, keys).written);
        ASSERT_TRUE(test::WriteAll(folder + "強い.pvx", files.At("C:\\d\\強い.pvx")));
    }
    const std::optional<std::string> strong = test::ReadAll(folder + "強い.pvx");
    ASSERT_TRUE(test::WriteAll(folder + "メモ.txt", "そのまま"));

    Program plivex({});
    const HWND main = WaitForMainWindow(plivex.id());
    ASSERT_TRUE(main) << Describe(plivex);
    const HWND dialog = OpenOptions(plivex, main);
    ASSERT_TRUE(dialog) << Describe(plivex);
    // The other page, clicked on its tab as a user does.
    const HWND tabs = ChildOfClass(dialog, L"SysTabControl32");
    ASSERT_TRUE(tabs);
    PostMessageW(tabs, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(85, 10));
    PostMessageW(tabs, WM_LBUTTONUP, 0, MAKELPARAM(85, 10));
    const HWND button = ButtonOf(dialog, Widen(text::kUpgradeButton));
    ASSERT_TRUE(WaitFor([&] { return button && IsWindowVisible(button); })) << "the other page is not shown";
    ASSERT_TRUE(Click(button));
    const HWND chooser = WaitForWindow(plivex.id(), L"従来の形式のファイルを新しい形式に変換");
    ASSERT_TRUE(chooser) << Describe(plivex);
    // A full path goes to its folder; OK with nothing typed then chooses the folder shown.
    const HWND name = ChildAt(chooser, 96, 304);
    ASSERT_TRUE(TypeInto(name, Widen(folder)));
    Click(ButtonOf(chooser, L"&OK"));
    ASSERT_TRUE(WaitFor([&] { return TextOf(name).empty(); })) << Describe(plivex);
    Click(ButtonOf(chooser, L"&OK"));
    EXPECT_EQ(AnswerPasswordPrompt(plivex.id(), "変換", password), 1) << Describe(plivex);
    const HWND told = WaitForMessageBox(plivex.id(), L"2 個のファイルを新しい形式に変換しました。");
    ASSERT_TRUE(told) << Describe(plivex);
    EXPECT_EQ(MessageTextOf(told), L"2 個のファイルを新しい形式に変換しました。\n1 個はすでに新しい形式でした。");
    Click(GetDlgItem(told, IDOK));

    EXPECT_EQ(StrongContents(test::ReadAll(folder + "見積書.pvx").value_or(""), password),
              std::make_pair(std::string("見積書.xls"), a));
    EXPECT_EQ(StrongContents(test::ReadAll(folder + "内\\議事録.pvx").value_or(""), password),
              std::make_pair(std::string("議事録.doc"), b));
    EXPECT_TRUE(SameBytes(test::ReadAll(folder + "強い.pvx"), strong));
    EXPECT_TRUE(SameBytes(test::ReadAll(root + "外.pvx"), outside)) << "outside the chosen folder";
    EXPECT_EQ(test::ReadAll(folder + "メモ.txt"), "そのまま");
    EXPECT_EQ(test::ListFolder(folder), (std::vector<std::string>{"メモ.txt", "内", "強い.pvx", "見積書.pvx"}));
    EXPECT_EQ(test::ListFolder(folder + "内\\"), std::vector<std::string>{"議事録.pvx"});
    Click(ButtonOf(dialog, L"&C・キャンセル"));
    EXPECT_EQ(CloseProgram(plivex, main), 0u);
}

}  // namespace
}  // namespace plivex
