#include "app/instance_win.h"

#include <algorithm>
#include <cstdint>
#include <cwchar>
#include <iterator>
#include <string_view>
#include <utility>

#include "sys/registry_win.h"
#include "sys/shell_win.h"
#include "sys/text_win.h"
#include "ui/app_win.h"

namespace plivex {

namespace {

constexpr std::wstring_view kSendFilePrefix = L"SendFile";

// The number of an older copy's "SendFile<k>" value: decimal, from 1, without leading zeros.
std::optional<std::size_t> SendFileNumber(std::wstring_view name) {
    if (name.substr(0, kSendFilePrefix.size()) != kSendFilePrefix) return std::nullopt;
    const std::wstring_view digits = name.substr(kSendFilePrefix.size());
    if (digits.empty() || digits.size() > 9 || digits[0] == L'0') return std::nullopt;
    std::size_t k = 0;
    for (const wchar_t c : digits) {
        if (c < L'0' || c > L'9') return std::nullopt;
        k = k * 10 + static_cast<std::size_t>(c - L'0');
    }
    return k;
}

// Ours: "SendFile-" and whatever a copy made unique.
bool IsOwnSendFileName(std::wstring_view name) {
    return name.size() > kSendFilePrefix.size() + 1 && name.substr(0, kSendFilePrefix.size()) == kSendFilePrefix &&
           name[kSendFilePrefix.size()] == L'-';
}

// The hand-over values of the open key in the order they are taken: older
// copies' by number, then ours by name.
std::vector<std::wstring> SendFileValues(HKEY key) {
    std::vector<std::pair<std::size_t, std::wstring>> numbered;
    std::vector<std::wstring> named;
    wchar_t name[80];
    for (DWORD i = 0;; ++i) {
        DWORD length = static_cast<DWORD>(std::size(name));
        const LSTATUS s = RegEnumValueW(key, i, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (s == ERROR_MORE_DATA) continue;  // a long name is none of ours
        if (s != ERROR_SUCCESS) break;
        const std::wstring_view n(name, length);
        if (const auto k = SendFileNumber(n)) numbered.emplace_back(*k, std::wstring(n));
        else if (IsOwnSendFileName(n)) named.emplace_back(n);
    }
    std::sort(numbered.begin(), numbered.end());
    std::sort(named.begin(), named.end());
    std::vector<std::wstring> values;
    for (auto& [k, n] : numbered) values.push_back(std::move(n));
    for (auto& n : named) values.push_back(std::move(n));
    return values;
}

std::wstring Hex(std::uint64_t v, int digits) {
    std::wstring s(static_cast<std::size_t>(digits), L'0');
    for (int i = digits - 1; i >= 0 && v; --i, v >>= 4) s[static_cast<std::size_t>(i)] = L"0123456789ABCDEF"[v & 15];
    return s;
}

// "SendFile-<start time>-<process id>-<count>", fixed width so that names
// sort by start: a process id is unique among live processes, and with the
// start time also among those that have ended.
std::wstring NextSendFileName() {
    static std::uint64_t count = 0;
    FILETIME created{}, unused1{}, unused2{}, unused3{};
    GetProcessTimes(GetCurrentProcess(), &created, &unused1, &unused2, &unused3);
    const std::uint64_t start = (std::uint64_t{created.dwHighDateTime} << 32) | created.dwLowDateTime;
    return std::wstring(kSendFilePrefix) + L"-" + Hex(start, 16) + L"-" + Hex(GetCurrentProcessId(), 8) + L"-" +
           Hex(++count, 8);
}

// Deleted by this call: the one way a value changes hands.
bool DeletedHere(HKEY key, const std::wstring& name) { return RegDeleteValueW(key, name.c_str()) == ERROR_SUCCESS; }

}  // namespace

InstanceMutex CreateInstanceMutex() {
    InstanceMutex m;
    m.handle = OwnedHandle(CreateMutexW(nullptr, FALSE, kMutexName));
    m.existed = m.handle && GetLastError() == ERROR_ALREADY_EXISTS;
    return m;
}

namespace {
// A window property only this program sets; its name is a global atom, so other processes read it.
constexpr const wchar_t* kProgramMark = L"Plivex.WorkingCopy";
}

void MarkProgramWindow(HWND hwnd, WindowMark mark) {
    if (mark == WindowMark::None) RemovePropW(hwnd, kProgramMark);
    else SetPropW(hwnd, kProgramMark, reinterpret_cast<HANDLE>(static_cast<INT_PTR>(mark)));
}

WindowMark MarkOf(HWND hwnd) {
    switch (reinterpret_cast<INT_PTR>(GetPropW(hwnd, kProgramMark))) {
        case static_cast<INT_PTR>(WindowMark::TakesHandOvers): return WindowMark::TakesHandOvers;
        case static_cast<INT_PTR>(WindowMark::Closing): return WindowMark::Closing;
        default: return WindowMark::None;
    }
}

bool IsProgramWindow(HWND hwnd) {
    if (!hwnd || !IsWindow(hwnd) || !ui::IsDialogWindow(hwnd)) return false;
    if (MarkOf(hwnd) != WindowMark::None) return true;
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    const OwnedHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
    if (!process) return false;
    std::wstring theirs(32768, L'\0');  // the longest path there is
    DWORD size = static_cast<DWORD>(theirs.size());
    if (!QueryFullProcessImageNameW(process.get(), 0, theirs.data(), &size)) return false;
    theirs.resize(size);
    const std::wstring ours = ProgramPath();
    if (ours.empty()) return false;
    // By name, not by folder: a copy started from another folder is still one of us.
    const auto name = [](const std::wstring& path) { return path.c_str() + (path.rfind(L'\\') + 1); };
    return CompareStringOrdinal(name(theirs), -1, name(ours), -1, TRUE) == CSTR_EQUAL;
}

bool WriteMainWindowHandle(HWND hwnd) {
    const RegKey key(kSystemKeyPath, KeyOpening::CreateIfMissing);
    return key.WriteInt(L"HWND", static_cast<std::int32_t>(reinterpret_cast<UINT_PTR>(hwnd)));
}

std::optional<HWND> ReadMainWindowHandle() {
    const std::optional<std::int32_t> v = RegKey(kSystemKeyPath, KeyOpening::ExistingOnly).ReadInt(L"HWND");
    if (!v) return std::nullopt;
    // Handles are sign-extended from their 32 significant bits.
    return reinterpret_cast<HWND>(static_cast<INT_PTR>(*v));
}

SentFiles WriteSendFiles(const std::vector<std::string>& paths) {
    SentFiles sent;
    if (paths.empty()) return sent;
    const RegKey key(kSystemKeyPath, KeyOpening::CreateIfMissing);
    if (!key.get()) return sent;
    for (const auto& p : paths) {
        std::wstring name = NextSendFileName();
        if (!key.WriteString(name.c_str(), p)) break;
        sent.paths.push_back(p);
        sent.names.push_back(std::move(name));
    }
    return sent;
}

std::vector<std::string> TakeBackSendFiles(const SentFiles& sent) {
    std::vector<std::string> back;
    const RegKey key(kSystemKeyPath, KeyOpening::ExistingOnly);
    if (!key.get()) return back;
    for (std::size_t i = 0; i < sent.names.size(); ++i)
        if (DeletedHere(key.get(), sent.names[i])) back.push_back(sent.paths[i]);
    return back;
}

std::vector<std::string> TakeSendFiles() {
    std::vector<std::string> files;
    const RegKey key(kSystemKeyPath, KeyOpening::CreateIfMissing);
    if (!key.get()) return files;
    for (const std::wstring& name : SendFileValues(key.get())) {
        std::optional<std::string> path = key.ReadString(name.c_str());
        if (DeletedHere(key.get(), name) && path) files.push_back(std::move(*path));
    }
    return files;
}

namespace {
constexpr const wchar_t* kUnprotectedValue = L"Unprotected";
}

void AddUnprotected(const std::vector<std::string>& paths) {
    if (paths.empty()) return;
    const RegKey key(kSystemKeyPath, KeyOpening::CreateIfMissing);
    std::string lines = key.ReadString(kUnprotectedValue).value_or("");
    for (const std::string& p : paths) {
        if (!lines.empty()) lines += "\r\n";
        lines += p;
    }
    key.WriteString(kUnprotectedValue, lines);
}

std::vector<std::string> TakeUnprotected() {
    std::vector<std::string> paths;
    const RegKey key(kSystemKeyPath, KeyOpening::CreateIfMissing);
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
    const RegKey key(kSystemKeyPath, KeyOpening::ExistingOnly);
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
