#include <algorithm>
#include <cstring>
#include <string>

#include "engine/patch/make_patch.h"
#include "engine/patch/patch_common.h"

namespace vantorel::patch {
namespace {

constexpr std::size_t kMaxOffset = 0xFFFFFF;
constexpr std::size_t kMaxLength = 0xFFFF;
// A record starting here would begin with the bytes "EOF".
constexpr std::size_t kEofOffset = 0x454F46;
constexpr std::size_t kDataHeader = 5;  // offset, size
constexpr std::size_t kRunRecord = 8;   // offset, 0, length, byte
constexpr std::size_t kProgressStep = 64 * 1024;

// Which bytes of the modified image a patch has to write.
class Changes {
public:
    Changes(std::span<const std::uint8_t> original, std::span<const std::uint8_t> modified)
        : original_(original), modified_(modified), common_(std::min(original.size(), modified.size())) {}

    std::size_t size() const { return modified_.size(); }
    std::uint8_t at(std::size_t i) const { return modified_[i]; }

    // Past the original's end the image grows with zeros, so only other bytes need writing,
    // and the last one to give the image its size.
    bool needed(std::size_t i) const {
        if (i < common_) return modified_[i] != original_[i];
        return i < modified_.size() && (modified_[i] != 0 || i + 1 == modified_.size());
    }

    // The first byte at or after `from` that needs writing; size() when none does.
    std::size_t next(std::size_t from) const {
        std::size_t i = from;
        // Long unchanged stretches go by in blocks, then eight bytes at a time.
        constexpr std::size_t kBlock = 4096;
        while (i + kBlock <= common_ && std::memcmp(original_.data() + i, modified_.data() + i, kBlock) == 0)
            i += kBlock;
        for (std::uint64_t a, b; i + 8 <= common_; i += 8) {
            std::memcpy(&a, original_.data() + i, 8);
            std::memcpy(&b, modified_.data() + i, 8);
            if (a != b) return i + static_cast<std::size_t>(__builtin_ctzll(a ^ b) / 8);
        }
        while (i < common_ && modified_[i] == original_[i]) ++i;
        if (i < common_) return i;
        while (i < modified_.size() && !needed(i)) ++i;
        return i;
    }

    // How much of the run of equal bytes starting at `from` is worth covering: up to its
    // last byte that needs writing, at most one record long.
    std::size_t usefulRun(std::size_t from) const {
        const std::uint8_t value = modified_[from];
        std::size_t end = from + 1;
        for (std::size_t i = from; i < modified_.size() && i - from < kMaxLength && modified_[i] == value;
             ++i)
            if (needed(i)) end = i + 1;
        return end - from;
    }

    // Whether a byte needing a write follows closely enough after `from` to share a record.
    bool continuesAfter(std::size_t from) const {
        const std::size_t n = next(from);
        return n < size() && n - from < kDataHeader;
    }

private:
    std::span<const std::uint8_t> original_;
    std::span<const std::uint8_t> modified_;
    std::size_t common_;
};

class IpsWriter {
public:
    explicit IpsWriter(const Changes& changes) : changes_(changes) { out_ = {'P', 'A', 'T', 'C', 'H'}; }

    // Writes modified bytes [start, end) as one data record, or as a run record when
    // `run`; returns where the bytes written end (a record moved off 0x454F46 may cover
    // fewer bytes, and the caller goes on from there).
    std::size_t record(std::size_t start, std::size_t end, bool run) {
        if (start == kEofOffset) {
            // Start one byte earlier; a run whose byte differs there becomes two data bytes.
            if (!run || changes_.at(start - 1) != changes_.at(start)) {
                const std::size_t stop = run ? start + 1 : std::min(end, start - 1 + kMaxLength);
                data(start - 1, stop);
                return stop;
            }
            end = std::min(end, start - 1 + kMaxLength);
            --start;
        }
        if (run)
            runOf(start, end);
        else
            data(start, end);
        return end;
    }

