#include "engine/rom/rom_image.h"

#include <cerrno>
#include <system_error>

#include "engine/common/text.h"

namespace vantorel::rom {
namespace {

Error withSource(const Error& e, const char* source) {
    return e.from(source);
}

}  // namespace

std::vector<std::string> SplitMultiSelect(std::string_view selection) {
    std::vector<std::string> out;
    if (selection.size() < 2) return out;
    const std::string_view single = selection.substr(0, selection.size() - 2);
    if (!single.empty() && single.find('\0') == std::string_view::npos) {
        std::error_code ec;
        if (std::filesystem::exists(std::filesystem::path(std::string(single)), ec)) {
            out.emplace_back(single);
            return out;
        }
    }
    std::size_t pos = selection.find('\0');
    if (pos == std::string_view::npos) return out;
    std::string folder(selection.substr(0, pos));
    if (folder.empty() || folder.back() != '/') folder += '/';
    while (pos < selection.size()) {
        const std::size_t next = selection.find('\0', pos + 1);
        const std::size_t end = next == std::string_view::npos ? selection.size() : next;
        const std::string name = text::trim(selection.substr(pos + 1, end - pos - 1));
        if (!name.empty()) out.push_back(folder + name);
        pos = end;
    }
    return out;
}

Result<Bytes> LoadRomImage(const std::filesystem::path& path) {
    constexpr const char* kSource = "prVantor.modRom.LoadRomImage";
    if (path.empty()) return systemError(ENOENT, kSource);
    auto data = readWholeFile(path);
    if (!data) return withSource(data.error(), kSource);
    return std::move(data).value();
}

Result<void> WriteRomImage(const std::filesystem::path& path, std::span<const std::uint8_t> image) {
    constexpr const char* kSource = "prVantor.modRom.WriteRomImage";
    if (path.empty()) return systemError(ENOENT, kSource);
    auto done = writeFileAtomically(path, image);
    if (!done) return withSource(done.error(), kSource);
    return Done{};
}

}  // namespace vantorel::rom
