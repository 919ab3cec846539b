// Arbitrary BPS patches against a small image: studying and applying must refuse or
// succeed without reading outside a buffer, agree with each other, and a result must be
// exactly as long as the patch states, with the CRC32 reported.
#include "engine/patch/bps.h"

#include <zlib.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "engine/patch/patch_format.h"
#include "patch_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vantorel;
    const fuzz::PatchInput in = fuzz::patchInput(data, size);
    auto study = patch::studyBps(in.patch);
    auto info = patch::studyPatch(in.patch);
    if (study.ok() && (!info.ok() || info.value().recordCount != study.value().actionCount)) std::abort();

    // A few bytes of patch can describe a result of many megabytes; making them only slows
    // the search for faults down.
    constexpr std::uint64_t kLargest = 1 << 20;
    if (study.ok() && (study.value().targetSize > kLargest)) return 0;

    patch::ApplyOptions options;
    options.ignoreChecksum = in.ignoreChecksum;
    std::int64_t last = -1;
    options.progress = [&](std::int64_t done, std::int64_t total) {
        if (done <= last || done > total) std::abort();
        last = done;
        return true;
    };
    auto applied = patch::applyBps(in.image, in.patch, options);
    if (!study.ok()) {
        if (applied.ok() || applied.error().number() != study.error().number()) std::abort();
        return 0;
    }
    if (!applied.ok()) return 0;
    const patch::Applied& a = applied.value();
    if (a.image.size() != study.value().targetSize) std::abort();
    if (a.resultCrc32 !=
        static_cast<std::uint32_t>(crc32(0, a.image.data(), static_cast<uInt>(a.image.size()))))
        std::abort();
    if (a.warning.has_value() !=
        (a.resultCrc32 != study.value().targetCrc32 || in.image.size() != study.value().sourceSize ||
         crc32(0, in.image.data(), static_cast<uInt>(in.image.size())) != study.value().sourceCrc32))
        std::abort();
    if (a.warning && !in.ignoreChecksum) std::abort();
    return 0;
}
