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

// Reading entries out of .zip, .7z and .gz archives with libarchive, into memory only:
// nothing is ever extracted to disk. Read only; no archive is ever written.
namespace vantorel::archive {

// The archive layer's refusals (ErrorCategory::Archive). Each description is built from
// its args in the order given here.
namespace archive_error {
// The archive cannot be read (truncated, corrupt, an unsupported method, a gzip stream
// whose CRC32 or length is wrong). args {archive path, libarchive's or zlib's own text}.
inline constexpr int kDamaged = 1;
// An entry holds more than the limit (kMaxEntrySize unless the caller chose another), by
// its header or by the bytes actually read. args {entry name, limit in whole MiB}.
inline constexpr int kEntryTooLarge = 2;
// An entry whose data is encrypted; passwords are not supported. args {entry name}.
inline constexpr int kEncrypted = 3;
// The archive holds several images and no entry was chosen. args: the candidates' names,
// in archive order (as many as there are).
inline constexpr int kSeveralImages = 4;
// The entry asked for is not in the archive. args {entry name, archive path}.
inline constexpr int kNoSuchEntry = 5;
// The archive holds no image: no entry with an image's extension or content. args: the
// names of all its entries (none for an empty archive).
inline constexpr int kNoImage = 6;
// An entry, or a list of entries, was asked of a file that is no archive. args {path}.
inline constexpr int kNotAnArchive = 7;
// More entries than a listing takes (kMaxEntries). args {archive path, the limit}.
inline constexpr int kTooManyEntries = 8;
}  // namespace archive_error

// What an entry may weigh once uncompressed: far above the largest cartridge (10 MiB),
// small enough that a hostile archive cannot exhaust memory.
inline constexpr std::size_t kMaxEntrySize = 64u << 20;

// Listing keeps this many leading bytes of each entry: enough to tell an image by content.
inline constexpr std::size_t kHeadSize = 0x200;

// Far more files than any collection of cartridges holds; a listing of more is refused,
// since a small archive of many tiny entries could otherwise fill memory with their heads.
inline constexpr std::size_t kMaxEntries = 65536;

enum class Kind { None, Zip, SevenZip, Gzip };

// The kind by the first bytes (magic numbers), never by the file's name.
Kind kindOf(std::span<const std::uint8_t> start);
// The same for a file on disk; None when it cannot be opened or is not a regular file.
Kind kindOfFile(const std::filesystem::path& path);

// An archive to read: its bytes in memory, or, when `bytes` is empty, the regular file at
// `path`. `path` also names the archive in errors, and its file name without ".gz" is the
// name of a gzip file's one entry (libarchive gives it no name of its own).
struct Source {
    std::filesystem::path path;
    std::span<const std::uint8_t> bytes;
};

struct Entry {
    std::string name;        // the path inside the archive, as stored
    std::uint64_t size = 0;  // uncompressed: as the archive states it, else counted (see below)
    bool encrypted = false;  // its data cannot be read without a password
    Bytes head;              // its first kHeadSize bytes (fewer when shorter; none if encrypted)
};

// The regular-file entries in archive order (folders and links are left out), at most
// kMaxEntries of them. When the archive states no size (gzip), the entry is read through
// to count it, stopping just past `limit`. A stated size is taken as it stands here;
// readEntry checks the real one.
Result<std::vector<Entry>> listEntries(const Source& source, std::size_t limit = kMaxEntrySize);

// The bytes of the first entry called `name`. Refuses an entry stated or found to be larger
// than `limit` (it never holds more than `limit` + one chunk while finding out), an
// encrypted entry, and a name the archive does not hold.
Result<Bytes> readEntry(const Source& source, std::string_view name, std::size_t limit = kMaxEntrySize);

// The name of a gzip file's entry: the archive's file name without a final ".gz" (any case).
std::string gzipEntryName(const std::filesystem::path& archive);

}  // namespace vantorel::archive
