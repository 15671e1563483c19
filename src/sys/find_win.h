// Walking the entries that match a wildcard pattern, with the search handle
// closed on every path out.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace plivex {

// Calls each for every entry matching pattern, in the file system's order,
// until it returns false. False when nothing matched (or the pattern is no
// valid UTF-8).
bool ForEachEntry(const std::string& pattern, const std::function<bool(const WIN32_FIND_DATAW&)>& each);

}  // namespace plivex
