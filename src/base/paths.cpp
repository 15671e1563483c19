#include "base/paths.h"

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

}  // namespace plivex
