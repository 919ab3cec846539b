#include "engine/lang/catalogue.h"

#include <algorithm>

#include "engine/common/ini.h"
#include "engine/common/text.h"
#include "vantorel/version.h"

namespace vantorel::lang {
namespace fs = std::filesystem;

void Catalogue::load(const fs::path& languageFile) {
    for (std::size_t i = 0; i < kMessageCount; ++i)
        texts_[i] = ReadIniValue(languageFile, "Msgs", kMessageKeys[i]);
}

void Catalogue::clear() {
    for (auto& t : texts_) t.clear();
}

std::string Catalogue::text(Msg m, std::string_view marker, std::string_view value) const {
    return text::replaceAll(text(m), marker, value);
}

bool isLanguageFile(const fs::path& file) {
    return !ReadIniValue(file, "Msgs", "AppMsg").empty();
}

std::vector<fs::path> listLanguageFiles(const fs::path& folder) {
    std::vector<fs::path> files;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        if (it->path().extension() == ".idi" && it->is_regular_file(ec)) files.push_back(it->path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

std::string versionText() {
    return kVersionText;
}

}  // namespace vantorel::lang
