#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <vector>

#include "engine/common/byte_allocator.h"
#include "engine/common/error.h"

namespace vantorel {

// Whole files: images, patches, the chunks appended to them.
using Bytes = std::vector<std::uint8_t, ByteAllocator<std::uint8_t>>;

// Whole-buffer moves at memory speed. The vector's own copies go byte by byte with an
// allocator other than std::allocator, as Bytes has.
void copyBytes(Bytes& to, std::span<const std::uint8_t> from);
// Room for `capacity` bytes, keeping the content.
void reserveBytes(Bytes& buffer, std::size_t capacity);

// The file layer's own refusals (ErrorCategory::File).
namespace file_error {
inline constexpr int kNotRegularFile = 1;     // a folder, a device or a pipe where a file was expected
inline constexpr int kTooLarge = 2;           // larger than the reader's limit
inline constexpr int kFolderNotWritable = 3;  // the file could be written, its folder cannot
inline constexpr int kCannotRead = 4;         // args {path, the system's reason}
inline constexpr int kCannotWrite = 5;        // args {path, the system's reason}
}  // namespace file_error

// A system failure told with the file it happened to, so a front end can say it in its own
// words around the system's text; failures of other kinds pass unchanged.
Error cannotRead(const Error& e, const std::filesystem::path& path, std::string description);
Error cannotWrite(const Error& e, const std::filesystem::path& path, std::string description);

// Far above any cartridge (the largest is 10 MiB), below what a disc image weighs: a file
// over this is a mistake, and reading it whole would only exhaust memory.
inline constexpr std::size_t kMaxInputSize = 128u << 20;

// Reads the whole file. Only regular files are read: a folder, a device or a pipe is
// refused at once (a pipe would block for ever, a device never end), and so is a file
// larger than `limit`. Never creates anything; a missing path fails with the system's text
// for ENOENT.
Result<Bytes> readWholeFile(const std::filesystem::path& path, std::size_t limit = kMaxInputSize);

// The same into a buffer the caller keeps between files (a batch reuses its memory); the
// span covers the bytes read. The buffer may be left larger than the file.
Result<std::span<const std::uint8_t>> readWholeFileInto(const std::filesystem::path& path, Bytes& buffer,
                                                        std::size_t limit = kMaxInputSize);

// Whether the data reaches the disk before it becomes the file. Settings and single saves
// flush; a batch of hundreds of images does not, since the rename alone already keeps a
// killed process from leaving a half-written file.
enum class Flush { Yes, No };

// Replaces the file with `data` so that a failure, or the process being killed, at any
// point leaves the previous file whole (or no file). A symbolic link is followed: its
// target is written, in the target's folder, keeping the target's permission bits. Where
// the file system allows it the data goes to an unnamed file that only becomes visible
// once complete; elsewhere to a hidden file beside the destination, renamed into place.
Result<void> writeFileAtomically(const std::filesystem::path& path, std::span<const std::uint8_t> data,
                                 Flush flush = Flush::Yes);

// Where a write to `path` lands: symbolic links followed (a dangling one to the file it
// names); the path itself when it is no link.
std::filesystem::path resolveLinks(const std::filesystem::path& path);

}  // namespace vantorel
