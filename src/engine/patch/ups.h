#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "engine/common/error.h"
#include "engine/patch/patch_types.h"

// UPS patches: "UPS1", the sizes of the two images, then hunks (a number of bytes to skip,
// then bytes to XOR until a zero byte), then the CRC32s of the two images and of the patch.
// XOR undoes itself, so the same patch turns either image into the other.
namespace vantorel::patch {

struct UpsStudy {
    std::uint64_t sourceSize = 0;
    std::uint64_t targetSize = 0;
    std::uint32_t sourceCrc32 = 0;
    std::uint32_t targetCrc32 = 0;
    std::uint32_t patchCrc32 = 0;
    std::size_t hunkCount = 0;
    // Where the first hunk starts in the patch.
    std::size_t hunksBegin = 0;
};

// Checks the whole patch without applying anything: "UPS1", the patch's own CRC32, that
// every number and hunk lies inside the patch and every changed byte inside the larger of
// the two images. Never reads outside the patch.
Result<UpsStudy> studyUps(std::span<const std::uint8_t> patch);

// Applies the patch in the direction the image asks for: to the source image it gives the
// target, to the target image the source (Applied::reversed). An image that is neither fails
// with kWrongImageError (or the SMD header and layout numbers when it is one of them as a
// copier file); a result other than the expected one with kTargetChecksumError.
// ApplyOptions::ignoreChecksum turns both into Applied::warning, and then the image's size
// picks the direction (forwards when it fits neither). Progress: (bytes of the result
// passed, result size) at most every 64 KiB; a stop fails with a Stopped error.
Result<Applied> applyUps(std::span<const std::uint8_t> image, std::span<const std::uint8_t> patch,
                         const ApplyOptions& options = {});

}  // namespace vantorel::patch
