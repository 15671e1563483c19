// The settings export file: one options record as a small text file of
// decimal lines, so that options can be backed up or carried elsewhere.
#pragma once

#include <string>
#include <string_view>

#include "options/options_record.h"

namespace plivex {

inline constexpr std::string_view kExportExt = "pvxe";  // shown as "外持ファイル"

// The whole file in the current version: its first line, then one line for
// each option in the order kOptionSpecs gives, every line ending in CR LF.
std::string ExportText(const Options& record);

enum class ExportRead {
    kRead,       // the first line named a known version; values laid over the record
    kNoLines,    // not a single line: fails without a message
    kNotExport,  // the first line names no version we know
};

// Accepts both versions. Reading stops at the first missing or malformed
// value line; the fields from there on keep the record's starting values,
// and the read still counts. The record changes only with kRead.
ExportRead ParseExportText(std::string_view bytes, Options& record);

}  // namespace plivex
