#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>

#include "engine/common/error.h"

// The checksums collections are checked against, for the plain image.
namespace vantorel::rom {

struct Digests {
    std::uint32_t crc32 = 0;
    std::array<std::uint8_t, 16> md5{};
    std::array<std::uint8_t, 20> sha1{};
};

// CRC32 (zlib), MD5 and SHA-1 (libcrypto) in one pass: each chunk feeds all three while it
// is still in the cache. Fails only when libcrypto refuses a digest (a FIPS-only system
// has no MD5): System error ENOSYS, args {digest name}.
Result<Digests> computeDigests(std::span<const std::uint8_t> data);

// CRC32 alone, for when the other two are not wanted.
std::uint32_t crc32Of(std::span<const std::uint8_t> data);

// Lower-case hex, two digits a byte, as md5sum and sha1sum print digests.
std::string toHex(std::span<const std::uint8_t> bytes);
// Eight lower-case hex digits, as checksum lists give a CRC32.
std::string crc32Hex(std::uint32_t crc);

}  // namespace vantorel::rom
