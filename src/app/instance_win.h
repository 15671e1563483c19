// The registry side of the single-instance rule: the working instance's window
// handle and the file names a second instance hands over, in the section
// System of HKEY_CURRENT_USER\Software\QUORVA\Plivex.
#pragma once

#include <windows.h>

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "sys/handle_win.h"

namespace plivex {

inline constexpr wchar_t kProgramKeyPath[] = L"Software\\QUORVA\\Plivex";
inline constexpr wchar_t kSystemKeyPath[] = L"Software\\QUORVA\\Plivex\\System";
// Exists while a working copy runs.
inline constexpr wchar_t kMutexName[] = L"PlivexMutex";

// Creates the mutex of the working copy, or opens it when another copy holds
// it: in one step, so two copies started together cannot both take it.
struct InstanceMutex {
    OwnedHandle handle;
    bool existed = false;
};
InstanceMutex CreateInstanceMutex();

// Whether hwnd is a live window of a copy of this program: a dialog-class
// window that carries our mark (a copy however its file is named), or of a
// process started from an executable of our name (an older copy, without the
// mark). A handle read from the registry may be stale or, by now, another program's.
bool IsProgramWindow(HWND hwnd);
// The working copy's main window is marked as ours for IsProgramWindow, and
// as closing from its last look for hand-overs until it has gone.
enum class WindowMark { None, TakesHandOvers, Closing };
void MarkProgramWindow(HWND hwnd, WindowMark mark);
WindowMark MarkOf(HWND hwnd);

// "HWND" as a DWORD (window handles are 32-bit values also in 64-bit processes).
bool WriteMainWindowHandle(HWND hwnd);
// nullopt when the value is missing or not a DWORD.
std::optional<HWND> ReadMainWindowHandle();

// Files one copy handed over: the paths, and the values written for them in order.
struct SentFiles {
    std::vector<std::string> paths;
    std::vector<std::wstring> names;
};
// Writes one "SendFile-…" value per path under a name no other copy can
// write: made of this process's start time and id and a count of its own, so
// copies need no lock between them and the names sort in the order the copies
// started. A registry error ends the writing quietly, leaving what was written.
SentFiles WriteSendFiles(const std::vector<std::string>& paths);
// The paths of values written that no working copy has taken: they are the
// sender's again, and their values are gone.
std::vector<std::string> TakeBackSendFiles(const SentFiles& sent);
// Takes every hand-over waiting: the numbered "SendFile<k>" values of older
// copies first, by number, then those of WriteSendFiles, by name. A value is
// taken when this call deleted it, so no file goes to two takers; one that is
// not a string is deleted unread.
std::vector<std::string> TakeSendFiles();
// Whether any hand-over is waiting.
bool SendFilesWaiting();

// The files a close left plain, kept in the System key for the next start
// ("Unprotected", one path a line, added to what is there); taken once.
void AddUnprotected(const std::vector<std::string>& paths);
std::vector<std::string> TakeUnprotected();

// Deletes the program's key with everything beneath it (the parent stays).
// True also when the key was already gone.
bool DeleteProgramKey();

}  // namespace plivex
