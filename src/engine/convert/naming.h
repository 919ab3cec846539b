#pragma once

#include <cstddef>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "engine/common/error.h"

namespace vantorel::convert {

// The output named for a source: the source without its last four characters (its
// ".smd" or ".bin") followed by `extension` (".bin" or ".smd"). The cut never reaches
// into the folder part, so the output always lands beside its source.
std::string destinationFor(std::string_view source, std::string_view extension);

// `destination` moved into `folder`: everything up to its last "/" replaced by the
// folder, keeping the file name.
std::string destinationInFolder(std::string_view destination, std::string_view folder);

// One conversion of a batch, with both paths as the user gave them.
struct BatchEntry {
    std::filesystem::path source;
    std::filesystem::path destination;
};

// Two entries of one batch that cannot both run.
struct BatchClash {
    enum class Kind {
        SharedDestination,    // both write one file: the earlier output would be lost
        DestinationIsSource,  // `second` writes over the file `first` converts
    };
    Kind kind;
    std::size_t first;
    std::size_t second;
    bool operator==(const BatchClash&) const = default;
};

// Refusals of a batch (ErrorCategory::File); args: first source, second source, destination.
inline constexpr int kErrSharedDestination = 610;
inline constexpr int kErrDestinationIsSource = 611;

// Every clash of the batch, ordered by `second`; a batch with none may run. Paths are
// compared as the writes will find them: absolute and normalised, through symbolic links
// (of folders and of the file itself), and by inode where both files exist. An entry whose
// destination is its own source is left to the converter, which refuses it alone.
// Writes nothing; reads only what the file system says about the paths.
std::vector<BatchClash> findBatchClashes(std::span<const BatchEntry> batch);

// The refusal for one clash, naming both sources and the destination.
Error batchClashError(const BatchClash& clash, std::span<const BatchEntry> batch);

// The output for an image taken from an archive: beside the archive, named after the
// entry's own file name (its folders inside the archive dropped, its extension replaced by
// `extension`), so "/x/pack.zip" holding "roms/Sonic (W).smd" gives "/x/Sonic (W).bin". An
// entry without a usable file name ("", "..", "dir/") takes the archive's name instead. No
// entry name can lead the output out of the archive's folder.
std::string destinationForArchiveEntry(std::string_view archive, std::string_view entry,
                                       std::string_view extension);

}  // namespace vantorel::convert
