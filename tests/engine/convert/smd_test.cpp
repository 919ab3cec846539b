#include "engine/convert/smd.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace vantorel::convert {
namespace {

constexpr std::size_t kMiB = 1024 * 1024;

// Image bytes that differ from their neighbours and from block to block.
Bytes patternImage(std::size_t length, std::uint32_t seed = 1) {
    Bytes b(length);
    std::uint32_t x = seed * 2654435761u + 12345u;
    for (auto& v : b) {
        x = x * 1664525u + 1013904223u;
        v = static_cast<std::uint8_t>(x >> 24);
    }
    return b;
}

// An SMD file built from the layout's definition, one byte at a time.
Bytes referenceSmd(const Bytes& image, std::size_t blocks, std::uint8_t countByte) {
    Bytes smd(kSmdHeaderSize + blocks * kSmdBlockSize, 0);
    smd[0] = countByte;
    for (std::size_t k = 0; k < blocks; ++k)
        for (std::size_t j = 0; j < kSmdHalfBlock; ++j) {
            const std::size_t odd = k * kSmdBlockSize + 2 * j + 1, even = k * kSmdBlockSize + 2 * j;
            const std::size_t at = kSmdHeaderSize + k * kSmdBlockSize;
            smd[at + j] = odd < image.size() ? image[odd] : 0;
            smd[at + kSmdHalfBlock + j] = even < image.size() ? image[even] : 0;
        }
    return smd;
}

TEST(SmdLayout, FirstBytesOfABlockMatchTheKnownExample) {
    Bytes smd(kSmdHeaderSize + kSmdBlockSize, 0);
    smd[0] = 1;
    smd[512] = 0x22;
    smd[513] = 0x44;
    smd[512 + 8192] = 0x11;
    smd[512 + 8193] = 0x33;
    auto bin = smdToBin(smd);
    ASSERT_TRUE(bin.ok()) << bin.error().description();
    EXPECT_EQ((Bytes{0x11, 0x22, 0x33, 0x44}), Bytes(bin.value().begin(), bin.value().begin() + 4));

    auto back = binToSmd(Bytes{0x11, 0x22, 0x33, 0x44});
    ASSERT_TRUE(back.ok());
    EXPECT_EQ(0x22, back.value()[512]);
    EXPECT_EQ(0x44, back.value()[513]);
    EXPECT_EQ(0x11, back.value()[512 + 8192]);
    EXPECT_EQ(0x33, back.value()[512 + 8193]);
}

TEST(SmdLayout, EveryByteOfSeveralBlocksLandsWhereTheLayoutSays) {
    const Bytes image = patternImage(5 * kSmdBlockSize);
    const Bytes smd = referenceSmd(image, 5, 5);
    auto bin = smdToBin(smd);
    ASSERT_TRUE(bin.ok());
    EXPECT_EQ(image, bin.value());
    auto out = binToSmd(image);
    ASSERT_TRUE(out.ok());
    Bytes expected = smd;
    const auto header = SmdHeader(5);
    std::copy(header.begin(), header.end(), expected.begin());
    EXPECT_EQ(expected, out.value());
}

// A partial block: every length parity and every position relative to the 32-byte steps.
TEST(SmdLayout, SplittingAPartialBlockKeepsEachByteAndLeavesTheRest) {
    for (std::size_t count : {0u, 1u, 2u, 31u, 32u, 33u, 63u, 100u, 8191u, 16383u, 16384u}) {
        const Bytes image = patternImage(count, static_cast<std::uint32_t>(count));
        Bytes block(kSmdBlockSize, 0xEE);
        splitBlock(image.data(), count, block.data());
        for (std::size_t j = 0; j < kSmdHalfBlock; ++j) {
            const std::uint8_t odd = 2 * j + 1 < count ? image[2 * j + 1] : 0xEE;
            const std::uint8_t even = 2 * j < count ? image[2 * j] : 0xEE;
            ASSERT_EQ(odd, block[j]) << "count " << count << " odd " << j;
            ASSERT_EQ(even, block[kSmdHalfBlock + j]) << "count " << count << " even " << j;
        }
    }
}

struct SmdCase {
    const char* name;
    std::size_t fileBlocks;  // whole blocks after the header
    std::size_t extraBytes;  // bytes after them (or the whole file when there is no header)
    std::uint8_t countByte;
    std::size_t expectedBlocks;  // 0: the conversion fails
    int expectedError;
    long cutTo = -1;  // file cut to this many bytes (a file without a whole header)
};

class SmdToBinCases : public ::testing::TestWithParam<SmdCase> {};

TEST_P(SmdToBinCases, ConvertsTheStatedOrDerivedBlocksOrFails) {
    const SmdCase& c = GetParam();
    const Bytes image = patternImage(c.fileBlocks * kSmdBlockSize);
    Bytes smd = referenceSmd(image, c.fileBlocks, c.countByte);
    smd.resize(smd.size() + c.extraBytes, 0x5A);
    if (c.cutTo >= 0) smd.resize(static_cast<std::size_t>(c.cutTo));
    std::vector<std::pair<std::int64_t, std::int64_t>> steps;
    auto bin = smdToBin(smd, [&](std::int64_t done, std::int64_t total) {
        steps.emplace_back(done, total);
        return true;
    });
    if (c.expectedBlocks == 0) {
        ASSERT_FALSE(bin.ok());
        EXPECT_EQ(c.expectedError, bin.error().number());
        EXPECT_EQ(kSmd2BinSource, bin.error().source());
        EXPECT_FALSE(bin.error().description().empty());
        return;
    }
    ASSERT_TRUE(bin.ok()) << bin.error().description();
    ASSERT_EQ(c.expectedBlocks * kSmdBlockSize, bin.value().size());
    EXPECT_TRUE(std::equal(bin.value().begin(), bin.value().end(), image.begin()));
    ASSERT_EQ(c.expectedBlocks, steps.size());
    for (std::size_t i = 0; i < steps.size(); ++i) {
        EXPECT_EQ(static_cast<std::int64_t>(i + 1), steps[i].first);
        EXPECT_EQ(static_cast<std::int64_t>(c.expectedBlocks), steps[i].second);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Edges, SmdToBinCases,
    ::testing::Values(SmdCase{"CountZeroDerivesThreeBlocks", 3, 0, 0, 3, 0},
                      SmdCase{"FourMiBWithCountZero", 256, 0, 0, 256, 0},
                      SmdCase{"CountTwoOnFourBlocksConvertsTwo", 4, 0, 2, 2, 0},
                      SmdCase{"CountEightOnFourBlocksFails", 4, 0, 8, 0, kErrTruncatedSource},
                      SmdCase{"TrailingHundredBytesDropped", 4, 100, 0, 4, 0},
                      SmdCase{"StatedCountIsTrustedOverTrailingBytes", 2, 16383, 2, 2, 0},
                      SmdCase{"ShorterThanOneBlockFails", 0, 16383, 0, 0, kErrNoBlocks},
                      SmdCase{"HeaderOnlyFails", 0, 0, 0, 0, kErrNoBlocks},
                      SmdCase{"ShortFileWithCountFails", 0, 0, 1, 0, kErrTruncatedSource, 100},
                      SmdCase{"CountOneWithPartialBlockFails", 1, 0, 1, 0, kErrTruncatedSource, 512 + 16383},
                      SmdCase{"TinyFileWithoutCountFails", 0, 0, 0, 0, kErrNoBlocks, 3},
                      SmdCase{"EmptyFileFails", 0, 0, 0, 0, kErrEmptySource, 0},
                      SmdCase{"CountTwoFiftyFive", 255, 0, 255, 255, 0}),
    [](const auto& info) { return std::string(info.param.name); });

struct BinCase {
    const char* name;
    std::size_t length;
    std::size_t blocks;
    std::uint8_t countByte;
};

class BinToSmdCases : public ::testing::TestWithParam<BinCase> {};

TEST_P(BinToSmdCases, RoundsTheBlockCountUpAndPadsWithZeros) {
    const BinCase& c = GetParam();
    const Bytes image = patternImage(c.length, 7);
    std::vector<std::pair<std::int64_t, std::int64_t>> steps;
    auto smd = binToSmd(image, [&](std::int64_t done, std::int64_t total) {
        steps.emplace_back(done, total);
        return true;
    });
    ASSERT_TRUE(smd.ok()) << smd.error().description();
    EXPECT_EQ(c.blocks, BinBlockCount(c.length));
    ASSERT_EQ(kSmdHeaderSize + c.blocks * kSmdBlockSize, smd.value().size());

    const Bytes& out = smd.value();
    EXPECT_EQ(c.countByte, out[0]);
    EXPECT_EQ(3, out[1]);
    EXPECT_EQ(0xAA, out[8]);
    EXPECT_EQ(0xBB, out[9]);
    EXPECT_EQ(6, out[10]);
    for (std::size_t i : {2u, 3u, 4u, 5u, 6u, 7u}) EXPECT_EQ(0, out[i]) << i;
    for (std::size_t i = 11; i < kSmdHeaderSize; ++i) ASSERT_EQ(0, out[i]) << i;

    // Every source byte is there, interleaved, and the padding is zero.
    Bytes expected = referenceSmd(image, c.blocks, c.countByte);
    const auto header = SmdHeader(c.blocks);
    std::copy(header.begin(), header.end(), expected.begin());
    EXPECT_TRUE(expected == out);

    ASSERT_EQ(c.blocks, steps.size());
    EXPECT_EQ(static_cast<std::int64_t>(c.blocks), steps.back().first);
    EXPECT_EQ(static_cast<std::int64_t>(c.blocks), steps.back().second);
}

INSTANTIATE_TEST_SUITE_P(Sizes, BinToSmdCases,
                         ::testing::Values(BinCase{"OneByte", 1, 1, 1}, BinCase{"HalfABlock", 8192, 1, 1},
                                           BinCase{"JustOverHalfABlock", 8193, 1, 1},
                                           BinCase{"OneBlock", 16384, 1, 1},
                                           BinCase{"OneBlockAndOneByte", 16385, 2, 2},
                                           BinCase{"ThreeBlocksAnd8000", 16384 * 3 + 8000, 4, 4},
                                           BinCase{"ThreeBlocksAnd10000", 16384 * 3 + 10000, 4, 4},
                                           BinCase{"OneMiB", kMiB, 64, 64},
                                           BinCase{"TwoHundredFiftyFiveBlocks", 255 * 16384, 255, 255},
                                           BinCase{"FourMiB", 4 * kMiB, 256, 0},
                                           BinCase{"FourMiBAndHundred", 4 * kMiB + 100, 257, 0}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(BinToSmd, EmptyImageIsRefused) {
    auto smd = binToSmd(Bytes{});
    ASSERT_FALSE(smd.ok());
    EXPECT_EQ(kErrEmptySource, smd.error().number());
    EXPECT_EQ(kBin2SmdSource, smd.error().source());
}

TEST(BinToSmd, FourMiBSmdConvertsBackToTheSameBytes) {
    const Bytes image = patternImage(4 * kMiB, 3);
    auto smd = binToSmd(image);
    ASSERT_TRUE(smd.ok());
    EXPECT_EQ(4194816u, smd.value().size());
    auto back = smdToBin(smd.value());
    ASSERT_TRUE(back.ok());
    EXPECT_TRUE(back.value() == image);
}

TEST(BinToSmd, AConversionDoesNotDependOnTheOneBefore) {
    const Bytes first = patternImage(3 * kSmdBlockSize + 5, 11);
    const Bytes second = patternImage(kSmdBlockSize + 1, 12);
    auto alone = binToSmd(second);
    ASSERT_TRUE(binToSmd(first).ok());
    auto after = binToSmd(second);
    ASSERT_TRUE(alone.ok() && after.ok());
    EXPECT_EQ(alone.value(), after.value());

    auto smdAlone = smdToBin(alone.value());
    ASSERT_TRUE(smdToBin(binToSmd(first).value()).ok());
    auto smdAfter = smdToBin(alone.value());
    EXPECT_EQ(smdAlone.value(), smdAfter.value());
}

}  // namespace
}  // namespace vantorel::convert
