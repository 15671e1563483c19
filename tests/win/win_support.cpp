#include "win_support.h"

#include <tlhelp32.h>

#include <algorithm>
#include <cstring>

#include "sys/text_win.h"

namespace plivex::test {

TempDir::TempDir() {
    wchar_t base[MAX_PATH];
    GetTempPathW(MAX_PATH, base);
    static unsigned counter = 0;
    for (;;) {
        std::wstring candidate = std::wstring(base) + L"plivex-test-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                                 std::to_wstring(++counter);
        if (CreateDirectoryW(candidate.c_str(), nullptr)) {
            path_ = Narrow(candidate) + "\\";
            return;
        }
    }
}

TempDir::~TempDir() { RemoveTree(path_); }

bool WriteAll(const std::string& path, const std::string& bytes) {
    HANDLE h = CreateFileW(Widen(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    DWORD put = 0;
    const bool ok = WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &put, nullptr) && put == bytes.size();
    CloseHandle(h);
    return ok;
}

std::optional<std::string> ReadAll(const std::string& path) {
    // Shared for writing and deleting: the file may be a log another process
    // is appending to, and a read must never make its write fail.
    HANDLE h = CreateFileW(Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return std::nullopt;
    std::string out;
    char buf[65536];
    DWORD got = 0;
    while (ReadFile(h, buf, sizeof buf, &got, nullptr) && got > 0) out.append(buf, got);
    CloseHandle(h);
    return out;
}

bool FileExists(const std::string& path) { return GetFileAttributesW(Widen(path).c_str()) != INVALID_FILE_ATTRIBUTES; }

std::vector<std::string> ListFolder(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW(Widen(folder + "*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return names;
    do {
        const std::wstring n = fd.cFileName;
        if (n != L"." && n != L"..") names.push_back(Narrow(n));
    } while (FindNextFileW(h, &fd));
    FindClose(h);
    std::sort(names.begin(), names.end());
    return names;
}

void RemoveTree(const std::string& folder) {
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW(Widen(folder + "*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring n = fd.cFileName;
            if (n == L"." || n == L"..") continue;
            const std::string child = folder + Narrow(n);
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(child + "\\");
            } else {
                SetFileAttributesW(Widen(child).c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW(Widen(child).c_str());
            }
        } while (FindNextFileW(h, &fd));
        FindClose(h);
    }
    RemoveDirectoryW(Widen(folder).c_str());
}

std::string LongPathOf(const std::string& path) {
    wchar_t buf[MAX_PATH];
    const DWORD n = GetLongPathNameW(Widen(path).c_str(), buf, MAX_PATH);
    return n > 0 && n < MAX_PATH ? Narrow(buf) : path;
}

std::string ShortPathOf(const std::string& path) {
    wchar_t buf[MAX_PATH];
    const DWORD n = GetShortPathNameW(Widen(path).c_str(), buf, MAX_PATH);
    return n > 0 && n < MAX_PATH ? Narrow(buf) : path;
}

bool KeyExists(const wchar_t* path) {
    HKEY k;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path, 0, KEY_READ, &k) != ERROR_SUCCESS) return false;
    RegCloseKey(k);
    return true;
}

NamedValues RegistryValues(const wchar_t* path) {
    NamedValues out;
    HKEY k;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path, 0, KEY_READ, &k) != ERROR_SUCCESS) return out;
    for (DWORD i = 0;; ++i) {
        wchar_t name[256];
        wchar_t data[1024] = {};
        DWORD nameLen = 256, size = sizeof data - sizeof(wchar_t), type = 0;
        if (RegEnumValueW(k, i, name, &nameLen, nullptr, &type, reinterpret_cast<BYTE*>(data), &size) !=
            ERROR_SUCCESS)
            break;
        LONG number = 0;
        std::memcpy(&number, data, sizeof number);
        out.emplace(Narrow(name), type == REG_DWORD ? std::to_string(number) : Narrow(data));
    }
    RegCloseKey(k);
    return out;
}

SavedRegistryKey::SavedRegistryKey(HKEY root, std::wstring path) : root_(root), path_(std::move(path)) {
    HKEY key;
    if (RegOpenKeyExW(root_, path_.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return;
    static unsigned counter = 0;
    backup_ = L"Software\\PlivexTestBackup\\" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++counter);
    HKEY backup;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, backup_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &backup, nullptr) ==
        ERROR_SUCCESS) {
        RegCopyTreeW(key, nullptr, backup);
        RegCloseKey(backup);
    }
    RegCloseKey(key);
}

SavedRegistryKey::~SavedRegistryKey() {
    RegDeleteTreeW(root_, path_.c_str());
    RegDeleteKeyW(root_, path_.c_str());
    if (backup_.empty()) return;
    HKEY key, backup;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, backup_.c_str(), 0, KEY_READ, &backup) == ERROR_SUCCESS) {
        if (RegCreateKeyExW(root_, path_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) ==
            ERROR_SUCCESS) {
            RegCopyTreeW(backup, nullptr, key);
            RegCloseKey(key);
        }
        RegCloseKey(backup);
    }
    RegDeleteTreeW(HKEY_CURRENT_USER, backup_.c_str());
    RegDeleteKeyW(HKEY_CURRENT_USER, backup_.c_str());
    RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\PlivexTestBackup");  // only once empty
}

EnvVar::EnvVar(const wchar_t* name, const std::string& value) : name_(name) {
    SetEnvironmentVariableW(name, Widen(value).c_str());
}

