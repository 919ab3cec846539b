#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vantorel::text {

bool isValidUtf8(std::string_view bytes);

// ISO-8859-1: byte b <-> code point b, so every byte 0-255 survives a round trip.
std::string latin1ToUtf8(std::string_view bytes);
// Code points above 255 (and malformed sequences) become '?'.
std::string utf8ToLatin1(std::string_view utf8);

std::string cp1252ToUtf8(std::string_view bytes);
// The inverse: empty when the text is not valid UTF-8 or holds a character Windows-1252 lacks.
std::optional<std::string> utf8ToCp1252(std::string_view utf8);

// Language and settings files: UTF-8 when valid, else Windows-1252.
std::string decodeLegacyText(std::string_view bytes);

// Count and cut by characters (code points), not bytes.
std::size_t utf8Length(std::string_view utf8);
std::string utf8Left(std::string_view utf8, std::size_t characters);

std::string trim(std::string_view s);
std::string toLowerAscii(std::string_view s);
std::string toUpperAscii(std::string_view s);
bool equalsIgnoreCase(std::string_view a, std::string_view b);

// Replaces every occurrence of `marker` (such as "%r") with `value`.
std::string replaceAll(std::string_view text, std::string_view marker, std::string_view value);

}  // namespace vantorel::text
