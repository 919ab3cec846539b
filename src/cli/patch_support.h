#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "engine/common/error.h"

// What the patch, makepatch and patchinfo commands say alike.
namespace vantorel::cli {

// The catalogue's text for a file that is no patch of a known format, so the windows and the
// command line word it alike.
std::string invalidPatchText();

// The line for a failure to read or write `file`: the system's own words get the file's name
// in front, the file layer's refusals name it already.
std::string fileFailure(const std::filesystem::path& file, const Error& error);

// CRC32 as `info` prints it: eight lower-case hex digits.
std::string crc32Lower(std::uint32_t crc);

}  // namespace vantorel::cli
