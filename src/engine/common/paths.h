#pragma once

#include <filesystem>
#include <string>

namespace vantorel::paths {

// The running program's own file (from /proc/self/exe) and its folder.
std::filesystem::path executablePath();
std::filesystem::path executableDir();

// The user's home folder: $HOME, else the password database, else "/".
std::filesystem::path homeFolder();

// TEMP, else TMPDIR, else /tmp.
std::filesystem::path tempFolder();

// The folder that holds the language files: the executable's folder when it holds any .idi
// file, else ../share/vantorel beside it (the installed layout).
std::filesystem::path languageFolder();
std::filesystem::path languageFolderFor(const std::filesystem::path& exeDir);

// Makes a folder path end in exactly one "/" (the root stays "/").
std::string withTrailingSlash(std::string folder);

}  // namespace vantorel::paths
