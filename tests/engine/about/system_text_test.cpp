#include "engine/about/system_text.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <string>

using namespace vantorel::about;

namespace {

constexpr std::uint64_t kMiB = 1024ull * 1024;
constexpr std::uint64_t kGiB = 1024ull * kMiB;

struct MemoryCase {
    const char* name;
    std::string memStat;
    std::uint64_t total, free;
    std::string expected;
};

// Test listings show the case's name, not its bytes.
void PrintTo(const MemoryCase& c, std::ostream* os) {
    *os << c.name;
}

class DescribeMemoryTest : public ::testing::TestWithParam<MemoryCase> {};

TEST_P(DescribeMemoryTest, FillsTotalThenFreeInKilobytes) {
    const MemoryCase& c = GetParam();
    EXPECT_EQ(describeMemory(c.memStat, c.total, c.free), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DescribeMemoryTest,
    ::testing::Values(
        MemoryCase{"HalfGigabyte", "%t KB total, %f KB free", 512 * kMiB, 100 * kMiB,
                   "524288 KB total, 102400 KB free"},
        MemoryCase{"JustBelowTwoGigabytes", "%t/%f", 2 * kGiB - 1024, kGiB, "2097151/1048576"},
        MemoryCase{"ThreeGigabytes", "%t/%f", 3 * kGiB, 2 * kGiB + 512 * kMiB, "3145728/2621440"},
        MemoryCase{"ExactlyFourGigabytes", "%t/%f", 4 * kGiB, 4 * kGiB, "4194304/4194304"},
        MemoryCase{"SixtyFourGigabytes", "%t/%f", 64 * kGiB, 40 * kGiB + 1024, "67108864/41943041"},
        MemoryCase{"AFractionOnlyWhenThereIsOne", "%t/%f", 1536, 1024 + 256, "1.5/1.25"},
        MemoryCase{"EveryMarkerReplaced", "%t %t (%f)", 2048, 0, "2 2 (0)"},
        MemoryCase{"NoMarkers", "Memory", 2048, 1024, "Memory"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ShortestDecimal, NeverUsesExponents) {
    EXPECT_EQ(shortestDecimal(1000000.0), "1000000");
    EXPECT_EQ(shortestDecimal(16777216.0), "16777216");
    EXPECT_EQ(shortestDecimal(0.5), "0.5");
    EXPECT_EQ(shortestDecimal(0.0), "0");
}

}  // namespace
