#pragma once

#include <cstdint>
#include <span>

#include "engine/common/error.h"

namespace vantorel::rom {

// Stored and computed checksum, high byte first, as the header keeps them.
struct ChecksumPair {
    std::uint8_t storedHigh = 0;
    std::uint8_t storedLow = 0;
    std::uint8_t computedHigh = 0;
    std::uint8_t computedLow = 0;

    std::uint16_t stored() const { return static_cast<std::uint16_t>(storedHigh << 8 | storedLow); }
    std::uint16_t computed() const { return static_cast<std::uint16_t>(computedHigh << 8 | computedLow); }
    bool matches() const { return stored() == computed(); }
};

// Sum of the big-endian words from 0x200 to the end, modulo 65536; an odd last byte
// counts as a high byte. One pass over the image, no copy.
std::uint16_t computeChecksum(std::span<const std::uint8_t> image);

// The stored value (bytes past the end count as 0) beside the computed one.
ChecksumPair CalcChecksum(std::span<const std::uint8_t> image);

// Puts `value` at 0x18E-0x18F; refuses an image too short to hold a header.
[[nodiscard]] Result<void> storeChecksum(std::span<std::uint8_t> image, std::uint16_t value);

}  // namespace vantorel::rom
