// plivex.exe on a desktop as users have it, driven from outside: another
// program in front, files arriving while a question is open, the taskbar,
// command lines as the shell writes them, and the end of a session.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
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

const std::wstring kExitStateKey = std::wstring(kProgramKey) + L"\\ExitState";
const std::wstring kSystemKey = std::wstring(kProgramKey) + L"\\System";

bool HasExStyle(HWND w, LONG_PTR style) { return (GetWindowLongPtrW(w, GWL_EXSTYLE) & style) != 0; }

// While a batch asks, every window of the program belongs under its box, even
// when another program has the foreground: nothing else takes input, and a
// drop that arrives meanwhile is worked after the batch, once.
TEST(Desktop, BatchQuestionIsOwnedByTheProgramWhileAnotherProgramIsInFront) {
    test::SavedRegistryKey saved(HKEY_CURRENT_USER, kProgramKey);
    test::TestAppGuard apps;
    test::TempDir dir;
    const std::string folder = LongPathOf(dir.path());
    const std::string second = folder + "二通目.txt", third = folder + "三通目.txt";
    ASSERT_TRUE(test::WriteAll(second, SampleContent("二通目", 1)));
    ASSERT_TRUE(test::WriteAll(third, SampleContent("三通目", 2)));

    Program plivex({});
    const HWND main = WaitForMainWindow(plivex.id());
    ASSERT_TRUE(main) << Describe(plivex);
    test::Program other(test::TestAppPath(), {"前面のアプリ"});
    HWND otherWindow = nullptr;
    ASSERT_TRUE(WaitFor([&] {
        const std::vector<HWND> windows = test::TestAppWindows();
        otherWindow = windows.empty() ? nullptr : windows.front();
        return otherWindow && GetForegroundWindow() == otherWindow;
    })) << "the other program did not come to the front";

    ASSERT_TRUE(DropFile(plivex.process(), main, Widen(folder + "ない.txt")));
    const HWND box = WaitForMessageBox(plivex.id(), L"ファイルが見つかりません。");
    ASSERT_TRUE(box) << Describe(plivex);
    EXPECT_EQ(GetWindow(box, GW_OWNER), main) << "the box belongs to the window that asked";
    EXPECT_FALSE(IsWindowEnabled(main)) << "the main window takes drops and clicks under the box";

    // Queued behind the drop, the click closes the box once the drop has arrived.
    ASSERT_TRUE(DropFile(plivex.process(), main, Widen(second)));
    Click(GetDlgItem(box, IDOK));
    const HWND prompt = WaitForWindow(plivex.id(), L"パスワード入力 - 暗号化 -");
    ASSERT_TRUE(prompt) << "the drop made during the question was lost; " << Describe(plivex);
    EXPECT_FALSE(IsWindow(box)) << "the second batch started inside the first one";
    EXPECT_EQ(AnswerPassword(prompt, "pw"), 2);
    EXPECT_EQ(WaitForStatus(plivex.process(), main, [](const std::wstring& s) { return s == L"暗号化：二通目.txt"; }),
              L"暗号化：二通目.txt");
    EXPECT_TRUE(test::FileExists(folder + "二通目.pvx"));
    EXPECT_TRUE(IsWindowEnabled(main));

    // Worked twice, the drop would now report its file as gone; the next thing shown is the next drop's prompt.
    ASSERT_TRUE(DropFile(plivex.process(), main, Widen(third)));
    HWND next = nullptr;
    ASSERT_TRUE(WaitFor([&] {
        next = FindWindowOf(plivex.id(), [&](HWND w) {
            return w != main && (ClassOf(w) == L"#32770" || TextOf(w).rfind(L"パスワード入力", 0) == 0);
        });
        return next != nullptr;
    })) << Describe(plivex);
    EXPECT_EQ(TextOf(next), L"パスワード入力 - 暗号化 -") << "shown instead: " << Narrow(MessageTextOf(next));
    Click(ButtonOf(next, L"&C･ｷｬﾝｾﾙ"));
    EXPECT_EQ(CloseProgram(plivex, main), 0u) << Describe(plivex);
}

