// plivex.exe started as real processes: the second-instance hand-over seen by
// a stand-in receiver window of this test, and the working instance's own
// start, receipt of a hand-over and exit.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "app/instance_win.h"
#include "app/settings_win.h"
#include "sys/text_win.h"
#include "win_support.h"
#include "sys/shell_win.h"

namespace plivex {
namespace {

constexpr wchar_t kMutexName[] = L"PlivexMutex";
constexpr DWORD kTimeout = 20000;

using test::KeyExists;
using test::LongPathOf;
using test::Pump;
using test::ShortPathOf;

// plivex.exe with arguments, in a working folder if given.
class Program : public test::Program {
public:
    explicit Program(const std::vector<std::string>& args, const std::string& folder = "")
        : test::Program(PLIVEX_EXE, args, folder) {}
    std::optional<DWORD> Wait(DWORD ms = kTimeout) { return test::Program::Wait(ms); }
};

// Stands in for the working instance: holds its mutex, is the window named in
// "HWND", and records the messages posted to it.
class Receiver {
public:
    Receiver() {
        WNDCLASSW wc{};
        wc.lpfnWndProc = Proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"PlivexStartupTestReceiver";
        RegisterClassW(&wc);
        hwnd_ = CreateWindowExW(0, wc.lpszClassName, L"", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                                wc.hInstance, nullptr);
        mutex_ = CreateMutexW(nullptr, FALSE, kMutexName);
        posts().clear();
    }
    ~Receiver() {
        CloseHandle(mutex_);
        DestroyWindow(hwnd_);
    }
    HWND hwnd() const { return hwnd_; }
    // wParam and lParam of each 1024 received.
    static std::vector<std::pair<WPARAM, LPARAM>>& posts() {
        static std::vector<std::pair<WPARAM, LPARAM>> p;
        return p;
    }

private:
    static LRESULT CALLBACK Proc(HWND h, UINT msg, WPARAM w, LPARAM l) {
        if (msg == WM_USER) posts().emplace_back(w, l);
        return DefWindowProcW(h, msg, w, l);
    }
    HWND hwnd_ = nullptr;
    HANDLE mutex_ = nullptr;
};

bool MutexExists() {
    HANDLE h = OpenMutexW(SYNCHRONIZE, FALSE, kMutexName);
    if (h) CloseHandle(h);
    return h != nullptr;
}

// Every test starts from an empty program key and leaves none behind.
class Startup : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(DeleteProgramKey());
        ASSERT_FALSE(MutexExists()) << "a copy of the program is running";
    }
    void TearDown() override { DeleteProgramKey(); }
};

TEST_F(Startup, QuitClosesAtOnceLeavingHwndAndClearRemovesTheKey) {
    {
        Program first({"/q"});
        ASSERT_TRUE(first.started()) << first.failure();
        EXPECT_EQ(first.Wait(), 0u);
        const std::optional<HWND> hwnd = ReadMainWindowHandle();
        ASSERT_TRUE(hwnd) << "the working instance did not write HWND";
        EXPECT_FALSE(IsWindow(*hwnd));  // the value outlives its window
        EXPECT_FALSE(MutexExists());
    }
    {
        ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, L"Software\\QUORVA\\Plivex\\Preference", L"Probe", REG_SZ,
                                  L"x", 4),
                  ERROR_SUCCESS);
        Program cleared({"/RC", "-Q"});
        ASSERT_TRUE(cleared.started()) << cleared.failure();
        EXPECT_EQ(cleared.Wait(), 0u);
        EXPECT_FALSE(KeyExists(kProgramKeyPath));
        EXPECT_TRUE(KeyExists(L"Software\\QUORVA"));  // only the program's own key goes
    }
}

