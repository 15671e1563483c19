// The real file system, as the codec sees it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "base/file_access.h"

namespace plivex {

// Files are opened without sharing; a file this process holds open for reading
// counts as locked for CanCreate, as it does on Windows.
FileAccess& SystemFiles();

// Prefix of temporary output names; such files are never results.
inline constexpr const char* kTempPrefix = "~plvx";

// The name of a temporary output: the prefix, eight lower-case hexadecimal
// digits, ".tmp"; and whether a name is one.
std::string TempName(std::uint32_t n);
bool IsTempName(std::string_view name);

// The names tried for a temporary output, from a seed of the process and the
// time: kTempNameAttempts of them, a prime apart, so that copies whose seeds
// are close do not try the same names in step.
inline constexpr int kTempNameAttempts = 100;
std::string TempNameToTry(std::uint32_t seed, int attempt);

// A conversion cut off (the program killed, the power lost) leaves its
// temporary file behind, perhaps holding part of a melted file in plain. The
// next conversion into that folder removes such files of ours once they are
// this old and nobody has them open: the age spares one that is complete and
// about to be renamed.
inline constexpr unsigned kStaleTempSeconds = 10 * 60;

}  // namespace plivex
