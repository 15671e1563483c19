#include "sys/system_files.h"

#include <cstdio>

namespace plivex {

std::string TempName(std::uint32_t n) {
    char name[32];
    std::snprintf(name, sizeof name, "%s%08lx.tmp", kTempPrefix, static_cast<unsigned long>(n));
    return name;
}

std::string TempNameToTry(std::uint32_t seed, int attempt) {
    return TempName(seed + static_cast<std::uint32_t>(attempt) * 7919u);
}

bool IsTempName(std::string_view name) {
    const std::string_view prefix(kTempPrefix);
    if (name.size() != prefix.size() + 8 + 4 || name.substr(0, prefix.size()) != prefix) return false;
    if (name.substr(prefix.size() + 8) != ".tmp") return false;
    for (const char c : name.substr(prefix.size(), 8))
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
    return true;
}

}  // namespace plivex
