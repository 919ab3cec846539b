#include "engine/convert/smd.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <string>

namespace vantorel::convert {

std::size_t SmdBlockCount(std::span<const std::uint8_t> smd) {
    if (smd.empty()) return 0;
    if (smd[0] != 0) return smd[0];
    if (smd.size() < kSmdHeaderSize) return 0;
    return (smd.size() - kSmdHeaderSize) / kSmdBlockSize;
}

std::size_t BinBlockCount(std::size_t length) {
    return length / kSmdBlockSize + (length % kSmdBlockSize != 0 ? 1 : 0);
}

std::array<std::uint8_t, kSmdHeaderSize> SmdHeader(std::size_t blocks) {
    std::array<std::uint8_t, kSmdHeaderSize> h{};
    h[0] = blocks <= kMaxStatedBlocks ? static_cast<std::uint8_t>(blocks) : 0;
    h[1] = 3;
    h[8] = 0xAA;
    h[9] = 0xBB;
    h[10] = 6;
    return h;
}

namespace {

// Grows without shrinking; resizing only up keeps the pages a batch already touched.
std::uint8_t* reserveAtLeast(Bytes& storage, std::size_t size) {
    if (storage.size() < size) storage.resize(size);
    return storage.data();
}

}  // namespace

Result<std::span<const std::uint8_t>> smdToBin(std::span<const std::uint8_t> smd, Bytes& storage,
                                               const ProgressFn& progress) {
    if (smd.empty())
        return Error(ErrorCategory::Format, kErrEmptySource, kSmd2BinSource, "the source file is empty");
    const std::size_t blocks = SmdBlockCount(smd);
    if (blocks == 0)
        return Error(ErrorCategory::Format, kErrNoBlocks, kSmd2BinSource,
                     "the source file is too short to hold an SMD header and one 16384-byte block");
    const std::size_t held = smd.size() < kSmdHeaderSize ? 0 : (smd.size() - kSmdHeaderSize) / kSmdBlockSize;
    if (blocks > held)
        return Error(ErrorCategory::Format, kErrTruncatedSource, kSmd2BinSource,
                     "the SMD header states " + std::to_string(blocks) + " blocks but the file holds " +
                         std::to_string(held),
                     {std::to_string(blocks), std::to_string(held)});

    const std::size_t size = blocks * kSmdBlockSize;
    std::uint8_t* image = reserveAtLeast(storage, size);
    const std::uint8_t* in = smd.data() + kSmdHeaderSize;
    const auto total = static_cast<std::int64_t>(blocks);
    for (std::size_t b = 0; b < blocks; ++b) {
        joinBlock(in + b * kSmdBlockSize, image + b * kSmdBlockSize);
        if (!keepGoing(progress, static_cast<std::int64_t>(b + 1), total))
            return stoppedError(kSmd2BinSource, static_cast<std::int64_t>(b + 1), total);
    }
    return std::span<const std::uint8_t>(image, size);
}

Result<std::span<const std::uint8_t>> binToSmd(std::span<const std::uint8_t> bin, Bytes& storage,
                                               const ProgressFn& progress) {
    if (bin.empty())
        return Error(ErrorCategory::Format, kErrEmptySource, kBin2SmdSource, "the source file is empty");
    const std::size_t blocks = BinBlockCount(bin.size());
    if (blocks > (std::numeric_limits<std::size_t>::max() - kSmdHeaderSize) / kSmdBlockSize)
        return Error(ErrorCategory::Format, kErrTooLarge, kBin2SmdSource, "the source file is too large");

    const std::size_t size = kSmdHeaderSize + blocks * kSmdBlockSize;
    std::uint8_t* smd = reserveAtLeast(storage, size);
    const auto header = SmdHeader(blocks);
    std::memcpy(smd, header.data(), header.size());
    // A short last block is padded with zeros; the storage may hold an earlier file there.
    const std::size_t tail = bin.size() % kSmdBlockSize;
    if (tail != 0) std::memset(smd + size - kSmdBlockSize, 0, kSmdBlockSize);

    std::uint8_t* out = smd + kSmdHeaderSize;
    const auto total = static_cast<std::int64_t>(blocks);
    for (std::size_t b = 0; b < blocks; ++b) {
        const std::size_t offset = b * kSmdBlockSize;
        splitBlock(bin.data() + offset, bin.size() - offset, out + offset);
        if (!keepGoing(progress, static_cast<std::int64_t>(b + 1), total))
            return stoppedError(kBin2SmdSource, static_cast<std::int64_t>(b + 1), total);
    }
    return std::span<const std::uint8_t>(smd, size);
}

namespace {

template <typename Convert>
Result<Bytes> toOwned(std::span<const std::uint8_t> in, const ProgressFn& progress, Convert convert) {
    Bytes storage;
    auto view = convert(in, storage, progress);
    if (!view) return view.error();
    storage.resize(view.value().size());
    return storage;
}

}  // namespace

Result<Bytes> smdToBin(std::span<const std::uint8_t> smd, const ProgressFn& progress) {
    return toOwned(smd, progress, [](auto in, Bytes& s, const ProgressFn& p) { return smdToBin(in, s, p); });
}

Result<Bytes> binToSmd(std::span<const std::uint8_t> bin, const ProgressFn& progress) {
    return toOwned(bin, progress, [](auto in, Bytes& s, const ProgressFn& p) { return binToSmd(in, s, p); });
}

}  // namespace vantorel::convert
