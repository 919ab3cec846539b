#include "engine/rom/checksum.h"

#include <cstddef>

#include "engine/rom/header.h"

namespace vantorel::rom {
namespace {
constexpr std::size_t kSumStart = 0x200;
}

std::uint16_t computeChecksum(std::span<const std::uint8_t> image) {
    if (image.size() <= kSumStart) return 0;
    const std::uint8_t* p = image.data() + kSumStart;
    const std::size_t n = image.size() - kSumStart;
    const std::size_t pairs = n / 2;
    // High and low bytes summed apart: two plain byte sums vectorise well, and 64-bit
    // totals cannot wrap for any image that fits in memory.
    std::uint64_t high = 0;
    std::uint64_t low = 0;
    for (std::size_t i = 0; i < pairs; ++i) {
        high += p[2 * i];
        low += p[2 * i + 1];
    }
    if (n % 2 != 0) high += p[n - 1];
    return static_cast<std::uint16_t>((high << 8) + low);
}

ChecksumPair CalcChecksum(std::span<const std::uint8_t> image) {
    ChecksumPair pair;
    pair.storedHigh = kChecksumOffset < image.size() ? image[kChecksumOffset] : 0;
    pair.storedLow = kChecksumOffset + 1 < image.size() ? image[kChecksumOffset + 1] : 0;
    const std::uint16_t sum = computeChecksum(image);
    pair.computedHigh = static_cast<std::uint8_t>(sum >> 8);
    pair.computedLow = static_cast<std::uint8_t>(sum & 0xFF);
    return pair;
}

Result<void> storeChecksum(std::span<std::uint8_t> image, std::uint16_t value) {
    if (auto fits = checkHeaderFits(image.size()); !fits) return fits;
    image[kChecksumOffset] = static_cast<std::uint8_t>(value >> 8);
    image[kChecksumOffset + 1] = static_cast<std::uint8_t>(value & 0xFF);
    return Done{};
}

}  // namespace vantorel::rom
