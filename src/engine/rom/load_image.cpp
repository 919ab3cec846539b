#include "engine/rom/load_image.h"

#include <algorithm>
#include <cctype>
#include <cerrno>

#include "engine/rom/layout.h"

namespace vantorel::rom {
namespace fs = std::filesystem;
namespace {

constexpr const char* kSource = "vantorel.rom.loadImage";

archive::Kind kindOfSource(const archive::Source& source) {
    return source.bytes.empty() ? archive::kindOfFile(source.path) : archive::kindOf(source.bytes);
}

std::string joined(const std::vector<std::string>& names) {
    std::string out;
    for (const std::string& name : names) {
        if (!out.empty()) out += ", ";
        out += "\"" + name + "\"";
    }
    return out;
}

Error severalImages(const std::vector<std::string>& candidates) {
    return Error(ErrorCategory::Archive, archive::archive_error::kSeveralImages, kSource,
                 "the archive holds several images; choose one of " + joined(candidates), candidates);
}

Error noImage(const std::vector<archive::Entry>& entries) {
    std::vector<std::string> all;
    for (const archive::Entry& e : entries) all.push_back(e.name);
    const std::string held = all.empty() ? "it is empty" : "it holds " + joined(all);
    return Error(ErrorCategory::Archive, archive::archive_error::kNoImage, kSource,
                 "the archive holds no cartridge image (" + held + ")", all);
}

// The candidates of an archive, or why there are none.
Result<std::vector<std::string>> candidatesOf(const archive::Source& source) {
    auto entries = archive::listEntries(source);
    if (!entries) return entries.error();
    std::vector<std::string> candidates = imageCandidates(entries.value(), kindOfSource(source));
    if (candidates.empty()) return noImage(entries.value());
    return candidates;
}

}  // namespace

bool hasImageExtension(std::string_view name) {
    const std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos) return false;
    std::string ext(name.substr(dot + 1));
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ext == "bin" || ext == "md" || ext == "gen" || ext == "smd";
}

bool isImageLikeEntry(const archive::Entry& entry) {
    return hasImageExtension(entry.name) || looksLikeImage(entry.head, entry.size);
}

std::vector<std::string> imageCandidates(const std::vector<archive::Entry>& entries, archive::Kind kind) {
    std::vector<std::string> names;
    if (kind == archive::Kind::Gzip && entries.size() == 1) return {entries.front().name};
    for (const archive::Entry& entry : entries) {
        if (!isImageLikeEntry(entry)) continue;
        // A name stored twice opens its first entry; asking twice would not help the user.
        if (std::find(names.begin(), names.end(), entry.name) == names.end()) names.push_back(entry.name);
    }
    return names;
}

bool isArchiveFile(const fs::path& path) {
    return archive::kindOfFile(path) != archive::Kind::None;
}

Result<LoadedImage> loadImageFromArchive(const archive::Source& source, std::optional<std::string> entry) {
    // A gzip file holds one entry by its nature: no listing (which would inflate it all) is
    // needed to know which.
    if (!entry && kindOfSource(source) == archive::Kind::Gzip) entry = archive::gzipEntryName(source.path);
    if (!entry) {
        auto candidates = candidatesOf(source);
        if (!candidates) return candidates.error();
        if (candidates.value().size() > 1) return severalImages(candidates.value());
        entry = candidates.value().front();
    }
    auto data = archive::readEntry(source, *entry);
    if (!data) return data.error();
    return LoadedImage{std::move(data).value(), source.path, std::move(entry)};
}

Result<LoadedImage> loadImage(const fs::path& path, std::optional<std::string> entry) {
    if (isArchiveFile(path)) return loadImageFromArchive(archive::Source{path, {}}, std::move(entry));
    if (entry)
        return Error(ErrorCategory::Archive, archive::archive_error::kNotAnArchive, kSource,
                     "\"" + path.string() + "\" is not a .zip, .7z or .gz archive, so it has no entries",
                     {path.string()});
    if (path.empty()) return systemError(ENOENT, kSource);
    auto data = readWholeFile(path);
    if (!data) return data.error().from(kSource);
    return LoadedImage{std::move(data).value(), path, std::nullopt};
}

Result<std::vector<std::string>> imageEntries(const fs::path& path) {
    if (!isArchiveFile(path)) return std::vector<std::string>{};
    return candidatesOf(archive::Source{path, {}});
}

}  // namespace vantorel::rom
