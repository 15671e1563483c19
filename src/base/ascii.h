// Letter case of ASCII only: option letters, device names, drive letters and
// browser names are ASCII, and bytes of UTF-8 text must never change.
#pragma once

#include <string>
#include <string_view>

namespace plivex {

constexpr char AsciiUpper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }
constexpr char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

inline std::string AsciiUpper(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = AsciiUpper(c);
    return out;
}

}  // namespace plivex
