#include "platform/services.h"

#include <filesystem>
#include <system_error>

#include "engine/common/file_io.h"

namespace vantorel::platform {

std::string GetShortPath(const std::string& path) {
    if (path.empty()) return {};
    std::error_code ec;
    return std::filesystem::exists(std::filesystem::path(path), ec) ? path : std::string();
}

std::string SystemErrorText(int code) {
    return systemErrorText(code);
}

}  // namespace vantorel::platform
