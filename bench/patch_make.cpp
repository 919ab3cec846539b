// Making BPS and IPS patches from the reference pair (bench/reference_pair.h): time, patch
// size and, for BPS, the peak memory of a process doing it.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>

#include "engine/patch/make_patch.h"
#include "reference_pair.h"

namespace {

using vantorel::Bytes;
using vantorel::bench::referencePair;

const vantorel::bench::ReferencePair& pair() {
    static const auto p = referencePair();
    return p;
}

double residentMiB() {
    long pages = 0, resident = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
        std::fclose(f);
    }
    return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

// The peak resident memory of a child process that makes one BPS patch from the pair (the
// pair itself and the program included), and its resident memory before it started.
std::pair<double, double> bpsPeakMiB() {
    int fds[2];
    if (pipe(fds) != 0) return {0, 0};
    const pid_t child = fork();
    if (child == 0) {
        const double before = residentMiB();
        const bool ok = vantorel::patch::makeBps(pair().original, pair().modified).ok();
        const ssize_t written = write(fds[1], &before, sizeof before);
        _exit(ok && written == sizeof before ? 0 : 1);
    }
    close(fds[1]);
    double before = 0;
    if (read(fds[0], &before, sizeof before) != sizeof before) before = 0;
    close(fds[0]);
    int status = 0;
    rusage usage{};
    if (child < 0 || wait4(child, &status, 0, &usage) != child || status != 0) return {0, 0};
    return {static_cast<double>(usage.ru_maxrss) / 1024.0, before};
}

void BM_MakeBps_ReferencePair(benchmark::State& state) {
    const auto& p = pair();
    const auto [peak, before] = bpsPeakMiB();
    std::size_t patchSize = 0;
    for (auto _ : state) {
        auto made = vantorel::patch::makeBps(p.original, p.modified);
        if (!made) {
            state.SkipWithError(made.error().description().c_str());
            return;
        }
        patchSize = made.value().size();
        benchmark::DoNotOptimize(made.value().data());
    }
    state.counters["original_bytes"] = static_cast<double>(p.original.size());
    state.counters["modified_bytes"] = static_cast<double>(p.modified.size());
    state.counters["patch_bytes"] = static_cast<double>(patchSize);
    state.counters["peak_rss_MiB"] = peak;
    state.counters["rss_before_MiB"] = before;
}
BENCHMARK(BM_MakeBps_ReferencePair)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

// What a plain record encoder gives: one data record for every stretch of differing bytes
// (split at 0xFFFF), every byte added past the end, no runs, no joining.
std::size_t straightforwardIpsSize(const Bytes& original, const Bytes& modified) {
    std::size_t size = 5 + 3;
    const std::size_t common = std::min(original.size(), modified.size());
    auto differs = [&](std::size_t i) { return i >= common || original[i] != modified[i]; };
    for (std::size_t i = 0; i < modified.size();) {
        if (!differs(i)) {
            ++i;
            continue;
        }
        std::size_t end = i;
        while (end < modified.size() && differs(end)) ++end;
        for (std::size_t at = i; at < end; at += 0xFFFF) size += 5 + std::min<std::size_t>(0xFFFF, end - at);
        i = end;
    }
    return size + (modified.size() < original.size() ? 3 : 0);
}

void BM_MakeIps_ReferencePair(benchmark::State& state) {
    const auto& p = pair();
    std::size_t patchSize = 0;
    for (auto _ : state) {
        auto made = vantorel::patch::makeIps(p.original, p.modified);
        if (!made) {
            state.SkipWithError(made.error().description().c_str());
            return;
        }
        patchSize = made.value().size();
        benchmark::DoNotOptimize(made.value().data());
    }
    state.counters["patch_bytes"] = static_cast<double>(patchSize);
    state.counters["plain_encoder_bytes"] =
        static_cast<double>(straightforwardIpsSize(p.original, p.modified));
}
BENCHMARK(BM_MakeIps_ReferencePair)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
