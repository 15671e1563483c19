// Writing and reading settings export files on disk. Failures come back with
// the system's reason; telling the user is the caller's part.
#pragma once

#include <string>

#include "options/options_record.h"

namespace plivex {

enum class ExportFileError {
    kNone,
    kCannotWrite,  // the file could not be written (reason: the system's)
    kCannotRead,   // the file could not be opened or read (reason: the system's)
    kNoLines,      // an empty file: a failure nobody is told of
    kNotExport,    // the first line names no version we know
};

struct ExportFileResult {
    ExportFileError error = ExportFileError::kNone;
    // The system's words for kCannotWrite and kCannotRead, where it gave any.
    std::string reason;

    explicit operator bool() const { return error == ExportFileError::kNone; }
};

// Writes the current version to a temporary file beside path and then gives it
// path's name, so a failed write leaves any earlier file whole.
ExportFileResult WriteExportFile(const std::string& path, const Options& record);

// Lays the file's values over record; on a failure the record is unchanged.
ExportFileResult ReadExportFile(const std::string& path, Options& record);

}  // namespace plivex
