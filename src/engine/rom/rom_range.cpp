#include "engine/rom/rom_range.h"

#include <string>

#include "engine/rom/header.h"

namespace vantorel::rom {
namespace {

std::uint32_t bigEndianAt(std::span<const std::uint8_t> image, std::size_t offset) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        const std::size_t at = offset + i;
        value = value << 8 | (at < image.size() ? image[at] : 0u);
    }
    return value;
}

}  // namespace

std::uint32_t romStart(std::span<const std::uint8_t> image) {
    return bigEndianAt(image, kRomStartOffset);
}

std::uint32_t romEnd(std::span<const std::uint8_t> image) {
    return bigEndianAt(image, kRomEndOffset);
}

bool romEndMatchesSize(std::span<const std::uint8_t> image) {
    return static_cast<std::uint64_t>(romEnd(image)) + 1 == image.size();
}

Result<void> setRomEndToSize(std::span<std::uint8_t> image) {
    if (auto fits = checkHeaderFits(image.size()); !fits) return fits;
    const std::uint64_t last = image.size() - 1;
    if (last > 0xFFFFFFFFu)
        return Error(ErrorCategory::Format, kErrRomEndOutOfRange, "vantorel.rom.setRomEndToSize",
                     "the image is " + std::to_string(image.size()) +
                         " bytes, too large for its last address to fit the header's 32 bits",
                     {std::to_string(image.size())});
    for (std::size_t i = 0; i < 4; ++i)
        image[kRomEndOffset + i] = static_cast<std::uint8_t>(last >> (8 * (3 - i)));
    return Done{};
}

}  // namespace vantorel::rom
