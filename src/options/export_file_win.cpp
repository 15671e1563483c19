#include "options/export_file_win.h"

#include <cstdint>
#include <memory>
#include <optional>

#include "options/export_file.h"
#include "sys/system_files.h"

namespace plivex {

namespace {

// An export file is a few dozen bytes; more than this is no export file, and
// its first lines are all that is read anyway.
constexpr std::size_t kReadLimit = 1 << 20;

bool SaveText(const std::string& path, const std::string& text) {
    FileAccess& files = SystemFiles();
    std::string tempPath;
    std::unique_ptr<OutputFile> out = files.CreateTemp(path, tempPath);
    if (!out) return false;
    const bool written = out->Write(text.data(), text.size()) && out->Finish();
    out.reset();
    if (written && files.Commit(tempPath, path, true)) return true;
    files.Remove(tempPath);
    return false;
}

std::optional<std::string> LoadText(const std::string& path) {
    std::unique_ptr<InputFile> in = SystemFiles().OpenRead(path);
    if (!in) return std::nullopt;
    std::string text;
    char buffer[4096];
    while (text.size() < kReadLimit) {
        const std::int64_t got = in->Read(buffer, sizeof buffer);
        if (got < 0) return std::nullopt;
        if (got == 0) break;
        text.append(buffer, static_cast<std::size_t>(got));
    }
    return text;
}

ExportFileResult Failed(ExportFileError error) { return {error, SystemFiles().LastError()}; }

}  // namespace

ExportFileResult WriteExportFile(const std::string& path, const Options& record) {
    if (SaveText(path, ExportText(record))) return {};
    return Failed(ExportFileError::kCannotWrite);
}

ExportFileResult ReadExportFile(const std::string& path, Options& record) {
    const std::optional<std::string> text = LoadText(path);
    if (!text) return Failed(ExportFileError::kCannotRead);
    switch (ParseExportText(*text, record)) {
        case ExportRead::kRead:
            return {};
        case ExportRead::kNoLines:
            return {ExportFileError::kNoLines, {}};
        case ExportRead::kNotExport:
            return {ExportFileError::kNotExport, {}};
    }
    return {ExportFileError::kNotExport, {}};
}

}  // namespace plivex
