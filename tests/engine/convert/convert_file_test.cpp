#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <optional>

#include "engine/convert/smd.h"
#include "engine/support/file_size_limit.h"
#include "engine/support/temp_folder.h"

namespace vantorel::convert {
namespace {
namespace fs = std::filesystem;

constexpr std::size_t kMiB = 1024 * 1024;

Bytes patternImage(std::size_t length, std::uint32_t seed) {
    Bytes b(length);
    std::uint32_t x = seed + 99u;
    for (auto& v : b) {
        x = x * 1103515245u + 12345u;
        v = static_cast<std::uint8_t>(x >> 23);
    }
    return b;
}

using vantorel::test::TempFolder;

void writeFile(const fs::path& p, const Bytes& data) {
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
}

Bytes readFile(const fs::path& p) {
    auto r = readWholeFile(p);
    return r.ok() ? r.value() : Bytes{};
}

std::size_t entriesIn(const fs::path& folder) {
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

class RoundTrip : public ::testing::TestWithParam<std::size_t> {};

// BIN -> SMD -> BIN gives the image back, zero-padded to whole blocks.
TEST_P(RoundTrip, BinToSmdToBinKeepsEveryByte) {
    const std::size_t length = GetParam();
    TempFolder dir;
    const Bytes image = patternImage(length, static_cast<std::uint32_t>(length));
    writeFile(dir / "game.bin", image);
    auto toSmd = Bin2SMD(dir / "game.bin", dir / "game.smd");
    if (length == 0) {
        ASSERT_FALSE(toSmd.ok());
        EXPECT_EQ(kErrEmptySource, toSmd.error().number());
        EXPECT_FALSE(fs::exists(dir / "game.smd"));
        return;
    }
    ASSERT_TRUE(toSmd.ok()) << toSmd.error().description();
    const std::size_t blocks = (length + kSmdBlockSize - 1) / kSmdBlockSize;
    EXPECT_EQ(kSmdHeaderSize + blocks * kSmdBlockSize, fs::file_size(dir / "game.smd"));
    auto toBin = SMD2Bin(dir / "game.smd", dir / "back.bin");
    ASSERT_TRUE(toBin.ok()) << toBin.error().description();
    Bytes expected = image;
    expected.resize(blocks * kSmdBlockSize, 0);
    EXPECT_TRUE(readFile(dir / "back.bin") == expected);
}

INSTANTIATE_TEST_SUITE_P(AroundBlockBoundaries, RoundTrip,
                         ::testing::Values(0, 1, 8191, 8192, 8193, 16384, 16385, 4 * kMiB, 4 * kMiB + 1));

TEST(ConvertFile, ReportsEachBlockOnce) {
    TempFolder dir;
    writeFile(dir / "a.bin", patternImage(3 * kSmdBlockSize + 1, 5));
    std::vector<std::int64_t> values;
    std::int64_t max = 0;
    ASSERT_TRUE(Bin2SMD(dir / "a.bin", dir / "a.smd", [&](std::int64_t v, std::int64_t m) {
                    values.push_back(v);
                    max = m;
                    return true;
                }).ok());
    EXPECT_EQ((std::vector<std::int64_t>{1, 2, 3, 4}), values);
    EXPECT_EQ(4, max);
}

// Ways of naming the source itself as the destination: the file is never touched.
TEST(ConvertFile, DestinationThatIsTheSourceIsRefused) {
    TempFolder dir;
    const Bytes image = patternImage(2 * kSmdBlockSize, 9);
    writeFile(dir / "x.bin", image);
    fs::create_hard_link(dir / "x.bin", dir / "hard.bin");
    fs::create_symlink(dir / "x.bin", dir / "soft.bin");
    const fs::path same[] = {dir / "x.bin", dir.path() / "." / "x.bin", dir.path() / "sub" / ".." / "x.bin",
                             dir / "hard.bin", dir / "soft.bin"};
    for (const fs::path& dest : same) {
        auto r = Bin2SMD(dir / "x.bin", dest);
        ASSERT_FALSE(r.ok()) << dest;
        EXPECT_EQ(kErrSameFile, r.error().number());
        EXPECT_EQ(kBin2SmdSource, r.error().source());
        auto s = SMD2Bin(dir / "x.bin", dest);
        ASSERT_FALSE(s.ok()) << dest;
        EXPECT_EQ(kErrSameFile, s.error().number());
        EXPECT_EQ(kSmd2BinSource, s.error().source());
    }
    EXPECT_TRUE(readFile(dir / "x.bin") == image);
    EXPECT_TRUE(fs::is_symlink(dir / "soft.bin"));
}

TEST(ConvertFile, SameFileComparesNormalisedPathsWhenNothingExists) {
    TempFolder dir;
    EXPECT_TRUE(sameFile(dir / "none.bin", dir.path() / "." / "none.bin"));
    EXPECT_FALSE(sameFile(dir / "none.bin", dir / "none.smd"));
}

TEST(ConvertFile, DestinationInFolderThatDoesNotExistFailsAndCreatesNothing) {
    TempFolder dir;
    writeFile(dir / "a.bin", patternImage(100, 1));
    auto r = Bin2SMD(dir / "a.bin", dir / "missing" / "a.smd");
    ASSERT_FALSE(r.ok());
    // The file it happened to and the system's own reason, for a front end to put in words.
    EXPECT_TRUE(r.error().is(ErrorCategory::File, file_error::kCannotWrite));
    EXPECT_EQ(r.error().args(),
              (std::vector<std::string>{(dir / "missing" / "a.smd").string(), systemErrorText(ENOENT)}));
    EXPECT_NE(std::string::npos, r.error().description().find("destination"));
    EXPECT_FALSE(fs::exists(dir / "missing"));
    EXPECT_EQ(1u, entriesIn(dir.path()));
}

// /proc refuses new files even to root, unlike a folder without write permission.
TEST(ConvertFile, DestinationOnReadOnlyProcFilesystemFailsAndCreatesNothing) {
    TempFolder dir;
    writeFile(dir / "a.bin", patternImage(100, 1));
    const fs::path dest = "/proc/vantorel-convert-test.smd";
    auto r = Bin2SMD(dir / "a.bin", dest);
    ASSERT_FALSE(r.ok());
    EXPECT_NE(0, r.error().number());
    EXPECT_EQ(kBin2SmdSource, r.error().source());
    EXPECT_FALSE(fs::exists(dest));
}

TEST(ConvertFile, MissingSourceFailsWithTheSystemReason) {
    TempFolder dir;
    auto r = SMD2Bin(dir / "none.smd", dir / "none.bin");
    ASSERT_FALSE(r.ok());
    EXPECT_TRUE(r.error().is(ErrorCategory::File, file_error::kCannotRead));
    EXPECT_EQ(r.error().args(),
              (std::vector<std::string>{(dir / "none.smd").string(), systemErrorText(ENOENT)}));
    EXPECT_EQ("cannot read the source file: " + systemErrorText(ENOENT), r.error().description());
    EXPECT_FALSE(fs::exists(dir / "none.bin"));
}

TEST(ConvertFile, LongerExistingDestinationHoldsExactlyTheNewOutput) {
    TempFolder dir;
    const Bytes image = patternImage(kSmdBlockSize, 4);
    writeFile(dir / "a.bin", image);
    writeFile(dir / "a.smd", Bytes(10 * kSmdBlockSize, 0xCC));
    ASSERT_TRUE(Bin2SMD(dir / "a.bin", dir / "a.smd").ok());
    EXPECT_TRUE(readFile(dir / "a.smd") == binToSmd(image).value());

    writeFile(dir / "b.bin", Bytes(20 * kSmdBlockSize, 0xCC));
    ASSERT_TRUE(SMD2Bin(dir / "a.smd", dir / "b.bin").ok());
    EXPECT_TRUE(readFile(dir / "b.bin") == image);
    EXPECT_EQ(3u, entriesIn(dir.path()));
}

struct FailingCase {
    const char* name;
    bool smdToBin;
    Bytes source;
    bool failWrite;  // the write breaks off midway, as on a full disk
};

// Files this process writes stop growing past `bytes`, as on a full disk; writes past it
// fail with EFBIG instead of raising SIGXFSZ.
class FailedConversion : public ::testing::TestWithParam<FailingCase> {};

// Whatever breaks, a previous destination stays whole and no temporary file is left.
TEST_P(FailedConversion, LeavesThePreviousDestinationUntouched) {
    const FailingCase& c = GetParam();
    TempFolder dir;
    writeFile(dir / "src", c.source);
    const Bytes previous(3000, 0x77);
    writeFile(dir / "dst", previous);
    auto convert = [&] {
        std::optional<test::ScopedFileSizeLimit> full;
        if (c.failWrite) full.emplace(1000);
        return c.smdToBin ? SMD2Bin(dir / "src", dir / "dst") : Bin2SMD(dir / "src", dir / "dst");
    };
    auto r = convert();
    ASSERT_FALSE(r.ok());
    EXPECT_FALSE(r.error().description().empty());
    if (c.failWrite) {
        EXPECT_TRUE(r.error().is(ErrorCategory::File, file_error::kCannotWrite));
        EXPECT_EQ(r.error().args().at(1), systemErrorText(EFBIG));
    }
    EXPECT_TRUE(readFile(dir / "dst") == previous);
    EXPECT_EQ(2u, entriesIn(dir.path()));

    // Without a previous file, nothing appears.
    fs::remove(dir / "dst");
    EXPECT_FALSE(convert().ok());
    EXPECT_FALSE(fs::exists(dir / "dst"));
    EXPECT_EQ(1u, entriesIn(dir.path()));
}

Bytes smdStating(std::uint8_t count, std::size_t blocks) {
    Bytes smd(kSmdHeaderSize + blocks * kSmdBlockSize, 1);
    smd[0] = count;
    return smd;
}

INSTANTIATE_TEST_SUITE_P(Failures, FailedConversion,
                         ::testing::Values(FailingCase{"CountBeyondTheFile", true, smdStating(8, 4), false},
                                           FailingCase{"EmptySmd", true, Bytes{}, false},
                                           FailingCase{"EmptyBin", false, Bytes{}, false},
                                           FailingCase{"SmdWriteBreaksOff", true, smdStating(2, 2), true},
                                           FailingCase{"BinWriteBreaksOff", false, Bytes(5000, 3), true}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace vantorel::convert

namespace vantorel::convert {
namespace {

// A batch hands the same buffers to every file: a smaller file after a larger one must not
// carry any of the larger one's bytes (the padding above all).
TEST(ConvertFile, ReusedBuffersGiveTheSameFilesAsFreshOnes) {
    TempFolder dir;
    const std::size_t lengths[] = {5 * kSmdBlockSize, 100, 2 * kSmdBlockSize + 3, 1};
    ConvertBuffers buffers;
    for (std::size_t i = 0; i < std::size(lengths); ++i) {
        const std::string n = std::to_string(i);
        writeFile(dir / (n + ".bin"), patternImage(lengths[i], static_cast<std::uint32_t>(i)));
        ASSERT_TRUE(Bin2SMD(dir / (n + ".bin"), dir / (n + ".smd"), {}, &buffers).ok());
        ASSERT_TRUE(Bin2SMD(dir / (n + ".bin"), dir / (n + ".fresh.smd")).ok());
        EXPECT_TRUE(readFile(dir / (n + ".smd")) == readFile(dir / (n + ".fresh.smd"))) << lengths[i];
        ASSERT_TRUE(SMD2Bin(dir / (n + ".smd"), dir / (n + ".back"), {}, &buffers).ok());
        Bytes expected = patternImage(lengths[i], static_cast<std::uint32_t>(i));
        expected.resize(BinBlockCount(lengths[i]) * kSmdBlockSize, 0);
        EXPECT_TRUE(readFile(dir / (n + ".back")) == expected) << lengths[i];
    }
}

}  // namespace
}  // namespace vantorel::convert
