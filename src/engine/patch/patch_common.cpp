#include "engine/patch/patch_common.h"

#include <zlib.h>

#include <cstdio>

#include "engine/common/file_io.h"
#include "engine/convert/smd.h"
#include "engine/patch/patch_types.h"

namespace vantorel::patch {

std::uint32_t crc32Of(std::span<const std::uint8_t> bytes, std::uint32_t crc) {
    // zlib answers 0 for a null buffer whatever the running value.
    if (bytes.empty()) return crc;
    return static_cast<std::uint32_t>(crc32_z(crc, bytes.data(), bytes.size()));
}

std::string crc32Text(std::uint32_t crc) {
    char buf[9];
    std::snprintf(buf, sizeof buf, "%08X", static_cast<unsigned>(crc));
    return buf;
}

std::string offsetText(std::uint64_t offset) {
    char buf[24];
    std::snprintf(buf, sizeof buf, "0x%llX", static_cast<unsigned long long>(offset));
    return buf;
}

void putNumber(Bytes& out, std::uint64_t value) {
    for (;;) {
        const auto low = static_cast<std::uint8_t>(value & 0x7F);
        value >>= 7;
        if (value == 0) {
            out.push_back(0x80 | low);
            return;
        }
        out.push_back(low);
        --value;
    }
}

std::size_t numberSize(std::uint64_t value) {
    std::size_t n = 1;
    while ((value >>= 7) != 0) {
        --value;
        ++n;
    }
    return n;
}

NumberRead readNumber(std::span<const std::uint8_t> bytes, std::size_t& position, std::size_t end,
                      std::uint64_t& value) {
    std::uint64_t result = 0;
    std::uint64_t shift = 1;
    for (std::size_t at = position;; ++at) {
        if (at >= end) return NumberRead::Truncated;
        const std::uint8_t byte = bytes[at];
        std::uint64_t part = 0;
        if (__builtin_mul_overflow(std::uint64_t{byte & 0x7Fu}, shift, &part) ||
            __builtin_add_overflow(result, part, &result))
            return NumberRead::TooLarge;
        if (byte & 0x80) {
            position = at + 1;
            value = result;
            return NumberRead::Ok;
        }
        // The next byte weighs 128 times more, and the spelling skips the values a
        // shorter number already has.
        if (shift > (UINT64_MAX >> 7)) return NumberRead::TooLarge;
        shift <<= 7;
        if (__builtin_add_overflow(result, shift, &result)) return NumberRead::TooLarge;
    }
}

void putLe32(Bytes& out, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

std::uint32_t le32(const std::uint8_t* p) {
    return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 |
           std::uint32_t{p[3]} << 24;
}

namespace {

// Which of the accepted images the start of `candidate` is, if any.
const ExpectedImage* holds(std::span<const std::uint8_t> candidate, const ExpectedImage& expected,
                           const std::optional<ExpectedImage>& other) {
    for (const ExpectedImage* e : {&expected, other ? &*other : nullptr}) {
        if (e == nullptr || e->size == 0 || candidate.size() < e->size) continue;
        if (crc32Of(candidate.first(static_cast<std::size_t>(e->size))) == e->crc) return e;
    }
    return nullptr;
}

Error wrongImage(const char* source, int number, const ExpectedImage& expected, std::uint32_t imageCrc,
                 std::size_t imageSize, const char* diagnosis) {
    const std::string want = crc32Text(expected.crc);
    const std::string wantSize = std::to_string(expected.size);
    const std::string have = crc32Text(imageCrc);
    const std::string haveSize = std::to_string(imageSize);
    return Error(ErrorCategory::Patch, number, source,
                 "The patch was made for another image: it expects CRC32 " + want + " and " + wantSize +
                     " bytes, this image has CRC32 " + have + " and " + haveSize + " bytes." + diagnosis,
                 {want, wantSize, have, haveSize});
}

}  // namespace

Error wrongImageError(const char* source, std::span<const std::uint8_t> image, std::uint32_t imageCrc,
                      ExpectedImage expected, std::optional<ExpectedImage> other) {
    // The commonest mistake is the right game as a copier file: look for it behind the
    // header, and in the image the interleaved blocks make.
    if (image.size() > convert::kSmdHeaderSize) {
        if (const ExpectedImage* e = holds(image.subspan(convert::kSmdHeaderSize), expected, other))
            return wrongImage(
                source, kSmdHeaderImageError, *e, imageCrc, image.size(),
                " It is the same game behind a 512-byte SMD copier header: convert it to BIN first.");
        if (auto bin = convert::smdToBin(image); bin.ok())
            if (const ExpectedImage* e = holds(bin.value(), expected, other))
                return wrongImage(
                    source, kSmdLayoutImageError, *e, imageCrc, image.size(),
                    " It is the same game in the interleaved SMD layout: convert it to BIN first.");
    }
    return wrongImage(source, kWrongImageError, expected, imageCrc, image.size(), "");
}

Error targetChecksumError(const char* source, std::uint32_t expected, std::uint32_t actual) {
    const std::string want = crc32Text(expected);
    const std::string have = crc32Text(actual);
    return Error(ErrorCategory::Patch, kTargetChecksumError, source,
                 "The patched image is not the one the patch promises: it should have CRC32 " + want +
                     " but has " + have + ".",
                 {want, have});
}

Error resultTooLargeError(const char* source, std::uint64_t size) {
    const std::string limit = std::to_string(kMaxInputSize);
    return Error(ErrorCategory::Patch, kResultTooLargeError, source,
                 "The patch describes an image of " + std::to_string(size) + " bytes, more than the " +
                     limit + " bytes an image can have.",
                 {std::to_string(size), limit});
}

}  // namespace vantorel::patch
