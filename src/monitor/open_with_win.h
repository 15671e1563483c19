// Opening a melted file with the application the shell associates with its
// type, and finding the copies of that application already running.
#pragma once

#include <windows.h>

#include <string>

#include "monitor/watched_apps.h"
#include "sys/handle_win.h"

namespace plivex {

// A process handle of ours, closed when the last entry waiting on it lets go.
class WinProcess : public WatchedProcess {
public:
    explicit WinProcess(OwnedHandle handle) : handle_(std::move(handle)) {}
    std::optional<std::uint32_t> ExitCode() override;

private:
    OwnedHandle handle_;
};

// Program paths compared as the file system does: case-insensitively by the system's table.
bool SameProgramPath(const std::string& a, const std::string& b);

// Records a placeholder for each running process of the program file; true if any.
bool AddRunningInstances(const std::string& appPath, WatchedApps& list);

// Starts the associated application on plain (running copies recorded in list
// first). False after telling the user why; then nothing was started.
bool OpenWithApp(const std::string& plain, std::string& appPath, ProcessRef& process, WatchedApps& list);

}  // namespace plivex
