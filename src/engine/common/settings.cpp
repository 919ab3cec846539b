#include "engine/common/settings.h"

#include <unistd.h>

#include <cstdlib>

#include "engine/common/ini.h"
#include "engine/common/paths.h"

namespace vantorel::settings {
namespace fs = std::filesystem;
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
    return filePathFor(paths::executablePath());
}

std::string read(const fs::path& file, std::string_view section, std::string_view key) {
    return ReadIniValue(file, section, key);
}

Result<void> write(const fs::path& file, std::string_view section, std::string_view key,
                   std::string_view value) {
    auto written = WriteIniValue(file, section, key, value);
    if (!written)
        return Error(
            ErrorCategory::Settings, kWriteFailed, "prVantor.modAPIs.WriteIniValue",
            "The settings could not be saved in \"" + file.string() + "\": " + written.error().description(),
            {file.string(), written.error().description()});
    return Done{};
}

std::string languageFile(const fs::path& file) {
    return read(file, section::Idioma, key::Idioma);
}

std::string storedRomFolder(const fs::path& file) {
    return read(file, section::ROMs, key::Directorio);
}

std::string romFolder(const fs::path& file) {
    std::string folder = storedRomFolder(file);
    if (folder.empty()) return paths::withTrailingSlash(paths::homeFolder().string());
    return folder;
}

}  // namespace vantorel::settings

namespace vantorel {
std::string SetRomFolder(const std::filesystem::path& settingsFile) {
    std::string folder = settings::romFolder(settingsFile);
    std::error_code ec;
    std::filesystem::current_path(folder, ec);
    return folder;
}
}  // namespace vantorel
