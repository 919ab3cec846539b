// Arbitrary patch bytes against an image of arbitrary size: DoPatch must refuse or apply,
// never read or write outside a buffer, and agree with StudyIps about the result.
#include "engine/patch/ips.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vantorel;
    if (size < 3) return 0;
    // The first three bytes choose the image: its size (up to 64 KiB) and its filler.
    const std::size_t imageSize = (std::size_t{data[0]} << 8 | data[1]);
    Bytes image(imageSize, data[2]);
    const std::span<const std::uint8_t> patchBytes(data + 3, size - 3);

    const Bytes before = image;
    auto study = patch::StudyIps(patchBytes);
    std::int64_t lastDone = 0;
    auto done = patch::DoPatch(image, patchBytes, "invalid", [&](std::int64_t d, std::int64_t total) {
        if (d <= lastDone || d > total) std::abort();
        lastDone = d;
        return true;
    });
    if (study.ok() != done.ok()) std::abort();
    if (!done.ok()) {
        if (image != before) std::abort();
        return 0;
    }
    if (image.size() != study.value().patchedSize(imageSize)) std::abort();
    const Bytes chunk(data, data + std::min<std::size_t>(size, 16));
    patch::AppendExtraChunk(image, chunk);
    return 0;
}
