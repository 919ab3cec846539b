#pragma once

#include <CLI/CLI.hpp>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "engine/common/error.h"
#include "engine/common/file_io.h"
#include "engine/rom/layout.h"
#include "engine/rom/load_image.h"

// How every command reads an image: a plain file as it stands; an archive through its one
// image, or through the entry named with --entry.
namespace vantorel::cli {

// --entry NAME, as each image-reading command declares it.
struct EntryOption {
    std::string value;
    CLI::Option* option = nullptr;

    // The entry asked for; none when --entry was not given.
    std::optional<std::string> chosen() const;
};

// Declares --entry on `app`. `severalFiles` says in the help that the name applies to
// every archive among the FILEs.
void addEntryOption(CLI::App& app, EntryOption& entry, bool severalFiles);

// The image in `file`: a plain file whole, or an entry of an archive (`chosen`, else its one
// image). `chosen` is ignored for a plain file, so one --entry serves a mixed list of files.
Result<rom::LoadedImage> readImage(const std::filesystem::path& file,
                                   const std::optional<std::string>& chosen);

// The entry readImage would take, found without reading it: none for a plain file.
Result<std::optional<std::string>> entryToRead(const std::filesystem::path& file,
                                               const std::optional<std::string>& chosen);

// How messages name an image: the file, or "ARCHIVE(ENTRY)" as ar members are named.
std::string imageLabel(const std::filesystem::path& file, const std::optional<std::string>& entry);
std::string imageLabel(const rom::LoadedImage& image);

// The line that reports a failure to read `file`. When the archive holds several images it
// goes on with one candidate per line and how to choose one.
std::string readFailure(const std::filesystem::path& file, const Error& error);

// Text as a terminal may print it: control characters (C0, DEL, and C1 in UTF-8) as '?', so
// names taken from an archive never drive the terminal.
std::string printable(std::string_view text);

// A loaded file as the header sees it: an SMD file de-interleaved, a plain image as it is.
struct PlainImage {
    Bytes bytes;
    rom::Layout layout = rom::Layout::Bin;  // of the file as stored
};
Result<PlainImage> plainImageOf(rom::LoadedImage image);

}  // namespace vantorel::cli
