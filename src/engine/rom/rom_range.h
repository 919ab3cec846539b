#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "engine/common/error.h"

// The ROM address range the cartridge header states: start and end, big-endian 32-bit.
namespace vantorel::rom {

inline constexpr std::size_t kRomStartOffset = 0x1A0;
inline constexpr std::size_t kRomEndOffset = 0x1A4;

// An image whose last address cannot be stated in 32 bits (ErrorCategory::Format).
// args {image size in bytes}.
inline constexpr int kErrRomEndOutOfRange = 609;

// The stated addresses of a plain image; bytes past its end count as 0.
std::uint32_t romStart(std::span<const std::uint8_t> image);
std::uint32_t romEnd(std::span<const std::uint8_t> image);

// Whether the stated end is the image's last byte (end + 1 == size, without wrapping).
bool romEndMatchesSize(std::span<const std::uint8_t> image);

// Writes size - 1 as the ROM end, so the header states the image as it now is. Refuses
// an image too short for a header (Format, kErrTooShortForHeader) and leaves it untouched.
Result<void> setRomEndToSize(std::span<std::uint8_t> image);

}  // namespace vantorel::rom
