// Applying BPS and IPS patches made from the reference pair (bench/reference_pair.h) to its
// 4 MiB original; bytes per second count the bytes of the result.
#include <benchmark/benchmark.h>

#include "engine/patch/bps.h"
#include "engine/patch/ips.h"
#include "engine/patch/make_patch.h"
#include "engine/patch/patch_format.h"
#include "reference_pair.h"

namespace {

using vantorel::Bytes;

struct Fixture {
    vantorel::bench::ReferencePair pair = vantorel::bench::referencePair();
    Bytes bps = vantorel::patch::makeBps(pair.original, pair.modified).value();
    Bytes ips = vantorel::patch::makeIps(pair.original, pair.modified).value();
};

const Fixture& fixture() {
    static const Fixture f;
    return f;
}

void finish(benchmark::State& state, std::size_t patchSize) {
    const auto& f = fixture();
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * f.pair.modified.size()));
    state.counters["patch_bytes"] = static_cast<double>(patchSize);
    state.counters["result_bytes"] = static_cast<double>(f.pair.modified.size());
}

// The whole check: patch CRC32 and structure, source CRC32, actions, result CRC32.
void BM_ApplyBps_ReferencePair(benchmark::State& state) {
    const auto& f = fixture();
    for (auto _ : state) {
        auto applied = vantorel::patch::applyBps(f.pair.original, f.bps);
        if (!applied) {
            state.SkipWithError(applied.error().description().c_str());
            return;
        }
        benchmark::DoNotOptimize(applied.value().image.data());
    }
    finish(state, f.bps.size());
}
BENCHMARK(BM_ApplyBps_ReferencePair)->Unit(benchmark::kMillisecond);

// DoPatch over a copy of the image made outside the timing.
void BM_DoPatchIps_ReferencePair(benchmark::State& state) {
    const auto& f = fixture();
    for (auto _ : state) {
        state.PauseTiming();
        Bytes image = f.pair.original;
        state.ResumeTiming();
        auto done = vantorel::patch::DoPatch(image, f.ips);
        if (!done) {
            state.SkipWithError(done.error().description().c_str());
            return;
        }
        benchmark::DoNotOptimize(image.data());
    }
    finish(state, f.ips.size());
}
BENCHMARK(BM_DoPatchIps_ReferencePair)->Unit(benchmark::kMillisecond);

// The front ends' entry point: copies the image, applies, takes the result's CRC32.
void BM_ApplyPatch_Ips_ReferencePair(benchmark::State& state) {
    const auto& f = fixture();
    for (auto _ : state) {
        auto applied = vantorel::patch::applyPatch(f.pair.original, f.ips);
        if (!applied) {
            state.SkipWithError(applied.error().description().c_str());
            return;
        }
        benchmark::DoNotOptimize(applied.value().image.data());
    }
    finish(state, f.ips.size());
}
BENCHMARK(BM_ApplyPatch_Ips_ReferencePair)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
