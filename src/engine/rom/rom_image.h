#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "engine/common/error.h"
#include "engine/common/file_io.h"

namespace vantorel::rom {

// Turns the text form of a several-files selection into full paths: NUL-separated items
// ended by two NULs, the folder first, then the names. A selection of one existing file
// is just that file's path. The separator added to the folder is "/".
std::vector<std::string> SplitMultiSelect(std::string_view selection);

// The whole file, byte for byte; nothing is recognised or removed. A path that names no
// file fails with the system's text and creates nothing. An empty path fails as well.
Result<Bytes> LoadRomImage(const std::filesystem::path& path);

// Replaces the file with exactly `image`, atomically: on failure the previous file stays
// as it was. An empty path fails.
Result<void> WriteRomImage(const std::filesystem::path& path, std::span<const std::uint8_t> image);

}  // namespace vantorel::rom
