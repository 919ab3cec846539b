#pragma once

#include <cstdint>
#include <span>

#include "engine/common/error.h"
#include "engine/common/file_io.h"
#include "engine/common/progress.h"
#include "engine/patch/patch_types.h"

// Making patches from an original image and its modified copy. Both makers keep all their
// state on the stack of the call, so several may run at once on worker threads.
namespace vantorel::patch {

// An IPS patch that turns `original` into `modified`: data records of up to 0xFFFF bytes,
// run records where a run of one byte is cheaper, nearby changes joined where a new record
// would cost more than the bytes between them, no record starting at 0x454F46 (it would read
// as the closing "EOF"), and the truncation extension when `modified` is shorter. Bytes
// the modified image adds past the original's end are left out when zero, since growing
// fills with zeros. Fails with kIpsTooLargeError when a change lies beyond what IPS can
// address (offset 0xFFFFFF plus a 0xFFFF-byte record) or the shorter size does not fit in
// 24 bits, and with kIpsUnrepresentableError for a shorter result of exactly 0x454F46 bytes
// (the size would end the patch in a second "EOF"). Progress: (bytes of `modified`
// compared, its size) every 64 KiB; a stop fails with a Stopped error.
Result<Bytes> makeIps(std::span<const std::uint8_t> original, std::span<const std::uint8_t> modified,
                      const ProgressFn& progress = {});

// A BPS patch that turns `original` into `modified`, found with a suffix array of the
// original: unchanged stretches as SourceRead, moved ones as SourceCopy, repeats of what
// the modified image already holds as TargetCopy, the rest as TargetRead. No metadata.
// Images of 2 GiB or more fail with kMakeInputTooLargeError. Progress: (bytes of `modified`
// encoded, its size) every 64 KiB after the suffix array is built; a stop fails with a
// Stopped error.
Result<Bytes> makeBps(std::span<const std::uint8_t> original, std::span<const std::uint8_t> modified,
                      const ProgressFn& progress = {});

}  // namespace vantorel::patch
