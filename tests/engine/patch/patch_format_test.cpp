#include "engine/patch/patch_format.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <string>
#include <vector>

#include "beat_builder.h"
#include "engine/patch/patch_common.h"
#include "engine/support/temp_folder.h"
#include "ips_builder.h"

namespace vantorel::patch {
namespace {

using test::bytesOf;
using test::counting;
using test::crcOf;
namespace fs = std::filesystem;

struct DetectCase {
    const char* name;
    Bytes bytes;
    std::optional<PatchFormat> format;
};

class PatchDetect : public ::testing::TestWithParam<DetectCase> {};

TEST_P(PatchDetect, ByTheFirstBytes) {
    EXPECT_EQ(detectPatchFormat(GetParam().bytes), GetParam().format);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PatchDetect,
    ::testing::Values(DetectCase{"Ips", bytesOf("PATCHEOF"), PatchFormat::Ips},
                      DetectCase{"IpsWithoutEnd", bytesOf("PATCH\x01\x02"), PatchFormat::Ips},
                      DetectCase{"Bps", bytesOf("BPS1\x80\x80\x80"), PatchFormat::Bps},
                      DetectCase{"BpsMagicOnly", bytesOf("BPS1"), PatchFormat::Bps},
                      DetectCase{"Ups", bytesOf("UPS1\x80\x80"), PatchFormat::Ups},
                      DetectCase{"Empty", {}, std::nullopt},
                      DetectCase{"CutMagic", bytesOf("PATC"), std::nullopt},
                      DetectCase{"LowerCase", bytesOf("bps1...."), std::nullopt},
                      DetectCase{"OtherVersion", bytesOf("UPS2...."), std::nullopt},
                      DetectCase{"MagicNotAtStart", bytesOf(" BPS1..."), std::nullopt},
                      DetectCase{"Xdelta", Bytes{0xD6, 0xC3, 0xC4, 0x00, 0x00}, std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PatchStudy, EachFormatTellsWhatItHas) {
    const Bytes source = counting(64), target = bytesOf("0123456789");
    auto ips = studyPatch(test::IpsBuilder().data(2, {1, 2}).run(100, 8, 0).eofTruncate(90));
    ASSERT_TRUE(ips.ok());
    EXPECT_EQ(ips.value().format, PatchFormat::Ips);
    EXPECT_EQ(ips.value().recordCount, 2u);
    EXPECT_EQ(ips.value().ipsWriteEnd, 108u);
    EXPECT_EQ(ips.value().ipsTruncateTo, 90u);
    EXPECT_FALSE(ips.value().sourceCrc32 || ips.value().targetSize || ips.value().metadataSize);

    const Bytes bpsBytes = test::BpsBuilder(source, target, "<x/>").targetRead(target).build();
    auto bps = studyPatch(bpsBytes);
    ASSERT_TRUE(bps.ok());
    EXPECT_EQ(bps.value().format, PatchFormat::Bps);
    EXPECT_EQ(bps.value().patchSize, bpsBytes.size());
    EXPECT_EQ(bps.value().sourceSize, 64u);
    EXPECT_EQ(bps.value().targetSize, 10u);
    EXPECT_EQ(bps.value().sourceCrc32, crcOf(source));
    EXPECT_EQ(bps.value().targetCrc32, crcOf(target));
    EXPECT_EQ(bps.value().patchCrc32, crcOf(Bytes(bpsBytes.begin(), bpsBytes.end() - 4)));
    EXPECT_EQ(bps.value().recordCount, 1u);
    EXPECT_EQ(bps.value().metadataSize, 4u);
    EXPECT_EQ(bps.value().metadata, "<x/>");
    EXPECT_FALSE(bps.value().ipsTruncateTo);

    auto ups = studyPatch(test::upsBetween(source, target));
    ASSERT_TRUE(ups.ok());
    EXPECT_EQ(ups.value().format, PatchFormat::Ups);
    EXPECT_EQ(ups.value().sourceSize, 64u);
    EXPECT_EQ(ups.value().targetCrc32, crcOf(target));
    EXPECT_FALSE(ups.value().metadataSize);
}

TEST(PatchStudy, RefusalsKeepTheirFormatsNumbers) {
    auto unknown = studyPatch(bytesOf("hello world"));
    ASSERT_FALSE(unknown.ok());
    EXPECT_TRUE(unknown.error().is(ErrorCategory::Patch, kUnknownPatchError));
    auto ips = studyPatch(bytesOf("PATCH\x00\x00\x01"), "Not an IPS file.");
    ASSERT_FALSE(ips.ok());
    EXPECT_EQ(ips.error().number(), kInvalidIpsError);
    EXPECT_EQ(ips.error().description(), "Not an IPS file.");
    Bytes bps = test::BpsBuilder({}, bytesOf("x")).targetRead(bytesOf("x")).build();
    bps[7] ^= 1;
    auto damaged = studyPatch(bps);
    ASSERT_FALSE(damaged.ok());
    EXPECT_EQ(damaged.error().number(), kPatchChecksumError);
}

TEST(PatchStudy, OneLineSummaries) {
    PatchInfo bps;
    bps.format = PatchFormat::Bps;
    bps.sourceSize = 4u << 20;
    bps.targetSize = (4u << 20) + 64 * 1024;
    bps.sourceCrc32 = 0x1234ABCD;
    bps.targetCrc32 = 0x0000BEEF;
    bps.metadataSize = 0;
    EXPECT_EQ(describePatch(bps),
              "BPS patch, 4 MiB -> 4.06 MiB, source CRC32 1234ABCD, target CRC32 0000BEEF");
    PatchInfo ups = bps;
    ups.format = PatchFormat::Ups;
    ups.metadataSize.reset();
    EXPECT_EQ(describePatch(ups),
              "UPS patch, 4 MiB <-> 4.06 MiB, source CRC32 1234ABCD, target CRC32 0000BEEF");
    PatchInfo ips;
    ips.recordCount = 1;
    ips.ipsWriteEnd = 1536;
    ips.ipsTruncateTo = 512;
    EXPECT_EQ(describePatch(ips), "IPS patch, 1 record, writes up to 1.5 KiB, sets the size to 512 bytes");
    for (auto [bytes, text] :
         std::vector<std::pair<std::uint64_t, std::string>>{{0, "0 bytes"},
                                                            {1, "1 byte"},
                                                            {1023, "1023 bytes"},
                                                            {1024, "1 KiB"},
                                                            {1 << 20, "1 MiB"},
                                                            {(1 << 20) - 1, "1024 KiB"},
                                                            {10u * (1 << 20) + 1, "10 MiB"}})
        EXPECT_EQ(sizeText(bytes), text) << bytes;
}

// One image and the same patched, as each format says it.
struct Example {
    const char* name;
    Bytes patch;
    PatchFormat format;
};

const Bytes kImage = counting(4096, 3);
const Bytes kPatched = [] {
    Bytes b = kImage;
    b[10] = 0xEE;
    b[2000] = 0xDD;
    return b;
}();

std::vector<Example> examples() {
    return {
        {"Ips", test::IpsBuilder().data(10, {0xEE}).data(2000, {0xDD}).eof(), PatchFormat::Ips},
        {"Bps",
         test::BpsBuilder(kImage, kPatched)
             .sourceRead(10)
             .targetRead({0xEE})
             .sourceRead(1989)
             .targetRead({0xDD})
             .sourceRead(2095)
             .build(),
         PatchFormat::Bps},
        {"Ups", test::upsBetween(kImage, kPatched), PatchFormat::Ups},
    };
}

class PatchAnyFormat : public ::testing::TestWithParam<Example> {};

TEST_P(PatchAnyFormat, AppliesByContent) {
    auto a = applyPatch(kImage, GetParam().patch);
    ASSERT_TRUE(a.ok()) << a.error().description();
    EXPECT_EQ(a.value().image, kPatched);
    EXPECT_EQ(a.value().format, GetParam().format);
    EXPECT_EQ(a.value().resultCrc32, crcOf(kPatched));
    EXPECT_FALSE(a.value().warning);
}

// A fresh folder holding the image and the patch.
class Scratch : public test::TempFolder {
public:
    fs::path put(const char* name, const Bytes& bytes) const {
        const fs::path p = path() / name;
        EXPECT_TRUE(writeFileAtomically(p, bytes).ok());
        return p;
    }
};

ApplyFilesJob jobOf(fs::path rom, fs::path patch, fs::path output, std::optional<fs::path> chunk = {}) {
    ApplyFilesJob job;
    job.rom = std::move(rom);
    job.patch = std::move(patch);
    job.output = std::move(output);
    job.extraChunk = std::move(chunk);
    return job;
}

TEST_P(PatchAnyFormat, FromFilesWithExtraChunk) {
    Scratch dir;
    const fs::path rom = dir.put("game.bin", kImage);
    const fs::path patch = dir.put("fix.patch", GetParam().patch);
    const Bytes chunk = bytesOf("extra data");
    auto done = applyPatchFiles(jobOf(rom, patch, dir / "out.bin", dir.put("extra.dat", chunk)));
    ASSERT_TRUE(done.ok()) << done.error().description();
    Bytes expected = kPatched;
    expected.insert(expected.end(), chunk.begin(), chunk.end());
    EXPECT_EQ(readWholeFile(dir / "out.bin").value(), expected);
    EXPECT_EQ(done.value().size, expected.size());
    EXPECT_EQ(done.value().format, GetParam().format);
    EXPECT_EQ(done.value().resultCrc32, crcOf(kPatched));
    EXPECT_EQ(readWholeFile(rom).value(), kImage);
}

TEST_P(PatchAnyFormat, FailuresAndStopsLeaveNoOutput) {
    Bytes otherImage = kImage;
    otherImage[3000] ^= 1;
    const Bytes truncated(GetParam().patch.begin(), GetParam().patch.end() - 5);
    Bytes flipped = GetParam().patch;
    flipped[flipped.size() / 2] ^= 0x40;
    struct Row {
        const char* name;
        Bytes image;
        Bytes patch;
        bool stop;
    };
    std::vector<Row> rows = {{"Truncated", kImage, truncated, false},
                             {"Stopped", kImage, GetParam().patch, true}};
    // IPS has no checksums: another image or a changed byte patch without complaint.
    if (GetParam().format != PatchFormat::Ips) {
        rows.push_back({"WrongImage", otherImage, GetParam().patch, false});
        rows.push_back({"Damaged", kImage, flipped, false});
    }
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Scratch dir;
        const fs::path rom = dir.put("game.bin", row.image);
        const fs::path previous = dir.put("old.bin", bytesOf("previous"));
        ApplyFilesJob job =
            jobOf(rom, dir.put("fix.patch", row.patch), dir / "new.bin", dir.put("x.dat", {1}));
        if (row.stop) job.options.progress = [](auto, auto) { return false; };
        auto fresh = applyPatchFiles(job);
        ASSERT_FALSE(fresh.ok());
        if (row.stop) {
            EXPECT_EQ(fresh.error().category(), ErrorCategory::Stopped);
        }
        EXPECT_FALSE(fs::exists(dir / "new.bin"));
        job.output = previous;
        EXPECT_FALSE(applyPatchFiles(job).ok());
        EXPECT_EQ(readWholeFile(previous).value(), bytesOf("previous"));
        job.output = rom;
        EXPECT_FALSE(applyPatchFiles(job).ok());
        EXPECT_EQ(readWholeFile(rom).value(), row.image);
        EXPECT_EQ(dir.entries(), (std::vector<std::string>{"fix.patch", "game.bin", "old.bin", "x.dat"}));
    }
}

INSTANTIATE_TEST_SUITE_P(Formats, PatchAnyFormat, ::testing::ValuesIn(examples()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(PatchAnyFormat, UnknownBytesAreNoPatch) {
    auto a = applyPatch(kImage, bytesOf("just some text, long enough"));
    ASSERT_FALSE(a.ok());
    EXPECT_TRUE(a.error().is(ErrorCategory::Patch, kUnknownPatchError));
}

TEST(PatchAnyFormat, IpsProgressComesEvery64KiBOfPatch) {
    test::IpsBuilder b;
    for (std::uint32_t i = 0; i < 50000; ++i) b.data(i * 4, {1, 2, 3});
    const Bytes patch = b.eof();
    std::vector<std::int64_t> seen;
    ApplyOptions options;
    options.progress = [&](std::int64_t done, std::int64_t total) {
        EXPECT_EQ(total, static_cast<std::int64_t>(patch.size()));
        seen.push_back(done);
        return true;
    };
    ASSERT_TRUE(applyPatch(Bytes(16, 0), patch, options).ok());
    EXPECT_LE(seen.size(), patch.size() / (64 * 1024) + 2);
    EXPECT_GE(seen.size(), patch.size() / (64 * 1024));
    // The bar ends where the last record ends, just before the closing "EOF".
    EXPECT_EQ(seen.back(), static_cast<std::int64_t>(patch.size()) - 2);
}

TEST(PatchAnyFormat, FileFailuresNameTheFile) {
    Scratch dir;
    const fs::path rom = dir.put("game.bin", kImage);
    const fs::path patch = dir.put("fix.ups", test::upsBetween(kImage, kPatched));
    const fs::path empty = dir.put("empty.ups", {});
    struct Row {
        ApplyFilesJob job;
        ErrorCategory category;
        int number;
        const char* named;
    };
    const Row rows[] = {
        {jobOf(dir / "missing.bin", patch, dir / "o.bin"), ErrorCategory::File, file_error::kCannotRead,
         "missing.bin"},
        {jobOf(rom, dir / "missing.bps", dir / "o.bin"), ErrorCategory::File, file_error::kCannotRead,
         "missing.bps"},
        {jobOf(rom, empty, dir / "o.bin"), ErrorCategory::Patch, kEmptyFileError, "empty.ups"},
        {jobOf(rom, patch, dir / "o.bin", dir / "missing.dat"), ErrorCategory::File, file_error::kCannotRead,
         "missing.dat"},
        {jobOf(rom, patch, dir / "no-such-folder" / "o.bin"), ErrorCategory::File, file_error::kCannotWrite,
         "o.bin"},
    };
    for (const Row& row : rows) {
        auto r = applyPatchFiles(row.job);
        ASSERT_FALSE(r.ok());
        EXPECT_TRUE(r.error().is(row.category, row.number)) << r.error().description();
        EXPECT_NE(r.error().description().find(row.named), std::string::npos) << r.error().description();
        EXPECT_FALSE(fs::exists(dir / "o.bin"));
    }
}

}  // namespace
}  // namespace vantorel::patch
