// The path arithmetic of the folder tree: which nodes a path names, and the
// path a node stands for. Paths are UTF-8, so a backslash or a colon byte is
// always that character and never part of another one.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace plivex {

// One step of selecting a folder by its path: a drive ("C:", looked up among
// the root nodes) or a folder name (looked up among the children of the step before).
struct FolderSegment {
    std::string name;
    bool drive = false;
    friend bool operator==(const FolderSegment&, const FolderSegment&) = default;
};

// The steps that select the folder named by path, in order. A path holding no
// colon names nothing (empty result): network and relative paths are not shown
// in the tree. "C:\Data" and "C:\Data\" give {C:, drive}, {Data}.
std::vector<FolderSegment> FolderPathSegments(std::string_view path);

// The path of a node from the texts of it and its ancestors, root first:
// {"C:", "Data"} gives "C:\Data\"; always ending with a backslash.
std::string FolderPathOf(const std::vector<std::string>& textsFromRoot);

// A path without its last character ("C:\" gives "C:", "C:\Data\" gives "C:\Data").
std::string FolderNameOf(std::string_view pathName);

// The text of a drive's root node from a logical drive string: "c:\" gives "C:".
std::string DriveNodeText(std::string_view driveString);

}  // namespace plivex