    Bytes finish(std::optional<std::uint32_t> truncateTo) {
        out_.insert(out_.end(), {'E', 'O', 'F'});
        if (truncateTo) be(*truncateTo, 3);
        return std::move(out_);
    }

private:
    void data(std::size_t start, std::size_t end) {
        be(start, 3);
        be(end - start, 2);
        for (std::size_t i = start; i < end; ++i) out_.push_back(changes_.at(i));
    }
    void runOf(std::size_t start, std::size_t end) {
        be(start, 3);
        be(0, 2);
        be(end - start, 2);
        out_.push_back(changes_.at(start));
    }
    void be(std::size_t value, int bytes) {
        for (int i = bytes - 1; i >= 0; --i) out_.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    }

    const Changes& changes_;
    Bytes out_;
};

Error changeOutOfReach(std::size_t at) {
    const std::string where = offsetText(at), reach = offsetText(kMaxOffset + kMaxLength - 1);
    return Error(ErrorCategory::Patch, kIpsTooLargeError, kMakeIpsSource,
                 "IPS cannot describe this change: a byte changes at " + where +
                     ", past the last byte a record can reach (" + reach + ").",
                 {where, reach});
}

Error sizeOutOfReach(std::size_t size) {
    const std::string text = offsetText(size);
    return Error(ErrorCategory::Patch, kIpsSizeTooLargeError, kMakeIpsSource,
                 "IPS cannot describe this change: the modified image is shorter, but its size " + text +
                     " does not fit in the 24 bits IPS has for it.",
                 {text});
}

// Where a data record starting at `start` should end: through every byte needing a write,
// across gaps shorter than a new record's header, and before a run long enough that a run
// record and a new data record after it cost less than its bytes.
std::size_t dataEnd(const Changes& c, std::size_t start) {
    std::size_t end = start + 1, i = start + 1;
    while (i < c.size() && end - start < kMaxLength) {
        if (!c.needed(i)) {
            const std::size_t n = c.next(i);
            if (n >= c.size() || n - i >= kDataHeader || n + 1 - start > kMaxLength) break;
            i = n;
            continue;
        }
        if (i + 1 < c.size() && c.at(i) == c.at(i + 1)) {
            const std::size_t run = c.usefulRun(i);
            const std::size_t worth = kRunRecord + (c.continuesAfter(i + run) ? kDataHeader : 0);
            if (run > worth) break;
        }
        end = i + 1;
        ++i;
    }
    return end;
}

}  // namespace

Result<Bytes> makeIps(std::span<const std::uint8_t> original, std::span<const std::uint8_t> modified,
                      const ProgressFn& progress) {
    std::optional<std::uint32_t> truncateTo;
    if (modified.size() < original.size()) {
        if (modified.size() > kMaxOffset) return sizeOutOfReach(modified.size());
        if (modified.size() == kEofOffset)
            return Error(ErrorCategory::Patch, kIpsUnrepresentableError, kMakeIpsSource,
                         "IPS cannot describe this change: a shorter size of " + offsetText(kEofOffset) +
                             " bytes would end the patch with a second \"EOF\".",
                         {offsetText(kEofOffset)});
        truncateTo = static_cast<std::uint32_t>(modified.size());
    }
    const Changes changes(original, modified);
    IpsWriter writer(changes);
    const auto total = static_cast<std::int64_t>(modified.size());
    std::size_t nextReport = kProgressStep;
    for (std::size_t at = changes.next(0); at < changes.size(); at = changes.next(at)) {
        if (at > kMaxOffset) {
            // Changes past the last offset IPS has go in one record starting there.
            std::size_t last = at;
            for (std::size_t i = at; i < changes.size(); i = changes.next(i + 1)) last = i;
            if (last >= kMaxOffset + kMaxLength) return changeOutOfReach(last);
            at = writer.record(kMaxOffset, last + 1, false);
            break;
        }
        const std::size_t run = changes.usefulRun(at);
        const std::size_t worth = changes.continuesAfter(at + run) ? kRunRecord : kRunRecord - kDataHeader;
        if (run > worth)
            at = writer.record(at, at + run, true);
        else
            at = writer.record(at, dataEnd(changes, at), false);
        if (at >= nextReport) {
            if (!keepGoing(progress, static_cast<std::int64_t>(at), total))
                return stoppedError(kMakeIpsSource, static_cast<std::int64_t>(at), total);
            nextReport = at + kProgressStep;
        }
    }
    if (!keepGoing(progress, total, total)) return stoppedError(kMakeIpsSource, total, total);
    return writer.finish(truncateTo);
}

}  // namespace vantorel::patch
