#include "sys/find_win.h"

#include "base/paths.h"
#include "sys/text_win.h"

namespace plivex {

bool ForEachEntry(const std::string& pattern, const std::function<bool(const WIN32_FIND_DATAW&)>& each) {
    // Only the folder is made full: a pattern's dots are its own ("*." finds names without one).
    const std::string folder = FolderPart(pattern);
    std::optional<std::wstring> wide = folder.empty() ? TryWidenPath(".\\") : TryWidenPath(folder);
    const std::optional<std::wstring> name = TryWiden(FileNamePart(pattern));
    if (!wide || !name) return false;
    if (wide->back() != L'\\') *wide += L'\\';
    *wide += *name;
    WIN32_FIND_DATAW data;
    const HANDLE find = FindFirstFileW(wide->c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return false;
    struct Closer {
        HANDLE h;
        ~Closer() { FindClose(h); }
    } closer{find};
    do {
        if (!each(data)) break;
    } while (FindNextFileW(find, &data));
    return true;
}

}  // namespace plivex
