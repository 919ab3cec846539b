#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "engine/common/error.h"
#include "engine/rom/digest.h"
#include "engine/rom/layout.h"
#include "engine/rom/load_image.h"

// What an image is: the facts `vantorel-cli info` prints and the header editor's identity
// line shows. Everything is about the plain image, since checksum lists are: an SMD file is
// de-interleaved first, exactly as converting it to BIN would.
namespace vantorel::rom {

struct Identity {
    std::filesystem::path path;
    std::optional<std::string> entry;  // none outside archives
    std::uint64_t size = 0;            // of the plain image
    Layout layout = Layout::Bin;       // of the file as stored
    bool segaSignature = false;        // "SEGA" at 0x100 of the plain image
    Digests digests;
    std::uint16_t checksumStored = 0;
    std::uint16_t checksumComputed = 0;
    std::uint32_t romStart = 0;  // bytes past a short image's end count as 0
    std::uint32_t romEnd = 0;
    bool romEndMatches = false;  // romEnd + 1 == size
};

// Fails only where the plain image cannot be had (an SMD whose header states more blocks
// than it holds: convert's Format errors) or a digest cannot be computed.
Result<Identity> identify(const LoadedImage& image);

// Four upper-case hex digits, as the header checksum is written everywhere.
std::string checksumHex(std::uint16_t value);

// The report as named fields, in a fixed order, for JSON and plain text alike:
//   path              string   the file opened (the archive for an entry)
//   entry             string   the entry's name; null outside archives
//   size              integer  bytes of the plain image
//   layout            string   "bin" or "smd", the file as stored
//   crc32             string   8 lower-case hex digits
//   md5               string   32 lower-case hex digits
//   sha1              string   40 lower-case hex digits
//   checksum_stored   string   4 upper-case hex digits, from 0x18E
//   checksum_computed string   4 upper-case hex digits
//   rom_start         integer  big-endian at 0x1A0
//   rom_end           integer  big-endian at 0x1A4
//   rom_end_matches   boolean  rom_end + 1 == size
enum class FieldType { String, NullableString, Integer, Boolean };

struct FieldKey {
    std::string_view name;
    FieldType type;
};

inline constexpr std::array<FieldKey, 12> kIdentityKeys = {{
    {"path", FieldType::String},
    {"entry", FieldType::NullableString},
    {"size", FieldType::Integer},
    {"layout", FieldType::String},
    {"crc32", FieldType::String},
    {"md5", FieldType::String},
    {"sha1", FieldType::String},
    {"checksum_stored", FieldType::String},
    {"checksum_computed", FieldType::String},
    {"rom_start", FieldType::Integer},
    {"rom_end", FieldType::Integer},
    {"rom_end_matches", FieldType::Boolean},
}};

// null (std::monostate), text, integer or boolean: the JSON value of a field.
using FieldValue = std::variant<std::monostate, std::string, std::uint64_t, bool>;

struct IdentityField {
    std::string_view name;  // one of kIdentityKeys, in its order
    FieldValue value;
};

// One field per key of kIdentityKeys, in the same order, each holding the type its key names.
std::vector<IdentityField> identityFields(const Identity& identity);

}  // namespace vantorel::rom
