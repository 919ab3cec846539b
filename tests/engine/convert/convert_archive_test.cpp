#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "engine/convert/naming.h"
#include "engine/convert/smd.h"
#include "engine/rom/load_image.h"
#include "engine/support/archive_builder.h"
#include "engine/support/temp_folder.h"

namespace vantorel::convert {
namespace {
namespace fs = std::filesystem;
using test::pack;
using test::Packing;
using test::TempFolder;

Bytes patternImage(std::size_t length, std::uint32_t seed) {
    Bytes b(length);
    std::uint32_t x = seed + 77u;
    for (auto& v : b) {
        x = x * 1103515245u + 12345u;
        v = static_cast<std::uint8_t>(x >> 23);
    }
    return b;
}

void save(const fs::path& path, const Bytes& bytes) {
    test::writeBytes(path, std::string(bytes.begin(), bytes.end()));
}

Bytes load(const fs::path& path) {
    auto r = readWholeFile(path);
    return r.ok() ? r.value() : Bytes{};
}

// The way a front end converts an archived image: the entry names the output.
TEST(ConvertArchive, SmdInsideAZipConvertsBesideTheArchive) {
    TempFolder dir;
    const Bytes bin = patternImage(3 * kSmdBlockSize, 1);
    const Bytes smd = binToSmd(bin).value();
    save(dir / "pack.zip", pack(Packing::Zip, {{"readme.txt", {'r'}}, {"roms/Sonic (W).smd", smd}}));
    auto names = rom::imageEntries(dir / "pack.zip");
    ASSERT_TRUE(names.ok());
    ASSERT_EQ(1u, names.value().size());
    const std::string destination =
        destinationForArchiveEntry((dir / "pack.zip").string(), names.value().front(), ".bin");
    EXPECT_EQ(dir / "Sonic (W).bin", fs::path(destination));
    auto r = SMD2Bin(dir / "pack.zip", destination);
    ASSERT_TRUE(r.ok()) << r.error().description();
    EXPECT_TRUE(load(destination) == bin);
}

TEST(ConvertArchive, BinInsideAGzipConvertsToSmd) {
    TempFolder dir;
    const Bytes bin = patternImage(kSmdBlockSize + 100, 2);
    save(dir / "Game.bin.gz", pack(Packing::Gzip, {{"", bin}}));
    auto r = Bin2SMD(dir / "Game.bin.gz", dir / "Game.smd");
    ASSERT_TRUE(r.ok()) << r.error().description();
    EXPECT_TRUE(load(dir / "Game.smd") == binToSmd(bin).value());
}

TEST(ConvertArchive, SeveralImagesFailWithTheirNamesAndWriteNothing) {
    TempFolder dir;
    save(dir / "two.7z",
         pack(Packing::SevenZip, {{"a.smd", binToSmd(patternImage(kSmdBlockSize, 3)).value()},
                                  {"b.smd", binToSmd(patternImage(2 * kSmdBlockSize, 4)).value()}}));
    auto r = SMD2Bin(dir / "two.7z", dir / "out.bin");
    ASSERT_FALSE(r.ok());
    EXPECT_TRUE(r.error().is(ErrorCategory::Archive, archive::archive_error::kSeveralImages));
    EXPECT_EQ((std::vector<std::string>{"a.smd", "b.smd"}), r.error().args());
    EXPECT_EQ(kSmd2BinSource, r.error().source());
    EXPECT_EQ(0u, r.error().description().rfind("cannot read the source file: ", 0));
    EXPECT_FALSE(fs::exists(dir / "out.bin"));

    // Named, either image converts; a name the archive lacks fails and writes nothing.
    ASSERT_TRUE(SMD2Bin(dir / "two.7z", dir / "b.bin", {}, nullptr, std::string("b.smd")).ok());
    EXPECT_TRUE(load(dir / "b.bin") == patternImage(2 * kSmdBlockSize, 4));
    auto missing = SMD2Bin(dir / "two.7z", dir / "c.bin", {}, nullptr, std::string("c.smd"));
    ASSERT_FALSE(missing.ok());
    EXPECT_TRUE(missing.error().is(ErrorCategory::Archive, archive::archive_error::kNoSuchEntry));
    EXPECT_FALSE(fs::exists(dir / "c.bin"));
}

// An archive named like the output it would give is still the source: never overwritten.
TEST(ConvertArchive, OutputNamedAsTheArchiveIsRefused) {
    TempFolder dir;
    const Bytes packed = pack(Packing::Zip, {{"game.smd", binToSmd(patternImage(kSmdBlockSize, 5)).value()}});
    save(dir / "game.bin", packed);
    const std::string destination =
        destinationForArchiveEntry((dir / "game.bin").string(), "game.smd", ".bin");
    ASSERT_EQ(dir / "game.bin", fs::path(destination));
    auto r = SMD2Bin(dir / "game.bin", destination);
    ASSERT_FALSE(r.ok());
    EXPECT_EQ(kErrSameFile, r.error().number());
    EXPECT_TRUE(load(dir / "game.bin") == packed);
}

// A batch's buffers serve plain files around an archive without mixing their bytes.
TEST(ConvertArchive, BatchBuffersStayRightAcrossPlainAndArchivedSources) {
    TempFolder dir;
    const Bytes big = patternImage(4 * kSmdBlockSize, 6);
    const Bytes small = patternImage(kSmdBlockSize / 2, 7);
    save(dir / "big.bin", big);
    save(dir / "small.bin", small);
    save(dir / "mid.zip", pack(Packing::ZipStored, {{"mid.bin", patternImage(2 * kSmdBlockSize, 8)}}));
    ConvertBuffers buffers;
    ASSERT_TRUE(Bin2SMD(dir / "big.bin", dir / "big.smd", {}, &buffers).ok());
    ASSERT_TRUE(Bin2SMD(dir / "mid.zip", dir / "mid.smd", {}, &buffers).ok());
    ASSERT_TRUE(Bin2SMD(dir / "small.bin", dir / "small.smd", {}, &buffers).ok());
    EXPECT_TRUE(load(dir / "big.smd") == binToSmd(big).value());
    EXPECT_TRUE(load(dir / "mid.smd") == binToSmd(patternImage(2 * kSmdBlockSize, 8)).value());
    EXPECT_TRUE(load(dir / "small.smd") == binToSmd(small).value());
}

}  // namespace
}  // namespace vantorel::convert
