#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <vector>

#include "engine/common/error.h"

namespace vantorel {

using Bytes = std::vector<std::uint8_t>;

// Reads the whole file. Never creates anything; a missing path fails with the system's
// text for ENOENT. The error number is the errno value.
Result<Bytes> readWholeFile(const std::filesystem::path& path);

// The same into a buffer the caller keeps between files (a batch reuses its memory); the
// span covers the bytes read. The buffer may be left larger than the file.
Result<std::span<const std::uint8_t>> readWholeFileInto(const std::filesystem::path& path, Bytes& buffer);

// Whether the data reaches the disk before the rename. Settings and single saves flush; a
// batch of hundreds of images does not, since the rename alone already keeps a killed
// process from leaving a half-written file.
enum class Flush { Yes, No };

// Writes `data` to a temporary file in the destination's folder and renames it over the
// destination, so a failure at any point leaves no destination file, or the previous one
// whole. An existing file's permissions are kept.
Result<void> writeFileAtomically(const std::filesystem::path& path, std::span<const std::uint8_t> data,
                                 Flush flush = Flush::Yes);

// The text of a system error number (strerror).
std::string systemErrorText(int errnum);

namespace testing {
// Makes the next atomic write fail after `bytes` bytes reached the temporary file, as a
// full disk or a killed process would. Only tests call this.
void failNextAtomicWriteAfter(std::size_t bytes);
}  // namespace testing

}  // namespace vantorel
