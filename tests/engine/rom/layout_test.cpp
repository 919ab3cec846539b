#include "engine/rom/layout.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace vantorel::rom {
namespace {

constexpr std::size_t kBlock = 16384;

struct LayoutCase {
    const char* name;
    std::size_t size;
    std::uint8_t byte1;
    std::uint8_t byte8;
    std::uint8_t byte9;
    bool sega;  // "SEGA" at 0x100
    Layout expected;
};

std::vector<std::uint8_t> build(const LayoutCase& c) {
    std::vector<std::uint8_t> data(c.size, 0x5A);
    if (c.size > 9) {
        data[1] = c.byte1;
        data[8] = c.byte8;
        data[9] = c.byte9;
    }
    if (c.sega) std::memcpy(data.data() + 0x100, "SEGA", 4);
    return data;
}

class LayoutByContent : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(LayoutByContent, IsToldByMarksAndSize) {
    const LayoutCase& c = GetParam();
    const auto data = build(c);
    EXPECT_EQ(c.expected, detectLayout(data));
    EXPECT_EQ(c.expected == Layout::Smd, isSmdLayout(data, data.size()));
    // From the head alone and the size, as an archive listing judges an entry.
    const std::size_t head = std::min<std::size_t>(data.size(), 0x200);
    EXPECT_EQ(c.expected == Layout::Smd, isSmdLayout(std::span(data).first(head), data.size()));
    EXPECT_EQ(c.sega, hasSegaSignature(data));
    EXPECT_EQ(c.sega || c.expected == Layout::Smd, looksLikeImage(std::span(data).first(head), data.size()));
}

INSTANTIATE_TEST_SUITE_P(
    Table, LayoutByContent,
    ::testing::Values(LayoutCase{"SmdOneBlock", 512 + kBlock, 3, 0xAA, 0xBB, false, Layout::Smd},
                      LayoutCase{"SmdTwoBlocks", 512 + 2 * kBlock, 3, 0xAA, 0xBB, false, Layout::Smd},
                      LayoutCase{"SmdFourMiB", 512 + 256 * kBlock, 3, 0xAA, 0xBB, false, Layout::Smd},
                      LayoutCase{"BinWithSega", 4 * kBlock, 0, 0, 0, true, Layout::Bin},
                      LayoutCase{"BinWithoutSega", 4 * kBlock, 0, 0, 0, false, Layout::Bin},
                      // A BIN the size of an SMD, without the copier's marks.
                      LayoutCase{"BinOfSmdSize", 512 + kBlock, 0, 0, 0, true, Layout::Bin},
                      LayoutCase{"ByteOneNotThree", 512 + kBlock, 2, 0xAA, 0xBB, false, Layout::Bin},
                      LayoutCase{"ByteEightWrong", 512 + kBlock, 3, 0xAB, 0xBB, false, Layout::Bin},
                      LayoutCase{"ByteNineWrong", 512 + kBlock, 3, 0xAA, 0xBA, false, Layout::Bin},
                      LayoutCase{"MarksSwapped", 512 + kBlock, 3, 0xBB, 0xAA, false, Layout::Bin},
                      LayoutCase{"OneByteShort", 512 + kBlock - 1, 3, 0xAA, 0xBB, false, Layout::Bin},
                      LayoutCase{"OneByteOver", 512 + kBlock + 1, 3, 0xAA, 0xBB, false, Layout::Bin},
                      LayoutCase{"HeaderOnly", 512, 3, 0xAA, 0xBB, false, Layout::Bin},
                      LayoutCase{"WholeBlocksNoHeader", 2 * kBlock, 3, 0xAA, 0xBB, false, Layout::Bin},
                      LayoutCase{"Tiny", 9, 0, 0, 0, false, Layout::Bin},
                      LayoutCase{"Empty", 0, 0, 0, 0, false, Layout::Bin}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LayoutName, IsWhatReportsPrint) {
    EXPECT_EQ("bin", layoutName(Layout::Bin));
    EXPECT_EQ("smd", layoutName(Layout::Smd));
}

TEST(SegaSignature, NeedsAllFourBytesInsideTheImage) {
    std::vector<std::uint8_t> data(0x103, 0);
    std::memcpy(data.data() + 0x100, "SEG", 3);
    EXPECT_FALSE(hasSegaSignature(data));
    data.push_back('A');
    EXPECT_TRUE(hasSegaSignature(data));
    data[0x100] = 's';
    EXPECT_FALSE(hasSegaSignature(data));
}

}  // namespace
}  // namespace vantorel::rom
