// Buffers on both sides of the size from which they are mapped on their own, and buffers
// given back and taken again: their bytes survive growth, copies and moves whichever way
// they cross it.
#include "engine/common/byte_allocator.h"

#include <gtest/gtest.h>

#include <cstdint>

#include "engine/common/file_io.h"

namespace vantorel {
namespace {

Bytes counting(std::size_t n) {
    Bytes b;
    b.reserve(n);
    for (std::size_t i = 0; i < n; ++i) b.push_back(static_cast<std::uint8_t>(i * 7 + i / 4096));
    return b;
}

bool counts(const Bytes& b, std::size_t n) {
    if (b.size() < n) return false;
    for (std::size_t i = 0; i < n; ++i)
        if (b[i] != static_cast<std::uint8_t>(i * 7 + i / 4096)) return false;
    return true;
}

class ByteBuffer : public ::testing::TestWithParam<std::size_t> {};

TEST_P(ByteBuffer, KeepsItsBytesThroughGrowthCopiesAndMoves) {
    const std::size_t n = GetParam();
    Bytes b(n, 0xA5);
    for (const std::uint8_t v : b) ASSERT_EQ(v, 0xA5);

    Bytes grown = counting(n);
    grown.resize(n * 3 + 1);  // past the threshold for the small sizes, far past for the rest
    EXPECT_TRUE(counts(grown, n));
    for (std::size_t i = n; i < grown.size(); ++i) ASSERT_EQ(grown[i], 0) << i;

    const Bytes copy = grown;
    EXPECT_EQ(copy, grown);
    Bytes moved = std::move(grown);
    EXPECT_TRUE(counts(moved, n));
    moved.resize(n / 2);
    moved.shrink_to_fit();  // back below the threshold for the large sizes
    EXPECT_TRUE(counts(moved, n / 2));

    // The same sizes again, from buffers given back above: nothing of their old bytes shows.
    const Bytes again(n * 3 + 1);
    for (const std::uint8_t v : again) ASSERT_EQ(v, 0);
    copyBytes(moved, again);
    EXPECT_EQ(moved, again);
}

INSTANTIATE_TEST_SUITE_P(Sizes, ByteBuffer,
                         ::testing::Values(std::size_t{4096}, detail::kLargeBuffer - 1, detail::kLargeBuffer,
                                           (std::size_t{4} << 20) + 512, std::size_t{9} << 20));

}  // namespace
}  // namespace vantorel
