// Apart from the conversions, so that a program without windows (pvx.exe)
// does not load the window manager's library for it.
#include "sys/text_win.h"

namespace plivex {

std::string WindowText(HWND hwnd) {
    const int len = GetWindowTextLengthW(hwnd);
    std::wstring text(static_cast<std::size_t>(len) + 1, L'\0');
    const int got = GetWindowTextW(hwnd, text.data(), len + 1);
    text.resize(static_cast<std::size_t>(got > 0 ? got : 0));
    return Narrow(text);
}

}  // namespace plivex
