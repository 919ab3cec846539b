// Throughput of the two converters on a 4 MiB image (aim: at least 1 GB/s on one core).
#include <benchmark/benchmark.h>

#include <cstdint>

#include "engine/convert/smd.h"

namespace {

using vantorel::Bytes;
namespace convert = vantorel::convert;

constexpr std::size_t kImageSize = 4 * 1024 * 1024;

Bytes randomImage() {
    Bytes b(kImageSize);
    std::uint64_t x = 0x9E3779B97F4A7C15ull;
    for (auto& v : b) {
        x ^= x << 13;
        x ^= x >> 7;
        x ^= x << 17;
        v = static_cast<std::uint8_t>(x);
    }
    return b;
}

void BM_BinToSmd(benchmark::State& state) {
    const Bytes image = randomImage();
    for (auto _ : state) {
        auto smd = convert::binToSmd(image);
        benchmark::DoNotOptimize(smd.value().data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * kImageSize);
}
BENCHMARK(BM_BinToSmd)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_SmdToBin(benchmark::State& state) {
    const Bytes smd = convert::binToSmd(randomImage()).value();
    for (auto _ : state) {
        auto bin = convert::smdToBin(smd);
        benchmark::DoNotOptimize(bin.value().data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * kImageSize);
}
BENCHMARK(BM_SmdToBin)->Unit(benchmark::kMillisecond)->UseRealTime();

// The loops alone, into a buffer that stays allocated: what the conversion costs apart
// from allocating its output.
void BM_SplitBlocksOnly(benchmark::State& state) {
    const Bytes image = randomImage();
    Bytes out(kImageSize);
    for (auto _ : state) {
        for (std::size_t off = 0; off < kImageSize; off += convert::kSmdBlockSize)
            convert::splitBlock(image.data() + off, convert::kSmdBlockSize, out.data() + off);
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * kImageSize);
}
BENCHMARK(BM_SplitBlocksOnly)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_JoinBlocksOnly(benchmark::State& state) {
    const Bytes image = randomImage();
    Bytes out(kImageSize);
    for (auto _ : state) {
        for (std::size_t off = 0; off < kImageSize; off += convert::kSmdBlockSize)
            convert::joinBlock(image.data() + off, out.data() + off);
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * kImageSize);
}
BENCHMARK(BM_JoinBlocksOnly)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
