// The platform's cryptography, the few primitives the strong container format
// is built from: the system's random generator, PBKDF2 and HMAC with SHA-256,
// and AES-256-GCM. Windows' own CNG on Windows, OpenSSL's libcrypto natively;
// nothing here is implemented by hand.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

namespace plivex::crypto {

inline constexpr std::size_t kSha256Size = 32;
inline constexpr std::size_t kAesKeySize = 32;
inline constexpr std::size_t kGcmNonceSize = 12;
inline constexpr std::size_t kGcmTagSize = 16;

// Fills size bytes from the system's preferred generator; false when it fails.
bool Random(void* out, std::size_t size);

// PBKDF2 with HMAC-SHA256 over the password's bytes as given.
bool Pbkdf2Sha256(std::string_view password, const void* salt, std::size_t saltSize, std::uint32_t iterations,
                  void* out, std::size_t outSize);

bool HmacSha256(const void* key, std::size_t keySize, const void* data, std::size_t dataSize,
                unsigned char (&out)[kSha256Size]);

// AES-256-GCM under one key, set up once for many messages. Buffers may not overlap.
class AesGcm {
public:
    explicit AesGcm(const unsigned char (&key)[kAesKeySize]);
    ~AesGcm();
    AesGcm(const AesGcm&) = delete;
    AesGcm& operator=(const AesGcm&) = delete;

    // False when the platform could not set the key up; Seal and Open then fail.
    bool Ready() const;
    bool Seal(const unsigned char (&nonce)[kGcmNonceSize], const void* aad, std::size_t aadSize, const void* plain,
              std::size_t size, void* cipher, unsigned char (&tag)[kGcmTagSize]);
    // False when the tag does not verify (nothing in plain may then be used) or the platform failed.
    bool Open(const unsigned char (&nonce)[kGcmNonceSize], const void* aad, std::size_t aadSize, const void* cipher,
              std::size_t size, const unsigned char (&tag)[kGcmTagSize], void* plain);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace plivex::crypto
