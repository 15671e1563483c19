// Code page 932 through the system's own tables.
#include <windows.h>

#include "base/secret.h"
#include "sys/cp932.h"
#include "sys/text_win.h"

namespace plivex {

// The UTF-16 form of a password on its way to code page 932 is wiped too.
struct WipedWide {
    std::optional<std::wstring> text;
    ~WipedWide() {
        if (text) SecureWipe(*text);
    }
};

std::optional<std::string> Utf8ToCp932(std::string_view utf8) {
    const WipedWide converted{TryWiden(utf8)};
    const std::optional<std::wstring>& wide = converted.text;
    if (!wide) return std::nullopt;
    if (wide->empty()) return std::string();
    BOOL usedDefault = FALSE;
    const int len = WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, wide->data(), static_cast<int>(wide->size()),
                                        nullptr, 0, nullptr, &usedDefault);
    if (len <= 0 || usedDefault) return std::nullopt;
    std::string out(static_cast<std::size_t>(len), '\0');
    WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, wide->data(), static_cast<int>(wide->size()), out.data(), len,
                        nullptr, &usedDefault);
    if (usedDefault) {
        SecureWipe(out);
        return std::nullopt;
    }
    return out;
}

std::optional<std::string> Cp932ToUtf8(std::string_view cp932) {
    if (cp932.empty()) return std::string();
    const int len = MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, cp932.data(), static_cast<int>(cp932.size()),
                                        nullptr, 0);
    if (len <= 0) return std::nullopt;
    std::wstring wide(static_cast<std::size_t>(len), L'\0');
    MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, cp932.data(), static_cast<int>(cp932.size()), wide.data(), len);
    return Narrow(wide);
}

}  // namespace plivex
