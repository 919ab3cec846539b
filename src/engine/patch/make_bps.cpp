#include <divsufsort.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cerrno>
#include <cstring>
#include <limits>
#include <vector>

#include "engine/patch/make_patch.h"
#include "engine/patch/patch_common.h"

namespace vantorel::patch {
namespace {

constexpr std::size_t kProgressStep = 64 * 1024;
// Longest stretch compared while searching the suffix array; a match that reaches it is
// then followed as far as it goes.
constexpr std::size_t kSearchLimit = 1 << 16;
// A match this long at an offset already in use is taken without searching further.
constexpr std::size_t kGoodEnough = 32;
constexpr std::size_t kRecentAlignments = 4;
constexpr int kTargetHashBits = 18;
// After 2^this misses in a row, every further 2^this misses lengthen the step by one.
constexpr int kSkipAfterLog2 = 4;

enum Action : unsigned { kSourceRead = 0, kTargetRead = 1, kSourceCopy = 2, kTargetCopy = 3 };

// How many leading bytes of a and b agree, up to `limit`. The ranges may overlap.
std::size_t matchLength(const std::uint8_t* a, const std::uint8_t* b, std::size_t limit) {
    std::size_t n = 0;
    while (n + 8 <= limit) {
        std::uint64_t x, y;
        std::memcpy(&x, a + n, 8);
        std::memcpy(&y, b + n, 8);
        if (x != y) return n + static_cast<std::size_t>(__builtin_ctzll(x ^ y) / 8);
        n += 8;
    }
    while (n < limit && a[n] == b[n]) ++n;
    return n;
}

std::uint64_t signedOffset(std::int64_t offset) {
    return offset < 0 ? (static_cast<std::uint64_t>(-offset) << 1) | 1
                      : static_cast<std::uint64_t>(offset) << 1;
}

struct Match {
    std::size_t from = 0;  // source or target position
    std::size_t length = 0;
};

// The original's suffixes in order, to find the longest stretch of it that a piece of the
// modified image starts with.
class SourceIndex {
public:
    explicit SourceIndex(std::span<const std::uint8_t> source) : source_(source), suffixes_(source.size()) {}

    bool build() {
        if (source_.empty()) return true;
        if (divsufsort(source_.data(), suffixes_.data(), static_cast<saidx_t>(source_.size())) != 0)
            return false;
        if (source_.size() < kBuckets) return true;
        // Where the suffixes starting with each pair of bytes begin in suffix order, so a
        // search starts among the few that share the pattern's first two bytes.
        buckets_.assign(kBuckets + 1, 0);
        for (std::size_t i = 0; i < source_.size(); ++i)
            ++buckets_[bucketOf(source_.data() + i, source_.size() - i) + 1];
        for (std::size_t b = 0; b < kBuckets; ++b) buckets_[b + 1] += buckets_[b];
        return true;
    }

    // The longest match of `pattern`; among the few equally long ones next to it, the one
    // nearest `near` (cheaper to reach). Matches shorter than two bytes are not looked for.
    Match longest(std::span<const std::uint8_t> pattern, std::size_t near) const {
        if (source_.empty() || pattern.size() < 2) return {};
        const std::size_t limit = std::min(pattern.size(), kSearchLimit);
        std::size_t low = 0, high = suffixes_.size(), lowCommon = 0, highCommon = 0;
        if (!buckets_.empty()) {
            const std::size_t bucket = bucketOf(pattern.data(), pattern.size());
            low = buckets_[bucket];
            high = buckets_[bucket + 1];
            lowCommon = highCommon = 2;
        }
        Match best;
        std::size_t bestIndex = 0;
        // Binary search for where the pattern would sit; the bytes both neighbours share
        // with it need no comparing again.
        while (low < high) {
            const std::size_t mid = low + (high - low) / 2;
            const std::size_t at = static_cast<std::size_t>(suffixes_[mid]);
            std::size_t common = std::min(lowCommon, highCommon);
            const std::size_t room = std::min(limit, source_.size() - at);
            common += matchLength(source_.data() + at + common, pattern.data() + common, room - common);
            if (common > best.length) {
                best = {at, common};
                bestIndex = mid;
            }
            if (common == limit) break;
            if (common == room || source_[at + common] < pattern[common]) {
                low = mid + 1;
                lowCommon = common;
            } else {
                high = mid;
                highCommon = common;
            }
        }
        // Shorter matches seldom pay for their command and offset, and have many equals not
        // worth looking through.
        if (best.length < kMinimumMatch) return {};
        // Equally long matches sit next to each other in suffix order.
        auto distance = [&](std::size_t at) { return at > near ? at - near : near - at; };
        for (int direction : {-1, 1}) {
            std::size_t i = bestIndex;
            for (int step = 0; step < 8; ++step) {
                if ((direction < 0 && i == 0) || (direction > 0 && i + 1 >= suffixes_.size())) break;
                i = direction < 0 ? i - 1 : i + 1;
                const std::size_t at = static_cast<std::size_t>(suffixes_[i]);
                const std::size_t room = std::min(best.length, source_.size() - at);
                if (matchLength(source_.data() + at, pattern.data(), room) < best.length) break;
                if (distance(at) < distance(best.from)) best.from = at;
            }
        }
        if (best.length == limit) {
            const std::size_t room = std::min(pattern.size(), source_.size() - best.from);
            best.length +=
                matchLength(source_.data() + best.from + limit, pattern.data() + limit, room - limit);
        }
        return best;
    }

private:
    static constexpr std::size_t kMinimumMatch = 4;
    // Suffix order puts a lone last byte before the pairs that start with it.
    static constexpr std::size_t kBuckets = 256 * 257;
    static std::size_t bucketOf(const std::uint8_t* p, std::size_t size) {
        return std::size_t{p[0]} * 257 + (size > 1 ? 1 + std::size_t{p[1]} : 0);
    }