// A second copy's message that a question's own loop swallows (outside any
// batch) does not leave its files waiting for yet another copy.
TEST(Desktop, HandOverArrivingUnderAQuestionOutsideABatchIsWorkedOnceTheQuestionCloses) {
    test::SavedRegistryKey saved(HKEY_CURRENT_USER, kProgramKey);
    test::TempDir dir;
    const std::string plain = LongPathOf(dir.path()) + "引継.txt";
    ASSERT_TRUE(test::WriteAll(plain, SampleContent("引継", 6)));

    Program plivex({});
    const HWND main = WaitForMainWindow(plivex.id());
    ASSERT_TRUE(main) << Describe(plivex);
    const HWND chooser = OpenFileSelection(plivex, main);
    ASSERT_TRUE(chooser) << Describe(plivex);
    Click(ButtonOf(chooser, L"&OK"));  // no name typed
    const HWND box = WaitForMessageBox(plivex.id(), L"ファイルを指定して下さい。");
    ASSERT_TRUE(box) << Describe(plivex);
    EXPECT_EQ(GetWindow(box, GW_OWNER), chooser) << "the file dialog asked, not the main window";
    EXPECT_FALSE(IsWindowEnabled(main));

    Program second({plain});
    ASSERT_EQ(second.Wait(10000), 0u) << Describe(second);
    Click(GetDlgItem(box, IDOK));  // after the hand-over's message, which the box's loop takes
    const HWND prompt = WaitForWindow(plivex.id(), L"パスワード入力 - 暗号化 -");
    ASSERT_TRUE(prompt) << "the handed-over file was left waiting; " << Describe(plivex);
    EXPECT_EQ(AnswerPassword(prompt, "pw"), 2);
    EXPECT_TRUE(WaitFor([&] { return test::FileExists(LongPathOf(dir.path()) + "引継.pvx"); }));
    const test::NamedValues left = test::RegistryValues(kSystemKey.c_str());
    EXPECT_TRUE(std::none_of(left.begin(), left.end(), [](const auto& v) { return v.first.rfind("SendFile", 0) == 0; }));
    EXPECT_EQ(CloseProgram(plivex, main), 0u) << Describe(plivex);
}

// The main window has the program's taskbar button and its dialogs have none
// of their own; a prompt of a command-line batch, before any window of the
// program is shown, stands alone with a button of its own.
TEST(Desktop, MainWindowOwnsTheTaskbarButtonAndALonePromptHasItsOwn) {
    test::SavedRegistryKey saved(HKEY_CURRENT_USER, kProgramKey);
    test::TempDir dir;
    const std::string plain = LongPathOf(dir.path()) + "報告.txt";
    ASSERT_TRUE(test::WriteAll(plain, SampleContent("報告", 4)));
    {
        Program plivex({plain, "/Q"});
        const HWND prompt = WaitForWindow(plivex.id(), L"パスワード入力 - 暗号化 -");
        ASSERT_TRUE(prompt) << Describe(plivex);
        EXPECT_TRUE(HasExStyle(prompt, WS_EX_APPWINDOW)) << "a prompt from Explorer cannot be found on the taskbar";
        EXPECT_EQ(AnswerPassword(prompt, "pw"), 2);
        EXPECT_EQ(plivex.Wait(20000), 0u) << Describe(plivex);
    }
    Program plivex({});
    const HWND main = WaitForMainWindow(plivex.id());
    ASSERT_TRUE(main) << Describe(plivex);
    EXPECT_EQ(GetWindow(main, GW_OWNER), nullptr) << "an owned window gets no taskbar button";
    EXPECT_TRUE(HasExStyle(main, WS_EX_APPWINDOW));
    ASSERT_TRUE(DropFile(plivex.process(), main, Widen(LongPathOf(dir.path()) + "報告.pvx")));
    const HWND prompt = WaitForWindow(plivex.id(), L"パスワード入力 - 解凍 -");
    ASSERT_TRUE(prompt) << Describe(plivex);
    EXPECT_EQ(GetWindow(prompt, GW_OWNER), main);
    EXPECT_FALSE(HasExStyle(prompt, WS_EX_APPWINDOW)) << "a dialog takes a second taskbar button";
    Click(ButtonOf(prompt, L"&C･ｷｬﾝｾﾙ"));
    EXPECT_EQ(CloseProgram(plivex, main), 0u) << Describe(plivex);
}

