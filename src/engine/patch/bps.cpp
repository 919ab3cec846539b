#include "engine/patch/bps.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "engine/patch/patch_common.h"

namespace vantorel::patch {
namespace {

constexpr std::uint8_t kMagic[4] = {'B', 'P', 'S', '1'};
// Magic, three one-byte numbers and the checksums.
constexpr std::size_t kMinimumSize = sizeof kMagic + 3 + kChecksumsSize;
// How much of the result is made between two progress reports.
constexpr std::uint64_t kProgressStep = 64 * 1024;

enum Action : unsigned { kSourceRead = 0, kTargetRead = 1, kSourceCopy = 2, kTargetCopy = 3 };

Error damaged(int number, std::size_t at, const std::string& what) {
    return Error(ErrorCategory::Patch, number, kStudyBpsSource,
                 "The BPS patch is damaged: " + what + " (patch offset " + offsetText(at) + ").",
                 {offsetText(at)});
}

Error numberError(NumberRead read, std::size_t at) {
    return read == NumberRead::Truncated ? damaged(kTruncatedPatchError, at, "it ends inside a number")
                                         : damaged(kMalformedPatchError, at, "a number is too large");
}

// Applies a signed relative offset to a read position, which must then lie below `limit`.
bool moveWithin(std::uint64_t& position, std::uint64_t encoded, std::uint64_t limit) {
    const std::uint64_t distance = encoded >> 1;
    if (encoded & 1) {
        if (distance > position) return false;
        position -= distance;
    } else {
        if (distance > UINT64_MAX - position) return false;
        position += distance;
    }
    return position < limit;
}

// The result being made: appended to, never zero-filled first.
class Output {
public:
    explicit Output(std::size_t size) { bytes_.reserve(size); }
    // Grown, then copied into: the vector's own insert copies byte by byte.
    void append(const std::uint8_t* from, std::size_t length) {
        const std::size_t at = bytes_.size();
        bytes_.resize(at + length);
        std::memcpy(bytes_.data() + at, from, length);
    }
    // The target's own bytes from `from` on, copied as if one byte at a time, so a copy may
    // overlap the bytes it makes (a run of a repeated pattern).
    void repeat(std::size_t from, std::size_t length) {
        const std::size_t at = bytes_.size();
        bytes_.resize(at + length);
        std::uint8_t* d = bytes_.data();
        const std::size_t distance = at - from;
        if (distance >= length) {
            std::memcpy(d + at, d + from, length);
            return;
        }
        std::memcpy(d + at, d + from, distance);
        // The new bytes repeat with period `distance`: double the copied part each time.
        for (std::size_t done = distance; done < length;) {
            const std::size_t n = std::min(done, length - done);
            std::memcpy(d + at + done, d + at, n);
            done += n;
        }
    }
    Bytes& bytes() { return bytes_; }

private:
    Bytes bytes_;
};

struct Layout {
    std::span<const std::uint8_t> patch;
    std::size_t actionsBegin = 0;
    std::size_t actionsEnd = 0;
    std::uint64_t sourceLimit = 0;
    std::uint64_t targetSize = 0;
};

struct Walked {
    std::size_t actionCount = 0;
    std::uint64_t sourceReadEnd = 0;
    std::uint32_t targetCrc = 0;
};

// Runs every action with all checks; with an output it also makes the result (and its
// CRC32 piece by piece while the bytes are still in the cache) and reports progress.
Result<Walked> walk(const Layout& l, std::span<const std::uint8_t> source, Output* out,
                    const ProgressFn& progress) {
    Walked w;
    const std::span<const std::uint8_t> patch = l.patch;
    std::size_t position = l.actionsBegin;
    std::uint64_t made = 0, sourceAt = 0, targetAt = 0;
    std::uint64_t nextReport = kProgressStep, checksummed = 0;
    while (position < l.actionsEnd) {
        const std::size_t at = position;
        std::uint64_t command = 0;
        if (auto read = readNumber(patch, position, l.actionsEnd, command); read != NumberRead::Ok)
            return numberError(read, at);
        const std::uint64_t length = (command >> 2) + 1;
        if (length > l.targetSize - made)
            return damaged(kOffsetOutOfRangeError, at, "an action writes past the end of the result");
        switch (command & 3) {
            case kSourceRead:
                if (made >= l.sourceLimit || length > l.sourceLimit - made)
                    return damaged(kOffsetOutOfRangeError, at, "an action reads past the end of the source");
                w.sourceReadEnd = std::max(w.sourceReadEnd, made + length);
                if (out) out->append(source.data() + made, length);
                break;
            case kTargetRead:
                if (length > l.actionsEnd - position)
                    return damaged(kTruncatedPatchError, at, "it ends inside the bytes of an action");
                if (out) out->append(patch.data() + position, length);
                position += length;
                break;
            case kSourceCopy: {
                std::uint64_t offset = 0;
                if (auto read = readNumber(patch, position, l.actionsEnd, offset); read != NumberRead::Ok)
                    return numberError(read, at);
                if (!moveWithin(sourceAt, offset, l.sourceLimit) || length > l.sourceLimit - sourceAt)
                    return damaged(kOffsetOutOfRangeError, at, "an action copies from outside the source");
                w.sourceReadEnd = std::max(w.sourceReadEnd, sourceAt + length);
                if (out) out->append(source.data() + sourceAt, length);
                sourceAt += length;
                break;
            }
            case kTargetCopy: {
                std::uint64_t offset = 0;
                if (auto read = readNumber(patch, position, l.actionsEnd, offset); read != NumberRead::Ok)
                    return numberError(read, at);
                // Only bytes already made can be copied; the copy may then run on into the
                // bytes it makes itself.
                if (!moveWithin(targetAt, offset, made))
                    return damaged(kOffsetOutOfRangeError, at,
                                   "an action copies from outside the result made so far");
                if (out) out->repeat(targetAt, length);
                targetAt += length;
                break;
            }
        }
        made += length;
        ++w.actionCount;
        if (out && (made >= nextReport || made == l.targetSize)) {
            const std::span<const std::uint8_t> fresh(out->bytes().data() + checksummed, made - checksummed);
            w.targetCrc = crc32Of(fresh, w.targetCrc);
            checksummed = made;
            if (!keepGoing(progress, static_cast<std::int64_t>(made),
                           static_cast<std::int64_t>(l.targetSize)))
                return stoppedError(kApplyBpsSource, static_cast<std::int64_t>(made),
                                    static_cast<std::int64_t>(l.targetSize));
            nextReport = made + kProgressStep;
        }
    }
    if (made != l.targetSize) {
        const std::string end = offsetText(l.actionsEnd), count = std::to_string(made),
                          stated = std::to_string(l.targetSize);
        return Error(ErrorCategory::Patch, kMalformedPatchError, kStudyBpsSource,
                     "The BPS patch is damaged: its actions end at patch offset " + end + " having made " +
                         count + " of the " + stated + " bytes it states.",
                     {end, count, stated});
    }
    return w;
}

}  // namespace

Result<BpsStudy> studyBps(std::span<const std::uint8_t> patch) {
    if (patch.size() < sizeof kMagic || !std::equal(kMagic, kMagic + sizeof kMagic, patch.begin()))
        return Error(ErrorCategory::Patch, kNotBpsError, kStudyBpsSource,
                     "This file is not a BPS patch: it does not start with \"BPS1\".");
    if (patch.size() < kMinimumSize)
        return damaged(kTruncatedPatchError, patch.size(), "it ends before its header and checksums");
    BpsStudy s;
    const std::size_t end = patch.size() - kChecksumsSize;
    s.sourceCrc32 = le32(patch.data() + end);
    s.targetCrc32 = le32(patch.data() + end + 4);
    s.patchCrc32 = le32(patch.data() + end + 8);
    const std::uint32_t actual = crc32Of(patch.first(patch.size() - 4));
    if (actual != s.patchCrc32) {
        const std::string stored = crc32Text(s.patchCrc32), have = crc32Text(actual);
        return Error(ErrorCategory::Patch, kPatchChecksumError, kStudyBpsSource,
                     "The BPS patch is damaged: it should have CRC32 " + stored + " but has " + have + ".",
                     {stored, have});
    }

    std::size_t position = sizeof kMagic;
    std::uint64_t metadataSize = 0;
    for (std::uint64_t* field : {&s.sourceSize, &s.targetSize, &metadataSize}) {
        const std::size_t at = position;
        if (auto read = readNumber(patch, position, end, *field); read != NumberRead::Ok)
            return numberError(read, at);
    }
    if (metadataSize > end - position)
        return damaged(kTruncatedPatchError, position, "it ends inside its metadata");
    s.metadata = patch.subspan(position, static_cast<std::size_t>(metadataSize));
    s.actionsBegin = position + static_cast<std::size_t>(metadataSize);

    const Layout layout{patch, s.actionsBegin, end, s.sourceSize, s.targetSize};
    auto walked = walk(layout, {}, nullptr, {});
    if (!walked) return walked.error();
    s.actionCount = walked.value().actionCount;
    s.sourceReadEnd = walked.value().sourceReadEnd;
    return s;
}

Result<Applied> applyBps(std::span<const std::uint8_t> image, std::span<const std::uint8_t> patch,
                         const ApplyOptions& options) {
    auto studied = studyBps(patch);
    if (!studied) return studied.error().from(kApplyBpsSource);
    const BpsStudy& s = studied.value();
    if (s.targetSize > kMaxInputSize) return resultTooLargeError(kApplyBpsSource, s.targetSize);

    Applied result;
    result.format = PatchFormat::Bps;
    const std::uint32_t imageCrc = crc32Of(image);
    if (image.size() != s.sourceSize || imageCrc != s.sourceCrc32) {
        Error wrong = wrongImageError(kApplyBpsSource, image, imageCrc, {s.sourceCrc32, s.sourceSize});
        // Even when told to go on, the actions cannot read bytes the image does not have.
        if (!options.ignoreChecksum || image.size() < s.sourceReadEnd) return wrong;
        result.warning = std::move(wrong);
    }

    Output out(static_cast<std::size_t>(s.targetSize));
    const Layout layout{patch, s.actionsBegin, patch.size() - kChecksumsSize,
                        std::min<std::uint64_t>(s.sourceSize, image.size()), s.targetSize};
    auto walked = walk(layout, image, &out, options.progress);
    if (!walked) return walked.error().from(kApplyBpsSource);

    result.resultCrc32 = walked.value().targetCrc;
    if (result.resultCrc32 != s.targetCrc32) {
        Error differs = targetChecksumError(kApplyBpsSource, s.targetCrc32, result.resultCrc32);
        if (!options.ignoreChecksum) return differs;
        if (!result.warning) result.warning = std::move(differs);
    }
    result.image = std::move(out.bytes());
    return result;
}

}  // namespace vantorel::patch