    std::span<const std::uint8_t> source_;
    std::vector<saidx_t> suffixes_;
    std::vector<std::size_t> buckets_;
};

class BpsEncoder {
public:
    BpsEncoder(std::span<const std::uint8_t> source, std::span<const std::uint8_t> target,
               const SourceIndex& index)
        : source_(source),
          target_(target),
          index_(index),
          hashBits_(std::clamp(static_cast<int>(std::bit_width(target.size())), 8, kTargetHashBits)),
          seen_(std::size_t{1} << hashBits_, kNone) {
        out_ = {'B', 'P', 'S', '1'};
        putNumber(out_, source.size());
        putNumber(out_, target.size());
        putNumber(out_, 0);
    }

    Result<Bytes> run(const ProgressFn& progress) {
        const auto total = static_cast<std::int64_t>(target_.size());
        std::size_t nextReport = kProgressStep;
        while (at_ < target_.size()) {
            if (takeBest()) {
                misses_ = 0;
            } else {
                // Deep inside bytes new to the image, look less often: a match missed by
                // stepping over its start is still found further on and grown backwards.
                remember(at_);
                at_ = std::min(target_.size(), at_ + 1 + (misses_++ >> kSkipAfterLog2));
            }
            if (at_ >= nextReport) {
                if (!keepGoing(progress, static_cast<std::int64_t>(at_), total))
                    return stoppedError(kMakeBpsSource, static_cast<std::int64_t>(at_), total);
                nextReport = at_ + kProgressStep;
            }
        }
        flushLiterals();
        if (!keepGoing(progress, total, total)) return stoppedError(kMakeBpsSource, total, total);
        putLe32(out_, crc32Of(source_));
        putLe32(out_, crc32Of(target_));
        putLe32(out_, crc32Of(out_));
        return std::move(out_);
    }

private:
    static constexpr std::uint32_t kNone = std::numeric_limits<std::uint32_t>::max();

    struct Choice {
        Action action = kTargetRead;
        Match match;
        std::int64_t gain = 0;
    };

    std::size_t commandSize(std::size_t length) const { return numberSize((std::uint64_t{length} - 1) << 2); }

    void consider(Choice& best, Action action, Match m, std::size_t offsetBytes) const {
        if (m.length == 0) return;
        const auto gain = static_cast<std::int64_t>(m.length) -
                          static_cast<std::int64_t>(commandSize(m.length) + offsetBytes);
        if (gain > best.gain) best = {action, m, gain};
    }

    void considerSource(Choice& best, std::size_t from) const {
        if (from >= source_.size()) return;
        const std::size_t limit = std::min(source_.size() - from, target_.size() - at_);
        const Match m{from, matchLength(source_.data() + from, target_.data() + at_, limit)};
        if (from == at_)
            consider(best, kSourceRead, m, 0);
        else
            consider(best, kSourceCopy, m,
                     numberSize(signedOffset(static_cast<std::int64_t>(from) -
                                             static_cast<std::int64_t>(sourceAt_))));
    }

    void considerTarget(Choice& best, std::size_t from) const {
        if (from >= at_) return;
        const Match m{from, matchLength(target_.data() + from, target_.data() + at_, target_.size() - at_)};
        consider(
            best, kTargetCopy, m,
            numberSize(signedOffset(static_cast<std::int64_t>(from) - static_cast<std::int64_t>(targetAt_))));
    }