TEST_F(Startup, FirstStartSavesTheDefaultsAndTheProgramFolder) {
    Program first({"/q"});
    ASSERT_TRUE(first.started()) << first.failure();
    EXPECT_EQ(first.Wait(), 0u);
    std::string folder = PLIVEX_EXE;
    std::replace(folder.begin(), folder.end(), '/', '\\');
    folder.resize(folder.rfind('\\') + 1);
    EXPECT_EQ(test::RegistryValues(kExitStateKeyPath),
              (test::NamedValues{{"MWLeft", "0"}, {"MWTop", "0"}, {"SelFolder", folder}, {"EHFolder", folder}}));
    EXPECT_EQ(test::RegistryValues(kPreferenceKeyPath),
              (test::NamedValues{{"ConMeltFName", "1"}, {"UseMeltF", "1"}, {"UseManyMeltF", "0"}, {"Reencode", "1"},
                                 {"DelRawF", "1"}, {"DelPvF", "1"}, {"ConDelUnrela", "1"}, {"FOverlap", "2"},
                                 {"SeePW", "0"}, {"RecyclePW", "0"}, {"StayOnTop", "0"}, {"DlgPos", "0"},
                                 {"UseNN", "1"}, {"StrongFormat", "0"}}));
}

// A visible message box of the process whose text contains part, or null.
HWND FindMessageBox(DWORD pid, HWND mainWindow, const std::wstring& part) {
    struct Search {
        DWORD pid;
        HWND main;
        std::wstring part;
        HWND found = nullptr;
    } s{pid, mainWindow, part};
    EnumWindows(
        [](HWND w, LPARAM p) -> BOOL {
            auto& s = *reinterpret_cast<Search*>(p);
            DWORD owner = 0;
            GetWindowThreadProcessId(w, &owner);
            if (owner != s.pid || w == s.main || !IsWindowVisible(w)) return TRUE;
            EnumChildWindows(
                w,
                [](HWND c, LPARAM p) -> BOOL {
                    auto& s = *reinterpret_cast<Search*>(p);
                    wchar_t text[512] = {};
                    GetWindowTextW(c, text, 512);
                    if (std::wstring(text).find(s.part) != std::wstring::npos) s.found = GetAncestor(c, GA_ROOT);
                    return s.found == nullptr;
                },
                p);
            return s.found == nullptr;
        },
        reinterpret_cast<LPARAM>(&s));
    return s.found;
}

// A visible top-level window of the process whose caption begins with prefix, or null.
HWND FindWindowOf(DWORD pid, const std::wstring& prefix) {
    struct Search {
        DWORD pid;
        std::wstring prefix;
        HWND found = nullptr;
    } s{pid, prefix};
    EnumWindows(
        [](HWND w, LPARAM p) -> BOOL {
            auto& s = *reinterpret_cast<Search*>(p);
            DWORD owner = 0;
            GetWindowThreadProcessId(w, &owner);
            wchar_t text[256] = {};
            GetWindowTextW(w, text, 256);
            if (owner == s.pid && IsWindowVisible(w) && std::wstring(text).rfind(s.prefix, 0) == 0) s.found = w;
            return s.found == nullptr;
        },
        reinterpret_cast<LPARAM>(&s));
    return s.found;
}

// The process's password prompt, waited for (with this thread's messages flowing) up to ms.
HWND WaitForPrompt(DWORD pid, DWORD ms = 10000) {
    HWND prompt = nullptr;
    test::PumpUntil([&] { return (prompt = FindWindowOf(pid, L"パスワード入力")) != nullptr; }, ms);
    return prompt;
}

// Starts plivex.exe without arguments and waits for its window in "HWND".
std::optional<HWND> StartWorkingInstance(Program& first) {
    std::optional<HWND> hwnd;
    test::PumpUntil([&] { return (hwnd = ReadMainWindowHandle()) && IsWindow(*hwnd); });
    if (!hwnd || !IsWindow(*hwnd)) return std::nullopt;
    DWORD owner = 0;
    GetWindowThreadProcessId(*hwnd, &owner);
    if (owner != first.id()) return std::nullopt;
    return hwnd;
}

