#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "engine/archive/archive_reader.h"
#include "engine/common/error.h"
#include "engine/common/file_io.h"

// The one way every tool reads an image: a plain file, or an image inside a .zip, .7z or
// .gz archive (told by content, not by name). Archive failures are ErrorCategory::Archive
// with the numbers in engine/archive/archive_reader.h.
//
// A front end opening a file the user picked:
//   auto names = imageEntries(path);        // fails: show the error
//   if (names.value().size() > 1) ask the user to pick one, then loadImage(path, picked)
//   else loadImage(path)
// or call loadImage(path) at once and, on archive_error::kSeveralImages, offer the names
// in the error's args and call again with the one chosen.
namespace vantorel::rom {

struct LoadedImage {
    Bytes data;                        // the file's or the entry's bytes, as stored (BIN or SMD)
    std::filesystem::path path;        // the file opened: the image itself, or the archive
    std::optional<std::string> entry;  // the entry's name inside the archive; none for a plain file
};

// Reads the image at `path`.
// - A plain file is read whole as readWholeFile reads it (same limits, same errors); asking
//   it for an entry fails (archive_error::kNotAnArchive).
// - An archive without `entry`: its one image-like entry (see isImageLikeEntry). Several
//   fail with kSeveralImages (args: their names), none with kNoImage (args: every entry's
//   name). A gzip file holds one entry by its nature, which is taken even when neither its
//   name nor its content looks like an image.
// - An archive with `entry`: that entry, whatever it is called (kNoSuchEntry when absent).
// Entries over archive::kMaxEntrySize, encrypted entries, damaged archives and listings of
// over archive::kMaxEntries files are refused. An archive is read from disk as it is needed,
// whatever its size; only the chosen entry comes into memory.
Result<LoadedImage> loadImage(const std::filesystem::path& path, std::optional<std::string> entry = {});

// The same over an archive given as a Source (in memory or on disk).
Result<LoadedImage> loadImageFromArchive(const archive::Source& source,
                                         std::optional<std::string> entry = {});

// The names loadImage would choose from, for asking the user: one name when the choice is
// plain, several when it is the user's. An empty list for a file that is no archive (a
// plain image, or a path loadImage will refuse with its own error). An archive without
// any image fails with kNoImage, as loadImage would.
Result<std::vector<std::string>> imageEntries(const std::filesystem::path& path);

// Whether `path` is an archive by its first bytes (false for anything unreadable).
bool isArchiveFile(const std::filesystem::path& path);

// An image file's name: .bin, .md, .gen or .smd, in any case.
bool hasImageExtension(std::string_view name);

// An entry that is an image by its name or, whatever its name, by its content (SMD
// layout, or "SEGA" at 0x100).
bool isImageLikeEntry(const archive::Entry& entry);

// The names of the entries loadImage would choose from, in archive order, each once.
std::vector<std::string> imageCandidates(const std::vector<archive::Entry>& entries, archive::Kind kind);

}  // namespace vantorel::rom
