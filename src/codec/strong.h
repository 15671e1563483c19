// The strong container format (version 2): a 44-byte header, then the plain
// stream (name length, UTF-8 name, the file's bytes) in AES-256-GCM chunks
// under a key derived from the password and two salts.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/secret.h"

namespace plivex {

inline constexpr int kStrongVersion = 2;

namespace strong {

inline constexpr std::size_t kHeaderSize = 44;
inline constexpr std::size_t kSaltSize = 16;
inline constexpr std::size_t kKeySize = 32;
inline constexpr std::size_t kTagSize = 16;
inline constexpr std::size_t kChunk = 65536;                   // plain bytes of every chunk but the last
inline constexpr std::size_t kCipherChunk = kChunk + kTagSize;  // as stored
inline constexpr std::size_t kMaxName = 1024;                  // UTF-8 bytes of the stored name
inline constexpr std::uint32_t kWriteIterations = 600000;
inline constexpr std::uint32_t kMinIterations = 1000;
inline constexpr std::uint32_t kMaxIterations = 5000000;
// Header, one tag, and the smallest plain stream (a one-byte name).
inline constexpr std::uint64_t kMinContainer = kHeaderSize + kTagSize + 3;

using Salt = std::array<unsigned char, kSaltSize>;

struct Header {
    std::uint32_t iterations = kWriteIterations;
    Salt passSalt{};
    Salt fileSalt{};
};

std::array<unsigned char, kHeaderSize> HeaderBytes(const Header& header);
// nullopt unless the bytes are a header of ours with an iteration count we accept.
std::optional<Header> ParseHeader(const unsigned char* bytes, std::size_t size);

// How a container of this size is cut into chunks; nullopt when its tail
// cannot be a chunk (cut inside a tag) or there are too many chunks to count.
struct Framing {
    std::uint64_t chunks = 0;
    std::size_t lastCipher = 0;  // the last chunk's stored size, tag included
};
std::optional<Framing> FramingOf(std::uint64_t containerSize);
// The size of the container that holds a plain stream of this many bytes (at least 1).
std::uint64_t ContainerSizeFor(std::uint64_t plainStream);
// The most chunks a container may hold: the counter in the nonce is 32 bits.
inline constexpr std::uint64_t kMaxChunks = std::uint64_t{1} << 32;

// The two bytes of the name length and the name, which open the plain stream.
std::string StreamPrefix(std::string_view utf8Name);

// master = PBKDF2-HMAC-SHA256(password, pass salt, iterations), 32 bytes.
std::optional<Secret> StretchPassword(std::string_view password, const Salt& passSalt, std::uint32_t iterations);
// file key = HKDF-SHA256 (extract with the file salt, expand with our label), 32 bytes.
std::optional<Secret> FileKey(const Secret& master, const Salt& fileSalt);

// The chunks of one container, sealed or opened in order of their index.
class Chunks {
public:
    Chunks(const Secret& fileKey, const Header& header);
    ~Chunks();
    Chunks(const Chunks&) = delete;
    Chunks& operator=(const Chunks&) = delete;
    bool Ready() const;
    // cipher receives size + kTagSize bytes.
    bool Seal(std::uint32_t index, bool last, const unsigned char* plain, std::size_t size, unsigned char* cipher);
    // cipher holds size + kTagSize bytes; false when the chunk does not authenticate.
    bool Open(std::uint32_t index, bool last, const unsigned char* cipher, std::size_t size, unsigned char* plain);

private:
    struct Impl;
    Impl* impl_;
};

}  // namespace strong

// What one container is written with, or was melted with: the key string of
// version 1, or for version 2 the stretched password with its salt and count.
struct ContainerKey {
    int version = 1;
    Secret keyString;                // version 1
    strong::Salt passSalt{};         // version 2
    std::uint32_t iterations = 0;
    Secret master;
};

// Runs a step that may take long (the stretching) and returns its result; a
// caller with a window to keep answering runs it on another thread.
using LongStep = std::function<bool(const std::function<bool()>&)>;

// The password of one pass. Version 1 uses its key string (when the password
// has a code page 932 form), made when a version 1 container is first written
// or met; version 2 stretches it once for each pass salt and iteration count
// met, keeping the result for the pass. The password itself is kept only as
// long as something may still need it.
class PassKeys {
public:
    PassKeys() = default;
    // The password as typed (UTF-8), for melting: containers of either format may come.
    static PassKeys FromPassword(std::string_view password);
    // For a pass that writes this version only: version 1 keeps the key string
    // alone (none when the password has no code page 932 form), version 2 the
    // password until the pass's write key exists.
    static PassKeys ToWrite(std::string_view password, int version);
    // Only a key string: version 1 containers only.
    static PassKeys FromKeyString(std::string_view key);
    // Re-encryption: the key a container was melted with, written again as it is.
    static PassKeys FromContainerKey(const ContainerKey& key);

    // Another password typed for the rest of the pass; what the earlier one
    // stretched stays, for the containers it opened.
    void Retype(std::string_view password);
    // The master key for this salt and count opened nothing: stretched again if met again.
    void Forget(const strong::Salt& passSalt, std::uint32_t iterations);
    // The version 1 key string; null when the password has no code page 932 form.
    const Secret* KeyString();
    ContainerKey V1Key();
    // Whether the typed password is still held (tests look).
    bool HoldsPassword() const { return password_.has_value(); }
    // The master key for this salt and count; stretched by run at the first call.
    // Null when there is no password to stretch or the platform failed.
    const ContainerKey* Master(const strong::Salt& passSalt, std::uint32_t iterations, const LongStep& run);

    // The key version 2 files of this pass are written with: the first call
    // draws the pass salt and stretches. Null with why on failure.
    enum class WriteFault { kNone, kNoPassword, kRandom, kCrypto };
    const ContainerKey* ForWriting(const std::function<bool(void*, std::size_t)>& random, std::uint32_t iterations,
                                   const LongStep& run, WriteFault& fault);

private:
    std::optional<Secret> keyString_;
    std::optional<Secret> password_;
    bool writeOnly_ = false;  // nothing but the pass's write key is needed once it exists
    std::deque<ContainerKey> masters_;  // pointers handed out stay valid
    std::optional<std::size_t> writing_;  // the entry of masters_ this pass writes with
};

}  // namespace plivex