// The working instance takes the posted hand-over in its loop (1024 is also a
// dialog manager message, which must not swallow it) and works the names in
// BatchDriver: a missing name is reported there, after the values were taken.
TEST_F(Startup, WorkingInstanceTakesTheHandOverIntoABatch) {
    test::TempDir dir;
    const std::string missing = LongPathOf(dir.path()) + "存在しないファイル.txt";
    Program first({});
    ASSERT_TRUE(first.started()) << first.failure();
    const std::optional<HWND> hwnd = StartWorkingInstance(first);
    ASSERT_TRUE(hwnd) << "the working instance did not start";

    Program second({missing});
    ASSERT_TRUE(second.started()) << second.failure();
    EXPECT_EQ(second.Wait(), 0u);
    HWND box = nullptr;
    test::PumpUntil([&] { return (box = FindMessageBox(first.id(), *hwnd, Widen(missing))) != nullptr; });
    ASSERT_TRUE(box) << "no \"file not found\" message for the handed-over name";
    EXPECT_TRUE(TakeSendFiles().empty());  // taken and deleted by the receiver
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);

    PostMessageW(*hwnd, WM_CLOSE, 0, 0);
    EXPECT_EQ(first.Wait(), 0u);
    EXPECT_FALSE(MutexExists());
}

// While a batch waits at its password prompt, a further hand-over is not
// worked: its values stay in the registry until the batch ends, and are then
// worked without another copy having to be started.
TEST_F(Startup, HandOverDuringABatchIsWorkedWhenTheBatchEnds) {
    test::TempDir dir;
    const std::string base = LongPathOf(dir.path());
    ASSERT_TRUE(test::WriteAll(base + "first.txt", "1"));
    ASSERT_TRUE(test::WriteAll(base + "second.txt", "2"));
    Program first({});
    ASSERT_TRUE(first.started()) << first.failure();
    const std::optional<HWND> hwnd = StartWorkingInstance(first);
    ASSERT_TRUE(hwnd) << "the working instance did not start";

    const auto promptFor = [&] { return WaitForPrompt(first.id()); };
    {
        Program sender({base + "first.txt"});
        EXPECT_EQ(sender.Wait(), 0u);
    }
    HWND prompt = promptFor();
    ASSERT_TRUE(prompt) << "the first hand-over did not reach a batch";
    {
        Program sender({base + "second.txt"});
        EXPECT_EQ(sender.Wait(), 0u);
    }
    // The program has handled the sender's message once it has handled one
    // posted after it (its queue keeps their order): a limit for the password field.
    const HWND field = FindWindowExW(prompt, nullptr, L"Edit", nullptr);
    ASSERT_TRUE(field);
    PostMessageW(field, EM_SETLIMITTEXT, 77, 0);
    test::PumpUntil([&] { return SendMessageW(field, EM_GETLIMITTEXT, 0, 0) == 77; });
    ASSERT_EQ(SendMessageW(field, EM_GETLIMITTEXT, 0, 0), 77);
    const auto stored = []() -> std::optional<std::string> {
        for (const auto& [name, data] : test::RegistryValues(kSystemKeyPath))
            if (name.rfind("SendFile", 0) == 0) return data;
        return std::nullopt;
    };
    EXPECT_EQ(stored(), base + "second.txt");

    PostMessageW(prompt, WM_CLOSE, 0, 0);  // cancel: the batch ends
    test::PumpUntil([&] { return !IsWindow(prompt); });
    ASSERT_FALSE(IsWindow(prompt)) << "the first prompt did not close";
    prompt = promptFor();
    ASSERT_TRUE(prompt) << "the values left behind were not worked when the batch ended";
    EXPECT_EQ(stored(), std::nullopt);
    PostMessageW(prompt, WM_CLOSE, 0, 0);
    test::PumpUntil([&] { return !IsWindowVisible(prompt); });
    PostMessageW(*hwnd, WM_CLOSE, 0, 0);
    EXPECT_EQ(first.Wait(), 0u);
}

