// The real file system, as the codec sees it.
#pragma once

#include <string_view>

#include "base/file_access.h"

namespace plivex {

// Files are opened without sharing; a file this process holds open for reading
// counts as locked for CanCreate, as it does on Windows.
FileAccess& SystemFiles();

// Prefix of temporary output names; such files are never results.
inline constexpr const char* kTempPrefix = "~plvx";

// Whether name is one the Windows file layer gives its temporary outputs:
// the prefix, eight lower-case hexadecimal digits, ".tmp".
inline bool IsWinTempName(std::string_view name) {
    const std::string_view prefix(kTempPrefix);
    if (name.size() != prefix.size() + 8 + 4 || name.substr(0, prefix.size()) != prefix) return false;
    if (name.substr(prefix.size() + 8) != ".tmp") return false;
    for (const char c : name.substr(prefix.size(), 8))
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
    return true;
}

}  // namespace plivex
