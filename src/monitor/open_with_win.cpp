#include "monitor/open_with_win.h"

#include <tlhelp32.h>

#include <vector>

#include "monitor/texts.h"
#include "sys/shell_win.h"
#include "sys/text_win.h"
#include "ui/msgbox_win.h"

namespace plivex {

std::optional<std::uint32_t> WinProcess::ExitCode() {
    DWORD code = 0;
    if (!GetExitCodeProcess(handle_.get(), &code)) return std::nullopt;
    return code;
}

bool SameProgramPath(const std::string& a, const std::string& b) {
    const std::wstring wa = Widen(a), wb = Widen(b);
    return CompareStringOrdinal(wa.c_str(), static_cast<int>(wa.size()), wb.c_str(), static_cast<int>(wb.size()),
                                TRUE) == CSTR_EQUAL;
}

namespace {

// The snapshot names only the program file; the full path comes from the process itself.
std::optional<std::string> ImagePath(HANDLE process) {
    std::vector<wchar_t> path(32768);
    DWORD size = static_cast<DWORD>(path.size());
    if (!QueryFullProcessImageNameW(process, 0, path.data(), &size)) return std::nullopt;
    return Narrow(std::wstring(path.data(), size));
}

}  // namespace

bool AddRunningInstances(const std::string& appPath, WatchedApps& list) {
    const OwnedHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) return false;
    bool added = false;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot.get(), &entry); more; more = Process32NextW(snapshot.get(), &entry)) {
        // Only the right to read the exit code is ever used: the least that
        // works also for processes of other users or integrity levels.
        OwnedHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE, FALSE, entry.th32ProcessID));
        if (!process) continue;
        const std::optional<std::string> image = ImagePath(process.get());
        if (image && SameProgramPath(*image, appPath)) {
            list.AddPlaceholder(*image, std::make_shared<WinProcess>(std::move(process)));
            added = true;
        }
    }
    return added;
}

bool OpenWithApp(const std::string& plain, std::string& appPath, ProcessRef& process, WatchedApps& list) {
    const std::optional<std::string> found = AssociatedApplication(plain);
    if (!found) {
        ui::MsgBox(text::NotAssociated(plain), "", kStyleExclamation);
        return false;
    }
    appPath = ToLongName(*found);
    std::string command = text::Quoted(appPath);
    // A program melted from a container is its own application and gets no argument.
    if (!SameProgramPath(plain, appPath)) command += " " + text::Quoted(ShellPath(plain));

    AddRunningInstances(appPath, list);

    std::wstring commandLine = Widen(command);  // CreateProcessW may write into it
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW | STARTF_FORCEONFEEDBACK;
    startup.wShowWindow = SW_SHOW;
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS, nullptr,
                        nullptr, &startup, &info)) {
        ui::MsgBox(text::CannotOpenWith(plain, appPath), "", kStyleExclamation);
        return false;
    }
    const OwnedHandle thread(info.hThread);
    process = std::make_shared<WinProcess>(OwnedHandle(info.hProcess));
    return true;
}

}  // namespace plivex
