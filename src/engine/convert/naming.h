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

}  // namespace vantorel::convert
