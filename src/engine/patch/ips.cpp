#include "engine/patch/ips.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "engine/rom/load_image.h"

namespace vantorel::patch {
namespace {

constexpr std::uint8_t kHeader[5] = {'P', 'A', 'T', 'C', 'H'};
constexpr std::uint8_t kFooter[3] = {'E', 'O', 'F'};
constexpr std::size_t kHeaderSize = 5;
constexpr std::size_t kFooterSize = 3;
constexpr std::size_t kTruncationSize = 3;
constexpr std::size_t kMinimumSize = kHeaderSize + kFooterSize;

bool matches(std::span<const std::uint8_t> bytes, std::size_t at, std::span<const std::uint8_t> text) {
    return at + text.size() <= bytes.size() && std::equal(text.begin(), text.end(), bytes.begin() + at);
}

std::uint32_t be16(const std::uint8_t* p) {
    return (std::uint32_t{p[0]} << 8) | p[1];
}
std::uint32_t be24(const std::uint8_t* p) {
    return (std::uint32_t{p[0]} << 16) | be16(p + 1);
}

// Lunar IPS's extension: "EOF" then a 24-bit size. A patch that ends in "EOF" is always
// read as a plain one, even if the three bytes before are "EOF" too.
bool hasTruncation(std::span<const std::uint8_t> patch) {
    return patch.size() >= kMinimumSize + kTruncationSize &&
           !matches(patch, patch.size() - kFooterSize, kFooter) &&
           matches(patch, patch.size() - kFooterSize - kTruncationSize, kFooter);
}

std::string hex(std::size_t value) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "0x%zX", value);
    return buf;
}

Error damaged(std::size_t position, std::size_t needed, std::size_t recordsEnd, std::size_t patchSize) {
    const char* where =
        position + needed > patchSize ? "runs past the end of the patch" : "runs into the closing \"EOF\"";
    return Error(ErrorCategory::Patch, kDamagedIpsError, kDoPatchSource,
                 "The IPS patch is damaged: the record at patch offset " + hex(position) + " " + where +
                     " (records end at " + hex(recordsEnd) + ").",
                 {hex(position), hex(recordsEnd)});
}

// Decodes a record already known to lie inside the records.
IpsRecord decode(std::span<const std::uint8_t> patch, std::size_t& position) {
    const std::uint8_t* p = patch.data() + position;
    IpsRecord r;
    r.offset = be24(p);
    r.size = be16(p + 3);
    if (r.size != 0) {
        r.data = patch.subspan(position + 5, r.size);
        position += 5 + r.size;
    } else {
        r.runLength = be16(p + 5);
        r.data = patch.subspan(position + 7, 1);
        position += 8;
    }
    return r;
}

// A system failure names its file (File, kCannotRead/kCannotWrite); others keep their words.
Error withPath(const Error& e, const std::filesystem::path& path, const char* source, bool reading = true) {
    const std::string description = path.string() + ": " + e.description();
    const Error told = reading ? cannotRead(e, path, description) : cannotWrite(e, path, description);
    return Error(told.category(), told.number(), source, description, told.args());
}

Result<Bytes> loadWhole(const std::filesystem::path& path, const char* source) {
    auto data = readWholeFile(path);
    if (!data) return withPath(data.error(), path, source);
    if (data.value().empty())
        return Error(ErrorCategory::Patch, kEmptyFileError, source, path.string() + ": the file is empty.",
                     {path.string()});
    return data;
}

}  // namespace

std::size_t IpsStudy::patchedSize(std::size_t imageSize) const {
    if (truncateTo) return *truncateTo;
    return std::max<std::size_t>(imageSize, writeEnd);
}

bool IsValidIps(std::span<const std::uint8_t> patch) {
    if (patch.size() < kMinimumSize || !matches(patch, 0, kHeader)) return false;
    return matches(patch, patch.size() - kFooterSize, kFooter) || hasTruncation(patch);
}

std::size_t RecordsEnd(std::span<const std::uint8_t> patch) {
    if (patch.size() < kFooterSize) return 0;
    return patch.size() - kFooterSize - (hasTruncation(patch) ? kTruncationSize : 0);
}

Result<IpsRecord> ReadIpsRecord(std::span<const std::uint8_t> patch, std::size_t& position,
                                std::size_t recordsEnd) {
    recordsEnd = std::min(recordsEnd, patch.size());
    if (position > recordsEnd || recordsEnd - position < 5)
        return damaged(position, 5, recordsEnd, patch.size());
    const std::uint32_t size = be16(patch.data() + position + 3);
    const std::size_t needed = size != 0 ? 5 + std::size_t{size} : 8;
    if (recordsEnd - position < needed) return damaged(position, needed, recordsEnd, patch.size());
    return decode(patch, position);
}

