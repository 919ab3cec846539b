#pragma once

#include <string>
#include <string_view>

namespace vantorel::convert {

// The output named for a source: the source without its last four characters (its
// ".smd" or ".bin") followed by `extension` (".bin" or ".smd"). The cut never reaches
// into the folder part, so the output always lands beside its source.
std::string destinationFor(std::string_view source, std::string_view extension);

// `destination` moved into `folder`: everything up to its last "/" replaced by the
// folder, keeping the file name.
std::string destinationInFolder(std::string_view destination, std::string_view folder);

// The output for an image taken from an archive: beside the archive, named after the
// entry's own file name (its folders inside the archive dropped, its extension replaced by
// `extension`), so "/x/pack.zip" holding "roms/Sonic (W).smd" gives "/x/Sonic (W).bin". An
// entry without a usable file name ("", "..", "dir/") takes the archive's name instead. No
// entry name can lead the output out of the archive's folder.
std::string destinationForArchiveEntry(std::string_view archive, std::string_view entry,
                                       std::string_view extension);

}  // namespace vantorel::convert
