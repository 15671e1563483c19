// Rules of the file selection dialog that need no window: the named file
// types, the wildcard patterns, the default extension and the chosen files.
// Paths are UTF-8 with the separators of Windows.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace plivex {

// The type every new dialog starts with.
inline constexpr const char* kAllFilesTypeName = "すべてのファイル";
inline constexpr const char* kAllFilesMask = "*.*";

// Letter case folded as Windows file names ignore it (ASCII, Latin-1 and
// Latin Extended-A, Greek, Cyrillic, full-width Latin); other bytes unchanged.
std::string FoldCase(std::string_view text);
bool SameTextIgnoringCase(std::string_view a, std::string_view b);

// "name (masks)".
std::string FileTypeEntry(std::string_view name, std::string_view masks);
// The masks of an entry: what follows its first "(", without the last character.
std::string FileTypeMasks(std::string_view entry);

// The named file types in display order.
class FileTypeList {
public:
    // One entry: all files, "*.*".
    FileTypeList();

    // Inserts "name (masks)" at index clamped to 0..Count(); false, and no
    // change, when the entry is already there in any letter case.
    bool Add(std::string_view name, std::string_view masks, std::int32_t index);
    // Removes the first entry containing text (case-sensitive); false when none does.
    bool Delete(std::string_view text);
    void Clear() { entries_.clear(); }

    const std::vector<std::string>& Entries() const { return entries_; }
    std::int32_t Count() const { return static_cast<std::int32_t>(entries_.size()); }

private:
    std::vector<std::string> entries_;
};

// The type index to store for i: i itself when below count (negative ones
// included), otherwise 0.
std::int32_t FileTypeIndexFor(std::int32_t i, std::int32_t count);

// The pattern text cut at every ",", blanks kept: " *.doc" matches only names
// that begin with a blank.
std::vector<std::string> SplitPatterns(std::string_view patterns);

// path with the extension of the first pattern appended, when path's name
// has no extension and that extension holds no wildcard ("*.pvx" adds ".pvx",
// "*.*" nothing).
std::string AddDefaultExt(std::string_view path, std::string_view patterns);

// Whether a typed name is a full path of its own: a drive letter, ":" and a
// separator, or a network path "\\server\share".
bool IsAbsolutePath(std::string_view name);

// The full path of a typed name: a full path as it is, any other name after
// the folder; then the default extension.
std::string AcceptedPath(std::string_view folder, std::string_view typedName, std::string_view patterns);

// A multi-select choice: folder + each selected item in list order, then
// folder + the typed name unless already there in any letter case.
std::vector<std::string> ChosenFiles(std::string_view folder, const std::vector<std::string>& selectedItems,
                                     std::string_view typedName);

// The folder the dialog opens in: the program's folder for an empty text.
std::string InitialFolderOrDefault(std::string_view folder, std::string_view programFolder);

}  // namespace plivex
