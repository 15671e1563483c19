// The registry side of the single-instance rule: the working instance's window
// handle and the file names a second instance hands over, in the section
// System of HKEY_CURRENT_USER\Software\QUORVA\Plivex.
#pragma once

#include <windows.h>

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace plivex {

inline constexpr wchar_t kProgramKeyPath[] = L"Software\\QUORVA\\Plivex";
inline constexpr wchar_t kSystemKeyPath[] = L"Software\\QUORVA\\Plivex\\System";

// "HWND" as a DWORD (window handles are 32-bit values also in 64-bit processes).
bool WriteMainWindowHandle(HWND hwnd);
// nullopt when the value is missing or not a DWORD.
std::optional<HWND> ReadMainWindowHandle();

// Writes "SendFile1", "SendFile2", ... in order; a registry error ends the
// writing quietly, leaving the values written so far. Returns how many were written.
std::size_t WriteSendFiles(const std::vector<std::string>& paths);
// Reads "SendFile1", "SendFile2", ... up to the first missing number (or one
// that is not a string), deleting each value after reading it.
std::vector<std::string> TakeSendFiles();
// Whether a hand-over is waiting to be taken ("SendFile1" exists).
bool SendFilesWaiting();

// Deletes the program's key with everything beneath it (the parent stays).
// True also when the key was already gone.
bool DeleteProgramKey();

}  // namespace plivex
