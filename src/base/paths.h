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

// The form of a path that Windows takes at any length, past its usual 260
// characters: "\\?\C:\..." or "\\?\UNC\server\share\...". In that form
// the system takes every character as written, so the path is first made
// what the system would make of it: '/' turned into '\\', "." and ".."
// resolved, trailing dots and spaces of a name dropped, a relative path taken
// from currentFolder (a full path), a path from the drive's root on the drive
// of currentFolder. A trailing separator stays. A path already in that form,
// or naming a device ("\\.\"), is returned as it is; empty when it cannot be
// made full.
std::string ExtendedPath(std::string_view path, std::string_view currentFolder);

}  // namespace plivex
