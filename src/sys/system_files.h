// The real file system, as the codec sees it.
#pragma once

#include "codec/file_access.h"

namespace plivex {

// Files are opened without sharing; a file this process holds open for reading
// counts as locked for CanCreate, as it does on Windows.
FileAccess& SystemFiles();

// Prefix of temporary output names; such files are never results.
inline constexpr const char* kTempPrefix = "~plvx";

}  // namespace plivex
