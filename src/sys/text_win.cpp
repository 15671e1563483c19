#include "sys/text_win.h"

#include <windows.h>

#include "base/paths.h"

namespace plivex {

namespace {

std::optional<std::wstring> ToWide(std::string_view utf8, DWORD flags) {
    if (utf8.empty()) return std::wstring();
    const int len = MultiByteToWideChar(CP_UTF8, flags, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    if (len <= 0) return std::nullopt;
    std::wstring out(static_cast<std::size_t>(len), L'\0');
    MultiByteToWideChar(CP_UTF8, flags, utf8.data(), static_cast<int>(utf8.size()), out.data(), len);
    return out;
}

}  // namespace

std::optional<std::wstring> TryWiden(std::string_view utf8) { return ToWide(utf8, MB_ERR_INVALID_CHARS); }

std::optional<std::wstring> TryWidenPath(std::string_view utf8) {
    if (utf8.empty()) return std::nullopt;
    std::wstring current(MAX_PATH, L'\0');
    for (;;) {
        const DWORD got = GetCurrentDirectoryW(static_cast<DWORD>(current.size()), current.data());
        if (got == 0) return std::nullopt;
        if (got < current.size()) {
            current.resize(got);
            break;
        }
        current.resize(got);  // the size it needs, with its terminator
    }
    const std::string full = ExtendedPath(utf8, Narrow(current));
    if (full.empty()) return std::nullopt;
    return TryWiden(full);
}

std::wstring Widen(std::string_view utf8) { return ToWide(utf8, 0).value_or(std::wstring()); }

std::string Narrow(std::wstring_view utf16) {
    if (utf16.empty()) return std::string();
    const int len = WideCharToMultiByte(CP_UTF8, 0, utf16.data(), static_cast<int>(utf16.size()), nullptr, 0,
                                        nullptr, nullptr);
    if (len <= 0) return std::string();
    std::string out(static_cast<std::size_t>(len), '\0');
    WideCharToMultiByte(CP_UTF8, 0, utf16.data(), static_cast<int>(utf16.size()), out.data(), len, nullptr, nullptr);
    return out;
}

std::string SystemErrorText(DWORD code) {
    if (code == ERROR_SUCCESS) return {};
    wchar_t* buffer = nullptr;
    const DWORD length =
        FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    if (length == 0 || !buffer) return {};
    std::wstring text(buffer, length);
    LocalFree(buffer);
    for (wchar_t& c : text)
        if (c == L'\r' || c == L'\n') c = L' ';
    while (!text.empty() && text.back() == L' ') text.pop_back();
    return Narrow(text);
}

}  // namespace plivex
