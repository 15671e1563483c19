#include "codec/cipher.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "base/secret.h"

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define PLIVEX_SSE2 1
#endif

namespace plivex {

std::string MakeKeyString(std::string_view passwordCp932) {
    std::string key;
    key.reserve(passwordCp932.size() + sizeof kKeySuffix);
    key.append(passwordCp932);
    key.append(reinterpret_cast<const char*>(kKeySuffix), sizeof kKeySuffix);
    return key;
}

namespace {

// A key stream block this long stays in the first-level cache for every key length.
constexpr std::size_t kMinPeriod = 16384;

template <bool kEncode>
inline unsigned char ApplyOne(unsigned char s, unsigned char p, unsigned char k) {
    if constexpr (kEncode) return static_cast<unsigned char>((s ^ k) + p);
    else return static_cast<unsigned char>((s - p) ^ k);
}

// Outputs larger than the caches are written around them (non-temporal
// stores), as memcpy does: the output is not read again soon.
constexpr std::size_t kStreamingSize = std::size_t{8} << 20;

template <bool kEncode, bool kStreaming>
void Apply(const unsigned char* src, unsigned char* dst, std::size_t count, const unsigned char* ks,
           unsigned char k) {
    std::size_t j = 0;
#ifdef PLIVEX_SSE2
    if constexpr (kStreaming) {
        for (; j < count && (reinterpret_cast<std::uintptr_t>(dst + j) & 15) != 0; ++j)
            dst[j] = ApplyOne<kEncode>(src[j], ks[j], k);
    }
    const __m128i kv = _mm_set1_epi8(static_cast<char>(k));
    for (; j + 16 <= count; j += 16) {
        __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + j));
        __m128i p = _mm_loadu_si128(reinterpret_cast<const __m128i*>(ks + j));
        __m128i d = kEncode ? _mm_add_epi8(_mm_xor_si128(s, kv), p) : _mm_xor_si128(_mm_sub_epi8(s, p), kv);
        if constexpr (kStreaming) _mm_stream_si128(reinterpret_cast<__m128i*>(dst + j), d);
        else _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + j), d);
    }
#endif
    for (; j < count; ++j) dst[j] = ApplyOne<kEncode>(src[j], ks[j], k);
}

// Short runs walk the key directly: building a key stream would cost more than it saves.
constexpr std::size_t kShortRun = 4096;

template <bool kEncode>
void Walk(const unsigned char* src, unsigned char* dst, std::size_t count, std::uint32_t& position,
          std::string_view key) {
    unsigned sum = 0;
    for (unsigned char c : key) sum += c;
    const auto k = static_cast<unsigned char>(sum);
    const std::size_t length = key.size();
    std::size_t phase = position % length;
    for (std::size_t j = 0; j < count; ++j) {
        dst[j] = ApplyOne<kEncode>(src[j], static_cast<unsigned char>(key[phase]), k);
        ++position;
        // The index comes from the 32-bit position, so it restarts at 0 where that wraps.
        phase = position == 0 ? 0 : (phase + 1 == length ? 0 : phase + 1);
    }
}

template <bool kEncode>
bool Stateless(const void* source, void* destination, std::int32_t count, std::uint32_t& position,
               std::string_view key) {
    if (count <= 0) return true;
    if (key.empty()) throw std::invalid_argument("empty key string");
    const auto* src = static_cast<const unsigned char*>(source);
    auto* dst = static_cast<unsigned char*>(destination);
    const auto n = static_cast<std::size_t>(count);
    if (n < kShortRun) {
        Walk<kEncode>(src, dst, n, position, key);
    } else if constexpr (kEncode) {
        Transform(key).Encode(src, dst, n, position);
    } else {
        Transform(key).Melt(src, dst, n, position);
    }
    return true;
}

}  // namespace

Transform::Transform(std::string_view key) {
    if (key.empty()) throw std::invalid_argument("empty key string");
    length_ = static_cast<std::uint32_t>(key.size());
    unsigned sum = 0;
    for (unsigned char c : key) sum += c;
    keyByte_ = static_cast<unsigned char>(sum);
    period_ = (kMinPeriod + length_ - 1) / length_ * length_;
    stream_.resize(period_ + length_);
    std::memcpy(stream_.data(), key.data(), length_);
    for (std::size_t filled = length_; filled < stream_.size();) {  // doubling copies of the key
        const std::size_t n = std::min(filled, stream_.size() - filled);
        std::memcpy(stream_.data() + filled, stream_.data(), n);
        filled += n;
    }
}

Transform::~Transform() { SecureWipe(stream_.data(), stream_.size()); }

template <bool kEncode>
void Transform::Run(const unsigned char* src, unsigned char* dst, std::size_t count, std::uint32_t& position) const {
    const bool streaming = count >= kStreamingSize && src != dst;
    while (count > 0) {
        // The index is taken from the 32-bit position, so the key phase restarts at 0 where it wraps.
        const std::uint64_t untilWrap = (std::uint64_t{1} << 32) - position;
        const std::size_t span = static_cast<std::size_t>(std::min<std::uint64_t>(count, untilWrap));
        std::size_t phase = position % length_;
        for (std::size_t done = 0; done < span;) {
            const std::size_t block = std::min(span - done, period_);
            if (streaming) Apply<kEncode, true>(src + done, dst + done, block, stream_.data() + phase, keyByte_);
            else Apply<kEncode, false>(src + done, dst + done, block, stream_.data() + phase, keyByte_);
            phase = (phase + block) % length_;
            done += block;
        }
        position += static_cast<std::uint32_t>(span);
        src += span;
        dst += span;
        count -= span;
    }
#ifdef PLIVEX_SSE2
    if (streaming) _mm_sfence();  // non-temporal stores are visible before we return
#endif
}

void Transform::Encode(const unsigned char* src, unsigned char* dst, std::size_t count, std::uint32_t& position) const {
    Run<true>(src, dst, count, position);
}

void Transform::Melt(const unsigned char* src, unsigned char* dst, std::size_t count, std::uint32_t& position) const {
    Run<false>(src, dst, count, position);
}

bool EncodeBytes(const void* source, void* destination, std::int32_t count, std::uint32_t& position,
                 std::string_view key) {
    return Stateless<true>(source, destination, count, position, key);
}

bool MeltBytes(const void* source, void* destination, std::int32_t count, std::uint32_t& position,
               std::string_view key) {
    return Stateless<false>(source, destination, count, position, key);
}

}  // namespace plivex