// Send To and a folder's own menu hand over "D:\folder\" with the backslash
// before the closing quote: it is a folder, not an escaped quote, and the
// option after it still counts.
TEST(Desktop, FolderEndingInABackslashAsTheShellWritesItIsWorkedAndQuitStillCounts) {
    test::SavedRegistryKey saved(HKEY_CURRENT_USER, kProgramKey);
    test::TempDir dir;
    const std::string folder = LongPathOf(dir.path());
    ASSERT_EQ(folder.back(), '\\');
    ASSERT_TRUE(test::WriteAll(folder + "写真.jpg", SampleContent("写真", 5)));

    Program plivex({folder, "/Q"});  // the line reads "...plivex.exe" "Z:\...\" "/Q"
    const HWND prompt = WaitForWindow(plivex.id(), L"パスワード入力 - 暗号化 -");
    ASSERT_TRUE(prompt) << Describe(plivex);
    EXPECT_EQ(AnswerPassword(prompt, "pw"), 2);
    EXPECT_EQ(plivex.Wait(20000), 0u) << "/Q was lost; " << Describe(plivex);
    EXPECT_EQ(test::ListFolder(folder), std::vector<std::string>{"写真.pvx"});
}

// A log-off that another program cancels is not the end of the run: what
// changes afterwards is saved at the real close. One that goes through saves once.
TEST(Desktop, SessionEndSavesAndACancelledOneLetsTheRealCloseSaveAgain) {
    test::SavedRegistryKey saved(HKEY_CURRENT_USER, kProgramKey);
    auto sessionEnd = [](HWND main, bool ending) {
        DWORD_PTR ignored = 0;
        return SendMessageTimeoutW(main, WM_QUERYENDSESSION, 0, 0, SMTO_ABORTIFHUNG, kSendTimeout, &ignored) &&
               SendMessageTimeoutW(main, WM_ENDSESSION, ending, 0, SMTO_ABORTIFHUNG, kSendTimeout, &ignored);
    };
    auto moveTo = [](HWND main, int left, int top) {
        SetWindowPos(main, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    };
    {
        Program plivex({});
        const HWND main = WaitForMainWindow(plivex.id());
        ASSERT_TRUE(main) << Describe(plivex);
        moveTo(main, 40, 50);
        ASSERT_TRUE(sessionEnd(main, false));
        EXPECT_EQ(test::RegistryValues(kExitStateKey.c_str())["MWLeft"], "40") << "saved at the session's end";
        moveTo(main, 321, 123);
        ASSERT_EQ(CloseProgram(plivex, main), 0u) << Describe(plivex);
        test::NamedValues state = test::RegistryValues(kExitStateKey.c_str());
        EXPECT_EQ(state["MWLeft"], "321") << "the move after a cancelled log-off was lost";
        EXPECT_EQ(state["MWTop"], "123");
    }
    {
        Program plivex({});
        const HWND main = WaitForMainWindow(plivex.id());
        ASSERT_TRUE(main) << Describe(plivex);
        ASSERT_TRUE(sessionEnd(main, true));
        EXPECT_EQ(test::RegistryValues(kExitStateKey.c_str())["MWLeft"], "321");
        // Whatever the process does after the session has ended, it saves nothing over this.
        const DWORD marker = 777;
        RegSetKeyValueW(HKEY_CURRENT_USER, kExitStateKey.c_str(), L"MWLeft", REG_DWORD, &marker, sizeof marker);
        moveTo(main, 10, 10);
        ASSERT_EQ(CloseProgram(plivex, main), 0u) << Describe(plivex);
        EXPECT_EQ(test::RegistryValues(kExitStateKey.c_str())["MWLeft"], "777") << "the settings were saved twice";
    }
    // Under /RC the key goes each time; a copy that carries on must still be found by second copies.
    Program plivex({"/RC"});
    const HWND main = WaitForMainWindow(plivex.id());
    ASSERT_TRUE(main) << Describe(plivex);
    ASSERT_TRUE(sessionEnd(main, false));
    EXPECT_EQ(test::RegistryValues(kSystemKey.c_str())["HWND"],
              std::to_string(static_cast<int>(reinterpret_cast<INT_PTR>(main))));
    EXPECT_FALSE(test::KeyExists(kExitStateKey.c_str()));
    ASSERT_EQ(CloseProgram(plivex, main), 0u) << Describe(plivex);
    EXPECT_FALSE(test::KeyExists(kProgramKey));
}

// A log-off during a melt, and with a melted file still open, is refused;
// when the session ends anyway and the process is ended, nothing plain is
// left in a temporary file, the container is whole, and the open file is
// named at the next start.
TEST(Desktop, ALogOffDuringWorkIsRefusedAndAnEndedSessionLeavesNoPlainBytes) {
    test::SavedRegistryKey saved(HKEY_CURRENT_USER, kProgramKey);
    Options options;
    options.StrongFormat = true;
    options.OpenMeltedFile = false;
    WritePreferences(options);
    test::TempDir dir;
    const std::string folder = LongPathOf(dir.path());
    const std::string plain = folder + "議事録.bin", container = folder + "議事録.pvx";
    ASSERT_TRUE(test::WriteAll(plain, std::string(4u << 20, 'k')));
    ASSERT_TRUE(EncryptWithProgram(plain, "pw"));
    const std::optional<std::string> sealed = test::ReadAll(container);
    ASSERT_TRUE(sealed && !test::FileExists(plain));
    const auto query = [](HWND main) {
        DWORD_PTR answer = 1;
        SendMessageTimeoutW(main, WM_QUERYENDSESSION, 0, 0, SMTO_ABORTIFHUNG, kSendTimeout, &answer);
        return answer;
    };
    {
        test::EnvVar slow(L"PLIVEX_TEST_STEP_MS", "200");
        Program plivex({});
        const HWND main = WaitForMainWindow(plivex.id());
        ASSERT_TRUE(main) << Describe(plivex);
        ASSERT_TRUE(DropFile(plivex.process(), main, Widen(container)));
        EXPECT_EQ(AnswerPasswordPrompt(plivex.id(), "解凍", "pw"), 1) << Describe(plivex);
        ASSERT_TRUE(WaitFor([&] {
            const auto names = test::ListFolder(folder);
            return std::any_of(names.begin(), names.end(), [](const std::string& n) { return n.rfind("~plvx", 0) == 0; });
        })) << "the melt did not begin; " << Describe(plivex);
        EXPECT_EQ(query(main), 0u) << "a log-off during a melt was allowed";
        DWORD_PTR ignored = 0;
        SendMessageTimeoutW(main, WM_ENDSESSION, TRUE, 0, SMTO_ABORTIFHUNG, kSendTimeout, &ignored);
        TerminateProcess(plivex.process(), 0);  // as Windows ends a program at a log-off
        plivex.Wait(kPatience);
    }
    EXPECT_EQ(test::ListFolder(folder), std::vector<std::string>{"議事録.pvx"}) << "plain bytes left behind";
    EXPECT_TRUE(SameBytes(test::ReadAll(container), sealed));

    // A melted file open in its application: refused too, and named at the next start.
    test::TestAppGuard apps;
    test::Association association(".bin", test::TestAppPath());
    {
        Program plivex({});
        const HWND main = WaitForMainWindow(plivex.id());
        ASSERT_TRUE(main) << Describe(plivex);
        ASSERT_TRUE(DropFile(plivex.process(), main, Widen(container)));
        const HWND prompt = WaitForWindow(plivex.id(), L"パスワード入力 - 解凍 -");
        ASSERT_TRUE(prompt) << Describe(plivex);
        SendMessageW(ButtonOf(prompt, L"&U・解凍したファイルを利用する"), BM_SETCHECK, BST_CHECKED, 0);
        EXPECT_EQ(AnswerPassword(prompt, "pw"), 1);
        ASSERT_TRUE(WaitForDocumentWindow(plain)) << Describe(plivex);
        EXPECT_EQ(query(main), 0u) << "a log-off with a file left plain was allowed";
        DWORD_PTR ignored = 0;
        SendMessageTimeoutW(main, WM_ENDSESSION, TRUE, 0, SMTO_ABORTIFHUNG, kSendTimeout, &ignored);
        TerminateProcess(plivex.process(), 0);
        plivex.Wait(kPatience);
    }
    Program plivex({});
    const HWND reminder = WaitForMessageBox(plivex.id(), L"前回の終了時に");
    ASSERT_TRUE(reminder) << Describe(plivex);
    EXPECT_NE(MessageTextOf(reminder).find(Widen(plain)), std::wstring::npos);
    Click(GetDlgItem(reminder, IDOK));
    const HWND main = WaitForMainWindow(plivex.id());
    ASSERT_TRUE(main) << Describe(plivex);
    EXPECT_EQ(CloseProgram(plivex, main), 0u);
}

// The close question holds nothing another copy needs: a copy started under it
// hands over at once, and once the user says the window may go, the file is
// worked before it does.
TEST(Desktop, ACopyStartedUnderTheCloseQuestionIsWorkedBeforeTheWindowGoes) {
    test::SavedRegistryKey saved(HKEY_CURRENT_USER, kProgramKey);
    Options options;
    options.ConfirmMeltedName = false;
    WritePreferences(options);
    test::TestAppGuard apps;
    test::Association association(".bin", test::TestAppPath());
    test::TempDir dir;
    const std::string folder = LongPathOf(dir.path());
    const std::string plain = folder + "開いたまま.bin", late = folder + "後から.txt";
    ASSERT_TRUE(test::WriteAll(plain, "開いたまま"));
    ASSERT_TRUE(test::WriteAll(late, "後から届いた"));
    ASSERT_TRUE(EncryptWithProgram(plain, "pw"));

    Program plivex({});
    const HWND main = WaitForMainWindow(plivex.id());
    ASSERT_TRUE(main) << Describe(plivex);
    ASSERT_TRUE(DropFile(plivex.process(), main, Widen(folder + "開いたまま.pvx")));
    EXPECT_EQ(AnswerPasswordPrompt(plivex.id(), "解凍", "pw"), 1) << Describe(plivex);
    ASSERT_TRUE(WaitForDocumentWindow(plain)) << Describe(plivex);
    PostMessageW(main, WM_CLOSE, 0, 0);
    const HWND question = WaitForMessageBox(plivex.id(), L"再暗号化すべきファイル");
    ASSERT_TRUE(question) << Describe(plivex);
    {
        Program copy({late});
        EXPECT_EQ(copy.Wait(kPatience), 0u) << "the copy did not hand over";
    }
    Click(GetDlgItem(question, IDYES));
    EXPECT_EQ(AnswerPasswordPrompt(plivex.id(), "暗号化", "pw"), 2) << "the file handed over was not taken up; "
                                                                   << Describe(plivex);
    EXPECT_EQ(plivex.Wait(kPatience), 0u) << Describe(plivex);
    EXPECT_TRUE(test::FileExists(folder + "後から.pvx"));
    EXPECT_FALSE(test::FileExists(late));
}

// A laptop at 150 % beside an office monitor at 100 %: moved from one to the
// other, the main window takes the monitor's DPI, as a start there would give
// it, and goes back as it was.
TEST(Desktop, TheMainWindowFollowsItsMonitorsDpiThereAndBack) {
    test::SavedRegistryKey saved(HKEY_CURRENT_USER, kProgramKey);
    Program plivex({});
    const HWND main = WaitForMainWindow(plivex.id());
    ASSERT_TRUE(main) << Describe(plivex);
    const HWND browse = ButtonOf(main, L"&R･参照");
    ASSERT_TRUE(browse);
    // A font is the program's own (its handle means nothing here): that the
    // text follows too, scripts/screenshots sees, comparing the window moved
    // to 144 DPI with one started there, pixel by pixel.
    struct Look {
        SIZE client;
        int buttonHeight;
    };
    const auto look = [&] {
        RECT client, button;
        GetClientRect(main, &client);
        GetWindowRect(browse, &button);
        return Look{{client.right, client.bottom}, static_cast<int>(button.bottom - button.top)};
    };
    const Look at96 = look();
    ASSERT_EQ(at96.client.cx, 275) << "the prefix is not at 96 DPI";
    RECT outer;
    GetWindowRect(main, &outer);

    const RECT there{outer.left, outer.top, outer.left + (outer.right - outer.left) * 3 / 2,
                     outer.top + (outer.bottom - outer.top) * 3 / 2};
    ASSERT_TRUE(ChangeDpi(plivex.process(), main, 144, there));
    const Look at144 = look();
    EXPECT_EQ(at144.client.cx, MulDiv(275, 144, 96));
    EXPECT_EQ(at144.client.cy, MulDiv(at96.client.cy, 144, 96));
    EXPECT_EQ(at144.buttonHeight, MulDiv(at96.buttonHeight, 144, 96));
    RECT moved;
    GetWindowRect(main, &moved);
    EXPECT_EQ(moved.left, there.left);
    EXPECT_EQ(moved.top, there.top);

    ASSERT_TRUE(ChangeDpi(plivex.process(), main, 96, outer));
    const Look back = look();
    EXPECT_EQ(back.client.cx, at96.client.cx);
    EXPECT_EQ(back.client.cy, at96.client.cy);
    EXPECT_EQ(back.buttonHeight, at96.buttonHeight);
    EXPECT_EQ(CloseProgram(plivex, main), 0u);
}

}  // namespace
}  // namespace plivex
