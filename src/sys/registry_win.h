// Registry values: the program's key and its sections under HKEY_CURRENT_USER,
// and, read only, keys of the system.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>

namespace plivex {

// Whether opening a key under HKEY_CURRENT_USER creates it when it is missing.
enum class KeyOpening { ExistingOnly, CreateIfMissing };

// An open key under HKEY_CURRENT_USER, closed on scope exit; get() is null
// when it could not be opened (or created).
class RegKey {
public:
    RegKey(const wchar_t* path, KeyOpening opening);
    // Opened for reading only, under root (HKEY_LOCAL_MACHINE needs no rights to read).
    RegKey(HKEY root, const wchar_t* path);
    ~RegKey();
    RegKey(const RegKey&) = delete;
    RegKey& operator=(const RegKey&) = delete;
    HKEY get() const { return h_; }

    // nullopt when missing or not a REG_DWORD.
    std::optional<std::int32_t> ReadInt(const wchar_t* name) const;
    // nullopt when missing or neither REG_SZ nor REG_EXPAND_SZ.
    std::optional<std::string> ReadString(const wchar_t* name) const;
    bool Exists(const wchar_t* name) const;
    bool WriteInt(const wchar_t* name, std::int32_t value) const;
    bool WriteString(const wchar_t* name, const std::string& value) const;
    // The system's code for the open, create or write that failed last
    // (ERROR_SUCCESS when none did), for messages that say why.
    LSTATUS Status() const { return status_; }

private:
    bool Written(LSTATUS s) const;

    HKEY h_ = nullptr;
    mutable LSTATUS status_ = ERROR_SUCCESS;
};

}  // namespace plivex