    // Tries the cheap places first (the same offset, the alignments lately used, the
    // previous byte repeated, an earlier target stretch with the same start), then the
    // suffix array; takes the best match if it saves bytes over sending them as they are.
    bool takeBest() {
        Choice best;
        considerSource(best, at_);
        for (std::int64_t shift : recent_) {
            const std::int64_t from = static_cast<std::int64_t>(at_) + shift;
            if (shift != 0 && from >= 0) considerSource(best, static_cast<std::size_t>(from));
        }
        if (at_ > 0) considerTarget(best, at_ - 1);
        if (const std::uint32_t earlier = seen_[hashAt(at_)]; earlier != kNone) considerTarget(best, earlier);
        if (best.match.length < kGoodEnough && at_ >= nextSearch_) {
            // Where searches keep finding nothing worth taking (bytes changed here and
            // there all over), search less often; the cheap places are still tried.
            const Match m = index_.longest(target_.subspan(at_), sourceAt_);
            if (m.length > best.match.length) considerSource(best, m.from);
            if (best.gain >= 1 && best.match.from == m.from && best.action == kSourceCopy) {
                searchMisses_ = 0;
            } else {
                nextSearch_ = at_ + 1 + (searchMisses_++ >> kSkipAfterLog2);
            }
        }
        if (best.gain < 1) return false;
        growBackwards(best);
        flushLiterals();
        const std::size_t length = best.match.length;
        switch (best.action) {
            case kSourceRead:
                putNumber(out_, (std::uint64_t{length} - 1) << 2 | kSourceRead);
                break;
            case kSourceCopy:
                putNumber(out_, (std::uint64_t{length} - 1) << 2 | kSourceCopy);
                putNumber(out_, signedOffset(static_cast<std::int64_t>(best.match.from) -
                                             static_cast<std::int64_t>(sourceAt_)));
                sourceAt_ = best.match.from + length;
                rememberAlignment(static_cast<std::int64_t>(best.match.from) -
                                  static_cast<std::int64_t>(at_));
                break;
            case kTargetCopy:
                putNumber(out_, (std::uint64_t{length} - 1) << 2 | kTargetCopy);
                putNumber(out_, signedOffset(static_cast<std::int64_t>(best.match.from) -
                                             static_cast<std::int64_t>(targetAt_)));
                targetAt_ = best.match.from + length;
                break;
            case kTargetRead:
                break;
        }
        remember(at_);
        at_ += length;
        literalsFrom_ = at_;
        return true;
    }

    // Takes into the match the literal bytes before it that match too.
    void growBackwards(Choice& c) {
        const std::uint8_t* from = c.action == kTargetCopy ? target_.data() : source_.data();
        while (at_ > literalsFrom_ && c.match.from > 0 && from[c.match.from - 1] == target_[at_ - 1]) {
            --at_;
            --c.match.from;
            ++c.match.length;
        }
    }

    void rememberAlignment(std::int64_t shift) {
        auto found = std::find(recent_.begin(), recent_.end(), shift);
        if (found == recent_.end()) found = recent_.end() - 1;
        std::rotate(recent_.begin(), found, found + 1);
        recent_[0] = shift;
    }

    void flushLiterals() {
        if (literalsFrom_ == at_) return;
        const std::size_t length = at_ - literalsFrom_;
        putNumber(out_, (std::uint64_t{length} - 1) << 2 | kTargetRead);
        out_.insert(out_.end(), target_.begin() + static_cast<std::ptrdiff_t>(literalsFrom_),
                    target_.begin() + static_cast<std::ptrdiff_t>(at_));
        literalsFrom_ = at_;
    }

    std::size_t hashAt(std::size_t i) const {
        if (i + 4 > target_.size()) return 0;
        std::uint32_t v;
        std::memcpy(&v, target_.data() + i, 4);
        return (v * 2654435761u) >> (32 - hashBits_);
    }
    void remember(std::size_t i) {
        if (i + 4 <= target_.size()) seen_[hashAt(i)] = static_cast<std::uint32_t>(i);
    }

    std::span<const std::uint8_t> source_;
    std::span<const std::uint8_t> target_;
    const SourceIndex& index_;
    // A table no larger than the target, so small images stay cheap.
    int hashBits_;
    std::vector<std::uint32_t> seen_;
    std::array<std::int64_t, kRecentAlignments> recent_{};
    Bytes out_;
    std::size_t at_ = 0;
    std::size_t literalsFrom_ = 0;
    std::size_t sourceAt_ = 0;
    std::size_t targetAt_ = 0;
    std::size_t misses_ = 0;
    std::size_t searchMisses_ = 0;
    std::size_t nextSearch_ = 0;
};

}  // namespace

Result<Bytes> makeBps(std::span<const std::uint8_t> original, std::span<const std::uint8_t> modified,
                      const ProgressFn& progress) {
    constexpr std::size_t kLimit = std::numeric_limits<saidx_t>::max();
    for (std::size_t size : {original.size(), modified.size()})
        if (size >= kLimit)
            return Error(
                ErrorCategory::Patch, kMakeInputTooLargeError, kMakeBpsSource,
                "An image of " + std::to_string(size) + " bytes is too large to make a BPS patch from.",
                {std::to_string(size)});
    const auto total = static_cast<std::int64_t>(modified.size());
    if (!keepGoing(progress, 0, total)) return stoppedError(kMakeBpsSource, 0, total);
    SourceIndex index(original);
    if (!index.build()) return systemError(ENOMEM, kMakeBpsSource);
    BpsEncoder encoder(original, modified, index);
    return encoder.run(progress);
}

}  // namespace vantorel::patch
