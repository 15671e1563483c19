#include "codec/strong.h"

#include <cstring>

#include "codec/cipher.h"
#include "sys/cp932.h"
#include "sys/crypto.h"

namespace plivex {
namespace strong {

namespace {

constexpr unsigned char kMagic[6] = {0x00, 'P', 'L', 'V', 'X', 0x01};  // bytes 1..6
constexpr unsigned char kCipherAesGcm = 0x01;                          // byte 7
constexpr std::string_view kFileKeyInfo = "plivex v2 file key";

void PutU32(unsigned char* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<unsigned char>(v >> (8 * i));
}

std::uint32_t GetU32(const unsigned char* p) {
    return p[0] | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 | std::uint32_t{p[3]} << 24;
}

}  // namespace

std::array<unsigned char, kHeaderSize> HeaderBytes(const Header& h) {
    std::array<unsigned char, kHeaderSize> b{};
    b[0] = kStrongVersion;
    std::memcpy(&b[1], kMagic, sizeof kMagic);
    b[7] = kCipherAesGcm;
    PutU32(&b[8], h.iterations);
    std::memcpy(&b[12], h.passSalt.data(), kSaltSize);
    std::memcpy(&b[28], h.fileSalt.data(), kSaltSize);
    return b;
}

std::optional<Header> ParseHeader(const unsigned char* b, std::size_t size) {
    if (size < kHeaderSize || b[0] != kStrongVersion || std::memcmp(&b[1], kMagic, sizeof kMagic) != 0 ||
        b[7] != kCipherAesGcm)
        return std::nullopt;
    Header h;
    h.iterations = GetU32(&b[8]);
    if (h.iterations < kMinIterations || h.iterations > kMaxIterations) return std::nullopt;
    std::memcpy(h.passSalt.data(), &b[12], kSaltSize);
    std::memcpy(h.fileSalt.data(), &b[28], kSaltSize);
    return h;
}

std::optional<Framing> FramingOf(std::uint64_t containerSize) {
    if (containerSize < kMinContainer) return std::nullopt;
    const std::uint64_t body = containerSize - kHeaderSize;
    Framing f;
    f.chunks = (body + kCipherChunk - 1) / kCipherChunk;
    f.lastCipher = static_cast<std::size_t>(body - (f.chunks - 1) * kCipherChunk);
    if (f.lastCipher <= kTagSize || f.chunks > kMaxChunks) return std::nullopt;
    return f;
}

std::uint64_t ContainerSizeFor(std::uint64_t plainStream) {
    const std::uint64_t chunks = (plainStream + kChunk - 1) / kChunk;
    return kHeaderSize + plainStream + chunks * kTagSize;
}

std::string StreamPrefix(std::string_view name) {
    std::string prefix;
    prefix += static_cast<char>(name.size() & 0xFF);
    prefix += static_cast<char>(name.size() >> 8 & 0xFF);
    prefix += name;
    return prefix;
}

std::optional<Secret> StretchPassword(std::string_view password, const Salt& passSalt, std::uint32_t iterations) {
    Secret master(std::string(kKeySize, '\0'));
    if (!crypto::Pbkdf2Sha256(password, passSalt.data(), passSalt.size(), iterations, master.data(), kKeySize))
        return std::nullopt;
    return master;
}

// RFC 5869 with one block of output: PRK = HMAC(salt, IKM), OKM = HMAC(PRK, info | 1).
// Built from HMAC alone, which every Windows the program supports offers in CNG.
std::optional<Secret> FileKey(const Secret& master, const Salt& fileSalt) {
    unsigned char prk[crypto::kSha256Size];
    unsigned char okm[crypto::kSha256Size];
    const WipeGuard wipePrk(prk), wipeOkm(okm);
    std::string info(kFileKeyInfo);
    info += '\x01';
    if (!crypto::HmacSha256(fileSalt.data(), fileSalt.size(), master.str().data(), master.str().size(), prk) ||
        !crypto::HmacSha256(prk, sizeof prk, info.data(), info.size(), okm))
        return std::nullopt;
    return Secret(std::string_view(reinterpret_cast<const char*>(okm), sizeof okm));
}

struct Chunks::Impl {
    explicit Impl(const unsigned char (&key)[kKeySize]) : gcm(key) {}
    crypto::AesGcm gcm;
    std::array<unsigned char, kHeaderSize> aad;

