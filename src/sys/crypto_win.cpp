// The cryptography of the Windows build: CNG (bcrypt.dll), which every
// supported Windows ships, so the program carries no library of its own.
#include <windows.h>
#include <bcrypt.h>

#include <climits>
#include <cstring>
#include <vector>

#include "base/secret.h"
#include "sys/crypto.h"

namespace plivex::crypto {

namespace {

// Opening a provider is slow and its handle may be shared between threads:
// each is opened once and kept for the life of the process.
BCRYPT_ALG_HANDLE OpenProvider(const wchar_t* algorithm, ULONG flags) {
    BCRYPT_ALG_HANDLE handle = nullptr;
    if (!BCRYPT_SUCCESS(BCryptOpenAlgorithmProvider(&handle, algorithm, nullptr, flags))) return nullptr;
    return handle;
}

BCRYPT_ALG_HANDLE HmacProvider() {
    static const BCRYPT_ALG_HANDLE handle = OpenProvider(BCRYPT_SHA256_ALGORITHM, BCRYPT_ALG_HANDLE_HMAC_FLAG);
    return handle;
}

BCRYPT_ALG_HANDLE GcmProvider() {
    static const BCRYPT_ALG_HANDLE handle = [] {
        BCRYPT_ALG_HANDLE h = OpenProvider(BCRYPT_AES_ALGORITHM, 0);
        if (h && !BCRYPT_SUCCESS(BCryptSetProperty(h, BCRYPT_CHAINING_MODE,
                                                   reinterpret_cast<PUCHAR>(const_cast<wchar_t*>(BCRYPT_CHAIN_MODE_GCM)),
                                                   sizeof BCRYPT_CHAIN_MODE_GCM, 0))) {
            BCryptCloseAlgorithmProvider(h, 0);
            h = nullptr;
        }
        return h;
    }();
    return handle;
}

PUCHAR Bytes(const void* p) { return static_cast<PUCHAR>(const_cast<void*>(p)); }

}  // namespace

bool Random(void* out, std::size_t size) {
    return size <= ULONG_MAX &&
           BCRYPT_SUCCESS(BCryptGenRandom(nullptr, static_cast<PUCHAR>(out), static_cast<ULONG>(size),
                                          BCRYPT_USE_SYSTEM_PREFERRED_RNG));
}

bool Pbkdf2Sha256(std::string_view password, const void* salt, std::size_t saltSize, std::uint32_t iterations,
                  void* out, std::size_t outSize) {
    const BCRYPT_ALG_HANDLE prf = HmacProvider();
    if (!prf || password.size() > ULONG_MAX || saltSize > ULONG_MAX || outSize > ULONG_MAX || iterations == 0)
        return false;
    return BCRYPT_SUCCESS(BCryptDeriveKeyPBKDF2(prf, Bytes(password.data()), static_cast<ULONG>(password.size()),
                                                Bytes(salt), static_cast<ULONG>(saltSize), iterations,
                                                static_cast<PUCHAR>(out), static_cast<ULONG>(outSize), 0));
}

bool HmacSha256(const void* key, std::size_t keySize, const void* data, std::size_t dataSize,
                unsigned char (&out)[kSha256Size]) {
    const BCRYPT_ALG_HANDLE prf = HmacProvider();
    if (!prf || keySize > ULONG_MAX || dataSize > ULONG_MAX) return false;
    BCRYPT_HASH_HANDLE hash = nullptr;
    // The provider keeps the hash object itself (Windows 7 and later).
    if (!BCRYPT_SUCCESS(BCryptCreateHash(prf, &hash, nullptr, 0, Bytes(key), static_cast<ULONG>(keySize), 0)))
        return false;
    const bool ok = BCRYPT_SUCCESS(BCryptHashData(hash, Bytes(data), static_cast<ULONG>(dataSize), 0)) &&
                    BCRYPT_SUCCESS(BCryptFinishHash(hash, out, kSha256Size, 0));
    BCryptDestroyHash(hash);
    return ok;
}

struct AesGcm::Impl {
    BCRYPT_KEY_HANDLE key = nullptr;
    std::vector<unsigned char> keyObject;  // holds the expanded key: wiped when it goes

    bool Run(bool seal, const unsigned char* nonce, const void* aad, std::size_t aadSize, const void* in,
             std::size_t size, void* out, unsigned char* tag) {
        if (!key || size > ULONG_MAX || aadSize > ULONG_MAX) return false;
        BCRYPT_AUTHENTICATED_CIPHER_MODE_INFO info;
        BCRYPT_INIT_AUTH_MODE_INFO(info);
        info.pbNonce = const_cast<PUCHAR>(nonce);
        info.cbNonce = kGcmNonceSize;
        info.pbAuthData = Bytes(aad);
        info.cbAuthData = static_cast<ULONG>(aadSize);
        info.pbTag = tag;
        info.cbTag = kGcmTagSize;
        ULONG done = 0;
        // An empty message still has a tag; CNG wants a buffer to point at.
        unsigned char none = 0;
        PUCHAR input = size ? Bytes(in) : &none;
        PUCHAR output = size ? static_cast<PUCHAR>(out) : &none;
        const NTSTATUS status =
            seal ? BCryptEncrypt(key, input, static_cast<ULONG>(size), &info, nullptr, 0, output,
                                 static_cast<ULONG>(size), &done, 0)
                 : BCryptDecrypt(key, input, static_cast<ULONG>(size), &info, nullptr, 0, output,
                                 static_cast<ULONG>(size), &done, 0);
        return BCRYPT_SUCCESS(status) && done == size;
    }
};

AesGcm::AesGcm(const unsigned char (&key)[kAesKeySize]) : impl_(std::make_unique<Impl>()) {
    const BCRYPT_ALG_HANDLE aes = GcmProvider();
    if (!aes) return;
    DWORD objectSize = 0;
    ULONG got = 0;
    if (!BCRYPT_SUCCESS(BCryptGetProperty(aes, BCRYPT_OBJECT_LENGTH, reinterpret_cast<PUCHAR>(&objectSize),
                                          sizeof objectSize, &got, 0)))
        return;
    impl_->keyObject.resize(objectSize);
    if (!BCRYPT_SUCCESS(BCryptGenerateSymmetricKey(aes, &impl_->key, impl_->keyObject.data(), objectSize,
                                                   Bytes(key), kAesKeySize, 0)))
        impl_->key = nullptr;
}

AesGcm::~AesGcm() {
    if (impl_->key) BCryptDestroyKey(impl_->key);
    if (!impl_->keyObject.empty()) SecureWipe(impl_->keyObject.data(), impl_->keyObject.size());
}

bool AesGcm::Ready() const { return impl_->key != nullptr; }

bool AesGcm::Seal(const unsigned char (&nonce)[kGcmNonceSize], const void* aad, std::size_t aadSize,
                  const void* plain, std::size_t size, void* cipher, unsigned char (&tag)[kGcmTagSize]) {
    return impl_->Run(true, nonce, aad, aadSize, plain, size, cipher, tag);
}

bool AesGcm::Open(const unsigned char (&nonce)[kGcmNonceSize], const void* aad, std::size_t aadSize,
                  const void* cipher, std::size_t size, const unsigned char (&tag)[kGcmTagSize], void* plain) {
    unsigned char expected[kGcmTagSize];
    std::memcpy(expected, tag, kGcmTagSize);
    return impl_->Run(false, nonce, aad, aadSize, cipher, size, plain, expected);
}

}  // namespace plivex::crypto
