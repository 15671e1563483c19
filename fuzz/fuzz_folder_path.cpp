// The folder tree's path arithmetic on arbitrary text: selecting a folder by
// its path and naming a node must agree with each other.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "filesel/folder_path.h"

using namespace plivex;

namespace {

void Check(bool ok) {
    if (!ok) std::abort();
}

// Length of the well-formed UTF-8 sequence starting at s[i], or 0.
std::size_t SequenceAt(std::string_view s, std::size_t i) {
    const auto b = static_cast<unsigned char>(s[i]);
    const std::size_t n = b < 0x80 ? 1 : (b & 0xE0) == 0xC0 ? 2 : (b & 0xF0) == 0xE0 ? 3 : (b & 0xF8) == 0xF0 ? 4 : 0;
    if (n == 0 || i + n > s.size()) return 0;
    for (std::size_t k = 1; k < n; ++k)
        if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return 0;
    return n;
}

// Where the last character starts, when the whole text is well-formed UTF-8.
bool LastCharacter(std::string_view s, std::size_t& start) {
    for (std::size_t i = 0; i < s.size();) {
        const std::size_t n = SequenceAt(s, i);
        if (n == 0) return false;
        start = i;
        i += n;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path(reinterpret_cast<const char*>(data), size);

    // Selecting by path: nothing without a colon; otherwise the steps, put
    // together again as a node's path, give the path back with its final backslash.
    const std::vector<FolderSegment> steps = FolderPathSegments(path);
    Check(steps.empty() == (path.find(':') == std::string::npos));
    if (!steps.empty()) {
        std::vector<std::string> texts;
        for (const FolderSegment& s : steps) {
            Check(s.name.find('\\') == std::string::npos);
            Check(s.drive == (!s.name.empty() && s.name.back() == ':'));
            texts.push_back(s.name);
        }
        const std::string withBackslash = path.back() == '\\' ? path : path + '\\';
        Check(FolderPathOf(texts) == withBackslash);
        Check(FolderPathSegments(withBackslash) == steps);
        Check(FolderNameOf(withBackslash) == withBackslash.substr(0, withBackslash.size() - 1));
    }

    // A node's path from its texts: each text followed by a backslash; its
    // folder name is that without the last backslash.
    std::vector<std::string> texts(1);
    for (char c : path) {
        if (c == '\\') texts.emplace_back();
        else texts.back() += c;
    }
    const std::string nodePath = FolderPathOf(texts);
    Check(nodePath == path + '\\');
    Check(FolderNameOf(nodePath) == path);

    // The folder name drops exactly the last character of well-formed text,
    // and never more than a prefix of any text.
    const std::string name = FolderNameOf(path);
    Check(name.size() < path.size() || path.empty());
    Check(path.compare(0, name.size(), name) == 0);
    std::size_t last = 0;
    if (!path.empty() && LastCharacter(path, last)) Check(name.size() == last);

    // A drive's node text: the text up to and including the first colon,
    // a lower-case letter in front raised to upper case, and nothing else changed.
    const std::string drive = DriveNodeText(path);
    const std::size_t colon = path.find(':');
    Check(drive.size() == (colon == std::string::npos ? path.size() : colon + 1));
    for (std::size_t i = 0; i < drive.size(); ++i) {
        const bool raised = i == 0 && path[0] >= 'a' && path[0] <= 'z';
        Check(drive[i] == (raised ? path[0] - 'a' + 'A' : path[i]));
    }
    Check(DriveNodeText(drive) == drive);
    // A drive's node text selects that drive's root node.
    if (colon != std::string::npos && drive.find('\\') == std::string::npos) {
        const std::vector<FolderSegment> root = FolderPathSegments(drive + '\\');
        Check(root.size() == 1 && root[0].name == drive && root[0].drive);
    }
    return 0;
}
