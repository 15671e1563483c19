// Driving plivex.exe from outside, as a user would: start it, find its windows
// by caption or text, type, click, drop files and read the status bar.
// Nothing here reaches into the program except through window messages and
// the memory that cross-process messages without marshalling need.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <optional>
#include <string>
#include <vector>

#include "codec/texts.h"
#include "sys/text_win.h"
#include "win_support.h"

namespace plivex::e2e {

// Never wait longer for the program than this; it normally answers within a second.
inline constexpr DWORD kPatience = 15000;
// Answers to our messages must not hang the test if the program is stuck.
inline constexpr UINT kSendTimeout = 5000;

// plivex.exe with arguments, ended in the destructor if still running.
class Program : public test::Program {
public:
    explicit Program(const std::vector<std::string>& args) : test::Program(PLIVEX_EXE, args) {}
};

// Waits until ready() holds; false after ms. The program works at its own pace.
template <class Ready>
bool WaitFor(Ready ready, DWORD ms = kPatience) {
    return test::PumpUntil(ready, ms);
}

inline std::wstring TextOf(HWND w) {
    wchar_t text[512] = {};
    GetWindowTextW(w, text, 512);
    return text;
}

inline std::wstring ClassOf(HWND w) {
    wchar_t name[64] = {};
    GetClassNameW(w, name, 64);
    return name;
}

inline std::vector<HWND> Children(HWND parent) {
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

// The visible top-level windows of one process, in Z order.
inline std::vector<HWND> WindowsOf(DWORD pid) {
    struct Search {
        DWORD pid;
        std::vector<HWND> found;
    } s{pid, {}};
    EnumWindows(
        [](HWND w, LPARAM p) -> BOOL {
            auto& s = *reinterpret_cast<Search*>(p);
            DWORD owner = 0;
            GetWindowThreadProcessId(w, &owner);
            if (owner == s.pid && IsWindowVisible(w)) s.found.push_back(w);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&s));
    return s.found;
}

template <class Match>
HWND FindWindowOf(DWORD pid, Match match) {
    for (HWND w : WindowsOf(pid))
        if (match(w)) return w;
    return nullptr;
}

// The text of a message box: its static control that is not the icon.
inline std::wstring MessageTextOf(HWND box) {
    for (HWND c : Children(box))
        if (ClassOf(c) == L"Static" && !TextOf(c).empty()) return TextOf(c);
    return {};
}

// A window whose caption begins with prefix, once the program shows it.
inline HWND WaitForWindow(DWORD pid, const std::wstring& prefix) {
    HWND found = nullptr;
    WaitFor([&] {
        found = FindWindowOf(pid, [&](HWND w) { return TextOf(w).rfind(prefix, 0) == 0; });
        return found != nullptr;
    });
    return found;
}

inline HWND ChildOfClass(HWND parent, const wchar_t* className) {
    for (HWND c : Children(parent))
        if (ClassOf(c) == className) return c;
    return nullptr;
}

// The main window. Message boxes carry the same caption and forms are dialogs
// too, so it is told apart by its status bar.
inline HWND WaitForMainWindow(DWORD pid) {
    const std::wstring title = Widen(kAppTitle);
    HWND found = nullptr;
    WaitFor([&] {
        found = FindWindowOf(pid, [&](HWND w) { return TextOf(w) == title && ChildOfClass(w, STATUSCLASSNAMEW); });
        return found != nullptr;
    });
    return found;
}

// A standard message box whose text begins with prefix.
inline HWND WaitForMessageBox(DWORD pid, const std::wstring& prefix) {
    HWND found = nullptr;
    WaitFor([&] {
        found = FindWindowOf(
            pid, [&](HWND w) { return ClassOf(w) == L"#32770" && MessageTextOf(w).rfind(prefix, 0) == 0; });
        return found != nullptr;
    });
    return found;
}

// What the process shows, for failure messages: every window's caption and texts.
inline std::string Describe(DWORD pid) {
    std::wstring all = L"windows:";
    for (HWND w : WindowsOf(pid)) {
        all += L" [" + ClassOf(w) + L" \"" + TextOf(w) + L"\"";
        for (HWND c : Children(w))
            if (!TextOf(c).empty()) all += L" \"" + TextOf(c) + L"\"";
        all += L"]";
    }
    return Narrow(all);
}

// The same for a program of ours, with whether it still runs and what it wrote.
inline std::string Describe(const test::Program& program) {
    DWORD code = 0;
    GetExitCodeProcess(program.process(), &code);
    std::string state = code == STILL_ACTIVE ? "running" : "ended with " + std::to_string(code);
    const std::string output = program.Output();
    if (!output.empty()) state += ", output: " + output;
    return state + "; " + Describe(program.id());
}

inline HWND ButtonOf(HWND parent, const std::wstring& caption) {
    for (HWND c : Children(parent))
        if (ClassOf(c) == L"Button" && TextOf(c) == caption) return c;
    return nullptr;
}

// Posted: a click that opens a modal window would block a sent one.
inline bool Click(HWND button) { return button && PostMessageW(button, BM_CLICK, 0, 0); }

inline bool TypeInto(HWND edit, const std::wstring& text) {
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), SMTO_ABORTIFHUNG,
                               kSendTimeout, &result) &&
           result == TRUE;
}

