// Writing and reading settings export files on disk, with the user's messages.
#pragma once

#include <string>

#include "options/custom_set.h"

namespace plivex {

// Writes the current version to a temporary file beside path and then gives it
// path's name, so a failed write leaves any earlier file whole. On failure the
// user is told and false returned.
bool WriteExportFile(const std::string& path, const TCustomSet& record);

// Lays the file's values over record. An unreadable file or an unknown first
// line is reported to the user; an empty file fails silently. On false the
// record is unchanged.
bool ReadExportFile(const std::string& path, TCustomSet& record);

}  // namespace plivex
