// Pairs of images built from the input: the BPS made for them must study cleanly and give
// the modified image.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "engine/patch/bps.h"
#include "engine/patch/make_patch.h"
#include "fuzz_pair.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vantorel;
    static fuzz::Pair p;
    fuzz::pairFrom({data, size}, false, p);
    auto made = patch::makeBps(p.original, p.modified);
    if (!made.ok()) std::abort();
    auto applied = patch::applyBps(p.original, made.value());
    if (!applied.ok() || applied.value().warning || applied.value().image != p.modified) std::abort();
    return 0;
}