    void Nonce(std::uint32_t index, bool last, unsigned char (&nonce)[crypto::kGcmNonceSize]) const {
        std::memset(nonce, 0, sizeof nonce);
        nonce[7] = static_cast<unsigned char>(index >> 24);
        nonce[8] = static_cast<unsigned char>(index >> 16);
        nonce[9] = static_cast<unsigned char>(index >> 8);
        nonce[10] = static_cast<unsigned char>(index);
        nonce[11] = last ? 1 : 0;
    }
};

Chunks::Chunks(const Secret& fileKey, const Header& header) {
    unsigned char key[kKeySize] = {};
    const WipeGuard wipeKey(key);
    std::memcpy(key, fileKey.str().data(), std::min(fileKey.str().size(), kKeySize));
    impl_ = new Impl(key);
    impl_->aad = HeaderBytes(header);
}

Chunks::~Chunks() { delete impl_; }

bool Chunks::Ready() const { return impl_->gcm.Ready(); }

bool Chunks::Seal(std::uint32_t index, bool last, const unsigned char* plain, std::size_t size,
                  unsigned char* cipher) {
    unsigned char nonce[crypto::kGcmNonceSize];
    impl_->Nonce(index, last, nonce);
    unsigned char tag[kTagSize];
    if (!impl_->gcm.Seal(nonce, impl_->aad.data(), kHeaderSize, plain, size, cipher, tag)) return false;
    std::memcpy(cipher + size, tag, kTagSize);
    return true;
}

bool Chunks::Open(std::uint32_t index, bool last, const unsigned char* cipher, std::size_t size,
                  unsigned char* plain) {
    unsigned char nonce[crypto::kGcmNonceSize];
    impl_->Nonce(index, last, nonce);
    unsigned char tag[kTagSize];
    std::memcpy(tag, cipher + size, kTagSize);
    return impl_->gcm.Open(nonce, impl_->aad.data(), kHeaderSize, cipher, size, tag, plain);
}

}  // namespace strong

PassKeys PassKeys::FromPassword(std::string_view password) {
    PassKeys keys;
    keys.password_.emplace(password);
    return keys;
}

PassKeys PassKeys::ToWrite(std::string_view password, int version) {
    PassKeys keys = FromPassword(password);
    if (version == kStrongVersion) {
        keys.writeOnly_ = true;
    } else {
        keys.KeyString();
        keys.password_.reset();
    }
    return keys;
}

PassKeys PassKeys::FromKeyString(std::string_view key) {
    PassKeys keys;
    keys.keyString_.emplace(key);
    return keys;
}

PassKeys PassKeys::FromContainerKey(const ContainerKey& key) {
    PassKeys keys;
    if (key.version == kStrongVersion) {
        keys.masters_.push_back(key);
        keys.writing_ = 0;
    } else {
        keys.keyString_ = key.keyString;
    }
    return keys;
}

void PassKeys::Retype(std::string_view password) {
    password_.emplace(password);
    keyString_.reset();
}

void PassKeys::Forget(const strong::Salt& passSalt, std::uint32_t iterations) {
    for (std::size_t i = 0; i < masters_.size(); ++i) {
        if (masters_[i].passSalt != passSalt || masters_[i].iterations != iterations || writing_ == i) continue;
        masters_.erase(masters_.begin() + static_cast<std::ptrdiff_t>(i));
        if (writing_ && *writing_ > i) --*writing_;
        return;
    }
}

const Secret* PassKeys::KeyString() {
    if (!keyString_ && password_ && !writeOnly_) {
        if (std::optional<std::string> bytes = Utf8ToCp932(password_->str())) {
            keyString_.emplace(MakeKeyString(*bytes));
            SecureWipe(*bytes);
        }
    }
    return keyString_ ? &*keyString_ : nullptr;
}

ContainerKey PassKeys::V1Key() {
    ContainerKey key;
    key.version = 1;
    if (const Secret* k = KeyString()) key.keyString = *k;
    return key;
}

const ContainerKey* PassKeys::Master(const strong::Salt& passSalt, std::uint32_t iterations, const LongStep& run) {
    for (const ContainerKey& k : masters_)
        if (k.passSalt == passSalt && k.iterations == iterations) return &k;
    if (!password_) return nullptr;
    std::optional<Secret> master;
    const std::function<bool()> stretch = [&] {
        master = strong::StretchPassword(password_->str(), passSalt, iterations);
        return master.has_value();
    };
    if (!(run ? run(stretch) : stretch())) return nullptr;
    ContainerKey key;
    key.version = kStrongVersion;
    key.passSalt = passSalt;
    key.iterations = iterations;
    key.master = *master;
    masters_.push_back(key);
    return &masters_.back();
}

const ContainerKey* PassKeys::ForWriting(const std::function<bool(void*, std::size_t)>& random,
                                         std::uint32_t iterations, const LongStep& run, WriteFault& fault) {
    fault = WriteFault::kNone;
    if (writing_) return &masters_[*writing_];
    if (!password_) {
        fault = WriteFault::kNoPassword;
        return nullptr;
    }
    strong::Salt salt;
    if (!random(salt.data(), salt.size())) {
        fault = WriteFault::kRandom;
        return nullptr;
    }
    const ContainerKey* key = Master(salt, iterations, run);
    if (!key) {
        fault = WriteFault::kCrypto;
        return nullptr;
    }
    for (std::size_t i = 0; i < masters_.size(); ++i)
        if (&masters_[i] == key) writing_ = i;
    if (writeOnly_) password_.reset();
    return key;
}

}  // namespace plivex
