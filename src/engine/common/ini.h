#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "engine/common/error.h"

namespace vantorel {

// Longest value a read gives back, in characters; longer values are cut.
inline constexpr std::size_t kIniValueLimit = 254;

// Private-profile read: section and key names match without regard to case, the first
// matching section and key win, the value runs to the end of its line with surrounding
// blanks (and one pair of matching surrounding quotes) removed. A missing file, section or
// key gives empty text and creates nothing. Text is UTF-8 when the file is valid UTF-8,
// else Windows-1252.
std::string ReadIniValue(const std::filesystem::path& file, std::string_view section, std::string_view key);

// Private-profile write: changes only the key's own line, or adds the key at the end of its
// section, or adds the section at the end of the file; every other byte stays as it was.
// The file is replaced atomically. A failed write leaves the file as it was and says why.
[[nodiscard]] Result<void> WriteIniValue(const std::filesystem::path& file, std::string_view section,
                                         std::string_view key, std::string_view value);

// The same reader over text already in memory (for tests and fuzzing).
std::string ReadIniValueFromText(std::string_view contents, std::string_view section, std::string_view key);
// The same writer over text in memory: returns the new contents.
std::string WriteIniValueToText(std::string_view contents, std::string_view section, std::string_view key,
                                std::string_view value);

}  // namespace vantorel
