#include "engine/common/paths.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <system_error>

namespace vantorel::paths {
namespace fs = std::filesystem;

fs::path executablePath() {
    std::error_code ec;
    fs::path p = fs::read_symlink("/proc/self/exe", ec);
    if (ec) return {};
    return p;
}

fs::path executableDir() {
    return executablePath().parent_path();
}

fs::path homeFolder() {
    if (const char* h = std::getenv("HOME"); h && *h) return h;
    if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir) return pw->pw_dir;
    return "/";
}

fs::path tempFolder() {
    for (const char* name : {"TEMP", "TMPDIR"})
        if (const char* v = std::getenv(name); v && *v) return v;
    return "/tmp";
}

static bool holdsLanguageFile(const fs::path& dir) {
    std::error_code ec;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        if (it->path().extension() == ".idi") return true;
    }
    return false;
}

fs::path languageFolderFor(const fs::path& exeDir) {
    if (holdsLanguageFile(exeDir)) return exeDir;
    const fs::path installed = (exeDir / ".." / "share" / "vantorel").lexically_normal();
    if (holdsLanguageFile(installed)) return installed;
    return exeDir;
}

fs::path languageFolder() {
    return languageFolderFor(executableDir());
}

std::string withTrailingSlash(std::string folder) {
    while (folder.size() > 1 && folder.back() == '/' && folder[folder.size() - 2] == '/') folder.pop_back();
    if (folder.empty() || folder.back() != '/') folder.push_back('/');
    return folder;
}

}  // namespace vantorel::paths
