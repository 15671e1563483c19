// The cryptography of the native build: OpenSSL's libcrypto.
#include "sys/crypto.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/hmac.h>
#include <openssl/rand.h>

#include <climits>
#include <cstring>

namespace plivex::crypto {

bool Random(void* out, std::size_t size) {
    return size <= INT_MAX && RAND_bytes(static_cast<unsigned char*>(out), static_cast<int>(size)) == 1;
}

bool Pbkdf2Sha256(std::string_view password, const void* salt, std::size_t saltSize, std::uint32_t iterations,
                  void* out, std::size_t outSize) {
    if (password.size() > INT_MAX || saltSize > INT_MAX || outSize > INT_MAX || iterations == 0 ||
        iterations > INT_MAX)
        return false;
    return PKCS5_PBKDF2_HMAC(password.data(), static_cast<int>(password.size()),
                             static_cast<const unsigned char*>(salt), static_cast<int>(saltSize),
                             static_cast<int>(iterations), EVP_sha256(), static_cast<int>(outSize),
                             static_cast<unsigned char*>(out)) == 1;
}

bool HmacSha256(const void* key, std::size_t keySize, const void* data, std::size_t dataSize,
                unsigned char (&out)[kSha256Size]) {
    unsigned int length = 0;
    if (keySize > INT_MAX) return false;
    return HMAC(EVP_sha256(), key, static_cast<int>(keySize), static_cast<const unsigned char*>(data), dataSize, out,
                &length) != nullptr &&
           length == kSha256Size;
}

struct AesGcm::Impl {
    EVP_CIPHER_CTX* ctx = nullptr;
    unsigned char key[kAesKeySize];
    int mode = -1;  // what the context is set up for: 1 sealing, 0 opening

    // The key schedule is set up once per direction; each message only sets its nonce.
    bool Start(int wanted, const unsigned char* nonce) {
        if (!ctx) return false;
        if (mode != wanted) {
            if (EVP_CipherInit_ex(ctx, EVP_aes_256_gcm(), nullptr, key, nullptr, wanted) != 1) return false;
            mode = wanted;
        }
        return EVP_CipherInit_ex(ctx, nullptr, nullptr, nullptr, nonce, wanted) == 1;
    }
};

AesGcm::AesGcm(const unsigned char (&key)[kAesKeySize]) : impl_(std::make_unique<Impl>()) {
    std::memcpy(impl_->key, key, kAesKeySize);
    impl_->ctx = EVP_CIPHER_CTX_new();
}

AesGcm::~AesGcm() {
    if (impl_->ctx) EVP_CIPHER_CTX_free(impl_->ctx);
    OPENSSL_cleanse(impl_->key, sizeof impl_->key);
}

bool AesGcm::Ready() const { return impl_->ctx != nullptr; }

bool AesGcm::Seal(const unsigned char (&nonce)[kGcmNonceSize], const void* aad, std::size_t aadSize,
                  const void* plain, std::size_t size, void* cipher, unsigned char (&tag)[kGcmTagSize]) {
    if (size > INT_MAX || aadSize > INT_MAX || !impl_->Start(1, nonce)) return false;
    int n = 0;
    if (aadSize && EVP_EncryptUpdate(impl_->ctx, nullptr, &n, static_cast<const unsigned char*>(aad),
                                     static_cast<int>(aadSize)) != 1)
        return false;
    if (size && EVP_EncryptUpdate(impl_->ctx, static_cast<unsigned char*>(cipher), &n,
                                  static_cast<const unsigned char*>(plain), static_cast<int>(size)) != 1)
        return false;
    int tail = 0;
    if (EVP_EncryptFinal_ex(impl_->ctx, static_cast<unsigned char*>(cipher) + n, &tail) != 1) return false;
    return EVP_CIPHER_CTX_ctrl(impl_->ctx, EVP_CTRL_GCM_GET_TAG, static_cast<int>(kGcmTagSize), tag) == 1;
}

bool AesGcm::Open(const unsigned char (&nonce)[kGcmNonceSize], const void* aad, std::size_t aadSize,
                  const void* cipher, std::size_t size, const unsigned char (&tag)[kGcmTagSize], void* plain) {
    if (size > INT_MAX || aadSize > INT_MAX || !impl_->Start(0, nonce)) return false;
    int n = 0;
    if (aadSize && EVP_DecryptUpdate(impl_->ctx, nullptr, &n, static_cast<const unsigned char*>(aad),
                                     static_cast<int>(aadSize)) != 1)
        return false;
    if (size && EVP_DecryptUpdate(impl_->ctx, static_cast<unsigned char*>(plain), &n,
                                  static_cast<const unsigned char*>(cipher), static_cast<int>(size)) != 1)
        return false;
    unsigned char expected[kGcmTagSize];
    std::memcpy(expected, tag, kGcmTagSize);
    if (EVP_CIPHER_CTX_ctrl(impl_->ctx, EVP_CTRL_GCM_SET_TAG, static_cast<int>(kGcmTagSize), expected) != 1)
        return false;
    int tail = 0;
    return EVP_DecryptFinal_ex(impl_->ctx, static_cast<unsigned char*>(plain) + n, &tail) == 1;
}

}  // namespace plivex::crypto
