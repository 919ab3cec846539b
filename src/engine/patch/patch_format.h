#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "engine/common/error.h"
#include "engine/common/file_io.h"
#include "engine/patch/patch_types.h"

// One entry point for the windows and the command line, whatever the patch's format: the
// format is read from the patch's first bytes, never from its file name.
namespace vantorel::patch {

// "IPS", "BPS", "UPS".
std::string_view formatName(PatchFormat format);

// The format the bytes start like ("PATCH", "BPS1", "UPS1"); nothing for anything else.
// Only the start is looked at: studyPatch tells whether the rest holds.
std::optional<PatchFormat> detectPatchFormat(std::span<const std::uint8_t> patch);

// What a patch says about itself. Fields a format does not have stay empty.
struct PatchInfo {
    PatchFormat format = PatchFormat::Ips;
    std::size_t patchSize = 0;
    std::optional<std::uint64_t> sourceSize;   // BPS, UPS
    std::optional<std::uint64_t> targetSize;   // BPS, UPS
    std::optional<std::uint32_t> sourceCrc32;  // BPS, UPS
    std::optional<std::uint32_t> targetCrc32;  // BPS, UPS
    std::optional<std::uint32_t> patchCrc32;   // BPS, UPS
    // IPS records, BPS actions, UPS hunks.
    std::size_t recordCount = 0;
    std::optional<std::size_t> metadataSize;     // BPS
    std::string metadata;                        // BPS, the bytes as stored
    std::optional<std::uint32_t> ipsTruncateTo;  // IPS with the truncation extension
    std::optional<std::uint32_t> ipsWriteEnd;    // IPS: highest offset + length a record writes
};

// Detects and checks the patch whole, without an image. Fails with kUnknownPatchError for
// bytes of no known format, else with the format's own failures (an IPS one described by
// `invalidIpsText`).
Result<PatchInfo> studyPatch(std::span<const std::uint8_t> patch,
                             std::string_view invalidIpsText = kDefaultInvalidIpsText);

// One English line for logs and the command line, e.g.
// "BPS patch, 4 MiB -> 4.06 MiB, source CRC32 1234ABCD".
std::string describePatch(const PatchInfo& info);

// "512 bytes", "64 KiB", "4.06 MiB".
std::string sizeText(std::uint64_t bytes);

// Applies a patch of any format to a copy of the image (see applyBps and applyUps for the
// checks those formats make; IPS goes through DoPatch). Applied::resultCrc32 is the CRC32
// of the result in every format. Progress is reported at most every 64 KiB of work; a stop
// fails with a Stopped error.
Result<Applied> applyPatch(std::span<const std::uint8_t> image, std::span<const std::uint8_t> patch,
                           const ApplyOptions& options = {});

// The whole run from files to file.
struct ApplyFilesJob {
    std::filesystem::path rom;            // a plain image, or an archive holding it
    std::optional<std::string> romEntry;  // which image of the archive; none: its one image
    std::filesystem::path patch;
    std::filesystem::path output;                     // may be `rom` itself
    std::optional<std::filesystem::path> extraChunk;  // appended whole after patching
    ApplyOptions options;
};

struct AppliedFile {
    std::size_t size = 0;  // bytes written, extra chunk included
    PatchFormat format = PatchFormat::Ips;
    std::uint32_t resultCrc32 = 0;  // of the patched image, before the extra chunk
    std::optional<Error> warning;
    bool reversed = false;
};

// Reads every input whole (an empty file is refused with kEmptyFileError; file failures name
// their file), applies the patch, appends the extra chunk and only then replaces the output
// atomically: a failure or a stop at any step leaves no output, or the previous one whole.
Result<AppliedFile> applyPatchFiles(const ApplyFilesJob& job);

}  // namespace vantorel::patch