// Types the password into every visible edit of the dialog and clicks OK;
// returns how many edits there were (encryption asks twice, decryption once).
inline int AnswerPassword(HWND dialog, const std::string& password) {
    int edits = 0;
    for (HWND c : Children(dialog)) {
        if (ClassOf(c) == L"Edit" && IsWindowVisible(c) && TypeInto(c, Widen(password))) ++edits;
    }
    Click(ButtonOf(dialog, L"&OK"));
    return edits;
}

// Memory in another process, released at the end of the scope.
class RemoteBlock {
public:
    RemoteBlock(HANDLE process, std::size_t size)
        : process_(process), at_(VirtualAllocEx(process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE)) {}
    ~RemoteBlock() {
        if (at_ && !keep_) VirtualFreeEx(process_, at_, 0, MEM_RELEASE);
    }
    RemoteBlock(const RemoteBlock&) = delete;
    RemoteBlock& operator=(const RemoteBlock&) = delete;
    void* at() const { return at_; }
    // The receiver owns it from now on (a drop handle is freed by the program).
    void Leave() { keep_ = true; }

private:
    HANDLE process_;
    void* at_;
    bool keep_ = false;
};

// The simple panel's text. SB_GETTEXTW is not marshalled between processes,
// so its buffer lives in the program's memory and is read back from there.
inline std::wstring StatusTextOf(HANDLE process, HWND bar) {
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(bar, SB_GETTEXTLENGTHW, 0, 0, SMTO_ABORTIFHUNG, kSendTimeout, &length)) return {};
    const std::size_t chars = LOWORD(length) + 1;
    RemoteBlock buffer(process, chars * sizeof(wchar_t));
    if (!buffer.at()) return {};
    DWORD_PTR ignored = 0;
    if (!SendMessageTimeoutW(bar, SB_GETTEXTW, 0, reinterpret_cast<LPARAM>(buffer.at()), SMTO_ABORTIFHUNG, kSendTimeout,
                             &ignored))
        return {};
    std::wstring text(chars, L'\0');
    SIZE_T read = 0;
    if (!ReadProcessMemory(process, buffer.at(), text.data(), chars * sizeof(wchar_t), &read)) return {};
    text.resize(LOWORD(length));
    return text;
}

// Drops files on the window as Explorer does. A global handle is not carried
// into another process, so the DROPFILES block is built in the program's memory.
inline bool DropFiles(HANDLE process, HWND target, const std::vector<std::wstring>& paths) {
    std::wstring names;
    for (const auto& p : paths) names += p + L'\0';
    std::vector<char> block(sizeof(DROPFILES) + (names.size() + 1) * sizeof(wchar_t), 0);
    auto* header = reinterpret_cast<DROPFILES*>(block.data());
    header->pFiles = sizeof(DROPFILES);
    header->fWide = TRUE;
    memcpy(block.data() + sizeof(DROPFILES), names.c_str(), names.size() * sizeof(wchar_t));  // ends in two zeros
    RemoteBlock remote(process, block.size());
    SIZE_T written = 0;
    if (!remote.at() || !WriteProcessMemory(process, remote.at(), block.data(), block.size(), &written) ||
        written != block.size() || !PostMessageW(target, WM_DROPFILES, reinterpret_cast<WPARAM>(remote.at()), 0))
        return false;
    remote.Leave();
    return true;
}

inline bool DropFile(HANDLE process, HWND target, const std::wstring& path) {
    return DropFiles(process, target, {path});
}

// Tells the window, as Windows does when it has moved to a monitor of another
// DPI, where to go; the suggested rectangle lies in the program's memory.
inline bool ChangeDpi(HANDLE process, HWND target, int dpi, const RECT& suggested) {
    RemoteBlock remote(process, sizeof suggested);
    SIZE_T written = 0;
    DWORD_PTR answer = 0;
    return remote.at() && WriteProcessMemory(process, remote.at(), &suggested, sizeof suggested, &written) &&
           written == sizeof suggested &&
           SendMessageTimeoutW(target, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(remote.at()),
                               SMTO_ABORTIFHUNG, kSendTimeout, &answer) != 0;
}

}  // namespace plivex::e2e
