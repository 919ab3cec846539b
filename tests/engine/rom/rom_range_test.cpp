#include "engine/rom/rom_range.h"

#include <gtest/gtest.h>

#include <vector>

#include "engine/rom/header.h"

namespace vantorel::rom {
namespace {

std::vector<std::uint8_t> pattern(std::size_t n) {
    std::vector<std::uint8_t> b(n);
    for (std::size_t i = 0; i < n; ++i) b[i] = static_cast<std::uint8_t>(i * 13 + 1);
    return b;
}

TEST(RomRange, ReadsBigEndianAddresses) {
    auto image = pattern(0x200);
    const std::uint8_t start[] = {0x00, 0x01, 0x02, 0x03};
    const std::uint8_t end[] = {0xFF, 0x3F, 0x00, 0x7F};
    std::copy(std::begin(start), std::end(start), image.begin() + 0x1A0);
    std::copy(std::begin(end), std::end(end), image.begin() + 0x1A4);
    EXPECT_EQ(0x00010203u, romStart(image));
    EXPECT_EQ(0xFF3F007Fu, romEnd(image));
    // Past a short image's end the bytes count as zero.
    image.resize(0x1A6);
    EXPECT_EQ(0xFF3F0000u, romEnd(image));
    EXPECT_EQ(0u, romEnd({}));
}

// The header editor's "romend=auto": size - 1, big-endian, and nothing else touched.
TEST(RomRange, SetRomEndToSizeWritesOnlyTheEndField) {
    for (const std::size_t size : {std::size_t{0x200}, std::size_t{0x20000}, std::size_t{0x300001}}) {
        SCOPED_TRACE(size);
        const auto before = pattern(size);
        auto image = before;
        ASSERT_TRUE(setRomEndToSize(image).ok());
        EXPECT_EQ(size - 1, romEnd(image));
        EXPECT_TRUE(romEndMatchesSize(image));
        for (std::size_t i = 0; i < size; ++i) {
            if (i >= kRomEndOffset && i < kRomEndOffset + 4) continue;
            ASSERT_EQ(before[i], image[i]) << i;
        }
    }
    std::vector<std::uint8_t> twoMiB(0x200000, 0);
    ASSERT_TRUE(setRomEndToSize(twoMiB).ok());
    EXPECT_EQ((std::vector<std::uint8_t>{0x00, 0x1F, 0xFF, 0xFF}),
              std::vector<std::uint8_t>(twoMiB.begin() + 0x1A4, twoMiB.begin() + 0x1A8));
}

TEST(RomRange, TooShortForAHeaderIsRefusedUntouched) {
    const auto before = pattern(kHeaderMinLength - 1);
    auto image = before;
    auto r = setRomEndToSize(image);
    ASSERT_FALSE(r.ok());
    EXPECT_TRUE(r.error().is(ErrorCategory::Format, kErrTooShortForHeader));
    EXPECT_EQ(before, image);
    std::vector<std::uint8_t> empty;
    EXPECT_FALSE(setRomEndToSize(empty).ok());
}

TEST(RomRange, EndMatchesOnlyTheLastByte) {
    auto image = pattern(0x400);
    ASSERT_TRUE(setRomEndToSize(image).ok());
    EXPECT_TRUE(romEndMatchesSize(image));
    image.push_back(0);
    EXPECT_FALSE(romEndMatchesSize(image));
    image.resize(0x3FF);
    EXPECT_FALSE(romEndMatchesSize(image));
    // An empty image states nothing, and end 0 + 1 is not its size.
    EXPECT_FALSE(romEndMatchesSize({}));
}

}  // namespace
}  // namespace vantorel::rom
