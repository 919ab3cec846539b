#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "engine/common/error.h"
#include "engine/common/file_io.h"

// Pieces the BPS and UPS readers and makers share: CRC32, the variable-length numbers both
// formats use, little-endian checksums and the made-for-another-image diagnosis.
namespace vantorel::patch {

// zlib's CRC32 of the bytes (the checksum every patch format here stores).
std::uint32_t crc32Of(std::span<const std::uint8_t> bytes, std::uint32_t crc = 0);

// Eight upper-case hex digits, as patch tools print CRC32s.
std::string crc32Text(std::uint32_t crc);

// A position in a patch as "0x1A2B".
std::string offsetText(std::uint64_t offset);

// BPS and UPS numbers: seven bits a byte, low bits first, the top bit marking the last
// byte, and one subtracted after every byte so each value has a single spelling.
void putNumber(Bytes& out, std::uint64_t value);
std::size_t numberSize(std::uint64_t value);

enum class NumberRead { Ok, Truncated, TooLarge };
// Reads one number starting at `position` and ending before `end`; moves `position` past it
// only on success. Values beyond 64 bits are refused.
NumberRead readNumber(std::span<const std::uint8_t> bytes, std::size_t& position, std::size_t end,
                      std::uint64_t& value);

void putLe32(Bytes& out, std::uint32_t value);
std::uint32_t le32(const std::uint8_t* p);

// The size of the checksums at the end of a BPS or UPS patch: source, target, patch.
inline constexpr std::size_t kChecksumsSize = 12;

// The failure for an image the patch was not made for: it expected `expectedCrc` over
// `expectedSize` bytes. When the image is that very image behind a 512-byte SMD header,
// or in the interleaved SMD layout, the error says so (its own number) so the user knows to
// convert it first. `otherCrc`/`otherSize` is a second image the patch accepts (UPS applies
// both ways), also looked for inside the SMD forms.
struct ExpectedImage {
    std::uint32_t crc = 0;
    std::uint64_t size = 0;
};
Error wrongImageError(const char* source, std::span<const std::uint8_t> image, std::uint32_t imageCrc,
                      ExpectedImage expected, std::optional<ExpectedImage> other = {});

Error targetChecksumError(const char* source, std::uint32_t expected, std::uint32_t actual);
Error resultTooLargeError(const char* source, std::uint64_t size);

}  // namespace vantorel::patch
