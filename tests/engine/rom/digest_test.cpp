#include "engine/rom/digest.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vantorel::rom {
namespace {

struct Vector {
    const char* name;
    std::string input;
    const char* crc32;
    const char* md5;
    const char* sha1;
};

class KnownVectors : public ::testing::TestWithParam<Vector> {};

// Published values; the million 'a's span many of the chunks the three digests share.
TEST_P(KnownVectors, AllThreeDigestsMatch) {
    const Vector& v = GetParam();
    const std::vector<std::uint8_t> data(v.input.begin(), v.input.end());
    auto d = computeDigests(data);
    ASSERT_TRUE(d.ok()) << d.error().description();
    EXPECT_EQ(v.crc32, crc32Hex(d.value().crc32));
    EXPECT_EQ(v.md5, toHex(d.value().md5));
    EXPECT_EQ(v.sha1, toHex(d.value().sha1));
    EXPECT_EQ(v.crc32, crc32Hex(crc32Of(data)));
}

INSTANTIATE_TEST_SUITE_P(
    Table, KnownVectors,
    ::testing::Values(Vector{"Empty", "", "00000000", "d41d8cd98f00b204e9800998ecf8427e",
                             "da39a3ee5e6b4b0d3255bfef95601890afd80709"},
                      Vector{"Abc", "abc", "352441c2", "900150983cd24fb0d6963f7d28e17f72",
                             "a9993e364706816aba3e25717850c26c9cd0d89d"},
                      // A CRC with leading zero digits, which must still print as eight.
                      Vector{"LeadingZeros", "x31", "001685f0", "ab715c8262983aba1fc03fb879e960d2",
                             "019fa8e11e5b78260c13abd945902d5f55425033"},
                      Vector{"MillionA", std::string(1000000, 'a'), "dc25bfbc",
                             "7707d6ae4e027c70eea2a935c2296f21", "34aa973cd4c4daa4f61eeb2bdbad27316534016f"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Hex, LowerCaseTwoDigitsAByte) {
    const std::uint8_t bytes[] = {0x00, 0x0A, 0xF0, 0xFF};
    EXPECT_EQ("000af0ff", toHex(bytes));
    EXPECT_EQ("", toHex({}));
    EXPECT_EQ("00000001", crc32Hex(1));
    EXPECT_EQ("deadbeef", crc32Hex(0xDEADBEEF));
}

}  // namespace
}  // namespace vantorel::rom
