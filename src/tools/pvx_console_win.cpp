// The tool's console on Windows: UTF-16 to a console window, UTF-8 bytes to
// files and pipes, the password read from the console with echo off.
#include <windows.h>

#include <algorithm>

#include "base/secret.h"
#include "sys/text_win.h"
#include "tools/pvx.h"

namespace {

// Short enough for WriteConsoleW on every Windows version.
constexpr DWORD kConsoleChunk = 8192;

void WriteConsoleText(HANDLE h, std::string_view text) {
    // Bytes would be read in the console's code page, 932 on Japanese Windows.
    std::wstring wide = plivex::TryWiden(text).value_or(plivex::Widen(text));
    for (std::size_t at = 0; at < wide.size();) {
        const DWORD n = static_cast<DWORD>(std::min<std::size_t>(wide.size() - at, kConsoleChunk));
        DWORD done = 0;
        if (!WriteConsoleW(h, wide.data() + at, n, &done, nullptr) || done == 0) return;
        at += done;
    }
}

void WriteText(DWORD which, std::string_view text) {
    const HANDLE h = GetStdHandle(which);
    if (h == nullptr || h == INVALID_HANDLE_VALUE) return;
    DWORD mode;
    if (GetConsoleMode(h, &mode)) {
        WriteConsoleText(h, text);
        return;
    }
    while (!text.empty()) {
        DWORD done = 0;
        const DWORD n = static_cast<DWORD>(std::min<std::size_t>(text.size(), 1u << 20));
        if (!WriteFile(h, text.data(), n, &done, nullptr) || done == 0) return;
        text.remove_prefix(done);
    }
}

HANDLE OpenConsole(const wchar_t* name) {
    return CreateFileW(name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                       0, nullptr);
}

class WinConsole : public plivex::PvxConsole {
public:
    void Out(std::string_view text) override { WriteText(STD_OUTPUT_HANDLE, text); }
    void Err(std::string_view text) override { WriteText(STD_ERROR_HANDLE, text); }

    std::optional<std::string> GetEnv(const char* name) override {
        const std::wstring wideName = plivex::Widen(name);
        const DWORD size = GetEnvironmentVariableW(wideName.c_str(), nullptr, 0);
        if (size == 0) return std::nullopt;
        std::wstring value(size, L'\0');
        const DWORD length = GetEnvironmentVariableW(wideName.c_str(), value.data(), size);
        if (length >= size) return std::nullopt;  // changed between the two calls
        value.resize(length);
        std::string utf8 = plivex::Narrow(value);
        plivex::SecureWipe(value.data(), value.size() * sizeof(wchar_t));
        return utf8;
    }

    void CatchInterrupt() override {
        SetConsoleCtrlHandler(
            [](DWORD event) -> BOOL {
                if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) return FALSE;
                interrupted = 1;
                return TRUE;
            },
            TRUE);
    }
    bool Interrupted() override { return interrupted != 0; }
    bool ErrIsTerminal() override {
        DWORD mode;
        return GetConsoleMode(GetStdHandle(STD_ERROR_HANDLE), &mode) != FALSE;
    }

private:
    bool ReadLine(std::string_view prompt, std::string& text, Echo echo) override {
        // The console itself, not standard input: input may be redirected from a file.
        const HANDLE in = OpenConsole(L"CONIN$");
        if (in == INVALID_HANDLE_VALUE) return false;
        DWORD saved;
        if (!GetConsoleMode(in, &saved)) {
            CloseHandle(in);
            return false;
        }
        // A hidden line's echo goes off before the prompt shows, so nothing typed after it is echoed.
        const DWORD lines = saved | ENABLE_LINE_INPUT | ENABLE_PROCESSED_INPUT;
        SetConsoleMode(in, echo == Echo::kHidden ? lines & ~ENABLE_ECHO_INPUT : lines | ENABLE_ECHO_INPUT);
        const HANDLE out = OpenConsole(L"CONOUT$");
        if (out != INVALID_HANDLE_VALUE) WriteConsoleText(out, prompt);

        std::wstring line;
        line.reserve(1024);  // no reallocation leaves copies behind for any sane password
        bool ok = true;
        for (bool end = false; !end;) {
            wchar_t chunk[256];
            DWORD got = 0;
            ok = ReadConsoleW(in, chunk, 256, &got, nullptr) != 0;
            end = !ok || got == 0;
            for (DWORD i = 0; i < got && !end; ++i) {
                // The line ends in "\r\n"; stopping at '\n' leaves nothing for the next read.
                if (chunk[i] == L'\n') end = true;
                else if (chunk[i] != L'\r') line += chunk[i];
            }
            plivex::SecureWipe(chunk, sizeof chunk);
        }
        SetConsoleMode(in, saved);
        if (out != INVALID_HANDLE_VALUE) {
            if (echo == Echo::kHidden) WriteConsoleText(out, "\n");  // the Enter was not echoed
            CloseHandle(out);
        }
        CloseHandle(in);
        text = ok ? plivex::Narrow(line) : std::string();
        plivex::SecureWipe(line.data(), line.size() * sizeof(wchar_t));
        return ok;
    }

    static inline volatile LONG interrupted = 0;
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
    WinConsole console;
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) args.push_back(plivex::Narrow(argv[i]));
    return plivex::PvxMain(args, console);
}
