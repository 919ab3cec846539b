#include "engine/rom/identity.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "engine/convert/smd.h"
#include "engine/rom/digest.h"

namespace {

// 4 MiB, the size of the largest common cartridges.
std::vector<std::uint8_t> image4MiB() {
    std::vector<std::uint8_t> image(4u << 20);
    for (std::size_t i = 0; i < image.size(); ++i)
        image[i] = static_cast<std::uint8_t>(i * 2654435761u >> 13);
    return image;
}

void setBytes(benchmark::State& state, std::size_t size) {
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(size));
}

void BM_Crc32_4MiB(benchmark::State& state) {
    const auto image = image4MiB();
    for (auto _ : state) benchmark::DoNotOptimize(vantorel::rom::crc32Of(image));
    setBytes(state, image.size());
}
BENCHMARK(BM_Crc32_4MiB);

// CRC32, MD5 and SHA-1 together, as `info` computes them.
void BM_AllDigests_4MiB(benchmark::State& state) {
    const auto image = image4MiB();
    for (auto _ : state) {
        auto d = vantorel::rom::computeDigests(image);
        if (!d.ok()) state.SkipWithError("digest failed");
        benchmark::DoNotOptimize(d);
    }
    setBytes(state, image.size());
}
BENCHMARK(BM_AllDigests_4MiB);

// The whole report of a 4 MiB SMD file: de-interleaving, digests and header facts.
void BM_IdentifySmd_4MiB(benchmark::State& state) {
    auto smd = vantorel::convert::binToSmd(image4MiB());
    if (!smd.ok()) return state.SkipWithError("conversion failed");
    const vantorel::rom::LoadedImage loaded{std::move(smd).value(), "bench.smd", std::nullopt};
    for (auto _ : state) {
        auto id = vantorel::rom::identify(loaded);
        if (!id.ok()) state.SkipWithError("identify failed");
        benchmark::DoNotOptimize(id);
    }
    setBytes(state, loaded.data.size());
}
BENCHMARK(BM_IdentifySmd_4MiB);

}  // namespace

BENCHMARK_MAIN();
