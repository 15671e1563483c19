// Where things are: the long form of a path, the program's own folder, and
// the application the shell associates with a file.
#pragma once

#include <optional>
#include <string>

namespace plivex {

// The absolute form of a path (a relative one against the current folder)
// with each component, from the last one backwards, spelt as the file system
// spells its long name. The walk stops at the first component that cannot be
// found; the part before it is kept as it is.
std::string ToLongName(const std::string& path);

// The folder of the running executable, without a trailing backslash.
std::string ProgramFolder();
// A path for the shell and for other programs, which take no path of MAX_PATH
// characters or more, nor the extended form: the path itself when shorter,
// else its short names where the volume keeps them (else the path itself).
std::string ShellPath(const std::string& path);
// The program file's full path, of any length.
std::wstring ProgramPath();

// The program the shell starts for an existing file (FindExecutableW); nullopt when there is none.
std::optional<std::string> AssociatedApplication(const std::string& path);

// The command line the shell runs to "open" a file of path's extension, with
// its environment variables expanded and its placeholders (%1 ...) left in;
// nullopt when the association has none (no extension, no command, or one
// the shell carries out otherwise).
std::optional<std::string> AssociationCommand(const std::string& path);

}  // namespace plivex
