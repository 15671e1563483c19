// The whole program, black-box: plivex.exe is started as a user starts it and
// answered from outside through its windows only. Containers on disk must be
// what the codec makes of the same file, and melted files the original bytes.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <optional>
#include <string>
#include <vector>

#include "codec/texts.h"
#include "e2e_support.h"
#include "sys/text_win.h"
#include "win_support.h"
#include "window_driver.h"

namespace plivex {
namespace {

using namespace e2e;
using test::LongPathOf;

TEST(EndToEnd, CommandLineFileIsEncryptedWithThePasswordTypedIntoTheDialog) {
    test::TempDir dir;
    const std::string folder = LongPathOf(dir.path());
    const std::string plain = folder + "報告書.doc";
    const std::string content = SampleContent("第1四半期の報告", 0);
    ASSERT_TRUE(test::WriteAll(plain, content));
    const std::string password = "ひみつ Pass1";

    Program plivex({plain, "/Q"});
    ASSERT_TRUE(plivex.started()) << plivex.failure();
    const HWND dialog = WaitForWindow(plivex.id(), L"パスワード入力");
    ASSERT_TRUE(dialog) << "no password dialog; " << Describe(plivex);
    EXPECT_EQ(TextOf(dialog), L"パスワード入力 - 暗号化 -");
    EXPECT_EQ(AnswerPassword(dialog, password), 2);
    ASSERT_EQ(plivex.Wait(20000), 0u) << "the program did not end after its batch; " << Describe(plivex);

    const std::optional<std::string> expected = CodecContainer("報告書.doc", "報告書.pvx", content, password);
    ASSERT_TRUE(expected);
    const std::optional<std::string> container = test::ReadAll(folder + "報告書.pvx");
    ASSERT_TRUE(container) << "no container beside the file";
    EXPECT_TRUE(*container == *expected) << "the container differs from the codec's output";
    EXPECT_FALSE(test::FileExists(plain)) << "the default options delete the plain file";
}

TEST(EndToEnd, DroppedFileIsEncryptedAndTheStatusBarNamesIt) {
    test::TempDir dir;
    const std::string folder = LongPathOf(dir.path());
    const std::string name = "企画書 第2版.doc";
    const std::string content = SampleContent("新製品の企画", 3);
    ASSERT_TRUE(test::WriteAll(folder + name, content));
    const std::string password = "drop パス";

    Program plivex({});
    ASSERT_TRUE(plivex.started()) << plivex.failure();
    const HWND main = WaitForMainWindow(plivex.id());
    ASSERT_TRUE(main) << "no main window; " << Describe(plivex);
    ASSERT_TRUE(DropFile(plivex.process(), main, Widen(folder + name)));

    const HWND dialog = WaitForWindow(plivex.id(), L"パスワード入力 - 暗号化 -");
    ASSERT_TRUE(dialog) << "no password dialog after the drop; " << Describe(plivex);
    EXPECT_EQ(AnswerPassword(dialog, password), 2);

    const HWND bar = ChildOfClass(main, STATUSCLASSNAMEW);
    ASSERT_TRUE(bar);
    const std::wstring expectedStatus = Widen("暗号化：" + name);
    std::wstring status;
    EXPECT_TRUE(WaitFor([&] { return (status = StatusTextOf(plivex.process(), bar)) == expectedStatus; }))
        << "status bar shows \"" << Narrow(status) << "\"; " << Describe(plivex);

    const std::optional<std::string> expected = CodecContainer(name, "企画書 第2版.pvx", content, password);
    ASSERT_TRUE(expected);
    const std::optional<std::string> container = test::ReadAll(folder + "企画書 第2版.pvx");
    ASSERT_TRUE(container) << "no container beside the dropped file";
    EXPECT_TRUE(*container == *expected) << "the container differs from the codec's output";
    EXPECT_FALSE(test::FileExists(folder + name)) << "the default options delete the plain file";

    // Started without files, it stays open until closed like any window.
    EXPECT_EQ(plivex.Wait(0), std::nullopt);
    PostMessageW(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(plivex.Wait(10000), 0u) << "the program did not end on WM_CLOSE; " << Describe(plivex);
}

TEST(EndToEnd, ContainerOnTheCommandLineMeltsIntoTheStoredName) {
    test::TempDir dir;
    const std::string folder = LongPathOf(dir.path());
    // The container was renamed after encryption: the stored name decides the melted one.
    const std::string name = "議事録.dat";
    const std::string content = SampleContent("定例会議の議事録", 5);
    const std::string password = "解凍 Key9";
    const std::optional<std::string> bytes = CodecContainer(name, "議事録.pvx", content, password);
    ASSERT_TRUE(bytes);
    const std::string container = folder + "受け取り.pvx", plain = folder + name;
    ASSERT_TRUE(test::WriteAll(container, *bytes));

    Program plivex({container, "/Q"});
    ASSERT_TRUE(plivex.started()) << plivex.failure();
    const HWND dialog = WaitForWindow(plivex.id(), L"パスワード入力 - 解凍 -");
    ASSERT_TRUE(dialog) << "no password dialog; " << Describe(plivex);
    // Opening the melted file with its application is not part of this run.
    const HWND useMelted = ButtonOf(dialog, L"&U・解凍したファイルを利用する");
    ASSERT_TRUE(useMelted);
    EXPECT_EQ(SendMessageW(useMelted, BM_GETCHECK, 0, 0), BST_CHECKED) << "ticked by default for one file";
    SendMessageW(useMelted, BM_SETCHECK, BST_UNCHECKED, 0);
    EXPECT_EQ(AnswerPassword(dialog, password), 1);

    const HWND nameQuestion = WaitForMessageBox(plivex.id(), L"解凍ファイル名は");
    ASSERT_TRUE(nameQuestion) << "no question about the name; " << Describe(plivex);
    // Renamed, the container's own name no longer matches: the question says so.
    EXPECT_EQ(MessageTextOf(nameQuestion),
              Widen(text::ConfirmMeltName(plain) + "\n" + text::NameUnlikeContainer("受け取り")));
    Click(GetDlgItem(nameQuestion, IDYES));

    // ".dat" has no application in the test prefix, so the default options ask before deleting.
    const HWND deleteQuestion = WaitForMessageBox(plivex.id(), L"解凍したファイル");
    ASSERT_TRUE(deleteQuestion) << "no question about deleting the container; " << Describe(plivex);
    EXPECT_EQ(MessageTextOf(deleteQuestion), Widen(text::ConfirmDeleteUnrelated(plain, container)));
    Click(GetDlgItem(deleteQuestion, IDYES));

    ASSERT_EQ(plivex.Wait(20000), 0u) << "the program did not end after its batch; " << Describe(plivex);
    const std::optional<std::string> melted = test::ReadAll(plain);
    ASSERT_TRUE(melted) << "no melted file under the stored name";
    EXPECT_TRUE(*melted == content) << "the melted file differs from the original";
    EXPECT_FALSE(test::FileExists(container)) << "the container stays after Yes to deleting it";
}

TEST(EndToEnd, SecondCopyHandsItsFileToTheRunningOne) {
    test::TempDir dir;
    const std::string folder = LongPathOf(dir.path());
    const std::string plain = folder + "メモ.txt";
    const std::string content = SampleContent("引き継ぎのメモ", 11);
    ASSERT_TRUE(test::WriteAll(plain, content));
    const std::string password = "二つ目 2nd";

    Program running({});
    ASSERT_TRUE(running.started()) << running.failure();
    const HWND main = WaitForMainWindow(running.id());
    ASSERT_TRUE(main) << "no main window; " << Describe(running);

    Program second({plain});
    ASSERT_TRUE(second.started()) << second.failure();
    EXPECT_EQ(second.Wait(10000), 0u) << "the second copy did not end at once; " << Describe(second);

    const HWND dialog = WaitForWindow(running.id(), L"パスワード入力 - 暗号化 -");
    ASSERT_TRUE(dialog) << "the running copy asked no password; " << Describe(running);
    EXPECT_EQ(AnswerPassword(dialog, password), 2);

    const std::optional<std::string> expected = CodecContainer("メモ.txt", "メモ.pvx", content, password);
    ASSERT_TRUE(expected);
    std::optional<std::string> container;
    EXPECT_TRUE(WaitFor([&] { return !test::FileExists(plain) && (container = test::ReadAll(folder + "メモ.pvx")); }))
        << Describe(running);
    ASSERT_TRUE(container) << "no container beside the handed-over file";
    EXPECT_TRUE(*container == *expected) << "the container differs from the codec's output";

    PostMessageW(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(running.Wait(10000), 0u) << "the running copy did not end on WM_CLOSE; " << Describe(running);
}

TEST(EndToEnd, MeltedDocumentIsOpenedAndEncryptedAgainWhenItsApplicationEnds) {
    test::TestAppGuard apps;
    test::Association association(".pvxdoc", test::TestAppPath());
    test::TempDir dir;
    const std::string folder = LongPathOf(dir.path());
    const std::string name = "report.pvxdoc", plain = folder + name, container = folder + "report.pvx";
    const std::string content = SampleContent("月次報告", 17);
    const std::string password = "使う pw";
    const std::optional<std::string> original = CodecContainer(name, "report.pvx", content, password);
    ASSERT_TRUE(original);
    ASSERT_TRUE(test::WriteAll(container, *original));

    Program plivex({"/Q", container});
    ASSERT_TRUE(plivex.started()) << plivex.failure();
    const HWND dialog = WaitForWindow(plivex.id(), L"パスワード入力 - 解凍 -");
    ASSERT_TRUE(dialog) << "no password dialog; " << Describe(plivex);
    const HWND useMelted = ButtonOf(dialog, L"&U・解凍したファイルを利用する");
    ASSERT_TRUE(useMelted);
    EXPECT_EQ(SendMessageW(useMelted, BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(AnswerPassword(dialog, password), 1);
    const HWND nameQuestion = WaitForMessageBox(plivex.id(), L"解凍ファイル名は");
    ASSERT_TRUE(nameQuestion) << Describe(plivex);
    Click(GetDlgItem(nameQuestion, IDYES));

    const HWND app = WaitForDocumentWindow(plain);
    ASSERT_TRUE(app) << "the document was not opened; " << Describe(plivex);
    EXPECT_EQ(test::ReadAll(plain).value_or(""), content);
    EXPECT_FALSE(test::FileExists(container)) << "the container goes once the document is melted";

    // It waits minimised for the application, however long it takes.
    const HWND main = WaitForMainWindow(plivex.id());
    ASSERT_TRUE(main) << Describe(plivex);
    EXPECT_TRUE(IsIconic(main));
    EXPECT_EQ(plivex.Wait(2500), std::nullopt) << "the program ended while its document was open";

    ASSERT_TRUE(test::CloseTestApp(app));
    ASSERT_EQ(plivex.Wait(10000), 0u) << "the program did not end after re-encrypting; " << Describe(plivex);
    EXPECT_FALSE(test::FileExists(plain)) << "the plain document is removed again";
    const std::optional<std::string> again = test::ReadAll(container);
    ASSERT_TRUE(again) << "no container after the application ended";
    EXPECT_TRUE(*again == *original) << "the container differs from the one melted";
}

}  // namespace
}  // namespace plivex
