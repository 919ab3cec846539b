#include "engine/rom/checksum.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

// The header checksum over a 4 MiB image, the size of the largest common cartridges.
static void BM_Checksum4MiB(benchmark::State& state) {
    std::vector<std::uint8_t> image(4u << 20);
    for (std::size_t i = 0; i < image.size(); ++i)
        image[i] = static_cast<std::uint8_t>(i * 2654435761u >> 13);
    for (auto _ : state) {
        benchmark::DoNotOptimize(vantorel::rom::computeChecksum(image));
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(image.size()));
}
BENCHMARK(BM_Checksum4MiB);

BENCHMARK_MAIN();
