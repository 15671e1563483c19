// Name rules of output files and stored names. Stored names are the code
// page 932 bytes found in a container.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "base/paths.h"

namespace plivex {

// First free numbered variant: stem + "_" + N + extension, N = 2, 3, ...
std::string AddNumber(std::string_view path, const std::function<bool(const std::string&)>& exists);

// Lead byte of a double-byte character of code page 932.
inline bool IsCp932LeadByte(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

// File-name part of a stored name: after the last 0x5C or 0x3A byte that is not
// the second byte of a double-byte character.
std::string_view StoredFileNamePart(std::string_view cp932);

// Why a name may not be created as a file beside a container.
enum class NameProblem {
    None,
    Empty,
    DotName,             // "." or ".."
    ControlCharacter,
    ForbiddenCharacter,  // one of < > " / | ? * (and the separators)
    TrailingSpaceOrDot,
    ReservedDeviceName,  // CON, PRN, AUX, NUL, COM1-9, LPT1-9, with or without an extension
};

// Checks a single file name (UTF-8) against what Windows cannot or should not create.
NameProblem CheckFileName(std::string_view name);

// A file-name part without its last extension.
std::string StemOf(std::string_view path);

// Whether a melted name looks like the container it came from: the stems
// agree, ASCII letters in either case, the container's own stem taken as it
// is or without a number the program added to it ("_2", "_3", ...). A wrong
// password, or a container the user renamed, gives another name.
bool StemsAgree(std::string_view storedName, std::string_view containerPath);

}  // namespace plivex
