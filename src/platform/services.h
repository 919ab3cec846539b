#pragma once

#include <string>

namespace vantorel::platform {

// There are no short 8.3 names here: the path itself when it exists, else empty text.
std::string GetShortPath(const std::string& path);

// The system's text for an errno value. Unknown numbers get the system's "Unknown error N",
// never an empty text.
std::string SystemErrorText(int code);

}  // namespace vantorel::platform
