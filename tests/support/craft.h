// Containers laid out by hand from the format, for names and versions the
// codec itself would never write.
#pragma once

#include <cstdint>
#include <string>

#include "codec/cipher.h"

namespace plivex::test {

// Version byte, name length, then the stored name and the body transformed with key.
inline std::string Craft(const std::string& storedCp932, const std::string& body, const std::string& key,
                         int version = 1) {
    std::string c(2 + storedCp932.size() + body.size(), '\0');
    c[0] = static_cast<char>(version);
    c[1] = static_cast<char>(storedCp932.size());
    std::uint32_t pos = 2;
    EncodeBytes(storedCp932.data(), c.data() + 2, static_cast<std::int32_t>(storedCp932.size()), pos, key);
    EncodeBytes(body.data(), c.data() + 2 + storedCp932.size(), static_cast<std::int32_t>(body.size()), pos, key);
    return c;
}

}  // namespace plivex::test
