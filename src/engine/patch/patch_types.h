#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "engine/common/error.h"
#include "engine/common/file_io.h"
#include "engine/common/progress.h"
#include "engine/patch/ips.h"

// What every patch format shares: the failures a front end tells apart, the options of
// applying and what applying gives back.
namespace vantorel::patch {

enum class PatchFormat { Ips, Bps, Ups };

// Numbers of the patch failures beside 5001-5003 (ErrorCategory::Patch). A front end keys
// its message on them; each says what the user can do about it.
// Not a patch at all, or not of the kind asked for.
inline constexpr int kUnknownPatchError = 5004;  // starts with none of "PATCH", "BPS1", "UPS1"
inline constexpr int kNotBpsError = 5005;        // does not start with "BPS1"
inline constexpr int kNotUpsError = 5006;        // does not start with "UPS1"
// Damaged: the patch itself cannot be trusted; getting it again is the cure. The args of
// 5007, 5009 and 5010 start with the patch offset of the fault ("0x1A2B"); 5008 has the
// stored CRC32, then the CRC32 of the bytes.
inline constexpr int kTruncatedPatchError = 5007;  // ends inside a number, an action, a hunk or its checksums
inline constexpr int kPatchChecksumError = 5008;   // its own CRC32 differs from its bytes
inline constexpr int kOffsetOutOfRangeError = 5009;  // reads or writes outside the source or the result
inline constexpr int kMalformedPatchError = 5010;  // a number too large, or actions short of the stated size
// Made for another image. The args are always: expected CRC32, expected size, the image's
// CRC32, the image's size (CRC32s as 8 hex digits, sizes in bytes).
inline constexpr int kWrongImageError = 5011;
inline constexpr int kSmdHeaderImageError = 5012;  // the right game behind a 512-byte SMD copier header
inline constexpr int kSmdLayoutImageError = 5013;  // the right game in the interleaved SMD layout
// The patch applied but its result is not what it promises. Args: expected CRC32, actual CRC32.
inline constexpr int kTargetChecksumError = 5014;
// The patch states a result larger than an image can be (kMaxInputSize). Args: size, limit.
inline constexpr int kResultTooLargeError = 5015;
// Making patches. 5016: a changed byte past the last one a record reaches (args: its
// offset, the last reachable offset). 5017: a shorter size of exactly 0x454F46, which would
// end the patch in a second "EOF" (args: the size). 5018: an image of 2 GiB or more (args:
// its size). 5019: a shorter size beyond the 24 bits IPS has for it (args: the size).
inline constexpr int kIpsTooLargeError = 5016;
inline constexpr int kIpsUnrepresentableError = 5017;
inline constexpr int kMakeInputTooLargeError = 5018;
inline constexpr int kIpsSizeTooLargeError = 5019;

inline constexpr const char* kStudyBpsSource = "modPatcher.StudyBps";
inline constexpr const char* kApplyBpsSource = "modPatcher.ApplyBps";
inline constexpr const char* kStudyUpsSource = "modPatcher.StudyUps";
inline constexpr const char* kApplyUpsSource = "modPatcher.ApplyUps";
inline constexpr const char* kApplyPatchSource = "modPatcher.ApplyPatch";
inline constexpr const char* kMakeIpsSource = "modPatcher.MakeIps";
inline constexpr const char* kMakeBpsSource = "modPatcher.MakeBps";

struct ApplyOptions {
    // Lets a BPS or UPS patch apply to an image whose CRC32 or size differs from the one it
    // was made for (and then a result that differs from the promised one). The mismatch
    // comes back as Applied::warning instead of a failure. A damaged patch is never applied.
    bool ignoreChecksum = false;
    // The description of the not-an-IPS-patch failure (the catalogue's InvalidIPS).
    std::string invalidIpsText{kDefaultInvalidIpsText};
    // Reports (bytes of the result written, result size) at most every 64 KiB or so; for
    // IPS (patch bytes read, patch size). False stops the job, which then fails with a
    // Stopped error.
    ProgressFn progress;
};

struct Applied {
    Bytes image;
    // Set only when ApplyOptions::ignoreChecksum let a mismatch through: the error that
    // would have been returned (the wrong image, else the unexpected result).
    std::optional<Error> warning;
    std::uint32_t resultCrc32 = 0;
    PatchFormat format = PatchFormat::Ips;
    // UPS only: the patch was applied backwards, giving the original back.
    bool reversed = false;
};

}  // namespace vantorel::patch
