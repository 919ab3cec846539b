// Arbitrary UPS patches against a small image: studying and applying must refuse or
// succeed without reading outside a buffer, and a clean result must give the image back
// when the patch is applied to it, since UPS works both ways.
#include "engine/patch/ups.h"

#include <zlib.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "engine/patch/patch_format.h"
#include "patch_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vantorel;
    const fuzz::PatchInput in = fuzz::patchInput(data, size);
    auto study = patch::studyUps(in.patch);
    auto info = patch::studyPatch(in.patch);
    if (study.ok() && (!info.ok() || info.value().recordCount != study.value().hunkCount)) std::abort();

    // A few bytes of patch can describe a result of many megabytes; making them only slows
    // the search for faults down.
    constexpr std::uint64_t kLargest = 1 << 20;
    if (study.ok() && (study.value().sourceSize > kLargest || study.value().targetSize > kLargest)) return 0;

    patch::ApplyOptions options;
    options.ignoreChecksum = in.ignoreChecksum;
    std::int64_t last = -1;
    options.progress = [&](std::int64_t done, std::int64_t total) {
        if (done <= last || done > total) std::abort();
        last = done;
        return true;
    };
    auto applied = patch::applyUps(in.image, in.patch, options);
    if (!study.ok()) {
        if (applied.ok() || applied.error().number() != study.error().number()) std::abort();
        return 0;
    }
    if (!applied.ok()) return 0;
    const patch::Applied& a = applied.value();
    const auto& s = study.value();
    if (a.image.size() != (a.reversed ? s.sourceSize : s.targetSize)) std::abort();
    if (a.resultCrc32 !=
        static_cast<std::uint32_t>(crc32(0, a.image.data(), static_cast<uInt>(a.image.size()))))
        std::abort();
    if (a.warning) {
        if (!in.ignoreChecksum) std::abort();
        return 0;
    }
    // Back again gives the image, unless the hunks do not match the checksums (a patch
    // resealed after a change): bytes only the longer image has are not checked going to
    // the shorter one, whose checksum can then still hold.
    auto back = patch::applyUps(a.image, in.patch);
    if (back.ok() ? back.value().image != in.image : back.error().number() != patch::kTargetChecksumError)
        std::abort();
    return 0;
}
