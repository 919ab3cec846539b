#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>

#include "engine/common/error.h"
#include "engine/common/file_io.h"
#include "engine/common/progress.h"

// The interleaved SMD copier layout and the plain BIN layout, in both directions.
// An SMD file is a 512-byte header followed by 16384-byte blocks; each block holds the
// odd-offset bytes of its 16384 image bytes first and the even-offset bytes second.
namespace vantorel::convert {

inline constexpr std::size_t kSmdHeaderSize = 512;
inline constexpr std::size_t kSmdBlockSize = 16384;
inline constexpr std::size_t kSmdHalfBlock = kSmdBlockSize / 2;
// Header byte 0 can state at most this many blocks; larger images carry 0 there.
inline constexpr std::size_t kMaxStatedBlocks = 255;

// Numbers of the converters' own failures (ErrorCategory::Format; file failures keep the
// file layer's category).
inline constexpr int kErrEmptySource = 601;
inline constexpr int kErrNoBlocks = 602;
inline constexpr int kErrTruncatedSource = 603;
inline constexpr int kErrSameFile = 604;
inline constexpr int kErrTooLarge = 605;

inline constexpr const char* kSmd2BinSource = "modSMD2Bin.SMD2Bin";
inline constexpr const char* kBin2SmdSource = "modBin2SMD.Bin2SMD";

// Blocks an SMD file holds: header byte 0 when non-zero (trusted over the file size),
// else the whole blocks after the header.
std::size_t SmdBlockCount(std::span<const std::uint8_t> smd);

// Blocks a BIN image of `length` bytes needs: rounded up, so no source byte is dropped.
std::size_t BinBlockCount(std::size_t length);

// The 512-byte header written for `blocks` blocks (byte 0 is 0 from 256 blocks up).
std::array<std::uint8_t, kSmdHeaderSize> SmdHeader(std::size_t blocks);

// Whole-image conversions. Progress reports (block, blocks) once per block; a stop asked
// through it fails with a Stopped error and converts no further.
Result<Bytes> smdToBin(std::span<const std::uint8_t> smd, const ProgressFn& progress = {});
Result<Bytes> binToSmd(std::span<const std::uint8_t> bin, const ProgressFn& progress = {});

// The same into `storage`, which grows as needed and is never shrunk, so a batch that
// keeps it pays for its memory once. The result views the converted bytes in `storage`.
Result<std::span<const std::uint8_t>> smdToBin(std::span<const std::uint8_t> smd, Bytes& storage,
                                               const ProgressFn& progress = {});
Result<std::span<const std::uint8_t>> binToSmd(std::span<const std::uint8_t> bin, Bytes& storage,
                                               const ProgressFn& progress = {});

// One block each way. `join` turns one SMD block into 16384 image bytes; `split` turns the
// first `count` (at most 16384) image bytes into one SMD block, leaving the bytes of the
// block beyond `count` as they are (callers hand in a zeroed block to pad).
void joinBlock(const std::uint8_t* block, std::uint8_t* image);
void splitBlock(const std::uint8_t* image, std::size_t count, std::uint8_t* block);

// Memory a batch keeps from one file to the next, so that converting hundreds of images
// does not pay for fresh pages every time. One per batch; never shared between threads.
struct ConvertBuffers {
    Bytes source;
    Bytes output;
};

// File to file: reads the source whole, converts it and replaces the destination
// atomically (a temporary file beside it, then a rename), so a failure leaves no
// destination or the previous one untouched. A destination that is the source itself is
// refused. A source that is an archive gives its image named `entry`, or its one image
// when no entry is named.
Result<void> SMD2Bin(const std::filesystem::path& source, const std::filesystem::path& destination,
                     const ProgressFn& progress = {}, ConvertBuffers* buffers = nullptr,
                     const std::optional<std::string>& entry = {});
Result<void> Bin2SMD(const std::filesystem::path& source, const std::filesystem::path& destination,
                     const ProgressFn& progress = {}, ConvertBuffers* buffers = nullptr,
                     const std::optional<std::string>& entry = {});

// True when both paths name one file: the same inode when both exist, else the same
// normalised absolute path.
bool sameFile(const std::filesystem::path& a, const std::filesystem::path& b);

}  // namespace vantorel::convert
