#include "filesel/file_types.h"

#include <algorithm>

#include "base/paths.h"

namespace plivex {

namespace {

// Lower-case partner of a code point, for the scripts whose case Windows file names ignore.
char32_t FoldCodePoint(char32_t c) {
    if (c >= U'A' && c <= U'Z') return c + 32;
    if (c < 0xC0) return c;
    if (c <= 0xDE) return c == 0xD7 ? c : c + 32;  // Latin-1, but not the multiplication sign
    if (c >= 0x100 && c <= 0x17F) {
        // Latin Extended-A pairs: upper case on even code points, except in two runs on odd ones.
        const bool oddUpper = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
        if (c == 0x178) return 0xFF;
        if (c == 0x130 || c == 0x131 || c == 0x138 || c == 0x149 || c == 0x17F) return c;
        return ((c & 1) == (oddUpper ? 1u : 0u)) ? c + 1 : c;
    }
    if (c >= 0x391 && c <= 0x3A9 && c != 0x3A2) return c + 32;  // Greek
    if (c >= 0x410 && c <= 0x42F) return c + 32;                // Cyrillic
    if (c >= 0x400 && c <= 0x40F) return c + 80;
    if (c >= 0xFF21 && c <= 0xFF3A) return c + 32;  // full-width Latin
    return c;
}

// Length of the well-formed UTF-8 sequence at text[i] and its code point; 0 when malformed.
std::size_t DecodeAt(std::string_view text, std::size_t i, char32_t& out) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char b0 = byte(i);
    std::size_t len;
    char32_t c;
    if (b0 < 0x80) {
        out = b0;
        return 1;
    } else if (b0 >= 0xC2 && b0 <= 0xDF) {
        len = 2;
        c = b0 & 0x1F;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        len = 3;
        c = b0 & 0x0F;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        len = 4;
        c = b0 & 0x07;
    } else {
        return 0;
    }
    if (i + len > text.size()) return 0;
    for (std::size_t k = 1; k < len; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) return 0;
        c = (c << 6) | (byte(i + k) & 0x3F);
    }
    // Overlong forms, surrogates and values beyond Unicode are not text.
    if ((len == 3 && c < 0x800) || (len == 4 && (c < 0x10000 || c > 0x10FFFF)) || (c >= 0xD800 && c <= 0xDFFF))
        return 0;
    out = c;
    return len;
}

void Encode(char32_t c, std::string& out) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

}  // namespace

std::string FoldCase(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        char32_t c = 0;
        const std::size_t len = DecodeAt(text, i, c);
        if (len == 0) {  // a stray byte stays as it is
            out += text[i++];
            continue;
        }
        Encode(FoldCodePoint(c), out);
        i += len;
    }
    return out;
}

bool SameTextIgnoringCase(std::string_view a, std::string_view b) { return FoldCase(a) == FoldCase(b); }

std::string FileTypeEntry(std::string_view name, std::string_view masks) {
    std::string entry(name);
    entry += " (";
    entry += masks;
    entry += ')';
    return entry;
}

std::string FileTypeMasks(std::string_view entry) {
    const std::size_t paren = entry.find('(');
    const std::size_t start = paren == std::string_view::npos ? 0 : paren + 1;
    if (entry.empty() || entry.size() - 1 <= start) return {};
    return std::string(entry.substr(start, entry.size() - 1 - start));
}

FileTypeList::FileTypeList() : entries_{FileTypeEntry(kAllFilesTypeName, kAllFilesMask)} {}

bool FileTypeList::Add(std::string_view name, std::string_view masks, std::int32_t index) {
    std::string entry = FileTypeEntry(name, masks);
    const std::string key = FoldCase(entry);
    for (const std::string& e : entries_)
        if (FoldCase(e) == key) return false;
    const std::int32_t at = std::clamp(index, std::int32_t{0}, Count());
    entries_.insert(entries_.begin() + at, std::move(entry));
    return true;
}

bool FileTypeList::Delete(std::string_view text) {
    const auto it = std::find_if(entries_.begin(), entries_.end(),
                                 [&](const std::string& e) { return e.find(text) != std::string::npos; });
    if (it == entries_.end()) return false;
    entries_.erase(it);
    return true;
}

std::int32_t FileTypeIndexFor(std::int32_t i, std::int32_t count) { return i < count ? i : 0; }

std::vector<std::string> SplitPatterns(std::string_view patterns) {
    std::vector<std::string> pieces;
    for (;;) {
        const std::size_t comma = patterns.find(',');
        pieces.emplace_back(patterns.substr(0, comma));
        if (comma == std::string_view::npos) return pieces;
        patterns.remove_prefix(comma + 1);
    }
}

std::string AddDefaultExt(std::string_view path, std::string_view patterns) {
    std::string out(path);
    if (FileNamePart(path).find('.') != std::string::npos) return out;
    const std::size_t dot = patterns.find('.');
    if (dot == std::string_view::npos) return out;
    const std::size_t comma = std::min(patterns.find(','), patterns.size());
    // A "," before the "." leaves no extension ("*,*.txt").
    if (comma <= dot) return out;
    const std::string_view ext = patterns.substr(dot, comma - dot);
    if (ext.find_first_of("*?") == std::string_view::npos) out += ext;
    return out;
}

bool IsAbsolutePath(std::string_view name) {
    auto separator = [](char c) { return c == '\\' || c == '/'; };
    const bool drive = name.size() >= 3 && ((name[0] >= 'A' && name[0] <= 'Z') || (name[0] >= 'a' && name[0] <= 'z')) &&
                       name[1] == ':' && separator(name[2]);
    const bool network = name.size() >= 3 && separator(name[0]) && separator(name[1]) && !separator(name[2]);
    return drive || network;
}

std::string AcceptedPath(std::string_view folder, std::string_view typedName, std::string_view patterns) {
    std::string path = IsAbsolutePath(typedName) ? std::string() : std::string(folder);
    path += typedName;
    return AddDefaultExt(path, patterns);
}

std::vector<std::string> ChosenFiles(std::string_view folder, const std::vector<std::string>& selectedItems,
                                     std::string_view typedName) {
    std::vector<std::string> files;
    files.reserve(selectedItems.size() + 1);
    for (const std::string& item : selectedItems) files.push_back(std::string(folder) + item);
    std::string typed = std::string(folder) + std::string(typedName);
    const bool present = std::any_of(files.begin(), files.end(),
                                     [&](const std::string& f) { return SameTextIgnoringCase(f, typed); });
    if (!present) files.push_back(std::move(typed));
    return files;
}

std::string InitialFolderOrDefault(std::string_view folder, std::string_view programFolder) {
    return std::string(folder.empty() ? programFolder : folder);
}

}  // namespace plivex
