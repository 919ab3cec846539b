#include "cli/image_input.h"

#include "cli/command.h"
#include "engine/archive/archive_reader.h"
#include "engine/convert/smd.h"

namespace vantorel::cli {

std::optional<std::string> EntryOption::chosen() const {
    if (option == nullptr || option->count() == 0) return std::nullopt;
    return value;
}

void addEntryOption(CLI::App& app, EntryOption& entry, bool severalFiles) {
    const std::string help = severalFiles
                                 ? "read the entry NAME of each archive among the FILEs, when an\n"
                                   "archive holds several images (plain files are read as they are)"
                                 : "read the entry NAME of the archive, when it holds several images";
    entry.option = app.add_option("--entry", entry.value, help)->type_name("NAME")->check(nonEmptyName());
}

Result<rom::LoadedImage> readImage(const std::filesystem::path& file,
                                   const std::optional<std::string>& chosen) {
    if (!rom::isArchiveFile(file)) return rom::loadImage(file);
    return rom::loadImage(file, chosen);
}

Result<std::optional<std::string>> entryToRead(const std::filesystem::path& file,
                                               const std::optional<std::string>& chosen) {
    const archive::Kind kind = archive::kindOfFile(file);
    if (kind == archive::Kind::None) return std::optional<std::string>{};
    if (chosen) return chosen;
    // A gzip file holds one entry by its nature; listing it would inflate it all for nothing.
    if (kind == archive::Kind::Gzip) return std::optional<std::string>{archive::gzipEntryName(file)};
    auto names = rom::imageEntries(file);
    if (!names) return names.error();
    if (names.value().empty())  // imageEntries fails first; kept so front() is always safe
        return Error(ErrorCategory::Archive, archive::archive_error::kNoImage, "vantorel-cli",
                     "the archive holds no cartridge image");
    if (names.value().size() > 1)
        return Error(ErrorCategory::Archive, archive::archive_error::kSeveralImages, "vantorel-cli",
                     "the archive holds several images", names.value());
    return std::optional<std::string>{names.value().front()};
}

std::string imageLabel(const std::filesystem::path& file, const std::optional<std::string>& entry) {
    return entry ? file.string() + "(" + printable(*entry) + ")" : file.string();
}

std::string imageLabel(const rom::LoadedImage& image) {
    return imageLabel(image.path, image.entry);
}

std::string readFailure(const std::filesystem::path& file, const Error& error) {
    std::string message = file.string() + ": ";
    if (!error.is(ErrorCategory::Archive, archive::archive_error::kSeveralImages))
        return message + printable(error.description());
    message += "the archive holds several images; choose one with --entry NAME:";
    for (const std::string& name : error.args()) message += "\n  " + printable(name);
    return message;
}

std::string printable(std::string_view text) {
    std::string shown;
    shown.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto code = static_cast<unsigned char>(text[i]);
        const auto next = i + 1 < text.size() ? static_cast<unsigned char>(text[i + 1]) : 0u;
        if (code == 0xC2 && next >= 0x80 && next < 0xA0) {  // U+0080-U+009F
            shown += '?';
            ++i;
        } else if (code < 0x20 || code == 0x7F) {
            shown += '?';
        } else {
            shown += static_cast<char>(code);
        }
    }
    return shown;
}

Result<PlainImage> plainImageOf(rom::LoadedImage image) {
    PlainImage plain;
    plain.layout = rom::detectLayout(image.data);
    if (plain.layout == rom::Layout::Bin) {
        plain.bytes = std::move(image.data);
        return plain;
    }
    auto converted = convert::smdToBin(image.data);
    if (!converted) return converted.error();
    plain.bytes = std::move(converted).value();
    return plain;
}

}  // namespace vantorel::cli
