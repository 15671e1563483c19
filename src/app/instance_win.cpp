#include "app/instance_win.h"

#include <algorithm>
#include <cwchar>
#include <string_view>
#include <utility>

#include "sys/registry_win.h"
#include "sys/text_win.h"
#include "ui/app_win.h"

namespace plivex {

namespace {

constexpr wchar_t kHandOverMutexName[] = L"PlivexHandOverMutex";
// The receiver runs on the window's thread: it never waits long for a sender.
constexpr DWORD kReceiverWait = 500;

std::wstring SendFileName(std::size_t k) { return L"SendFile" + std::to_wstring(k); }

// The number of a "SendFile" value: decimal, from 1, without leading zeros.
std::optional<std::size_t> SendFileNumber(std::wstring_view name) {
    constexpr std::wstring_view prefix = L"SendFile";
    if (name.substr(0, prefix.size()) != prefix) return std::nullopt;
    const std::wstring_view digits = name.substr(prefix.size());
    if (digits.empty() || digits.size() > 9 || digits[0] == L'0') return std::nullopt;
    std::size_t k = 0;
    for (const wchar_t c : digits) {
        if (c < L'0' || c > L'9') return std::nullopt;
        k = k * 10 + static_cast<std::size_t>(c - L'0');
    }
    return k;
}

// The "SendFile" values of the open key, by number.
std::vector<std::pair<std::size_t, std::wstring>> SendFileValues(HKEY key) {
    std::vector<std::pair<std::size_t, std::wstring>> values;
    wchar_t name[64];
    for (DWORD i = 0;; ++i) {
        DWORD length = static_cast<DWORD>(std::size(name));
        const LSTATUS s = RegEnumValueW(key, i, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (s == ERROR_MORE_DATA) continue;  // a long name is none of ours
        if (s != ERROR_SUCCESS) break;
        if (const auto k = SendFileNumber({name, length})) values.emplace_back(*k, std::wstring(name, length));
    }
    std::sort(values.begin(), values.end());
    return values;
}

}  // namespace

InstanceMutex CreateInstanceMutex() {
    InstanceMutex m;
    m.handle = OwnedHandle(CreateMutexW(nullptr, FALSE, kMutexName));
    m.existed = m.handle && GetLastError() == ERROR_ALREADY_EXISTS;
    return m;
}

HandOverLock::HandOverLock() : mutex_(CreateMutexW(nullptr, FALSE, kHandOverMutexName)) {}

bool HandOverLock::Acquire(DWORD ms) {
    if (held_) return true;
    if (!mutex_) return false;
    const DWORD r = WaitForSingleObject(mutex_.get(), ms);
    held_ = r == WAIT_OBJECT_0 || r == WAIT_ABANDONED;
    return held_;
}

void HandOverLock::Release() {
    if (held_) ReleaseMutex(mutex_.get());
    held_ = false;
}

namespace {
// A window property only this program sets; its name is a global atom, so other processes read it.
constexpr const wchar_t* kProgramMark = L"Plivex.WorkingCopy";
}

void MarkProgramWindow(HWND hwnd, bool mark) {
    if (mark) SetPropW(hwnd, kProgramMark, reinterpret_cast<HANDLE>(1));
    else RemovePropW(hwnd, kProgramMark);
}

bool IsProgramWindow(HWND hwnd) {
    if (!hwnd || !IsWindow(hwnd) || !ui::IsDialogWindow(hwnd)) return false;
    if (GetPropW(hwnd, kProgramMark)) return true;
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    const OwnedHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
    if (!process) return false;
    wchar_t theirs[MAX_PATH] = {};
    DWORD size = MAX_PATH;
    if (!QueryFullProcessImageNameW(process.get(), 0, theirs, &size)) return false;
    wchar_t ours[MAX_PATH] = {};
    if (GetModuleFileNameW(nullptr, ours, MAX_PATH) == 0) return false;
    // By name, not by folder: a copy started from another folder is still one of us.
    const auto name = [](const wchar_t* path) {
        const wchar_t* slash = wcsrchr(path, L'\\');
        return slash ? slash + 1 : path;
    };
    return CompareStringOrdinal(name(theirs), -1, name(ours), -1, TRUE) == CSTR_EQUAL;
}

bool WriteMainWindowHandle(HWND hwnd) {
    const RegKey key(kSystemKeyPath, true);
    return key.WriteInt(L"HWND", static_cast<std::int32_t>(reinterpret_cast<UINT_PTR>(hwnd)));
}

std::optional<HWND> ReadMainWindowHandle() {
    const std::optional<std::int32_t> v = RegKey(kSystemKeyPath, false).ReadInt(L"HWND");
    if (!v) return std::nullopt;
    // Handles are sign-extended from their 32 significant bits.
    return reinterpret_cast<HWND>(static_cast<INT_PTR>(*v));
}

std::size_t WriteSendFiles(const std::vector<std::string>& paths) {
    if (paths.empty()) return 0;
    const RegKey key(kSystemKeyPath, true);
    if (!key.get()) return 0;
    // After what waits: another copy's names not yet taken must not be overwritten.
    const auto waiting = SendFileValues(key.get());
    const std::size_t first = waiting.empty() ? 1 : waiting.back().first + 1;
    std::size_t written = 0;
    for (const auto& p : paths) {
        if (!key.WriteString(SendFileName(first + written).c_str(), p)) break;
        ++written;
    }
    return written;
}

std::vector<std::string> TakeSendFiles() {
    std::vector<std::string> files;
    HandOverLock lock;
    if (!lock.Acquire(kReceiverWait)) return files;
    const RegKey key(kSystemKeyPath, true);
    if (!key.get()) return files;
    for (const auto& [k, name] : SendFileValues(key.get())) {
        if (auto s = key.ReadString(name.c_str())) files.push_back(std::move(*s));
        RegDeleteValueW(key.get(), name.c_str());
    }
    return files;
}

namespace {
constexpr const wchar_t* kUnprotectedValue = L"Unprotected";
}

void AddUnprotected(const std::vector<std::string>& paths) {
    if (paths.empty()) return;
    const RegKey key(kSystemKeyPath, true);
    std::string lines = key.ReadString(kUnprotectedValue).value_or("");
    for (const std::string& p : paths) {
        if (!lines.empty()) lines += "\r\n";
        lines += p;
    }
    key.WriteString(kUnprotectedValue, lines);
}

std::vector<std::string> TakeUnprotected() {
    std::vector<std::string> paths;
    const RegKey key(kSystemKeyPath, true);
    if (!key.get()) return paths;
    const std::optional<std::string> lines = key.ReadString(kUnprotectedValue);
    RegDeleteValueW(key.get(), kUnprotectedValue);
    if (!lines) return paths;
    std::size_t start = 0;
    while (start <= lines->size()) {
        std::size_t end = lines->find('\n', start);
        if (end == std::string::npos) end = lines->size();
        std::string line = lines->substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty() && std::find(paths.begin(), paths.end(), line) == paths.end()) paths.push_back(line);
        start = end + 1;
    }
    return paths;
}

bool SendFilesWaiting() {
    const RegKey key(kSystemKeyPath, false);
    return key.get() && !SendFileValues(key.get()).empty();
}

bool DeleteProgramKey() {
    const LSTATUS s = RegDeleteTreeW(HKEY_CURRENT_USER, kProgramKeyPath);
    if (s == ERROR_FILE_NOT_FOUND) return true;
    if (s != ERROR_SUCCESS) return false;
    // Some implementations empty the key but leave it; remove the empty key too.
    const LSTATUS d = RegDeleteKeyW(HKEY_CURRENT_USER, kProgramKeyPath);
    return d == ERROR_SUCCESS || d == ERROR_FILE_NOT_FOUND;
}


}  // namespace plivex
