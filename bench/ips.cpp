// Applying a 1 MiB patch of mixed data and run records to a 4 MiB image.
#include "engine/patch/ips.h"

#include <benchmark/benchmark.h>

#include <cstdint>

namespace {

using vantorel::Bytes;

// Records at random offsets: a quarter runs, the rest data records of 1..maxData bytes.
Bytes mixedPatch(std::size_t patchSize, std::uint32_t imageSize, std::uint32_t maxData) {
    Bytes p = {'P', 'A', 'T', 'C', 'H'};
    std::uint32_t x = 12345;
    auto next = [&x] { return x = x * 1664525u + 1013904223u; };
    auto put = [&p](std::uint32_t v, int n) {
        for (int i = n - 1; i >= 0; --i) p.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    };
    while (p.size() + 3 < patchSize) {
        const std::uint32_t offset = next() % imageSize;
        if (next() % 4 == 0) {
            put(offset, 3);
            put(0, 2);
            put(16 + next() % 2048, 2);
            p.push_back(static_cast<std::uint8_t>(next()));
        } else {
            const std::size_t room = patchSize - 3 - p.size();
            if (room < 6) break;
            const std::uint32_t size =
                static_cast<std::uint32_t>(std::min<std::size_t>(1 + next() % maxData, room - 5));
            put(offset, 3);
            put(size, 2);
            for (std::uint32_t i = 0; i < size; ++i) p.push_back(static_cast<std::uint8_t>(next() >> 24));
        }
    }
    p.insert(p.end(), {'E', 'O', 'F'});
    return p;
}

void BM_DoPatch_1MiBPatch_4MiBImage(benchmark::State& state) {
    constexpr std::uint32_t kImage = 4 * 1024 * 1024;
    const Bytes patch = mixedPatch(1024 * 1024, kImage, static_cast<std::uint32_t>(state.range(0)));
    const Bytes original(kImage, 0x5A);
    for (auto _ : state) {
        Bytes image = original;
        auto done = vantorel::patch::DoPatch(image, patch);
        if (!done) state.SkipWithError(done.error().description().c_str());
        benchmark::DoNotOptimize(image.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * (patch.size() + kImage));
    state.counters["patch_bytes"] = static_cast<double>(patch.size());
    state.counters["records"] = static_cast<double>(vantorel::patch::StudyIps(patch).value().recordCount);
}
BENCHMARK(BM_DoPatch_1MiBPatch_4MiBImage)->Arg(512)->Arg(16)->Unit(benchmark::kMillisecond);

void BM_StudyIps_1MiBPatch(benchmark::State& state) {
    const Bytes patch = mixedPatch(1024 * 1024, 4 * 1024 * 1024, 512);
    for (auto _ : state) benchmark::DoNotOptimize(vantorel::patch::StudyIps(patch).ok());
}
BENCHMARK(BM_StudyIps_1MiBPatch)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
