#include "filesel/folder_path.h"

#include "base/ascii.h"

namespace plivex {

std::vector<FolderSegment> FolderPathSegments(std::string_view path) {
    std::vector<FolderSegment> steps;
    if (path.find(':') == std::string_view::npos) return steps;
    std::string rest(path);
    if (rest.back() != '\\') rest += '\\';
    for (std::size_t start = 0; start < rest.size();) {
        const std::size_t end = rest.find('\\', start);
        std::string name = rest.substr(start, end - start);
        const bool drive = !name.empty() && name.back() == ':';
        steps.push_back({std::move(name), drive});
        start = end + 1;
    }
    return steps;
}

std::string FolderPathOf(const std::vector<std::string>& textsFromRoot) {
    std::string path;
    for (const std::string& text : textsFromRoot) {
        path += text;
        path += '\\';
    }
    return path;
}

std::string FolderNameOf(std::string_view pathName) {
    if (pathName.empty()) return {};
    // The last character, not byte: step back over UTF-8 continuation bytes.
    std::size_t end = pathName.size() - 1;
    while (end > 0 && (static_cast<unsigned char>(pathName[end]) & 0xC0) == 0x80) --end;
    return std::string(pathName.substr(0, end));
}

std::string DriveNodeText(std::string_view driveString) {
    const std::size_t colon = driveString.find(':');
    std::string text(driveString.substr(0, colon == std::string_view::npos ? driveString.size() : colon + 1));
    if (!text.empty()) text[0] = AsciiUpper(text[0]);
    return text;
}

}  // namespace plivex
