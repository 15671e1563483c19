#include "sys/shell_win.h"

#include <windows.h>
#include <shellapi.h>
#include <shlwapi.h>

#include "base/paths.h"
#include "sys/find_win.h"
#include "sys/text_win.h"

namespace plivex {

std::string ToLongName(const std::string& path) {
    const auto wide = TryWiden(path);
    if (!wide || wide->empty()) return path;
    const DWORD need = GetFullPathNameW(wide->c_str(), 0, nullptr, nullptr);
    if (need == 0) return path;
    std::wstring rest(need, L'\0');
    const DWORD got = GetFullPathNameW(wide->c_str(), need, rest.data(), nullptr);
    if (got == 0 || got >= need) return path;
    rest.resize(got);
    // A trailing backslash names the folder itself; a drive root keeps its own.
    while (rest.size() > 3 && rest.back() == L'\\') rest.pop_back();

    std::wstring tail;
    for (;;) {
        const std::size_t slash = rest.rfind(L'\\');
        if (slash == std::wstring::npos) break;
        const std::wstring name = rest.substr(slash + 1);
        // Wildcards would find some other file; a root cannot be searched.
        if (name.empty() || name.find_first_of(L"*?") != std::wstring::npos) break;
        std::wstring longName;
        if (!ForEachEntry(Narrow(rest), [&](const WIN32_FIND_DATAW& fd) {
                longName = fd.cFileName;
                return false;
            }))
            break;
        tail = L"\\" + longName + tail;
        rest.resize(slash);
    }
    // The walk ends after a drive's first folder with "C:", or on a root "C:\".
    if (!tail.empty() && !rest.empty() && rest.back() == L'\\') rest.pop_back();
    return Narrow(rest + tail);
}

std::wstring ProgramPath() {
    std::wstring exe(MAX_PATH, L'\0');
    for (;;) {
        const DWORD got = GetModuleFileNameW(nullptr, exe.data(), static_cast<DWORD>(exe.size()));
        if (got == 0) return {};
        if (got < exe.size()) {
            exe.resize(got);
            return exe;
        }
        exe.resize(exe.size() * 2);  // a long path: try again with room for it
    }
}

std::string ProgramFolder() { return FolderOfFile(Narrow(ProgramPath())); }

std::string ShellPath(const std::string& path) {
    const std::optional<std::wstring> wide = TryWiden(path);
    if (!wide || wide->size() < MAX_PATH) return path;
    const std::optional<std::wstring> extended = TryWidenPath(path);
    if (!extended) return path;
    std::wstring shortPath(extended->size() + 1, L'\0');
    const DWORD got = GetShortPathNameW(extended->c_str(), shortPath.data(), static_cast<DWORD>(shortPath.size()));
    if (got == 0 || got >= shortPath.size()) return path;
    shortPath.resize(got);
    if (shortPath.rfind(L"\\\\?\\UNC\\", 0) == 0) shortPath.replace(0, 8, L"\\\\");
    else if (shortPath.rfind(L"\\\\?\\", 0) == 0) shortPath.erase(0, 4);
    return shortPath.size() < MAX_PATH ? Narrow(shortPath) : path;
}

std::optional<std::string> AssociatedApplication(const std::string& path) {
    const auto wide = TryWiden(ShellPath(path));
    if (!wide) return std::nullopt;
    wchar_t exe[MAX_PATH] = {};
    // Values up to 32 are the shell's error codes.
    if (reinterpret_cast<INT_PTR>(FindExecutableW(wide->c_str(), nullptr, exe)) <= 32) return std::nullopt;
    return Narrow(exe);
}

std::optional<std::string> AssociationCommand(const std::string& path) {
    const auto wide = TryWiden(path);
    if (!wide) return std::nullopt;
    const wchar_t* extension = PathFindExtensionW(wide->c_str());
    if (!*extension) return std::nullopt;
    wchar_t command[2048] = {};
    DWORD size = ARRAYSIZE(command);
    if (FAILED(AssocQueryStringW(ASSOCF_NOTRUNCATE, ASSOCSTR_COMMAND, extension, L"open", command, &size)) ||
        !*command)
        return std::nullopt;
    wchar_t expanded[4096] = {};
    const DWORD n = ExpandEnvironmentStringsW(command, expanded, ARRAYSIZE(expanded));
    if (n == 0 || n > ARRAYSIZE(expanded)) return std::nullopt;
    return Narrow(expanded);
}

}  // namespace plivex
