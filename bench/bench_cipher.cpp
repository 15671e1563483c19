// The transform over 256 MiB, the size where caches no longer help, against
// memcpy of the same size: the floor any byte-by-byte pass has to pay.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "codec/cipher.h"
#include "codec/strong.h"

namespace {

constexpr std::size_t kSize = std::size_t{256} << 20;
constexpr std::uint32_t kBodyStart = 2;  // a container body starts after two header bytes

struct Buffers {
    std::vector<unsigned char> source, target;
    Buffers() : source(kSize), target(kSize) {
        // Touched once here, so that no benchmark pays for first-use page faults.
        std::uint32_t x = 0x12345678;
        for (auto& b : source) {
            x = x * 1664525u + 1013904223u;
            b = static_cast<unsigned char>(x >> 24);
        }
        std::memset(target.data(), 0, kSize);
    }
};

Buffers& Data() {
    static Buffers buffers;
    return buffers;
}

// 27 bytes: a length that does not divide the stream's block, as most keys.
const std::string& Key() {
    static const std::string key = plivex::MakeKeyString("benchmark");
    return key;
}

void Finish(benchmark::State& state) {
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(kSize));
}

void BM_Memcpy(benchmark::State& state) {
    Buffers& b = Data();
    for (auto _ : state) {
        std::memcpy(b.target.data(), b.source.data(), kSize);
        benchmark::ClobberMemory();
    }
    Finish(state);
}

void BM_EncodeBytes(benchmark::State& state) {
    Buffers& b = Data();
    for (auto _ : state) {
        std::uint32_t position = kBodyStart;
        plivex::EncodeBytes(b.source.data(), b.target.data(), static_cast<std::int32_t>(kSize), position, Key());
        benchmark::DoNotOptimize(position);
        benchmark::ClobberMemory();
    }
    Finish(state);
}

void BM_MeltBytes(benchmark::State& state) {
    Buffers& b = Data();
    for (auto _ : state) {
        std::uint32_t position = kBodyStart;
        plivex::MeltBytes(b.source.data(), b.target.data(), static_cast<std::int32_t>(kSize), position, Key());
        benchmark::DoNotOptimize(position);
        benchmark::ClobberMemory();
    }
    Finish(state);
}

// The codec's own use: one Transform, applied in place to its buffer.
void BM_TransformEncodeInPlace(benchmark::State& state) {
    Buffers& b = Data();
    const plivex::Transform transform(Key());
    for (auto _ : state) {
        std::uint32_t position = kBodyStart;
        transform.Encode(b.target.data(), b.target.data(), kSize, position);
        benchmark::DoNotOptimize(position);
        benchmark::ClobberMemory();
    }
    Finish(state);
}

// The strong format's chunks over the same 256 MiB: AES-256-GCM, a tag per 64 KiB.
void BM_StrongSeal(benchmark::State& state) {
    Buffers& b = Data();
    plivex::strong::Header header;
    plivex::strong::Chunks chunks(plivex::Secret(std::string(32, 'k')), header);
    constexpr std::size_t kChunk = plivex::strong::kChunk;
    std::vector<unsigned char> sealed(kChunk + plivex::strong::kTagSize);
    for (auto _ : state) {
        std::uint32_t index = 0;
        for (std::size_t at = 0; at < kSize; at += kChunk, ++index)
            chunks.Seal(index, at + kChunk == kSize, b.source.data() + at, kChunk, sealed.data());
        benchmark::ClobberMemory();
    }
    Finish(state);
}

// Stretching the password as the strong format writes it: once per pass.
void BM_Stretch(benchmark::State& state) {
    const plivex::strong::Salt salt{};
    for (auto _ : state) {
        auto master = plivex::strong::StretchPassword("benchmark", salt, plivex::strong::kWriteIterations);
        benchmark::DoNotOptimize(master);
    }
}

}  // namespace

BENCHMARK(BM_StrongSeal)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Stretch)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_Memcpy)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EncodeBytes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MeltBytes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TransformEncodeInPlace)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
