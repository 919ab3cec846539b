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
#include "engine/common/progress.h"

namespace vantorel::patch {

// Numbers of the patcher's failures (ErrorCategory::Patch). File errors keep their own
// category (System with errno, File).
inline constexpr int kInvalidIpsError = 5001;  // does not start with "PATCH" / end with "EOF"
inline constexpr int kDamagedIpsError = 5002;  // a record runs past the records' end
inline constexpr int kEmptyFileError = 5003;   // an input file of 0 bytes

inline constexpr const char* kDoPatchSource = "modPatcher.DoPatch";

// Used when a caller has no catalogue text for InvalidIPS.
inline constexpr std::string_view kDefaultInvalidIpsText = "This file is not a valid IPS patch.";

// Largest image a patch can describe: a 24-bit offset plus a 16-bit length.
inline constexpr std::uint32_t kMaxRecordEnd = 0xFFFFFFu + 0xFFFFu;

// One parsed record. `data` views the patch bytes: the `size` data bytes, or the one fill
// byte of a run record (size 0).
struct IpsRecord {
    std::uint32_t offset = 0;     // 0..0xFFFFFF
    std::uint32_t size = 0;       // 0..0xFFFF; 0 marks a run record
    std::uint32_t runLength = 0;  // 0..0xFFFF; only when size is 0
    std::span<const std::uint8_t> data;

    // How many image bytes the record writes.
    std::uint32_t length() const { return size != 0 ? size : runLength; }
};

// What a patch holds, found without applying it.
struct IpsStudy {
    std::size_t recordsEnd = 0;  // offset of the closing "EOF" in the patch
    std::size_t recordCount = 0;
    std::uint32_t writeEnd = 0;  // highest offset + length any record writes; 0 when none
    // The truncation extension: the size of the patched image, when the patch gives one.
    std::optional<std::uint32_t> truncateTo;

    // The image length after the patch, for an image of `imageSize` bytes before it.
    std::size_t patchedSize(std::size_t imageSize) const;
};

// "PATCH" at the start and "EOF" at the end, or "EOF" plus a 3-byte size (the truncation
// extension). Never reads outside the patch.
bool IsValidIps(std::span<const std::uint8_t> patch);

// Where the records stop: the offset of the closing "EOF". Only meaningful when
// IsValidIps(patch) holds.
std::size_t RecordsEnd(std::span<const std::uint8_t> patch);

// Parses the record at `position`, which must end at or before `recordsEnd`, and moves
// `position` past it. A record that would cross `recordsEnd` fails (kDamagedIpsError) and
// leaves `position` where it was.
Result<IpsRecord> ReadIpsRecord(std::span<const std::uint8_t> patch, std::size_t& position,
                                std::size_t recordsEnd);

// Writes one record into the image, first growing it to exactly offset + length (new
// bytes zero) when the record reaches past its end. A record that writes nothing changes
// nothing.
void ApplyIpsRecord(Bytes& image, const IpsRecord& record);

// Checks the whole patch without touching anything. `invalidText` is the description of the
// not-an-IPS-patch error (the catalogue's InvalidIPS).
Result<IpsStudy> StudyIps(std::span<const std::uint8_t> patch,
                          std::string_view invalidText = kDefaultInvalidIpsText);

// Applies the patch to the image. The patch is checked whole first, so a damaged patch
// leaves the image as it was. Progress: once per record, (position of the next record + 1,
// patch length); a stop asked through it leaves the image partly patched and fails with a
// Stopped error (callers then write nothing).
Result<void> DoPatch(Bytes& image, std::span<const std::uint8_t> patch,
                     std::string_view invalidText = kDefaultInvalidIpsText, const ProgressFn& progress = {});

// Adds the chunk at the end of the (patched) image.
void AppendExtraChunk(Bytes& image, std::span<const std::uint8_t> chunk);

// Whole-file inputs; an empty file is refused. Errors name the file.
// The image to patch may be an archive's entry (the one image it holds, or `entry`).
Result<Bytes> LoadPatchTarget(const std::filesystem::path& path, std::optional<std::string> entry = {});
Result<Bytes> LoadIpsFile(const std::filesystem::path& path);
Result<Bytes> LoadExtraChunk(const std::filesystem::path& path);

// Writes the image atomically: a failure leaves no file, or the previous one whole. The
// destination may be the file the image was read from.
Result<void> SavePatchedImage(const std::filesystem::path& path, std::span<const std::uint8_t> image);

// The whole run from files to file, for front ends without questions to ask.
struct PatchJob {
    std::filesystem::path rom;
    std::filesystem::path ips;
    std::filesystem::path output;
    std::optional<std::filesystem::path> extraChunk;
    std::string invalidText{kDefaultInvalidIpsText};
    ProgressFn progress;
};
// Returns the length of the file written.
Result<std::size_t> PatchFiles(const PatchJob& job);

}  // namespace vantorel::patch
