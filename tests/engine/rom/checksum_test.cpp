#include "engine/rom/checksum.h"

#include <gtest/gtest.h>

#include <vector>

#include "engine/common/file_io.h"

using namespace vantorel::rom;
using vantorel::Bytes;

struct ChecksumCase {
    const char* name;
    Bytes tail;  // bytes from 0x200 on
    std::uint16_t expected;
};

class Checksum : public ::testing::TestWithParam<ChecksumCase> {};

TEST_P(Checksum, SumsBigEndianWordsFrom0x200) {
    Bytes b(0x200, 0x5A);  // the header area never counts
    b.insert(b.end(), GetParam().tail.begin(), GetParam().tail.end());
    EXPECT_EQ(computeChecksum(b), GetParam().expected) << GetParam().name;
    EXPECT_EQ(CalcChecksum(b).computed(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, Checksum,
                         ::testing::Values(ChecksumCase{"nothing summed", {}, 0x0000},
                                           ChecksumCase{"two words wrap", {0x12, 0x34, 0xFF, 0xFF}, 0x1233},
                                           ChecksumCase{"odd last byte is high", {0xAB}, 0xAB00},
                                           ChecksumCase{"odd after a word", {0x00, 0x01, 0x02}, 0x0201},
                                           ChecksumCase{
                                               "carry out of the low byte", {0x00, 0xFF, 0x00, 0x01}, 0x0100},
                                           ChecksumCase{"many words", Bytes(0x20000, 0xFF), 0x0000}),
                         [](const auto& info) {
                             std::string n = info.param.name;
                             for (char& c : n)
                                 if (c == ' ') c = '_';
                             return n;
                         });

TEST(Checksum, LongImagesWrapModulo65536) {
    // 0x10001 words of 0x0001 sum to 0x10001, which keeps only 0x0001.
    Bytes b(0x200 + 2 * 0x10001, 0);
    for (std::size_t o = 0x201; o < b.size(); o += 2) b[o] = 1;
    EXPECT_EQ(computeChecksum(b), 0x0001);
}

TEST(Checksum, StoredValueIsReadHighByteFirstAndMissingBytesCountAsZero) {
    Bytes b(0x204, 0);
    b[0x18E] = 0x12;
    b[0x18F] = 0x33;
    b[0x200] = 0x12;
    b[0x201] = 0x34;
    b[0x202] = 0xFF;
    b[0x203] = 0xFF;
    const ChecksumPair p = CalcChecksum(b);
    EXPECT_EQ(p.stored(), 0x1233);
    EXPECT_EQ(p.computedHigh, 0x12);
    EXPECT_EQ(p.computedLow, 0x33);
    EXPECT_TRUE(p.matches());

    for (std::size_t size : {std::size_t{0}, std::size_t{0x18E}, std::size_t{0x18F}, std::size_t{0x1FF}}) {
        Bytes s(size, 0xFF);
        const ChecksumPair q = CalcChecksum(s);
        EXPECT_EQ(q.stored(), size > 0x18F ? 0xFFFF : size > 0x18E ? 0xFF00 : 0x0000) << size;
        EXPECT_EQ(q.computed(), 0) << size;
    }
}

TEST(Checksum, StoreWritesOnlyTheTwoChecksumBytes) {
    Bytes b(0x300, 0x11);
    const Bytes before = b;
    ASSERT_TRUE(storeChecksum(b, 0xBEEF));
    for (std::size_t i = 0; i < b.size(); ++i) {
        if (i == 0x18E)
            EXPECT_EQ(b[i], 0xBE);
        else if (i == 0x18F)
            EXPECT_EQ(b[i], 0xEF);
        else
            ASSERT_EQ(b[i], before[i]) << i;
    }
    Bytes tiny(0x18F);
    EXPECT_FALSE(storeChecksum(tiny, 0x1234));
    EXPECT_EQ(tiny, Bytes(0x18F));
}
