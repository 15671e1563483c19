// The whole program, black-box: a file named on plivex.exe's command line is
// encrypted after the password is typed into the dialog the user sees; the
// container on disk must be what the codec makes of the same file.
#include <gtest/gtest.h>

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "codec/cipher.h"
#include "codec/codec.h"
#include "mem_files.h"
#include "options/custom_set.h"
#include "scripted_ui.h"
#include "sys/cp932.h"
#include "sys/text_win.h"
#include "win_support.h"

namespace plivex {
namespace {

// plivex.exe with arguments, its output nowhere; ended in the destructor if still running.
class Program {
public:
    explicit Program(const std::vector<std::string>& args) {
        std::wstring cmd = L"\"" + Widen(PLIVEX_EXE) + L"\"";
        for (const auto& a : args) cmd += L" \"" + Widen(a) + L"\"";
        STARTUPINFOW si{};
        si.cb = sizeof si;
        started_ = CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi_) != FALSE;
    }
    ~Program() {
        if (!started_) return;
        if (WaitForSingleObject(pi_.hProcess, 0) != WAIT_OBJECT_0) {
            TerminateProcess(pi_.hProcess, 99);
            WaitForSingleObject(pi_.hProcess, 5000);
        }
        CloseHandle(pi_.hProcess);
        CloseHandle(pi_.hThread);
    }
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;
    bool started() const { return started_; }
    DWORD id() const { return pi_.dwProcessId; }
    std::optional<DWORD> Wait(DWORD ms) {
        if (WaitForSingleObject(pi_.hProcess, ms) != WAIT_OBJECT_0) return std::nullopt;
        DWORD code = 0;
        GetExitCodeProcess(pi_.hProcess, &code);
        return code;
    }

private:
    PROCESS_INFORMATION pi_{};
    bool started_ = false;
};

std::wstring TextOf(HWND w) {
    wchar_t text[256] = {};
    GetWindowTextW(w, text, 256);
    return text;
}

std::wstring ClassOf(HWND w) {
    wchar_t name[64] = {};
    GetClassNameW(w, name, 64);
    return name;
}

// A visible top-level window of the process whose caption begins with prefix.
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
            if (owner == s.pid && IsWindowVisible(w) && TextOf(w).rfind(s.prefix, 0) == 0) s.found = w;
            return s.found == nullptr;
        },
        reinterpret_cast<LPARAM>(&s));
    return s.found;
}

std::vector<HWND> Children(HWND parent) {
    std::vector<HWND> all;
    EnumChildWindows(
        parent,
        [](HWND c, LPARAM p) -> BOOL {
            reinterpret_cast<std::vector<HWND>*>(p)->push_back(c);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&all));
    return all;
}

std::string LongPathOf(const std::string& path) {
    wchar_t buf[MAX_PATH];
    const DWORD n = GetLongPathNameW(Widen(path).c_str(), buf, MAX_PATH);
    return n > 0 && n < MAX_PATH ? Narrow(buf) : path;
}

TEST(EndToEnd, CommandLineFileIsEncryptedWithThePasswordTypedIntoTheDialog) {
    test::TempDir dir;
    const std::string folder = LongPathOf(dir.path());
    const std::string plain = folder + "報告書.doc";
    std::string content = "第1四半期の報告\r\n";
    for (int i = 0; i < 3000; ++i) content += static_cast<char>(i * 7 % 256);
    ASSERT_TRUE(test::WriteAll(plain, content));
    const std::string password = "ひみつ Pass1";

    Program plivex({plain, "/Q"});
    ASSERT_TRUE(plivex.started());
    HWND dialog = nullptr;
    for (int i = 0; i < 400 && !dialog; ++i) {
        Sleep(50);
        dialog = FindWindowOf(plivex.id(), L"パスワード入力");
    }
    ASSERT_TRUE(dialog) << "no password dialog";
    EXPECT_EQ(TextOf(dialog), L"パスワード入力 - 暗号化 -");

    // Encryption asks twice: the password and its confirmation.
    int edits = 0;
    HWND ok = nullptr;
    for (HWND c : Children(dialog)) {
        if (ClassOf(c) == L"Edit" && IsWindowVisible(c)) {
            SetWindowTextW(c, Widen(password).c_str());
            ++edits;
        }
        if (ClassOf(c) == L"Button" && TextOf(c) == L"&OK") ok = c;
    }
    EXPECT_EQ(edits, 2);
    ASSERT_TRUE(ok);
    PostMessageW(ok, BM_CLICK, 0, 0);
    ASSERT_EQ(plivex.Wait(20000), 0u) << "the program did not end after its batch";

    // What the codec writes for the same file, name and password.
    test::MemFiles files;
    test::ScriptedUi ui;
    const TCustomSet defaults;
    const std::string source = "C:\\d\\報告書.doc";
    files.files[source] = content;
    Codec codec(files, ui, defaults);
    const std::optional<std::string> passwordBytes = Utf8ToCp932(password);
    ASSERT_TRUE(passwordBytes);
    ASSERT_EQ(codec.Encode(source, "C:\\d\\報告書.pvx", 0, 1, MakeKeyString(*passwordBytes)), 0);

    const std::optional<std::string> container = test::ReadAll(folder + "報告書.pvx");
    ASSERT_TRUE(container) << "no container beside the file";
    EXPECT_TRUE(*container == files.At("C:\\d\\報告書.pvx")) << "the container differs from the codec's output";
    EXPECT_EQ(test::FileExists(plain), files.Has(source));  // the plain file goes as the default options say
}

}  // namespace
}  // namespace plivex
