#include "platform/system_info.h"

#include <gtest/gtest.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>

namespace vantorel::platform {
namespace {

struct ReleaseCase {
    const char* release;
    VersionTriple expected;
};

class KernelRelease : public ::testing::TestWithParam<ReleaseCase> {};

TEST_P(KernelRelease, ReadsMajorMinorAndRevision) {
    EXPECT_EQ(parseKernelRelease(GetParam().release), GetParam().expected) << GetParam().release;
}

INSTANTIATE_TEST_SUITE_P(
    Releases, KernelRelease,
    ::testing::Values(ReleaseCase{"6.1.0-18-amd64", {6, 1, 0}},
                      ReleaseCase{"5.15.133.1-microsoft-standard-WSL2", {5, 15, 133}},
                      ReleaseCase{"6.8.12", {6, 8, 12}}, ReleaseCase{"5.10", {5, 10, 0}},
                      ReleaseCase{"4.19.0+", {4, 19, 0}}, ReleaseCase{"6.7-rc3", {6, 7, 0}},
                      ReleaseCase{"6.", {6, 0, 0}}, ReleaseCase{"6..1", {6, 0, 0}},
                      ReleaseCase{" 3.2.1 \n", {3, 2, 1}}, ReleaseCase{"", {0, 0, 0}},
                      ReleaseCase{"generic", {0, 0, 0}}, ReleaseCase{"-6.1.0", {0, 0, 0}},
                      ReleaseCase{"99999999999.1.2", {0, 0, 0}}, ReleaseCase{"6.1.99999999999", {0, 0, 0}}));

TEST(KernelVersion, MatchesUname) {
    struct utsname u {};
    ASSERT_EQ(::uname(&u), 0);
    const VersionTriple v = GetKernelVersion();
    EXPECT_EQ(v, parseKernelRelease(u.release));
    EXPECT_GT(v.major, 0);
}

struct OsReleaseCase {
    const char* text;
    const char* prettyName;
};

class OsRelease : public ::testing::TestWithParam<OsReleaseCase> {};

TEST_P(OsRelease, FindsPrettyName) {
    EXPECT_EQ(parseOsPrettyName(GetParam().text), GetParam().prettyName);
}

INSTANTIATE_TEST_SUITE_P(
    Files, OsRelease,
    ::testing::Values(
        OsReleaseCase{
            "NAME=\"Debian GNU/Linux\"\nPRETTY_NAME=\"Debian GNU/Linux 12 (bookworm)\"\nID=debian\n",
            "Debian GNU/Linux 12 (bookworm)"},
        OsReleaseCase{"PRETTY_NAME='Single quoted \\ kept'\n", "Single quoted \\ kept"},
        OsReleaseCase{"PRETTY_NAME=Unquoted\n", "Unquoted"},
        OsReleaseCase{"PRETTY_NAME=\"Say \\\"hi\\\" for \\$5 \\n\"", "Say \"hi\" for $5 \\n"},
        OsReleaseCase{"  PRETTY_NAME=\"Indented\"  \r\n", "Indented"},
        OsReleaseCase{"# PRETTY_NAME=\"Comment\"\nNAME=Other\n", ""},
        OsReleaseCase{"PRETTY_NAMES=\"Near miss\"\npretty_name=lower\n", ""},
        OsReleaseCase{"PRETTY_NAME=\"First\"\nPRETTY_NAME=\"Second\"\n", "Second"},
        OsReleaseCase{"PRETTY_NAME=\"Unterminated", "Unterminated"}, OsReleaseCase{"", ""}));

TEST(SystemLine, NameThenKernelNumbers) {
    EXPECT_EQ(formatSystemLine("Debian GNU/Linux 12 (bookworm)", {6, 1, 0}),
              "Debian GNU/Linux 12 (bookworm) 6.1 rev 0");
    EXPECT_EQ(formatSystemLine("Linux", {5, 15, 133}), "Linux 5.15 rev 133");
    const std::string line = systemLine();
    EXPECT_EQ(line, formatSystemLine(osPrettyName(), GetKernelVersion()));
    EXPECT_FALSE(osPrettyName().empty());
}

struct MemInfoCase {
    const char* name;
    const char* text;
    std::optional<MemoryStatus> expected;
};

class MemInfo : public ::testing::TestWithParam<MemInfoCase> {};

TEST_P(MemInfo, ReadsTotalAndAvailableBytes) {
    EXPECT_EQ(parseMemInfo(GetParam().text), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Files, MemInfo,
    ::testing::Values(
        MemInfoCase{"available",
                    "MemTotal:       16318940 kB\nMemFree:  1000 kB\nMemAvailable:   8000000 kB\n",
                    MemoryStatus{16318940ull * 1024, 8000000ull * 1024}},
        MemInfoCase{"oldKernel", "MemTotal: 2048 kB\nMemFree: 512 kB\n",
                    MemoryStatus{2048ull * 1024, 512ull * 1024}},
        MemInfoCase{"beyond32Bits", "MemTotal: 1073741824 kB\nMemAvailable: 536870912 kB\n",
                    MemoryStatus{1ull << 40, 1ull << 39}},
        MemInfoCase{"freeClampedToTotal", "MemTotal: 10 kB\nMemAvailable: 20 kB\n",
                    MemoryStatus{10 * 1024, 10 * 1024}},
        MemInfoCase{"noTotal", "MemFree: 10 kB\n", std::nullopt},
        MemInfoCase{"garbage", "MemTotal: lots\n\x01\x02:\n", std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Memory, LiveFiguresAreConsistent) {
    const MemoryStatus m = memoryStatus();
    EXPECT_GT(m.totalBytes, 16ull << 20);
    EXPECT_LE(m.freeBytes, m.totalBytes);
}

TEST(Process, IdIsOurs) {
    EXPECT_EQ(processId(), static_cast<std::int64_t>(::getpid()));
}

}  // namespace
}  // namespace vantorel::platform
