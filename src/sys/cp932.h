// Conversions between UTF-8 and code page 932, the encoding of stored names and passwords.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace plivex {

// nullopt when a character has no code page 932 form (no best-fit substitutes).
std::optional<std::string> Utf8ToCp932(std::string_view utf8);
// nullopt when the bytes are not valid code page 932.
std::optional<std::string> Cp932ToUtf8(std::string_view cp932);

}  // namespace plivex
