// UTF-8 <-> UTF-16 at the calls of Win32 functions.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

namespace plivex {

// nullopt for bytes that are not valid UTF-8.
std::optional<std::wstring> TryWiden(std::string_view utf8);
// A path for a call that names a file or folder: full, in the form the system
// takes at any length (see ExtendedPath); nullopt as TryWiden, or when it
// cannot be made full. Names shown to the user are never this form.
std::optional<std::wstring> TryWidenPath(std::string_view utf8);
// Invalid UTF-8 becomes U+FFFD; for texts that are shown, not for names.
std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view utf16);
// A window's text (caption or control text) as UTF-8.
std::string WindowText(HWND hwnd);
// The system's own words for an error code (in the language of the system),
// on one line; empty when it has none.
std::string SystemErrorText(DWORD code);

}  // namespace plivex
