#include "sys/find_win.h"

#include "sys/text_win.h"

namespace plivex {

bool ForEachEntry(const std::string& pattern, const std::function<bool(const WIN32_FIND_DATAW&)>& each) {
    const std::optional<std::wstring> wide = TryWiden(pattern);
    if (!wide) return false;
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
