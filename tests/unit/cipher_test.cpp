#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "codec/cipher.h"

namespace plivex {
namespace {

// The per-byte formula of the format, written out plainly as the reference.
std::vector<unsigned char> Reference(const std::vector<unsigned char>& src, std::uint32_t position,
                                     const std::string& key, bool encode) {
    unsigned k = 0;
    for (unsigned char c : key) k += c;
    k &= 0xFF;
    std::vector<unsigned char> out(src.size());
    for (std::size_t j = 0; j < src.size(); ++j) {
        const auto p = static_cast<unsigned char>(key[static_cast<std::uint32_t>(position + j) % key.size()]);
        out[j] = encode ? static_cast<unsigned char>((src[j] ^ k) + p) : static_cast<unsigned char>((src[j] - p) ^ k);
    }
    return out;
}

std::vector<unsigned char> RandomBytes(std::mt19937& rng, std::size_t n) {
    std::vector<unsigned char> v(n);
    for (auto& b : v) b = static_cast<unsigned char>(rng());
    return v;
}

TEST(Cipher, KeyStringIsPasswordFollowedBySuffix) {
    const std::string key = MakeKeyString("ab");
    ASSERT_EQ(key.size(), 20u);
    EXPECT_EQ(key.substr(0, 2), "ab");
    EXPECT_EQ(static_cast<unsigned char>(key[2]), 0x5E);
    EXPECT_EQ(key.substr(9), "KestrelWing");
}

TEST(Cipher, MatchesFormulaForEveryKeyLengthAndSplit) {
    std::mt19937 rng(42);
    // Every password length 1..255 (key 19..273), plus short keys below the suffix length.
    for (std::size_t len = 1; len <= 273; ++len) {
        const std::vector<unsigned char> kb = RandomBytes(rng, len);
        const std::string key(kb.begin(), kb.end());
        const std::size_t n = 1 + rng() % 40000;
        const std::vector<unsigned char> plain = RandomBytes(rng, n);
        const std::uint32_t start = rng() % 4 == 0 ? 2u : static_cast<std::uint32_t>(rng());
        const auto expected = Reference(plain, start, key, true);

        // One call, then the same bytes split into calls at random points.
        Transform t(key);
        std::vector<unsigned char> whole(n), split(n);
        std::uint32_t pos = start;
        t.Encode(plain.data(), whole.data(), n, pos);
        ASSERT_EQ(whole, expected) << "key length " << len;
        EXPECT_EQ(pos, static_cast<std::uint32_t>(start + n));

        std::uint32_t pos2 = start;
        for (std::size_t done = 0; done < n;) {
            const std::size_t step = std::min<std::size_t>(n - done, 1 + rng() % 3000);
            ASSERT_TRUE(EncodeBytes(plain.data() + done, split.data() + done, static_cast<std::int32_t>(step), pos2, key));
            done += step;
        }
        ASSERT_EQ(split, expected) << "key length " << len;

        std::vector<unsigned char> back(n);
        std::uint32_t pos3 = start;
        ASSERT_TRUE(MeltBytes(whole.data(), back.data(), static_cast<std::int32_t>(n), pos3, key));
        ASSERT_EQ(back, plain);
        ASSERT_EQ(back, Reference(whole, start, key, false));
    }
}

TEST(Cipher, LargeOutputsMatchTheFormula) {
    // Outputs beyond the caches take another store path; an odd offset misaligns it.
    std::mt19937 rng(11);
    const std::string key = MakeKeyString("large");
    const std::vector<unsigned char> plain = RandomBytes(rng, (9u << 20) + 77);
    std::vector<unsigned char> out(plain.size() + 3);
    std::uint32_t pos = 2;
    EncodeBytes(plain.data(), out.data() + 3, static_cast<std::int32_t>(plain.size()), pos, key);
    const std::vector<unsigned char> enc(out.begin() + 3, out.end());
    EXPECT_TRUE(enc == Reference(plain, 2, key, true));
    std::vector<unsigned char> back(plain.size() + 1);
    pos = 2;
    MeltBytes(enc.data(), back.data() + 1, static_cast<std::int32_t>(enc.size()), pos, key);
    EXPECT_TRUE(std::equal(plain.begin(), plain.end(), back.begin() + 1));
}

TEST(Cipher, PositionWrapsAt32Bits) {
    std::mt19937 rng(7);
    const std::string key = MakeKeyString("wrap");  // 22 bytes: 2^32 is not a multiple of it
    const std::vector<unsigned char> plain = RandomBytes(rng, 5000);
    for (std::uint32_t start : {0xFFFFFFFFu, 0xFFFFF000u, 0xFFFFFFF0u}) {
        std::vector<unsigned char> out(plain.size());
        std::uint32_t pos = start;
        Transform(key).Encode(plain.data(), out.data(), plain.size(), pos);
        EXPECT_EQ(out, Reference(plain, start, key, true)) << start;
        EXPECT_EQ(pos, static_cast<std::uint32_t>(start + plain.size()));

        // The short-run path of the stateless call across the same wrap.
        std::vector<unsigned char> pieces(plain.size());
        std::uint32_t p2 = start;
        for (std::size_t done = 0; done < plain.size(); done += 100)
            EncodeBytes(plain.data() + done, pieces.data() + done, 100, p2, key);
        EXPECT_EQ(pieces, out) << start;
        std::vector<unsigned char> back(plain.size());
        std::uint32_t p3 = start;
        MeltBytes(out.data(), back.data(), static_cast<std::int32_t>(out.size()), p3, key);
        EXPECT_EQ(back, plain) << start;
    }
}

TEST(Cipher, InPlaceAndNonPositiveCounts) {
    std::mt19937 rng(9);
    const std::string key = MakeKeyString("inplace");
    std::vector<unsigned char> data = RandomBytes(rng, 100000);
    const auto expected = Reference(data, 2, key, true);
    std::uint32_t pos = 2;
    Transform(key).Encode(data.data(), data.data(), data.size(), pos);
    EXPECT_EQ(data, expected);

    unsigned char before[4] = {1, 2, 3, 4}, after[4] = {9, 9, 9, 9};
    std::uint32_t p = 10;
    EXPECT_TRUE(EncodeBytes(before, after, 0, p, key));
    EXPECT_TRUE(MeltBytes(before, after, -5, p, key));
    EXPECT_EQ(p, 10u);
    EXPECT_EQ(after[0], 9);
}

TEST(Cipher, WrongKeysChangeTheBytes) {
    const std::string key = MakeKeyString("password");
    std::string other = key;
    other[3] = static_cast<char>(other[3] + 1);  // same length, key byte changes
    std::vector<unsigned char> plain(1000, 0x41), enc(1000), back(1000);
    std::uint32_t pos = 2;
    EncodeBytes(plain.data(), enc.data(), 1000, pos, key);
    pos = 2;
    MeltBytes(enc.data(), back.data(), 1000, pos, other);
    for (std::size_t j = 0; j < back.size(); ++j) {
        if ((2 + j) % key.size() == 3) continue;  // the one byte that used the changed key byte
        EXPECT_NE(back[j], plain[j]) << j;
    }

    // Same key byte (the sum moves one up and one down) still differs through the key stream.
    std::string sameSum = key;
    sameSum[0] = static_cast<char>(sameSum[0] + 1);
    sameSum[1] = static_cast<char>(sameSum[1] - 1);
    EXPECT_EQ(Transform(sameSum).KeyByte(), Transform(key).KeyByte());
    pos = 2;
    std::vector<unsigned char> enc2(1000);
    EncodeBytes(plain.data(), enc2.data(), 1000, pos, sameSum);
    EXPECT_NE(enc2, enc);
}

TEST(Cipher, EmptyKeyIsRefused) {
    EXPECT_THROW(Transform(""), std::invalid_argument);
    unsigned char b[1] = {0};
    std::uint32_t pos = 0;
    EXPECT_THROW(EncodeBytes(b, b, 1, pos, ""), std::invalid_argument);
}

}  // namespace
}  // namespace plivex
