#include "app/instance_win.h"

#include "sys/registry_win.h"
#include "sys/text_win.h"

namespace plivex {

namespace {

std::wstring SendFileName(std::size_t k) { return L"SendFile" + std::to_wstring(k); }

}  // namespace

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
    std::size_t written = 0;
    for (const auto& p : paths) {
        if (!key.WriteString(SendFileName(written + 1).c_str(), p)) break;
        ++written;
    }
    return written;
}

std::vector<std::string> TakeSendFiles() {
    std::vector<std::string> files;
    const RegKey key(kSystemKeyPath, true);
    if (!key.get()) return files;
    for (std::size_t k = 1;; ++k) {
        const std::wstring name = SendFileName(k);
        auto s = key.ReadString(name.c_str());
        if (!s) break;
        files.push_back(std::move(*s));
        RegDeleteValueW(key.get(), name.c_str());
    }
    return files;
}

bool SendFilesWaiting() {
    const RegKey key(kSystemKeyPath, false);
    return key.get() && key.Exists(SendFileName(1).c_str());
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