int ProcessesRunningFrom(const std::string& path) {
    const std::wstring prefix = Widen(LongPathOf(path));
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return 0;
    int count = 0;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
        const HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ProcessID);
        if (!process) continue;
        wchar_t image[1024];
        DWORD size = 1024;
        const bool named = QueryFullProcessImageNameW(process, 0, image, &size);
        DWORD code = 0;
        const bool alive = GetExitCodeProcess(process, &code) && code == STILL_ACTIVE;
        CloseHandle(process);
        if (named && alive && size >= prefix.size() &&
            CompareStringOrdinal(image, static_cast<int>(prefix.size()), prefix.c_str(), static_cast<int>(prefix.size()),
                                 TRUE) == CSTR_EQUAL)
            ++count;
    }
    CloseHandle(snapshot);
    return count;
}

void Pump(DWORD ms) {
    const ULONGLONG end = GetTickCount64() + ms;
    for (;;) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        const ULONGLONG now = GetTickCount64();
        if (now >= end) return;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(end - now), QS_ALLINPUT);
    }
}

Program::Program(const std::string& exe, const std::vector<std::string>& args, const std::string& folder) {
    std::wstring cmd = L"\"" + Widen(exe) + L"\"";
    for (const auto& a : args) cmd += L" \"" + Widen(a) + L"\"";
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    const HANDLE out = CreateFileW(Widen(logs_ / "output.txt").c_str(), GENERIC_WRITE,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                   nullptr);
    if (out == INVALID_HANDLE_VALUE) {
        failure_ = "its output file could not be made (error " + std::to_string(GetLastError()) + ")";
        return;
    }
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = out;
    si.hStdError = out;
    const std::wstring cwd = Widen(folder);
    started_ = CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, TRUE, 0, nullptr,
                              folder.empty() ? nullptr : cwd.c_str(), &si, &pi_) != FALSE;
    if (!started_) failure_ = "CreateProcessW failed (error " + std::to_string(GetLastError()) + ")";
    CloseHandle(out);
}

Program::~Program() {
    if (!started_) return;
    if (running()) {
        TerminateProcess(pi_.hProcess, 99);
        WaitForSingleObject(pi_.hProcess, 5000);
    }
    CloseHandle(pi_.hProcess);
    CloseHandle(pi_.hThread);
}

std::optional<DWORD> Program::Wait(DWORD ms) {
    const ULONGLONG end = GetTickCount64() + ms;
    while (running()) {
        if (GetTickCount64() >= end) return std::nullopt;
        Pump(20);
    }
    DWORD code = 0;
    GetExitCodeProcess(pi_.hProcess, &code);
    return code;
}

HeldFile::HeldFile(const std::string& path) {
    static unsigned counter = 0;
    const std::wstring tag = L"plivex-hold-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++counter);
    ready_ = CreateEventW(nullptr, TRUE, FALSE, (tag + L"-ready").c_str());
    quit_ = CreateEventW(nullptr, TRUE, FALSE, (tag + L"-quit").c_str());
    // The helper sits beside this test executable.
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring exe = self;
    exe = exe.substr(0, exe.find_last_of(L"\\/") + 1) + L"hold_file.exe";
    std::wstring cmd = L"\"" + exe + L"\" \"" + Widen(path) + L"\" " + tag + L"-ready " + tag + L"-quit";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    if (!CreateProcessW(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi_)) return;
    HANDLE waits[2] = {ready_, pi_.hProcess};
    held_ = WaitForMultipleObjects(2, waits, FALSE, 20000) == WAIT_OBJECT_0;
}

HeldFile::~HeldFile() {
    if (quit_) SetEvent(quit_);
    if (pi_.hProcess) {
        if (WaitForSingleObject(pi_.hProcess, 10000) != WAIT_OBJECT_0) TerminateProcess(pi_.hProcess, 9);
        CloseHandle(pi_.hProcess);
        CloseHandle(pi_.hThread);
    }
    if (ready_) CloseHandle(ready_);
    if (quit_) CloseHandle(quit_);
}

namespace {
void SetDefault(const std::wstring& key, const std::wstring& value) {
    RegSetKeyValueW(HKEY_LOCAL_MACHINE, key.c_str(), nullptr, REG_SZ, value.c_str(),
                    static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}
}  // namespace

Association::Association(const std::string& ext, const std::string& exe)
    : ext_(Widen(ext)), progId_(L"PlivexTest" + Widen(ext)) {
    const std::wstring classes = L"Software\\Classes\\";
    SetDefault(classes + ext_, progId_);
    SetDefault(classes + progId_ + L"\\shell\\open\\command", L"\"" + Widen(exe) + L"\" \"%1\"");
}

Association::~Association() {
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, (L"Software\\Classes\\" + ext_).c_str());
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, (L"Software\\Classes\\" + ext_).c_str());
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, (L"Software\\Classes\\" + progId_).c_str());
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, (L"Software\\Classes\\" + progId_).c_str());
}

std::string TestAppPath() {
    std::string path = PLIVEX_TEST_APP;
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

std::vector<HWND> TestAppWindows() {
    std::vector<HWND> found;
    for (HWND w = FindWindowExW(nullptr, nullptr, L"PlivexTestApp", nullptr); w;
         w = FindWindowExW(nullptr, w, L"PlivexTestApp", nullptr))
        found.push_back(w);
    return found;
}

bool CloseTestApp(HWND window) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    const HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, pid);
    PostMessageW(window, WM_CLOSE, 0, 0);
    if (!process) return false;
    const bool ended = WaitForSingleObject(process, 10000) == WAIT_OBJECT_0;
    if (!ended) TerminateProcess(process, 9);
    CloseHandle(process);
    return ended;
}

TestAppGuard::~TestAppGuard() {
    for (HWND w : TestAppWindows()) CloseTestApp(w);
}

}  // namespace plivex::test
