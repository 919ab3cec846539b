#pragma once

// Splits fuzz input for the BPS and UPS readers: a flags byte, a 2-byte image length, the
// image, then the patch. Flag 1 ignores checksums; flag 2 writes a fresh patch CRC32 over the
// mutated bytes, so mutations reach the parser behind the checksum.
#include <zlib.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>

#include "engine/common/file_io.h"

namespace vantorel::fuzz {

struct PatchInput {
    bool ignoreChecksum = false;
    Bytes image;
    Bytes patch;
};

inline PatchInput patchInput(const std::uint8_t* data, std::size_t size) {
    PatchInput in;
    if (size < 3) return in;
    const std::uint8_t flags = data[0];
    const std::size_t length = std::min<std::size_t>(std::size_t{data[1]} << 8 | data[2], size - 3);
    in.ignoreChecksum = flags & 1;
    in.image.assign(data + 3, data + 3 + length);
    in.patch.assign(data + 3 + length, data + size);
    if ((flags & 2) && in.patch.size() >= 4) {
        const auto crc =
            static_cast<std::uint32_t>(crc32(0, in.patch.data(), static_cast<uInt>(in.patch.size() - 4)));
        for (int i = 0; i < 4; ++i)
            in.patch[in.patch.size() - 4 + i] = static_cast<std::uint8_t>(crc >> (8 * i));
    }
    return in;
}

}  // namespace vantorel::fuzz