TEST_F(Startup, SecondCopyWithoutFilesWritesNothingAndLeavesTheSettingsAlone) {
    Program first({});
    ASSERT_TRUE(first.started()) << first.failure();
    const std::optional<HWND> hwnd = StartWorkingInstance(first);
    ASSERT_TRUE(hwnd) << "the working instance did not start";
    const DWORD left = 77;
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, kExitStateKeyPath, L"MWLeft", REG_DWORD, &left, sizeof left), ERROR_SUCCESS);
    const test::NamedValues exitState = test::RegistryValues(kExitStateKeyPath);
    const test::NamedValues preference = test::RegistryValues(kPreferenceKeyPath);
    Program second({"/Q"});
    ASSERT_TRUE(second.started()) << second.failure();
    EXPECT_EQ(second.Wait(), 0u);
    EXPECT_FALSE(SendFilesWaiting());
    EXPECT_EQ(ReadMainWindowHandle(), hwnd);  // the working instance's value is kept
    // It neither loads nor saves the working instance's settings.
    EXPECT_EQ(test::RegistryValues(kExitStateKeyPath), exitState);
    EXPECT_EQ(test::RegistryValues(kPreferenceKeyPath), preference);
    PostMessageW(*hwnd, WM_CLOSE, 0, 0);
    EXPECT_EQ(first.Wait(), 0u);
}

// While the working copy asks for a password, names handed over wait in the
// registry behind what waited, in long form, options dropped, relative names
// made absolute in the sender's folder.
TEST_F(Startup, SecondCopyHandsOverItsFilesInLongFormBehindWhatWaits) {
    test::TempDir dir;
    const std::string base = LongPathOf(dir.path());
    const std::string longName = base + "A Much Longer File Name.Document";
    const std::string japanese = base + "日本語の名前.txt";
    ASSERT_TRUE(test::WriteAll(longName, "x"));
    ASSERT_TRUE(test::WriteAll(japanese, "y"));
    const std::string shortName = ShortPathOf(longName);

    Program first({japanese});  // asks before its window is shown
    ASSERT_TRUE(first.started()) << first.failure();
    const HWND prompt = WaitForPrompt(first.id());
    ASSERT_TRUE(prompt) << "the working copy did not ask";
    ASSERT_EQ(WriteSendFiles({"C:\\waiting.txt"}).names.size(), 1u);  // an earlier copy's, not yet taken
    Program second({shortName, "/Q", japanese, "-RC", "relative.txt"}, base);
    ASSERT_TRUE(second.started()) << second.failure();
    EXPECT_EQ(second.Wait(), 0u);
    EXPECT_EQ(TakeSendFiles(), (std::vector<std::string>{"C:\\waiting.txt", longName, japanese, base + "relative.txt"}))
        << "short form given: " << shortName;

    PostMessageW(prompt, WM_CLOSE, 0, 0);  // cancel: the command-line batch ends, and with it the run
    EXPECT_EQ(first.Wait(), 0u);
}

// A window named in "HWND" that is not the program's gets nothing: the copy
// waits a while for the working copy's window, then works its files itself.
TEST_F(Startup, CopyFindingNoWindowOfTheProgramWorksItsFilesItself) {
    test::TempDir dir;
    const std::string file = LongPathOf(dir.path()) + "自分で.txt";
    ASSERT_TRUE(test::WriteAll(file, "x"));
    Receiver receiver;  // holds the mutex; its window is not the program's
    ASSERT_TRUE(WriteMainWindowHandle(receiver.hwnd()));
    Program second({file});
    ASSERT_TRUE(second.started()) << second.failure();
    const HWND prompt = WaitForPrompt(second.id(), 20000);  // it waits 5 s for a window first
    ASSERT_TRUE(prompt) << "the copy did not work its file itself";
    EXPECT_TRUE(Receiver::posts().empty());
    EXPECT_FALSE(SendFilesWaiting());
    PostMessageW(prompt, WM_CLOSE, 0, 0);
    EXPECT_EQ(second.Wait(), 0u);
}

}  // namespace
}  // namespace plivex
