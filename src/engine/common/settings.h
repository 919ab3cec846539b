#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "engine/common/error.h"

namespace vantorel::settings {

// Sections and keys of the settings file; the names are the file's, so keep them as they are.
namespace section {
inline constexpr std::string_view Idioma = "Idioma";
inline constexpr std::string_view ROMs = "ROMs";
inline constexpr std::string_view Emuladores = "Emuladores";
}  // namespace section
namespace key {
inline constexpr std::string_view Idioma = "Idioma";
inline constexpr std::string_view Directorio = "Directorio";
inline constexpr std::string_view Gens = "Gens";
inline constexpr std::string_view Kega = "Kega";
inline constexpr std::string_view Ages = "Ages";
inline constexpr std::string_view Xega = "Xega";
inline constexpr std::string_view DGen = "DGen";
inline constexpr std::string_view Otro = "Otro";
inline constexpr std::string_view OtroEnDOS = "OtroEnDOS";
inline constexpr std::string_view LineaDeComandos = "LineaDeComandos";
inline constexpr std::string_view ConTeclas = "ConTeclas";
inline constexpr std::string_view Teclas = "Teclas";
}  // namespace key

// Where the settings file lives, computed afresh at every call: beside the executable
// (base name + ".ini") when that file exists or the folder is writable, else
// $XDG_CONFIG_HOME/vantorel/ (default ~/.config/vantorel/).
std::filesystem::path filePath();
std::filesystem::path filePathFor(const std::filesystem::path& exePath);
// The same rule with the folder's writability given (tests run as root, who may write anywhere).
std::filesystem::path filePathFor(const std::filesystem::path& exePath, bool exeFolderWritable);

// Every reader and writer names the settings file it works on, so each front end decides
// which one that is (filePath() for the program's own).

// One value, read fresh from the file (empty when missing).
std::string read(const std::filesystem::path& file, std::string_view section, std::string_view key);
// A write that failed (ErrorCategory::Settings); args: the file, the system's reason.
inline constexpr int kWriteFailed = 1;

// One value written; a failure leaves the file as it was and says why.
[[nodiscard]] Result<void> write(const std::filesystem::path& file, std::string_view section,
                                 std::string_view key, std::string_view value);

// The current language file (Idioma/Idioma); empty until one is chosen.
std::string languageFile(const std::filesystem::path& file);
// The ROM folder as stored (ROMs/Directorio), possibly empty.
std::string storedRomFolder(const std::filesystem::path& file);
// The ROM folder to work in: the stored one, or the user's home folder when empty.
std::string romFolder(const std::filesystem::path& file);

}  // namespace vantorel::settings

namespace vantorel {
// Makes the ROM folder the current folder and returns it. A folder that cannot be entered
// leaves the current folder as it was.
std::string SetRomFolder(const std::filesystem::path& settingsFile);
}  // namespace vantorel
