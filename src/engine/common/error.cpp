#include "engine/common/error.h"

#include <cstring>

namespace vantorel {

std::string_view categoryName(ErrorCategory category) {
    switch (category) {
        case ErrorCategory::None:
            return "None";
        case ErrorCategory::System:
            return "System";
        case ErrorCategory::File:
            return "File";
        case ErrorCategory::Format:
            return "Format";
        case ErrorCategory::Patch:
            return "Patch";
        case ErrorCategory::Launch:
            return "Launch";
        case ErrorCategory::Settings:
            return "Settings";
        case ErrorCategory::Music:
            return "Music";
        case ErrorCategory::Archive:
            return "Archive";
        case ErrorCategory::Stopped:
            return "Stopped";
    }
    return "None";
}

std::string systemErrorText(int errnum) {
    char buf[256];
    // GNU strerror_r may return a static string instead of filling buf.
#if defined(__GLIBC__) && defined(_GNU_SOURCE)
    const char* text = strerror_r(errnum, buf, sizeof buf);
    return text ? std::string(text) : "Unknown error " + std::to_string(errnum);
#else
    if (strerror_r(errnum, buf, sizeof buf) != 0) return "Unknown error " + std::to_string(errnum);
    return std::string(buf);
#endif
}

Error systemError(int errnum, std::string source) {
    return Error(ErrorCategory::System, errnum, std::move(source), systemErrorText(errnum));
}

}  // namespace vantorel
