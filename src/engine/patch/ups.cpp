#include "engine/patch/ups.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "engine/patch/patch_common.h"

namespace vantorel::patch {
namespace {

constexpr std::uint8_t kMagic[4] = {'U', 'P', 'S', '1'};
constexpr std::size_t kMinimumSize = sizeof kMagic + 2 + kChecksumsSize;
constexpr std::uint64_t kProgressStep = 64 * 1024;

Error damaged(int number, std::size_t at, const std::string& what) {
    return Error(ErrorCategory::Patch, number, kStudyUpsSource,
                 "The UPS patch is damaged: " + what + " (patch offset " + offsetText(at) + ").",
                 {offsetText(at)});
}

Error numberError(NumberRead read, std::size_t at) {
    return read == NumberRead::Truncated ? damaged(kTruncatedPatchError, at, "it ends inside a number")
                                         : damaged(kMalformedPatchError, at, "a number is too large");
}

// Where the result goes when applying; absent when only studying.
struct Output {
    std::uint8_t* bytes = nullptr;
    std::uint64_t size = 0;
};

// Walks every hunk with all checks. Changed bytes must lie inside the larger image; with an
// output, those inside the result are XORed into it (the rest belong to the longer image
// only) and progress is reported.
Result<std::size_t> walk(std::span<const std::uint8_t> patch, std::size_t begin, std::uint64_t limit,
                         const Output* out, const ProgressFn& progress) {
    const std::size_t end = patch.size() - kChecksumsSize;
    std::size_t position = begin, hunks = 0;
    std::uint64_t at = 0, nextReport = kProgressStep;
    while (position < end) {
        const std::size_t hunk = position;
        std::uint64_t skip = 0;
        if (auto read = readNumber(patch, position, end, skip); read != NumberRead::Ok)
            return numberError(read, hunk);
        if (at > limit || skip > limit - at)
            return damaged(kOffsetOutOfRangeError, hunk, "a hunk starts past the end of both images");
        at += skip;
        const auto* first = patch.data() + position;
        const auto* zero = static_cast<const std::uint8_t*>(std::memchr(first, 0, end - position));
        if (zero == nullptr) return damaged(kTruncatedPatchError, hunk, "it ends inside a hunk");
        const std::size_t length = static_cast<std::size_t>(zero - first);
        if (length > limit - at)
            return damaged(kOffsetOutOfRangeError, hunk, "a hunk changes bytes past the end of both images");
        if (out && at < out->size) {
            const std::size_t inside =
                static_cast<std::size_t>(std::min<std::uint64_t>(length, out->size - at));
            std::uint8_t* to = out->bytes + at;
            for (std::size_t i = 0; i < inside; ++i) to[i] ^= first[i];
        }
        // The closing zero stands for one unchanged byte.
        at += length + 1;
        position += length + 1;
        ++hunks;
        if (out && at >= nextReport && at < out->size) {
            const auto done = static_cast<std::int64_t>(std::min(at, out->size));
            const auto total = static_cast<std::int64_t>(out->size);
            if (!keepGoing(progress, done, total)) return stoppedError(kApplyUpsSource, done, total);
            nextReport = at + kProgressStep;
        }
    }
    return hunks;
}

}  // namespace

Result<UpsStudy> studyUps(std::span<const std::uint8_t> patch) {
    if (patch.size() < sizeof kMagic || !std::equal(kMagic, kMagic + sizeof kMagic, patch.begin()))
        return Error(ErrorCategory::Patch, kNotUpsError, kStudyUpsSource,
                     "This file is not a UPS patch: it does not start with \"UPS1\".");
    if (patch.size() < kMinimumSize)
        return damaged(kTruncatedPatchError, patch.size(), "it ends before its header and checksums");
    UpsStudy s;
    const std::size_t end = patch.size() - kChecksumsSize;
    s.sourceCrc32 = le32(patch.data() + end);
    s.targetCrc32 = le32(patch.data() + end + 4);
    s.patchCrc32 = le32(patch.data() + end + 8);
    const std::uint32_t actual = crc32Of(patch.first(patch.size() - 4));
    if (actual != s.patchCrc32) {
        const std::string stored = crc32Text(s.patchCrc32), have = crc32Text(actual);
        return Error(ErrorCategory::Patch, kPatchChecksumError, kStudyUpsSource,
                     "The UPS patch is damaged: it should have CRC32 " + stored + " but has " + have + ".",
                     {stored, have});
    }
    std::size_t position = sizeof kMagic;
    for (std::uint64_t* field : {&s.sourceSize, &s.targetSize}) {
        const std::size_t at = position;
        if (auto read = readNumber(patch, position, end, *field); read != NumberRead::Ok)
            return numberError(read, at);
    }
    s.hunksBegin = position;
    auto hunks = walk(patch, position, std::max(s.sourceSize, s.targetSize), nullptr, {});
    if (!hunks) return hunks.error();
    s.hunkCount = hunks.value();
    return s;
}

Result<Applied> applyUps(std::span<const std::uint8_t> image, std::span<const std::uint8_t> patch,
                         const ApplyOptions& options) {
    auto studied = studyUps(patch);
    if (!studied) return studied.error().from(kApplyUpsSource);
    const UpsStudy& s = studied.value();

    Applied result;
    result.format = PatchFormat::Ups;
    const std::uint32_t imageCrc = crc32Of(image);
    const bool isSource = image.size() == s.sourceSize && imageCrc == s.sourceCrc32;
    const bool isTarget = image.size() == s.targetSize && imageCrc == s.targetCrc32;
    if (isSource) {
        result.reversed = false;
    } else if (isTarget) {
        result.reversed = true;
    } else {
        Error wrong = wrongImageError(kApplyUpsSource, image, imageCrc, {s.sourceCrc32, s.sourceSize},
                                      ExpectedImage{s.targetCrc32, s.targetSize});
        if (!options.ignoreChecksum) return wrong;
        result.warning = std::move(wrong);
        result.reversed = image.size() == s.targetSize && image.size() != s.sourceSize;
    }
    const std::uint64_t size = result.reversed ? s.sourceSize : s.targetSize;
    const std::uint32_t expected = result.reversed ? s.sourceCrc32 : s.targetCrc32;
    if (size > kMaxInputSize) return resultTooLargeError(kApplyUpsSource, size);

    // Bytes past the end of the shorter image count as zeros.
    Bytes out(static_cast<std::size_t>(size));
    if (!out.empty() && !image.empty())
        std::memcpy(out.data(), image.data(), std::min(out.size(), image.size()));
    const Output target{out.data(), size};
    auto walked = walk(patch, s.hunksBegin, std::max(s.sourceSize, s.targetSize), &target, options.progress);
    if (!walked) return walked.error().from(kApplyUpsSource);
    const auto total = static_cast<std::int64_t>(size);
    if (!keepGoing(options.progress, total, total)) return stoppedError(kApplyUpsSource, total, total);

    result.resultCrc32 = crc32Of(out);
    if (result.resultCrc32 != expected) {
        Error differs = targetChecksumError(kApplyUpsSource, expected, result.resultCrc32);
        if (!options.ignoreChecksum) return differs;
        if (!result.warning) result.warning = std::move(differs);
    }
    result.image = std::move(out);
    return result;
}

}  // namespace vantorel::patch
