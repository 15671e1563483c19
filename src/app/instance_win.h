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

// Serialises hand-overs between copies: a sender holds it from reading "HWND"
// through writing its values and posting, the receiver while it takes them,
// and a closing working copy from its last look until it has gone.
class HandOverLock {
public:
    HandOverLock();
    ~HandOverLock() { Release(); }
    HandOverLock(const HandOverLock&) = delete;
    HandOverLock& operator=(const HandOverLock&) = delete;
    // False after ms without it; a copy that ended holding it gives it up.
    bool Acquire(DWORD ms);
    void Release();

private:
    OwnedHandle mutex_;
    bool held_ = false;
};

// Whether hwnd is a live window of a copy of this program: a dialog-class
// window that carries our mark (a copy however its file is named), or of a
// process started from an executable of our name (an older copy, without the
// mark). A handle read from the registry may be stale or, by now, another program's.
bool IsProgramWindow(HWND hwnd);
// Marks the working copy's main window as ours for IsProgramWindow, or
// takes the mark off before the window goes.
void MarkProgramWindow(HWND hwnd, bool mark = true);

// "HWND" as a DWORD (window handles are 32-bit values also in 64-bit processes).
bool WriteMainWindowHandle(HWND hwnd);
// nullopt when the value is missing or not a DWORD.
std::optional<HWND> ReadMainWindowHandle();

// Writes "SendFile" values numbered on after the highest one waiting (from 1
// when none waits), in order; a registry error ends the writing quietly,
// leaving the values written so far. Returns how many were written. The
// caller holds the HandOverLock.
std::size_t WriteSendFiles(const std::vector<std::string>& paths);
// Takes every "SendFile" value waiting, in the order of their numbers, gaps or
// not, deleting each after reading it (one that is not a string is deleted
// unread). Holds the HandOverLock meanwhile; when another copy keeps it longer
// than a moment, takes nothing now and leaves the values for the next look.
std::vector<std::string> TakeSendFiles();

// The files a close left plain, kept in the System key for the next start
// ("Unprotected", one path a line, added to what is there); taken once.
void AddUnprotected(const std::vector<std::string>& paths);
std::vector<std::string> TakeUnprotected();
// Whether any "SendFile" value is waiting.
bool SendFilesWaiting();

// Deletes the program's key with everything beneath it (the parent stays).
// True also when the key was already gone.
bool DeleteProgramKey();

}  // namespace plivex
