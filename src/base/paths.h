// Path helpers on UTF-8 paths with the separators of Windows ('\\', '/' and
// the drive colon).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace plivex {

bool IsPathSeparator(char c);

// Text after the last separator.
std::string FileNamePart(std::string_view path);
// Everything up to and including the last separator (empty when there is none).
std::string FolderPart(std::string_view path);
// The folder of a file path without its trailing separator ("C:\\Tools\\a.exe" gives "C:\\Tools").
std::string FolderOfFile(std::string_view path);
// Offset of the dot that begins the file-name part's extension, or npos when it has none.
std::size_t ExtensionDot(std::string_view path);

// Container name: the file-name part's last dot and what follows are replaced
// by "." + ext, or "." + ext is appended when it has no dot.
std::string ChangeExt(std::string_view path, std::string_view ext);

}  // namespace plivex
