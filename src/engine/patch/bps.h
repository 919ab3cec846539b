#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "engine/common/error.h"
#include "engine/patch/patch_types.h"

// BPS patches: "BPS1", the source, target and metadata sizes, the metadata, then actions
// that build the target from start to end out of the source, the patch itself and the
// target's own earlier bytes, then the CRC32s of source, target and patch.
namespace vantorel::patch {

// What a BPS patch holds, found without applying it.
struct BpsStudy {
    std::uint64_t sourceSize = 0;
    std::uint64_t targetSize = 0;
    // The metadata as stored (XML text by custom, not checked); views the patch.
    std::span<const std::uint8_t> metadata;
    std::uint32_t sourceCrc32 = 0;
    std::uint32_t targetCrc32 = 0;
    std::uint32_t patchCrc32 = 0;
    std::size_t actionCount = 0;
    // Where the first action starts in the patch.
    std::size_t actionsBegin = 0;
    // One past the highest source offset any action reads (0 when none does): the least an
    // image must hold for the actions to run over it.
    std::uint64_t sourceReadEnd = 0;
};

// Checks the whole patch without applying anything: "BPS1", the patch's own CRC32, that
// every number and action lies inside the patch, that every read lies inside the stated
// source or the part of the target already made, and that the actions make exactly the
// stated target size. Never reads outside the patch.
Result<BpsStudy> studyBps(std::span<const std::uint8_t> patch);

// Applies the patch to the image. The patch is studied first, then the image's size and
// CRC32 are compared with the ones the patch was made for (kWrongImageError, or the SMD
// header and layout numbers when the image is that very image as a copier file), and the
// result's CRC32 with the promised one (kTargetChecksumError). ApplyOptions::ignoreChecksum
// turns those two into Applied::warning, except for an image too short for the source reads
// of the patch, which still fails. Progress: (bytes made, target size) at most every 64 KiB;
// a stop fails with a Stopped error. `image` is never changed.
Result<Applied> applyBps(std::span<const std::uint8_t> image, std::span<const std::uint8_t> patch,
                         const ApplyOptions& options = {});

}  // namespace vantorel::patch
