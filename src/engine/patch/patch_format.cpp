#include "engine/patch/patch_format.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "engine/patch/bps.h"
#include "engine/patch/ips.h"
#include "engine/patch/patch_common.h"
#include "engine/patch/ups.h"

namespace vantorel::patch {
namespace {

constexpr std::int64_t kIpsProgressStep = 64 * 1024;

Error unknownPatch() {
    return Error(ErrorCategory::Patch, kUnknownPatchError, kApplyPatchSource,
                 "This file is not an IPS, BPS or UPS patch.");
}

bool startsWith(std::span<const std::uint8_t> bytes, std::string_view text) {
    return bytes.size() >= text.size() && std::memcmp(bytes.data(), text.data(), text.size()) == 0;
}

Result<Applied> applyIps(std::span<const std::uint8_t> image, std::span<const std::uint8_t> patch,
                         const ApplyOptions& options) {
    Applied result;
    result.format = PatchFormat::Ips;
    copyBytes(result.image, image);
    // DoPatch reports every record; the front ends only need a step now and then, and the
    // last record's position (where the bar ends) always.
    ProgressFn every64KiB;
    std::int64_t nextReport = 0, lastSeen = -1, lastReported = -1;
    const auto total = static_cast<std::int64_t>(patch.size());
    if (options.progress)
        every64KiB = [&](std::int64_t done, std::int64_t) {
            lastSeen = done;
            if (done < nextReport) return true;
            nextReport = done + kIpsProgressStep;
            lastReported = done;
            return options.progress(done, total);
        };
    if (auto done = DoPatch(result.image, patch, options.invalidIpsText, every64KiB); !done)
        return done.error();
    if (lastSeen != lastReported && !keepGoing(options.progress, lastSeen, total))
        return stoppedError(kDoPatchSource, lastSeen, total);
    result.resultCrc32 = crc32Of(result.image);
    return result;
}

// A system failure names its file (File, kCannotRead); others keep their words.
Error withPath(const Error& e, const std::filesystem::path& path, const char* source) {
    const std::string description = path.string() + ": " + e.description();
    const Error told = cannotRead(e, path, description);
    return Error(told.category(), told.number(), source, description, told.args());
}

Result<Bytes> loadPatchFile(const std::filesystem::path& path) {
    constexpr const char* kSource = "modPatcher.LoadPatchFile";
    auto data = readWholeFile(path);
    if (!data) return withPath(data.error(), path, kSource);
    if (data.value().empty())
        return Error(ErrorCategory::Patch, kEmptyFileError, kSource, path.string() + ": the file is empty.",
                     {path.string()});
    return data;
}

}  // namespace

std::string_view formatName(PatchFormat format) {
    switch (format) {
        case PatchFormat::Ips:
            return "IPS";
        case PatchFormat::Bps:
            return "BPS";
        case PatchFormat::Ups:
            return "UPS";
    }
    return "?";
}

std::optional<PatchFormat> detectPatchFormat(std::span<const std::uint8_t> patch) {
    if (startsWith(patch, "PATCH")) return PatchFormat::Ips;
    if (startsWith(patch, "BPS1")) return PatchFormat::Bps;
    if (startsWith(patch, "UPS1")) return PatchFormat::Ups;
    return std::nullopt;
}

Result<PatchInfo> studyPatch(std::span<const std::uint8_t> patch, std::string_view invalidIpsText) {
    const auto format = detectPatchFormat(patch);
    if (!format) return unknownPatch();
    PatchInfo info;
    info.format = *format;
    info.patchSize = patch.size();
    switch (*format) {
        case PatchFormat::Ips: {
            auto s = StudyIps(patch, invalidIpsText);
            if (!s) return s.error();
            info.recordCount = s.value().recordCount;
            info.ipsTruncateTo = s.value().truncateTo;
            info.ipsWriteEnd = s.value().writeEnd;
            break;
        }
        case PatchFormat::Bps: {
            auto s = studyBps(patch);
            if (!s) return s.error();
            const BpsStudy& b = s.value();
            info.sourceSize = b.sourceSize;
            info.targetSize = b.targetSize;
            info.sourceCrc32 = b.sourceCrc32;
            info.targetCrc32 = b.targetCrc32;
            info.patchCrc32 = b.patchCrc32;
            info.recordCount = b.actionCount;
            info.metadataSize = b.metadata.size();
            info.metadata.assign(b.metadata.begin(), b.metadata.end());
            break;
        }
        case PatchFormat::Ups: {
            auto s = studyUps(patch);
            if (!s) return s.error();
            const UpsStudy& u = s.value();
            info.sourceSize = u.sourceSize;
            info.targetSize = u.targetSize;
            info.sourceCrc32 = u.sourceCrc32;
            info.targetCrc32 = u.targetCrc32;
            info.patchCrc32 = u.patchCrc32;
            info.recordCount = u.hunkCount;
            break;
        }
    }
    return info;
}

std::string sizeText(std::uint64_t bytes) {
    if (bytes < 1024) return std::to_string(bytes) + (bytes == 1 ? " byte" : " bytes");
    const bool mebi = bytes >= 1024 * 1024;
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.2f", static_cast<double>(bytes) / (mebi ? 1024.0 * 1024.0 : 1024.0));
    std::string number = buf;
    // "4.00" reads better as "4", "4.50" as "4.5".
    while (number.back() == '0') number.pop_back();
    if (number.back() == '.') number.pop_back();
    return number + (mebi ? " MiB" : " KiB");
}

std::string describePatch(const PatchInfo& info) {
    std::string line = std::string(formatName(info.format)) + " patch";
    if (info.format == PatchFormat::Ips) {
        line += ", " + std::to_string(info.recordCount) + (info.recordCount == 1 ? " record" : " records");
        if (info.ipsWriteEnd && *info.ipsWriteEnd != 0)
            line += ", writes up to " + sizeText(*info.ipsWriteEnd);
        if (info.ipsTruncateTo) line += ", sets the size to " + sizeText(*info.ipsTruncateTo);
        return line;
    }
    const char* arrow = info.format == PatchFormat::Ups ? " <-> " : " -> ";
    line += ", " + sizeText(info.sourceSize.value_or(0)) + arrow + sizeText(info.targetSize.value_or(0));
    line += ", source CRC32 " + crc32Text(info.sourceCrc32.value_or(0));
    line += ", target CRC32 " + crc32Text(info.targetCrc32.value_or(0));
    if (info.metadataSize && *info.metadataSize != 0)
        line += ", " + sizeText(*info.metadataSize) + " of metadata";
    return line;
}

Result<Applied> applyPatch(std::span<const std::uint8_t> image, std::span<const std::uint8_t> patch,
                           const ApplyOptions& options) {
    const auto format = detectPatchFormat(patch);
    if (!format) return unknownPatch();
    switch (*format) {
        case PatchFormat::Ips:
            return applyIps(image, patch, options);
        case PatchFormat::Bps:
            return applyBps(image, patch, options);
        case PatchFormat::Ups:
            return applyUps(image, patch, options);
    }
    return unknownPatch();
}

Result<AppliedFile> applyPatchFiles(const ApplyFilesJob& job) {
    auto image = LoadPatchTarget(job.rom, job.romEntry);
    if (!image) return image.error();
    auto patch = loadPatchFile(job.patch);
    if (!patch) return patch.error();
    std::optional<Bytes> chunk;
    if (job.extraChunk) {
        auto loaded = LoadExtraChunk(*job.extraChunk);
        if (!loaded) return loaded.error();
        chunk = std::move(loaded).value();
    }
    auto applied = applyPatch(image.value(), patch.value(), job.options);
    if (!applied) return applied.error();
    Applied& a = applied.value();
    if (chunk) AppendExtraChunk(a.image, *chunk);
    if (auto saved = SavePatchedImage(job.output, a.image); !saved) return saved.error();
    AppliedFile done;
    done.size = a.image.size();
    done.format = a.format;
    done.resultCrc32 = a.resultCrc32;
    done.warning = std::move(a.warning);
    done.reversed = a.reversed;
    return done;
}

}  // namespace vantorel::patch
