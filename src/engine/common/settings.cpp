#include "engine/common/settings.h"

#include <unistd.h>

#include <cstdlib>
#include <mutex>

#include "engine/common/ini.h"
#include "engine/common/paths.h"

namespace vantorel::settings {
namespace fs = std::filesystem;
namespace {
std::mutex gOverrideMutex;
std::optional<fs::path> gOverride;
}  // namespace

void setFilePathOverride(std::optional<fs::path> path) {
    std::lock_guard lock(gOverrideMutex);
    gOverride = std::move(path);
}

fs::path filePathFor(const fs::path& exePath) {
    return filePathFor(exePath, ::access(exePath.parent_path().c_str(), W_OK) == 0);
}

fs::path filePathFor(const fs::path& exePath, bool exeFolderWritable) {
    const std::string name = exePath.stem().string() + ".ini";
    const fs::path beside = exePath.parent_path() / name;
    std::error_code ec;
    if (exeFolderWritable || fs::exists(beside, ec)) return beside;
    fs::path config;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg && fs::path(xdg).is_absolute())
        config = xdg;
    else
        config = paths::homeFolder() / ".config";
    return config / "vantorel" / name;
}

fs::path filePath() {
    {
        std::lock_guard lock(gOverrideMutex);
        if (gOverride) return *gOverride;
    }
    return filePathFor(paths::executablePath());
}

std::string read(std::string_view section, std::string_view key) {
    return ReadIniValue(filePath(), section, key);
}

void write(std::string_view section, std::string_view key, std::string_view value) {
    (void)WriteIniValue(filePath(), section, key, value);
}

std::string languageFile() { return read(section::Idioma, key::Idioma); }

std::string storedRomFolder() { return read(section::ROMs, key::Directorio); }

std::string romFolder() {
    std::string folder = storedRomFolder();
    if (folder.empty()) return paths::withTrailingSlash(paths::homeFolder().string());
    return folder;
}

}  // namespace vantorel::settings

namespace vantorel {
std::string SetRomFolder() {
    std::string folder = settings::romFolder();
    std::error_code ec;
    std::filesystem::current_path(folder, ec);
    return folder;
}
}  // namespace vantorel
