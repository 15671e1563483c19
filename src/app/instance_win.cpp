#include "app/instance_win.h"

#include "sys/text_win.h"

namespace plivex {

namespace {

// An open registry key, closed on scope exit.
class Key {
public:
    explicit Key(bool create) {
        const LSTATUS s = create ? RegCreateKeyExW(HKEY_CURRENT_USER, kSystemKeyPath, 0, nullptr, 0,
                                                   KEY_READ | KEY_WRITE, nullptr, &h_, nullptr)
                                 : RegOpenKeyExW(HKEY_CURRENT_USER, kSystemKeyPath, 0, KEY_READ | KEY_WRITE, &h_);
        if (s != ERROR_SUCCESS) h_ = nullptr;
    }
    ~Key() {
        if (h_) RegCloseKey(h_);
    }
    Key(const Key&) = delete;
    Key& operator=(const Key&) = delete;
    HKEY get() const { return h_; }

private:
    HKEY h_ = nullptr;
};

std::wstring SendFileName(std::size_t k) { return L"SendFile" + std::to_wstring(k); }

std::optional<std::wstring> ReadString(HKEY key, const std::wstring& name) {
    DWORD type = 0, size = 0;
    if (RegQueryValueExW(key, name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return std::nullopt;
    if (type != REG_SZ && type != REG_EXPAND_SZ) return std::nullopt;
    std::wstring s(size / sizeof(wchar_t) + 1, L'\0');
    DWORD got = static_cast<DWORD>(s.size() * sizeof(wchar_t));
    if (RegQueryValueExW(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(s.data()), &got) != ERROR_SUCCESS)
        return std::nullopt;
    s.resize(got / sizeof(wchar_t));
    // The stored data may or may not hold its terminating null.
    while (!s.empty() && s.back() == L'\0') s.pop_back();
    return s;
}

}  // namespace

bool WriteMainWindowHandle(HWND hwnd) {
    Key key(true);
    if (!key.get()) return false;
    const DWORD v = static_cast<DWORD>(reinterpret_cast<UINT_PTR>(hwnd));
    return RegSetValueExW(key.get(), L"HWND", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v), sizeof v) ==
           ERROR_SUCCESS;
}

std::optional<HWND> ReadMainWindowHandle() {
    Key key(false);
    if (!key.get()) return std::nullopt;
    DWORD type = 0, v = 0, size = sizeof v;
    if (RegQueryValueExW(key.get(), L"HWND", nullptr, &type, reinterpret_cast<BYTE*>(&v), &size) != ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof v)
        return std::nullopt;
    // Handles are sign-extended from their 32 significant bits.
    return reinterpret_cast<HWND>(static_cast<INT_PTR>(static_cast<LONG>(v)));
}

bool DeleteMainWindowHandle() {
    Key key(false);
    if (!key.get()) return true;
    const LSTATUS s = RegDeleteValueW(key.get(), L"HWND");
    return s == ERROR_SUCCESS || s == ERROR_FILE_NOT_FOUND;
}

std::size_t WriteSendFiles(const std::vector<std::string>& paths) {
    if (paths.empty()) return 0;
    Key key(true);
    if (!key.get()) return 0;
    std::size_t written = 0;
    for (const auto& p : paths) {
        const std::wstring w = Widen(p);
        if (RegSetValueExW(key.get(), SendFileName(written + 1).c_str(), 0, REG_SZ,
                           reinterpret_cast<const BYTE*>(w.c_str()),
                           static_cast<DWORD>((w.size() + 1) * sizeof(wchar_t))) != ERROR_SUCCESS)
            break;
        ++written;
    }
    return written;
}

std::vector<std::string> TakeSendFiles() {
    std::vector<std::string> files;
    Key key(true);
    if (!key.get()) return files;
    for (std::size_t k = 1;; ++k) {
        const std::wstring name = SendFileName(k);
        const auto s = ReadString(key.get(), name);
        if (!s) break;
        files.push_back(Narrow(*s));
        RegDeleteValueW(key.get(), name.c_str());
    }
    return files;
}

bool DeleteProgramKey() {
    const LSTATUS s = RegDeleteTreeW(HKEY_CURRENT_USER, kProgramKeyPath);
    if (s == ERROR_FILE_NOT_FOUND) return true;
    if (s != ERROR_SUCCESS) return false;
    // Some implementations empty the key but leave it; remove the empty key too.
    const LSTATUS d = RegDeleteKeyW(HKEY_CURRENT_USER, kProgramKeyPath);
    return d == ERROR_SUCCESS || d == ERROR_FILE_NOT_FOUND;
}

std::string ToLongName(const std::string& path) {
    const auto wide = TryWiden(path);
    if (!wide || wide->empty()) return path;
    const DWORD need = GetFullPathNameW(wide->c_str(), 0, nullptr, nullptr);
    if (need == 0) return path;
    std::wstring rest(need, L'\0');
    const DWORD got = GetFullPathNameW(wide->c_str(), need, rest.data(), nullptr);
    if (got == 0 || got >= need) return path;
    rest.resize(got);
    // A trailing backslash names the folder itself; a drive root keeps its own.
    while (rest.size() > 3 && rest.back() == L'\\') rest.pop_back();

    std::wstring tail;
    for (;;) {
        const std::size_t slash = rest.rfind(L'\\');
        if (slash == std::wstring::npos) break;
        const std::wstring name = rest.substr(slash + 1);
        // Wildcards would find some other file; a root cannot be searched.
        if (name.empty() || name.find_first_of(L"*?") != std::wstring::npos) break;
        WIN32_FIND_DATAW fd;
        const HANDLE h = FindFirstFileW(rest.c_str(), &fd);
        if (h == INVALID_HANDLE_VALUE) break;
        FindClose(h);
        tail = L"\\" + std::wstring(fd.cFileName) + tail;
        rest.resize(slash);
    }
    // The walk ends after a drive's first folder with "C:", or on a root "C:\".
    if (!tail.empty() && !rest.empty() && rest.back() == L'\\') rest.pop_back();
    return Narrow(rest + tail);
}

}  // namespace plivex
