// Password-keyed byte transform of the container format.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace plivex {

// Fixed bytes appended to the password's code page 932 bytes to form the key string.
inline constexpr unsigned char kKeySuffix[18] = {0x5E, 0xD1, 0x09, 0xA3, 0x77, 0xC4, 0x2B, 0x4B, 0x65,
                                                 0x73, 0x74, 0x72, 0x65, 0x6C, 0x57, 0x69, 0x6E, 0x67};

// Key string = password bytes (code page 932, no terminator) + kKeySuffix.
std::string MakeKeyString(std::string_view passwordCp932);

// The transform for one key string. Building it expands the key into a
// repeating key stream once, so a long stream costs no modulo per byte.
class Transform {
public:
    explicit Transform(std::string_view key);  // key must not be empty
    ~Transform();
    Transform(const Transform&) = delete;
    Transform& operator=(const Transform&) = delete;

    // Encrypts count bytes from src to dst (src == dst is allowed) at container
    // offsets position .. position+count-1 (unsigned 32-bit, wrapping), then
    // advances position by count.
    void Encode(const unsigned char* src, unsigned char* dst, std::size_t count, std::uint32_t& position) const;
    void Melt(const unsigned char* src, unsigned char* dst, std::size_t count, std::uint32_t& position) const;

    unsigned char KeyByte() const { return keyByte_; }

private:
    template <bool kEncode>
    void Run(const unsigned char* src, unsigned char* dst, std::size_t count, std::uint32_t& position) const;

    std::uint32_t length_;           // L, the key string's length
    unsigned char keyByte_;          // K, sum of the key bytes mod 256
    std::size_t period_;             // a multiple of L: the stream restarts at the same phase after it
    std::vector<unsigned char> stream_;  // key bytes repeated, period_ + L long
};

// The two stateless operations of the format: key byte recomputed on every call,
// nothing done for a count of 0 or less. Both always return true.
bool EncodeBytes(const void* source, void* destination, std::int32_t count, std::uint32_t& position,
                 std::string_view key);
bool MeltBytes(const void* source, void* destination, std::int32_t count, std::uint32_t& position,
               std::string_view key);

}  // namespace plivex
