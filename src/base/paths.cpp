#include "base/paths.h"

#include <algorithm>
#include <vector>

namespace plivex {

bool IsPathSeparator(char c) { return c == '\\' || c == '/' || c == ':'; }

namespace {

std::size_t NamePartStart(std::string_view path) {
    for (std::size_t i = path.size(); i > 0; --i)
        if (IsPathSeparator(path[i - 1])) return i;
    return 0;
}

}  // namespace

std::size_t ExtensionDot(std::string_view path) {
    const std::size_t start = NamePartStart(path);
    const std::size_t dot = path.rfind('.');
    return (dot == std::string_view::npos || dot < start) ? std::string_view::npos : dot;
}

std::string FileNamePart(std::string_view path) { return std::string(path.substr(NamePartStart(path))); }

std::string FolderPart(std::string_view path) { return std::string(path.substr(0, NamePartStart(path))); }

std::string FolderOfFile(std::string_view path) {
    std::string folder = FolderPart(path);
    if (!folder.empty() && (folder.back() == '\\' || folder.back() == '/')) folder.pop_back();
    return folder;
}

std::string ChangeExt(std::string_view path, std::string_view ext) {
    const std::size_t dot = ExtensionDot(path);
    std::string out(dot == std::string_view::npos ? path : path.substr(0, dot));
    out += '.';
    out += ext;
    return out;
}

namespace {

bool IsSlash(char c) { return c == '\\' || c == '/'; }
bool IsDriveLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// Appends the names of rest to names, resolving "." and ".." as the system
// does; ".." never climbs above the root.
void AddNames(std::string_view rest, std::vector<std::string>& names) {
    std::size_t at = 0;
    while (at <= rest.size()) {
        std::size_t end = at;
        while (end < rest.size() && !IsSlash(rest[end])) ++end;
        std::string_view name = rest.substr(at, end - at);
        if (name == "..") {
            if (!names.empty()) names.pop_back();
        } else {
            while (!name.empty() && (name.back() == '.' || name.back() == ' ')) name.remove_suffix(1);
            if (!name.empty()) names.emplace_back(name);
        }
        at = end + 1;
    }
}

constexpr std::string_view kExtended = "\\\\?\\";
constexpr std::string_view kExtendedUnc = "\\\\?\\UNC\\";

// The root a full path starts from, as written without the prefix: "C:" or
// "\\server\share"; empty when path is not full.
std::string RootOf(std::string_view path, std::size_t& namesAt) {
    if (path.size() >= 2 && IsSlash(path[0]) && IsSlash(path[1])) {
        std::string root = "\\";
        std::size_t at = 2;
        for (int part = 0; part < 2; ++part) {
            std::size_t end = at;
            while (end < path.size() && !IsSlash(path[end])) ++end;
            if (end == at) return {};
            root += "\\" + std::string(path.substr(at, end - at));
            at = end + 1;
        }
        namesAt = std::min(at, path.size());
        return root;
    }
    if (path.size() >= 3 && IsDriveLetter(path[0]) && path[1] == ':' && IsSlash(path[2])) {
        namesAt = 3;
        return std::string(path.substr(0, 2));
    }
    return {};
}

}  // namespace

std::string ExtendedPath(std::string_view path, std::string_view currentFolder) {
    if (path.rfind(kExtended, 0) == 0 || path.rfind("\\\\.\\", 0) == 0) return std::string(path);
    std::size_t namesAt = 0;
    std::string root = RootOf(path, namesAt);
    std::vector<std::string> names;
    if (root.empty() && path.size() >= 2 && IsSlash(path[0]) && IsSlash(path[1])) return {};  // a share without its name
    if (root.empty()) {
        // Not full: made full from the current folder.
        std::string current(currentFolder);
        if (current.rfind(kExtendedUnc, 0) == 0) current = "\\\\" + current.substr(kExtendedUnc.size());
        else if (current.rfind(kExtended, 0) == 0) current.erase(0, kExtended.size());
        std::size_t currentNamesAt = 0;
        root = RootOf(current + "\\", currentNamesAt);
        if (root.empty()) return {};
        const bool drivePrefixed = path.size() >= 2 && IsDriveLetter(path[0]) && path[1] == ':';
        if (drivePrefixed && (path[0] | 0x20) != (root[0] | 0x20)) {
            root = std::string(path.substr(0, 2));  // "D:name" on another drive: from its root
        } else if (!path.empty() && IsSlash(path[0])) {
            // "\name": from the root of the current drive or share
        } else {
            AddNames(std::string_view(current).substr(std::min(currentNamesAt, current.size())), names);
        }
        namesAt = drivePrefixed ? 2 : 0;
    }
    AddNames(path.substr(namesAt), names);
    std::string out = root[0] == '\\' ? std::string(kExtendedUnc) + root.substr(2) : std::string(kExtended) + root;
    out += '\\';
    for (std::size_t i = 0; i < names.size(); ++i) out += (i ? "\\" : "") + names[i];
    if (!names.empty() && IsSlash(path.back())) out += '\\';
    return out;
}

}  // namespace plivex