void ApplyIpsRecord(Bytes& image, const IpsRecord& record) {
    const std::size_t length = record.length();
    if (length == 0 || record.data.empty()) return;
    const std::size_t end = std::size_t{record.offset} + length;
    if (end > image.size()) image.resize(end);
    std::uint8_t* out = image.data() + record.offset;
    if (record.size != 0)
        std::memcpy(out, record.data.data(), std::min(length, record.data.size()));
    else
        std::memset(out, record.data[0], length);
}

Result<IpsStudy> StudyIps(std::span<const std::uint8_t> patch, std::string_view invalidText) {
    if (!IsValidIps(patch))
        return Error(ErrorCategory::Patch, kInvalidIpsError, kDoPatchSource, std::string(invalidText));
    IpsStudy study;
    study.recordsEnd = RecordsEnd(patch);
    if (hasTruncation(patch)) study.truncateTo = be24(patch.data() + patch.size() - kTruncationSize);
    std::size_t position = kHeaderSize;
    while (position != study.recordsEnd) {
        auto record = ReadIpsRecord(patch, position, study.recordsEnd);
        if (!record) return record.error();
        ++study.recordCount;
        const IpsRecord& r = record.value();
        if (r.length() != 0) study.writeEnd = std::max(study.writeEnd, r.offset + r.length());
    }
    return study;
}

Result<void> DoPatch(Bytes& image, std::span<const std::uint8_t> patch, std::string_view invalidText,
                     const ProgressFn& progress) {
    auto checked = StudyIps(patch, invalidText);
    if (!checked) return checked.error();
    const IpsStudy& study = checked.value();
    // One allocation for the whole run, however the records grow the image.
    reserveBytes(image, std::max({image.size(), std::size_t{study.writeEnd},
                                  std::size_t{study.truncateTo.value_or(0)}}));
    const auto total = static_cast<std::int64_t>(patch.size());
    std::size_t position = kHeaderSize;
    while (position != study.recordsEnd) {
        ApplyIpsRecord(image, decode(patch, position));
        if (!keepGoing(progress, static_cast<std::int64_t>(position) + 1, total))
            return stoppedError(kDoPatchSource, static_cast<std::int64_t>(position) + 1, total);
    }
    if (study.truncateTo) image.resize(*study.truncateTo);
    return Done{};
}

void AppendExtraChunk(Bytes& image, std::span<const std::uint8_t> chunk) {
    image.insert(image.end(), chunk.begin(), chunk.end());
}

Result<Bytes> LoadPatchTarget(const std::filesystem::path& path, std::optional<std::string> entry) {
    constexpr const char* kSource = "modPatcher.LoadPatchTarget";
    // The image to patch may sit inside an archive; the patched one is always a plain file.
    if (entry || rom::isArchiveFile(path)) {
        auto loaded = rom::loadImage(path, std::move(entry));
        if (!loaded) return withPath(loaded.error(), path, kSource);
        if (loaded.value().data.empty())
            return Error(ErrorCategory::Patch, kEmptyFileError, kSource,
                         path.string() + ": the file is empty.", {path.string()});
        return std::move(loaded.value().data);
    }
    return loadWhole(path, kSource);
}

Result<Bytes> LoadIpsFile(const std::filesystem::path& path) {
    return loadWhole(path, "modPatcher.LoadIpsFile");
}

Result<Bytes> LoadExtraChunk(const std::filesystem::path& path) {
    return loadWhole(path, "modPatcher.LoadExtraChunk");
}

Result<void> SavePatchedImage(const std::filesystem::path& path, std::span<const std::uint8_t> image) {
    auto written = writeFileAtomically(path, image);
    if (!written) return withPath(written.error(), path, "modPatcher.SavePatchedImage", false);
    return Done{};
}

Result<std::size_t> PatchFiles(const PatchJob& job) {
    auto image = LoadPatchTarget(job.rom);
    if (!image) return image.error();
    auto patch = LoadIpsFile(job.ips);
    if (!patch) return patch.error();
    if (auto done = DoPatch(image.value(), patch.value(), job.invalidText, job.progress); !done)
        return done.error();
    if (job.extraChunk) {
        auto chunk = LoadExtraChunk(*job.extraChunk);
        if (!chunk) return chunk.error();
        AppendExtraChunk(image.value(), chunk.value());
    }
    if (auto saved = SavePatchedImage(job.output, image.value()); !saved) return saved.error();
    return image.value().size();
}

}  // namespace vantorel::patch
