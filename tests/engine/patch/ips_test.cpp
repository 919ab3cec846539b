#include "engine/patch/ips.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/support/file_size_limit.h"
#include "engine/support/temp_folder.h"
#include "ips_builder.h"

namespace vantorel::patch {
namespace {

using test::counting;
using test::filled;
using test::IpsBuilder;
namespace fs = std::filesystem;

// A fresh folder for file-level cases, removed afterwards.
class Scratch : public test::TempFolder {
public:
    fs::path put(const char* name, const Bytes& bytes) const {
        const fs::path p = path() / name;
        EXPECT_TRUE(writeFileAtomically(p, bytes).ok());
        return p;
    }
};

Bytes readBack(const fs::path& p) {
    return readWholeFile(p).value();
}

PatchJob jobOf(fs::path rom, fs::path ips, fs::path output, std::optional<fs::path> chunk = {}) {
    PatchJob job;
    job.rom = std::move(rom);
    job.ips = std::move(ips);
    job.output = std::move(output);
    job.extraChunk = std::move(chunk);
    return job;
}

TEST(IpsPatch, ReferenceCheck) {
    const Bytes patch = IpsBuilder().data(2, {0xAB, 0xCD}).run(16, 3, 0xFF).eof();
    Bytes image(32, 0);
    ASSERT_TRUE(DoPatch(image, patch).ok());
    Bytes expected(32, 0);
    expected[2] = 0xAB;
    expected[3] = 0xCD;
    expected[16] = expected[17] = expected[18] = 0xFF;
    EXPECT_EQ(image, expected);
}

struct ApplyCase {
    const char* name;
    Bytes image;
    Bytes patch;
    Bytes expected;
};

// `base` with `bytes` written at `at`, grown with zeros as needed.
Bytes with(Bytes base, std::size_t at, const Bytes& bytes) {
    if (base.size() < at + bytes.size()) base.resize(at + bytes.size(), 0);
    std::copy(bytes.begin(), bytes.end(), base.begin() + static_cast<std::ptrdiff_t>(at));
    return base;
}
Bytes resized(Bytes b, std::size_t n) {
    b.resize(n, 0);
    return b;
}

std::vector<ApplyCase> applyCases() {
    const Bytes img32 = counting(32, 0x40);
    return {
        {"EmptyPatchLeavesImage", img32, IpsBuilder().eof(), img32},
        {"RunLength40000IsUnsigned", img32, IpsBuilder().run(8, 40000, 0x5A).eof(),
         with(img32, 8, filled(40000, 0x5A))},
        {"OffsetAndSizeAreUnsigned", img32, IpsBuilder().data(0x008000, counting(0x8000, 3)).eof(),
         with(img32, 0x8000, counting(0x8000, 3))},
        {"HighestOffsetAndSize", Bytes(4, 1), IpsBuilder().data(0xFFFFFF, counting(0xFFFF)).eof(),
         with(Bytes(4, 1), 0xFFFFFF, counting(0xFFFF))},
        {"OffsetThatReadsEOFIsARecord", img32,
         IpsBuilder().data(1, {9}).data(0x454F46, {0x77, 0x78}).data(3, {8}).eof(),
         with(with(with(img32, 1, {9}), 3, {8}), 0x454F46, {0x77, 0x78})},
        {"GrowsToExactlyTheWriteEnd", img32, IpsBuilder().data(30, counting(16, 0xA0)).eof(),
         with(img32, 30, counting(16, 0xA0))},
        {"FarOffsetGrowsOnceWithZeroGap", img32, IpsBuilder().data(100, {1, 2, 3, 4}).eof(),
         with(img32, 100, {1, 2, 3, 4})},
        {"RunPastTheEndGrows", img32, IpsBuilder().run(40, 10, 0xEE).eof(),
         with(img32, 40, filled(10, 0xEE))},
        {"EmptyRunWritesNothing", img32, IpsBuilder().run(200, 0, 0xEE).eof(), img32},
        {"LaterRecordOverwritesEarlier", img32, IpsBuilder().data(4, {1, 1, 1}).run(5, 1, 7).eof(),
         with(img32, 4, {1, 7, 1})},
        {"TruncationCuts", img32, IpsBuilder().data(2, {0xAA}).eofTruncate(16),
         resized(with(img32, 2, {0xAA}), 16)},
        {"TruncationZeroExtends", img32, IpsBuilder().data(2, {0xAA}).eofTruncate(0x100),
         resized(with(img32, 2, {0xAA}), 0x100)},
        {"TruncationAfterGrowth", img32, IpsBuilder().data(100, {1, 2, 3, 4}).eofTruncate(102),
         with(img32, 100, {1, 2})},
        {"TruncationWithoutRecords", img32, IpsBuilder().eofTruncate(8), resized(img32, 8)},
        {"TruncationToZero", img32, IpsBuilder().eofTruncate(0), Bytes{}},
    };
}

class IpsApply : public ::testing::TestWithParam<ApplyCase> {};

TEST_P(IpsApply, GivesTheAuthorsImage) {
    const ApplyCase& c = GetParam();
    Bytes image = c.image;
    auto done = DoPatch(image, c.patch);
    ASSERT_TRUE(done.ok()) << done.error().description();
    EXPECT_EQ(image.size(), c.expected.size());
    EXPECT_TRUE(image == c.expected);

    auto study = StudyIps(c.patch);
    ASSERT_TRUE(study.ok());
    EXPECT_EQ(study.value().patchedSize(c.image.size()), c.expected.size());
}

INSTANTIATE_TEST_SUITE_P(Cases, IpsApply, ::testing::ValuesIn(applyCases()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(IpsPatch, GrowthMatchesOtherTools) {
    // 16 bytes at 30 of a 32-byte image: 46 bytes, not 48.
    Bytes a(32, 0);
    ASSERT_TRUE(DoPatch(a, IpsBuilder().data(30, filled(16, 0xCC)).eof()).ok());
    EXPECT_EQ(a.size(), 46u);
    EXPECT_EQ(a[45], 0xCC);
    // 4 bytes at 100: 104 bytes, with 32..99 zero.
    Bytes b(32, 0x11);
    ASSERT_TRUE(DoPatch(b, IpsBuilder().data(100, {1, 2, 3, 4}).eof()).ok());
    ASSERT_EQ(b.size(), 104u);
    EXPECT_EQ(Bytes(b.begin() + 32, b.begin() + 100), Bytes(68, 0));
    EXPECT_EQ(b[31], 0x11);
}

TEST(IpsPatch, ExtraChunkLandsAfterGrowthAndTruncation) {
    const Bytes chunk = counting(1000, 7);
    struct Row {
        Bytes patch;
        std::size_t patchedLength;
    };
    const Row rows[] = {
        {IpsBuilder().data(100, {1, 2, 3, 4}).eof(), 104},
        {IpsBuilder().data(100, {1, 2, 3, 4}).eofTruncate(50), 50},
        {IpsBuilder().eofTruncate(80), 80},
        {IpsBuilder().eof(), 32},
    };
    for (const Row& row : rows) {
        Bytes image(32, 0x33);
        ASSERT_TRUE(DoPatch(image, row.patch).ok());
        AppendExtraChunk(image, chunk);
        ASSERT_EQ(image.size(), row.patchedLength + chunk.size());
        EXPECT_TRUE(std::equal(chunk.begin(), chunk.end(), image.end() - 1000));
    }
}

TEST(IpsPatch, StudyDescribesWithoutApplying) {
    const Bytes patch = IpsBuilder().data(2, {1, 2}).run(300, 20, 9).data(10, {3}).eofTruncate(200);
    auto study = StudyIps(patch);
    ASSERT_TRUE(study.ok());
    EXPECT_EQ(study.value().recordCount, 3u);
    EXPECT_EQ(study.value().writeEnd, 320u);
    EXPECT_EQ(study.value().recordsEnd, patch.size() - 6);
    ASSERT_TRUE(study.value().truncateTo.has_value());
    EXPECT_EQ(*study.value().truncateTo, 200u);
    EXPECT_EQ(study.value().patchedSize(32), 200u);

    auto plain = StudyIps(IpsBuilder().data(2, {1}).eof());
    ASSERT_TRUE(plain.ok());
    EXPECT_FALSE(plain.value().truncateTo.has_value());
    EXPECT_EQ(plain.value().patchedSize(32), 32u);
    EXPECT_EQ(plain.value().patchedSize(2), 3u);
}

TEST(IpsPatch, ReadsRecordsUnsignedAndAdvances) {
    const Bytes patch = IpsBuilder().data(0x008000, filled(0x8000, 1)).run(0xFFFFFF, 0xFFFF, 0xFE).eof();
    const std::size_t end = RecordsEnd(patch);
    std::size_t position = 5;
    auto first = ReadIpsRecord(patch, position, end);
    ASSERT_TRUE(first.ok());
    EXPECT_EQ(first.value().offset, 0x8000u);
    EXPECT_EQ(first.value().size, 0x8000u);
    EXPECT_EQ(position, 5u + 5 + 0x8000);
    auto second = ReadIpsRecord(patch, position, end);
    ASSERT_TRUE(second.ok());
    EXPECT_EQ(second.value().offset, 0xFFFFFFu);
    EXPECT_EQ(second.value().size, 0u);
    EXPECT_EQ(second.value().runLength, 0xFFFFu);
    ASSERT_EQ(second.value().data.size(), 1u);
    EXPECT_EQ(second.value().data[0], 0xFE);
    EXPECT_EQ(position, end);

    auto past = ReadIpsRecord(patch, position, end);
    ASSERT_FALSE(past.ok());
    EXPECT_EQ(past.error().number(), kDamagedIpsError);
    EXPECT_EQ(position, end);
}

TEST(IpsPatch, ValidityNeedsBothEnds) {
    EXPECT_TRUE(IsValidIps(IpsBuilder().eof()));
    EXPECT_TRUE(IsValidIps(IpsBuilder().eofTruncate(0x123456)));
    EXPECT_FALSE(IsValidIps(IpsBuilder().unterminated()));
    EXPECT_FALSE(IsValidIps(Bytes{'P', 'A', 'T', 'C', 'H', 'E', 'O'}));
    EXPECT_FALSE(IsValidIps(Bytes{'p', 'a', 't', 'c', 'h', 'E', 'O', 'F'}));
    EXPECT_FALSE(IsValidIps(Bytes{'P', 'A', 'T', 'C', 'H', 'e', 'o', 'f'}));
    EXPECT_FALSE(IsValidIps(Bytes{}));
}

TEST(IpsPatch, ProgressOncePerRecord) {
    const Bytes patch = IpsBuilder().data(0, {1}).run(4, 2, 3).data(9, {1, 2}).eof();
    std::vector<std::int64_t> seen;
    Bytes image(16, 0);
    ASSERT_TRUE(DoPatch(image, patch, kDefaultInvalidIpsText, [&](std::int64_t done, std::int64_t total) {
                    EXPECT_EQ(total, static_cast<std::int64_t>(patch.size()));
                    seen.push_back(done);
                    return true;
                }).ok());
    EXPECT_EQ(seen, (std::vector<std::int64_t>{5 + 6 + 1, 5 + 6 + 8 + 1, 5 + 6 + 8 + 7 + 1}));
}

struct BadCase {
    const char* name;
    Bytes patch;
    int number;
};

std::vector<BadCase> badCases() {
    return {
        {"Empty", Bytes{}, kInvalidIpsError},
        {"HeaderOnly", IpsBuilder().unterminated(), kInvalidIpsError},
        {"SevenBytes", IpsBuilder().text("EO").unterminated(), kInvalidIpsError},
        {"WrongStart", Bytes{'P', 'A', 'T', 'C', 'X', 'E', 'O', 'F'}, kInvalidIpsError},
        {"NoEof", IpsBuilder().data(2, {1, 2}).unterminated(), kInvalidIpsError},
        {"LowerCaseEof", IpsBuilder().data(2, {1, 2}).text("eof").unterminated(), kInvalidIpsError},
        {"TruncationTooShort", IpsBuilder().text("EOF").text("\x01\x02").unterminated(), kInvalidIpsError},
        {"RecordHeaderCut", IpsBuilder().raw({0, 0, 1}).eof(), kDamagedIpsError},
        {"DataRunsPastTheEnd", IpsBuilder().raw({0, 0, 1, 0, 10, 1, 2, 3}).eof(), kDamagedIpsError},
        {"DataRunsIntoEof", IpsBuilder().raw({0, 0, 1, 0, 2, 1}).eof(), kDamagedIpsError},
        {"RunRecordCut", IpsBuilder().raw({0, 0, 1, 0, 0, 0, 4}).eof(), kDamagedIpsError},
        {"SecondRecordCut", IpsBuilder().data(0, {1}).raw({0, 0}).eof(), kDamagedIpsError},
        {"EofTwiceReadsPlain", IpsBuilder().text("EOF").eof(), kDamagedIpsError},
        {"TruncatedPatchDamaged", IpsBuilder().raw({0, 0, 1, 0, 4, 1}).eofTruncate(64), kDamagedIpsError},
        {"HugeSizeSmallPatch", IpsBuilder().raw({0, 0, 0, 0xFF, 0xFF}).eof(), kDamagedIpsError},
    };
}

class IpsMalformed : public ::testing::TestWithParam<BadCase> {};

TEST_P(IpsMalformed, FailsCleanlyAndWritesNothing) {
    const BadCase& c = GetParam();
    Bytes image = counting(32);
    const Bytes before = image;
    int calls = 0;
    auto done = DoPatch(image, c.patch, "Not an IPS patch here.", [&](auto, auto) {
        ++calls;
        return true;
    });
    ASSERT_FALSE(done.ok());
    EXPECT_EQ(done.error().number(), c.number);
    EXPECT_EQ(done.error().source(), "modPatcher.DoPatch");
    if (c.number == kInvalidIpsError)
        EXPECT_EQ(done.error().description(), "Not an IPS patch here.");
    else
        EXPECT_NE(done.error().description().find("damaged"), std::string::npos)
            << done.error().description();
    EXPECT_EQ(image, before);
    EXPECT_EQ(calls, 0);

    // From files: neither a new destination nor the source written over is touched.
    Scratch dir;
    const fs::path rom = dir.put("game.bin", before);
    PatchJob job = jobOf(rom, dir.put("bad.ips", c.patch.empty() ? Bytes{'X'} : c.patch), dir / "out.bin");
    EXPECT_FALSE(PatchFiles(job).ok());
    EXPECT_FALSE(fs::exists(dir / "out.bin"));
    job.output = rom;
    EXPECT_FALSE(PatchFiles(job).ok());
    EXPECT_EQ(readBack(rom), before);
    EXPECT_EQ(dir.entries(), (std::vector<std::string>{"bad.ips", "game.bin"}));
}

INSTANTIATE_TEST_SUITE_P(Cases, IpsMalformed, ::testing::ValuesIn(badCases()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(IpsFiles, PatchesWithAndWithoutChunk) {
    Scratch dir;
    const fs::path rom = dir.put("game.bin", Bytes(32, 0));
    const fs::path ips = dir.put("fix.ips", IpsBuilder().data(2, {0xAB, 0xCD}).data(100, {1, 2, 3, 4}).eof());
    const Bytes chunk = counting(1000);
    const fs::path extra = dir.put("extra.dat", chunk);

    auto plain = PatchFiles(jobOf(rom, ips, dir / "plain.bin"));
    ASSERT_TRUE(plain.ok()) << plain.error().description();
    EXPECT_EQ(plain.value(), 104u);
    const Bytes patched = readBack(dir / "plain.bin");
    ASSERT_EQ(patched.size(), 104u);
    EXPECT_EQ(patched[2], 0xAB);
    EXPECT_EQ(patched[103], 4);

    auto chunked = PatchFiles(jobOf(rom, ips, dir / "chunk.bin", extra));
    ASSERT_TRUE(chunked.ok());
    const Bytes withChunk = readBack(dir / "chunk.bin");
    ASSERT_EQ(withChunk.size(), 1104u);
    EXPECT_EQ(Bytes(withChunk.begin(), withChunk.begin() + 104), patched);
    EXPECT_EQ(Bytes(withChunk.begin() + 104, withChunk.end()), chunk);
    EXPECT_EQ(readBack(rom), Bytes(32, 0));
}

TEST(IpsFiles, DestinationMayBeTheSource) {
    Scratch dir;
    const fs::path rom = dir.put("game.bin", Bytes(64, 0x10));
    const fs::path ips = dir.put("fix.ips", IpsBuilder().data(1, {0x99}).eofTruncate(16));
    ASSERT_TRUE(PatchFiles(jobOf(rom, ips, rom)).ok());
    Bytes expected(16, 0x10);
    expected[1] = 0x99;
    EXPECT_EQ(readBack(rom), expected);
    EXPECT_EQ(dir.entries(), (std::vector<std::string>{"fix.ips", "game.bin"}));
}

TEST(IpsFiles, FailedWriteLeavesNoHalfFile) {
    Scratch dir;
    const fs::path rom = dir.put("game.bin", Bytes(4096, 1));
    const fs::path ips = dir.put("fix.ips", IpsBuilder().run(0, 4096, 2).eof());
    const Bytes previous(100, 7);
    const fs::path out = dir.put("out.bin", previous);

    {
        test::ScopedFileSizeLimit full(1000);
        auto fresh = PatchFiles(jobOf(rom, ips, dir / "new.bin"));
        ASSERT_FALSE(fresh.ok());
        EXPECT_NE(fresh.error().description().find("new.bin"), std::string::npos);
        EXPECT_FALSE(PatchFiles(jobOf(rom, ips, out)).ok());
        EXPECT_FALSE(PatchFiles(jobOf(rom, ips, rom)).ok());
    }
    EXPECT_FALSE(fs::exists(dir / "new.bin"));
    EXPECT_EQ(readBack(out), previous);
    EXPECT_EQ(readBack(rom), Bytes(4096, 1));
    EXPECT_EQ(dir.entries(), (std::vector<std::string>{"fix.ips", "game.bin", "out.bin"}));
}

TEST(IpsFiles, UnreadableOrEmptyInputsNameTheFile) {
    Scratch dir;
    const fs::path rom = dir.put("game.bin", Bytes(32, 0));
    const fs::path ips = dir.put("fix.ips", IpsBuilder().eof());
    const fs::path empty = dir.put("empty.bin", Bytes{});
    struct Row {
        PatchJob job;
        ErrorCategory category;
        int number;
        const char* named;
    };
    const Row rows[] = {
        {jobOf(dir / "missing.bin", ips, dir / "o.bin"), ErrorCategory::File, file_error::kCannotRead,
         "missing.bin"},
        {jobOf(rom, dir / "missing.ips", dir / "o.bin"), ErrorCategory::File, file_error::kCannotRead,
         "missing.ips"},
        {jobOf(rom, ips, dir / "o.bin", dir / "missing.dat"), ErrorCategory::File, file_error::kCannotRead,
         "missing.dat"},
        {jobOf(empty, ips, dir / "o.bin"), ErrorCategory::Patch, kEmptyFileError, "empty.bin"},
        {jobOf(rom, empty, dir / "o.bin"), ErrorCategory::Patch, kEmptyFileError, "empty.bin"},
        {jobOf(rom, ips, dir / "o.bin", empty), ErrorCategory::Patch, kEmptyFileError, "empty.bin"},
        {jobOf(rom, ips, dir / "no-such-folder" / "o.bin"), ErrorCategory::File, file_error::kCannotWrite,
         "o.bin"},
    };
    for (const Row& row : rows) {
        auto r = PatchFiles(row.job);
        ASSERT_FALSE(r.ok());
        EXPECT_TRUE(r.error().is(row.category, row.number)) << r.error().description();
        EXPECT_NE(r.error().description().find(row.named), std::string::npos) << r.error().description();
        EXPECT_FALSE(fs::exists(dir / "o.bin"));
    }
}

}  // namespace
}  // namespace vantorel::patch
