#include "engine/rom/layout.h"

#include <cstring>

#include "engine/convert/smd.h"

namespace vantorel::rom {

std::string_view layoutName(Layout layout) {
    return layout == Layout::Smd ? "smd" : "bin";
}

bool isSmdLayout(std::span<const std::uint8_t> start, std::uint64_t size) {
    using convert::kSmdBlockSize;
    using convert::kSmdHeaderSize;
    if (start.size() < 10 || start[1] != 3 || start[8] != 0xAA || start[9] != 0xBB) return false;
    return size >= kSmdHeaderSize + kSmdBlockSize && (size - kSmdHeaderSize) % kSmdBlockSize == 0;
}

Layout detectLayout(std::span<const std::uint8_t> data) {
    return isSmdLayout(data, data.size()) ? Layout::Smd : Layout::Bin;
}

bool hasSegaSignature(std::span<const std::uint8_t> plainImage) {
    constexpr std::size_t kAt = 0x100;
    return plainImage.size() >= kAt + 4 && std::memcmp(plainImage.data() + kAt, "SEGA", 4) == 0;
}

bool looksLikeImage(std::span<const std::uint8_t> start, std::uint64_t size) {
    return isSmdLayout(start, size) || hasSegaSignature(start);
}

}  // namespace vantorel::rom
