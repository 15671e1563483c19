// Real files, folders and processes for the Windows tests.
#pragma once

#include <windows.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "sys/text_win.h"

namespace plivex::test {

// A fresh folder under the system's temporary folder, removed with its files at the end.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    // UTF-8 path with a trailing backslash.
    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + name; }

private:
    std::string path_;
};

bool WriteAll(const std::string& path, const std::string& bytes);
std::optional<std::string> ReadAll(const std::string& path);
bool FileExists(const std::string& path);
// Names of the files in a folder (UTF-8 path with trailing backslash), sorted.
std::vector<std::string> ListFolder(const std::string& folder);
void RemoveTree(const std::string& folder);

// The long and the short (8.3) form of an existing path; the path itself where there is none.
std::string LongPathOf(const std::string& path);
std::string ShortPathOf(const std::string& path);

// A failure's message: the text before, then the system's reason on one last
// line, in whatever words the system uses (for faults whose code varies).
inline bool EndsWithAReason(const std::string& text, const std::string& before) {
    return text.size() > before.size() + 1 && text.compare(0, before.size() + 1, before + "\n") == 0 &&
           text.find('\n', before.size() + 1) == std::string::npos;
}
// The text, then the system's words for the error code on a last line.
inline std::string WithReason(const std::string& text, DWORD code) { return text + "\n" + SystemErrorText(code); }

// Whether a key exists under HKEY_CURRENT_USER.
bool KeyExists(const wchar_t* path);

// Names and data (numbers in decimal) of a key's values.
using NamedValues = std::map<std::string, std::string>;
NamedValues RegistryValues(const wchar_t* path);

// Saves a registry key with its values and subkeys (or its absence) and puts
// it back as it was at the end, whatever the test did to it meanwhile.
class SavedRegistryKey {
public:
    SavedRegistryKey(HKEY root, std::wstring path);
    ~SavedRegistryKey();
    SavedRegistryKey(const SavedRegistryKey&) = delete;
    SavedRegistryKey& operator=(const SavedRegistryKey&) = delete;

private:
    HKEY root_;
    std::wstring path_;
    std::wstring backup_;  // under HKEY_CURRENT_USER; empty when the key did not exist
};

// An environment variable for this process and the programs it starts, removed at the end.
class EnvVar {
public:
    EnvVar(const wchar_t* name, const std::string& value);
    ~EnvVar() { SetEnvironmentVariableW(name_, nullptr); }
    EnvVar(const EnvVar&) = delete;
    EnvVar& operator=(const EnvVar&) = delete;

private:
    const wchar_t* name_;
};

// Handles this thread's messages for about ms milliseconds.
void Pump(DWORD ms);

// The one way tests wait for something another thread or process does:
// handles this thread's messages until ready() holds; false after ms.
template <class Ready>
bool PumpUntil(Ready ready, DWORD ms = 10000) {
    const ULONGLONG end = GetTickCount64() + ms;
    while (!ready()) {
        if (GetTickCount64() >= end) return false;
        Pump(20);
    }
    return true;
}

// How many processes run from an executable in folder (a path with a trailing
// backslash), or from the executable path names: once none does, whatever
// they would have done has been done.
int ProcessesRunningFrom(const std::string& path);

// A program started with arguments (and a working folder, if given); its
// output goes to a file of its own, never a pipe. Ended in the destructor if
// still running, so a failed test never leaves it behind.
class Program {
public:
    Program(const std::string& exe, const std::vector<std::string>& args, const std::string& folder = "");
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    bool started() const { return started_; }
    // Why it did not start ("" once started), for the test's message.
    const std::string& failure() const { return failure_; }
    DWORD id() const { return pi_.dwProcessId; }
    HANDLE process() const { return pi_.hProcess; }
    bool running() const { return started_ && WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT; }
    // The exit code, or nullopt while it still runs after ms; this thread's messages keep flowing.
    std::optional<DWORD> Wait(DWORD ms);
    // What it wrote to its output and error so far.
    std::string Output() const { return ReadAll(logs_ / "output.txt").value_or(""); }

private:
    TempDir logs_;  // destroyed after the process has ended
    PROCESS_INFORMATION pi_{};
    bool started_ = false;
    std::string failure_;
};

// Another process holding a file open without sharing while it lives.
class HeldFile {
public:
    explicit HeldFile(const std::string& path);
    ~HeldFile();
    bool held() const { return held_; }

private:
    PROCESS_INFORMATION pi_{};
    HANDLE ready_ = nullptr;
    HANDLE quit_ = nullptr;
    bool held_ = false;
};

// A file type that the shell associates with a program while the object
// lives (Wine reads associations from HKLM\Software\Classes only).
class Association {
public:
    // ext with its dot; exe as a Windows path.
    Association(const std::string& ext, const std::string& exe);
    ~Association();
    Association(const Association&) = delete;
    Association& operator=(const Association&) = delete;

private:
    std::wstring ext_, progId_;
};

// The test application associated with the tests' documents (test_app.cpp).
std::string TestAppPath();
// Its open windows; each title is the command line it was started with.
std::vector<HWND> TestAppWindows();
// Closes a copy of it as a user would and waits until its process has ended.
bool CloseTestApp(HWND window);
// Closes every copy still open when a test ends, so none outlives it.
class TestAppGuard {
public:
    TestAppGuard() = default;
    ~TestAppGuard();
    TestAppGuard(const TestAppGuard&) = delete;
    TestAppGuard& operator=(const TestAppGuard&) = delete;
};

}  // namespace plivex::test
