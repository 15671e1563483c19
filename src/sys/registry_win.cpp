#include "sys/registry_win.h"

#include "sys/text_win.h"

namespace plivex {

RegKey::RegKey(const wchar_t* path, KeyOpening opening) {
    const LSTATUS s = opening == KeyOpening::CreateIfMissing
                          ? RegCreateKeyExW(HKEY_CURRENT_USER, path, 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, &h_,
                                            nullptr)
                          : RegOpenKeyExW(HKEY_CURRENT_USER, path, 0, KEY_READ | KEY_WRITE, &h_);
    if (s != ERROR_SUCCESS) {
        h_ = nullptr;
        status_ = s;
    }
}

RegKey::RegKey(HKEY root, const wchar_t* path) {
    if (const LSTATUS s = RegOpenKeyExW(root, path, 0, KEY_QUERY_VALUE, &h_); s != ERROR_SUCCESS) {
        h_ = nullptr;
        status_ = s;
    }
}

RegKey::~RegKey() {
    if (h_) RegCloseKey(h_);
}

std::optional<std::int32_t> RegKey::ReadInt(const wchar_t* name) const {
    if (!h_) return std::nullopt;
    DWORD type = 0, v = 0, size = sizeof v;
    if (RegQueryValueExW(h_, name, nullptr, &type, reinterpret_cast<BYTE*>(&v), &size) != ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof v)
        return std::nullopt;
    return static_cast<std::int32_t>(v);
}

std::optional<std::string> RegKey::ReadString(const wchar_t* name) const {
    if (!h_) return std::nullopt;
    DWORD type = 0, size = 0;
    if (RegQueryValueExW(h_, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return std::nullopt;
    if (type != REG_SZ && type != REG_EXPAND_SZ) return std::nullopt;
    std::wstring s(size / sizeof(wchar_t) + 1, L'\0');
    DWORD got = static_cast<DWORD>(s.size() * sizeof(wchar_t));
    if (RegQueryValueExW(h_, name, nullptr, &type, reinterpret_cast<BYTE*>(s.data()), &got) != ERROR_SUCCESS)
        return std::nullopt;
    s.resize(got / sizeof(wchar_t));
    // The stored data may or may not hold its terminating null.
    while (!s.empty() && s.back() == L'\0') s.pop_back();
    return Narrow(s);
}

bool RegKey::Exists(const wchar_t* name) const {
    return h_ && RegQueryValueExW(h_, name, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

bool RegKey::Written(LSTATUS s) const {
    if (s != ERROR_SUCCESS) status_ = s;
    return s == ERROR_SUCCESS;
}

bool RegKey::WriteInt(const wchar_t* name, std::int32_t value) const {
    const DWORD v = static_cast<DWORD>(value);
    return h_ && Written(RegSetValueExW(h_, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v), sizeof v));
}

bool RegKey::WriteString(const wchar_t* name, const std::string& value) const {
    const std::wstring w = Widen(value);
    return h_ && Written(RegSetValueExW(h_, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(w.c_str()),
                                        static_cast<DWORD>((w.size() + 1) * sizeof(wchar_t))));
}

}  // namespace plivex
