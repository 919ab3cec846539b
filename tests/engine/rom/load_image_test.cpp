#include "engine/rom/load_image.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "engine/support/archive_builder.h"
#include "engine/support/temp_folder.h"

namespace vantorel::rom {
namespace {

namespace fs = std::filesystem;
using archive::archive_error::kEncrypted;
using archive::archive_error::kNoImage;
using archive::archive_error::kNoSuchEntry;
using archive::archive_error::kNotAnArchive;
using archive::archive_error::kSeveralImages;
using test::pack;
using test::Packed;
using test::Packing;
using test::TempFolder;
using Names = std::vector<std::string>;

Bytes pattern(std::size_t length, std::uint32_t seed) {
    Bytes b(length);
    std::uint32_t x = seed * 40503u + 7;
    for (auto& v : b) {
        x = x * 1103515245u + 12345u;
        v = static_cast<std::uint8_t>(x >> 23);
    }
    return b;
}

// A plain image that says so by content only.
Bytes segaImage(std::size_t length, std::uint32_t seed) {
    Bytes b = pattern(length, seed);
    std::memcpy(b.data() + 0x100, "SEGA", 4);
    return b;
}

// An SMD file by content: copier marks and whole blocks.
Bytes smdFile(std::size_t blocks, std::uint32_t seed) {
    Bytes b = pattern(512 + blocks * 16384, seed);
    b[0] = static_cast<std::uint8_t>(blocks);
    b[1] = 3;
    b[8] = 0xAA;
    b[9] = 0xBB;
    return b;
}

void save(const fs::path& path, const Bytes& bytes) {
    test::writeBytes(path, std::string(bytes.begin(), bytes.end()));
}

fs::path savePacked(const TempFolder& dir, const char* name, Packing packing,
                    const std::vector<Packed>& files) {
    const fs::path path = dir / name;
    save(path, pack(packing, files));
    return path;
}

TEST(LoadImage, PlainFileIsReadAsItIs) {
    TempFolder dir;
    const Bytes image = segaImage(70000, 1);
    save(dir / "g.bin", image);
    auto loaded = loadImage(dir / "g.bin");
    ASSERT_TRUE(loaded.ok()) << loaded.error().description();
    EXPECT_TRUE(loaded.value().data == image);
    EXPECT_EQ(dir / "g.bin", loaded.value().path);
    EXPECT_FALSE(loaded.value().entry.has_value());
    auto names = imageEntries(dir / "g.bin");
    ASSERT_TRUE(names.ok());
    EXPECT_TRUE(names.value().empty());
}

TEST(LoadImage, PlainFileFailsAsTheFileReaderFails) {
    TempFolder dir;
    auto missing = loadImage(dir / "none.bin");
    ASSERT_FALSE(missing.ok());
    EXPECT_TRUE(missing.error().is(ErrorCategory::System, ENOENT));
    EXPECT_EQ(systemErrorText(ENOENT), missing.error().description());
    EXPECT_TRUE(loadImage(dir.path()).error().is(ErrorCategory::File, file_error::kNotRegularFile));
    EXPECT_TRUE(loadImage("").error().is(ErrorCategory::System, ENOENT));
}

TEST(LoadImage, EntryAskedOfAPlainFileIsRefused) {
    TempFolder dir;
    save(dir / "g.bin", segaImage(1000, 2));
    auto loaded = loadImage(dir / "g.bin", "g.bin");
    ASSERT_FALSE(loaded.ok());
    EXPECT_TRUE(loaded.error().is(ErrorCategory::Archive, kNotAnArchive));
    EXPECT_EQ(Names{(dir / "g.bin").string()}, loaded.error().args());
}

class OneImageAmongOthers : public ::testing::TestWithParam<Packing> {};

// Read-me files and manuals beside the image do not make the user choose.
TEST_P(OneImageAmongOthers, OpensTheImageDirectly) {
    TempFolder dir;
    const Bytes image = smdFile(3, 3);
    // Named like an image for what it is, but an archive by content.
    const fs::path path = savePacked(dir, "pack.bin", GetParam(),
                                     {{"readme.txt", {'h', 'i'}},
                                      {"docs/", {}},
                                      {"docs/manual.pdf", pattern(3000, 4)},
                                      {"roms/Sonic (W).SMD", image}});
    auto loaded = loadImage(path);
    ASSERT_TRUE(loaded.ok()) << loaded.error().description();
    EXPECT_TRUE(loaded.value().data == image);
    EXPECT_EQ(path, loaded.value().path);
    EXPECT_EQ("roms/Sonic (W).SMD", loaded.value().entry.value_or("(none)"));
    auto names = imageEntries(path);
    ASSERT_TRUE(names.ok());
    EXPECT_EQ(Names{"roms/Sonic (W).SMD"}, names.value());
}

INSTANTIATE_TEST_SUITE_P(Kinds, OneImageAmongOthers,
                         ::testing::Values(Packing::Zip, Packing::ZipStored, Packing::SevenZip),
                         [](const auto& info) { return std::string(test::packingName(info.param)); });

TEST(LoadImage, SeveralImagesAskForAChoiceThatThenOpensEach) {
    TempFolder dir;
    const std::vector<Packed> files = {{"a.bin", segaImage(20000, 5)},
                                       {"notes.txt", {'x'}},
                                       {"b.GEN", pattern(30000, 6)},
                                       {"c.md", pattern(100, 7)}};
    const fs::path path = savePacked(dir, "three.7z", Packing::SevenZip, files);
    auto loaded = loadImage(path);
    ASSERT_FALSE(loaded.ok());
    EXPECT_TRUE(loaded.error().is(ErrorCategory::Archive, kSeveralImages));
    EXPECT_EQ((Names{"a.bin", "b.GEN", "c.md"}), loaded.error().args());
    auto names = imageEntries(path);
    ASSERT_TRUE(names.ok());
    EXPECT_EQ((Names{"a.bin", "b.GEN", "c.md"}), names.value());
    for (const Packed& f : files) {
        auto chosen = loadImage(path, f.name);
        ASSERT_TRUE(chosen.ok()) << f.name << ": " << chosen.error().description();
        EXPECT_TRUE(chosen.value().data == f.data) << f.name;
        EXPECT_EQ(f.name, chosen.value().entry.value_or(""));
    }
    auto absent = loadImage(path, "d.bin");
    ASSERT_FALSE(absent.ok());
    EXPECT_TRUE(absent.error().is(ErrorCategory::Archive, kNoSuchEntry));
    EXPECT_EQ("d.bin", absent.error().args().at(0));
}

// Any name at all: an image is also known by what it holds.
TEST(LoadImage, ContentMakesAnEntryAnImage) {
    TempFolder dir;
    const Bytes sega = segaImage(40000, 8);
    const fs::path one =
        savePacked(dir, "one.zip", Packing::Zip, {{"ROM", sega}, {"notes.txt", pattern(600, 9)}});
    auto loaded = loadImage(one);
    ASSERT_TRUE(loaded.ok()) << loaded.error().description();
    EXPECT_EQ("ROM", loaded.value().entry.value_or(""));

    const fs::path two = savePacked(dir, "two.zip", Packing::Zip,
                                    {{"game.dat", smdFile(2, 10)}, {"ROM", sega}, {"x.txt", {}}});
    auto both = imageEntries(two);
    ASSERT_TRUE(both.ok());
    EXPECT_EQ((Names{"game.dat", "ROM"}), both.value());
}

TEST(LoadImage, ArchiveWithoutAnImageSaysWhatItHolds) {
    TempFolder dir;
    const fs::path path =
        savePacked(dir, "docs.zip", Packing::Zip, {{"readme.txt", {'r'}}, {"manual.pdf", pattern(900, 11)}});
    auto loaded = loadImage(path);
    ASSERT_FALSE(loaded.ok());
    EXPECT_TRUE(loaded.error().is(ErrorCategory::Archive, kNoImage));
    EXPECT_EQ((Names{"readme.txt", "manual.pdf"}), loaded.error().args());
    EXPECT_TRUE(imageEntries(path).error().is(ErrorCategory::Archive, kNoImage));
    // Named outright, any entry opens.
    auto chosen = loadImage(path, "readme.txt");
    ASSERT_TRUE(chosen.ok());
    EXPECT_EQ(Bytes{'r'}, chosen.value().data);

    const fs::path empty = savePacked(dir, "empty.zip", Packing::Zip, {});
    auto none = loadImage(empty);
    ASSERT_FALSE(none.ok()) << "an empty zip opened";
    EXPECT_TRUE(none.error().is(ErrorCategory::Archive, kNoImage)) << none.error().description();
    EXPECT_TRUE(none.error().args().empty());
}

// A gzip file is one compressed file: it opens under the archive's name without ".gz",
// whatever that entry holds.
TEST(LoadImage, GzipOpensItsOneEntry) {
    TempFolder dir;
    const Bytes image = smdFile(4, 12);
    const fs::path path = savePacked(dir, "Sonic (W).smd.gz", Packing::Gzip, {{"", image}});
    auto loaded = loadImage(path);
    ASSERT_TRUE(loaded.ok()) << loaded.error().description();
    EXPECT_TRUE(loaded.value().data == image);
    EXPECT_EQ("Sonic (W).smd", loaded.value().entry.value_or(""));
    EXPECT_TRUE(loadImage(path, "Sonic (W).smd").ok());
    EXPECT_TRUE(loadImage(path, "other.smd").error().is(ErrorCategory::Archive, kNoSuchEntry));

    const fs::path plain = savePacked(dir, "dump.gz", Packing::Gzip, {{"", pattern(5000, 13)}});
    auto dump = loadImage(plain);
    ASSERT_TRUE(dump.ok()) << dump.error().description();
    EXPECT_EQ("dump", dump.value().entry.value_or(""));
}

TEST(LoadImage, EncryptedImageAndDamagedArchiveAreRefused) {
    TempFolder dir;
    const fs::path locked =
        savePacked(dir, "locked.zip", Packing::ZipCrypto, {{"g.bin", segaImage(3000, 14)}});
    auto loaded = loadImage(locked);
    ASSERT_FALSE(loaded.ok());
    EXPECT_TRUE(loaded.error().is(ErrorCategory::Archive, kEncrypted));

    Bytes packed = pack(Packing::SevenZip, {{"g.bin", segaImage(30000, 15)}});
    packed.resize(packed.size() / 2);
    save(dir / "cut.7z", packed);
    auto cut = loadImage(dir / "cut.7z");
    ASSERT_FALSE(cut.ok());
    EXPECT_TRUE(cut.error().is(ErrorCategory::Archive, archive::archive_error::kDamaged));
    EXPECT_TRUE(
        imageEntries(dir / "cut.7z").error().is(ErrorCategory::Archive, archive::archive_error::kDamaged));
}

TEST(LoadImage, ANameStoredTwiceIsOfferedOnceAndOpensTheFirst) {
    TempFolder dir;
    const Bytes first = segaImage(2000, 16);
    const fs::path path =
        savePacked(dir, "dup.zip", Packing::Zip, {{"g.bin", first}, {"g.bin", pattern(10, 17)}});
    auto names = imageEntries(path);
    ASSERT_TRUE(names.ok());
    EXPECT_EQ(Names{"g.bin"}, names.value());
    auto loaded = loadImage(path);
    ASSERT_TRUE(loaded.ok()) << loaded.error().description();
    EXPECT_TRUE(loaded.value().data == first);
}

// Archives as the usual tools make them. Each case is skipped where its tool is missing.
struct ToolCase {
    const char* name;
    const char* tool;
    const char* command;  // run in the folder holding "Game (E).smd"
    const char* archive;
    const char* entry;
};

class MadeByTool : public ::testing::TestWithParam<ToolCase> {};

TEST_P(MadeByTool, OpensTheImage) {
    const ToolCase& c = GetParam();
    if (std::system((std::string("command -v ") + c.tool + " >/dev/null 2>&1").c_str()) != 0)
        GTEST_SKIP() << c.tool << " is not installed";
    TempFolder dir;
    const Bytes image = smdFile(5, 18);
    save(dir / "Game (E).smd", image);
    const std::string command = "cd '" + dir.path().string() + "' && " + c.command + " >/dev/null 2>&1";
    ASSERT_EQ(0, std::system(command.c_str())) << command;
    auto loaded = loadImage(dir / c.archive);
    ASSERT_TRUE(loaded.ok()) << loaded.error().description();
    EXPECT_TRUE(loaded.value().data == image);
    EXPECT_EQ(c.entry, loaded.value().entry.value_or(""));
}

INSTANTIATE_TEST_SUITE_P(
    Table, MadeByTool,
    ::testing::Values(ToolCase{"Zip", "zip", "zip -q -9 g.zip 'Game (E).smd'", "g.zip", "Game (E).smd"},
                      ToolCase{"SevenZip", "7z", "7z a g.7z 'Game (E).smd'", "g.7z", "Game (E).smd"},
                      ToolCase{"Gzip", "gzip", "gzip -k -9 'Game (E).smd'", "Game (E).smd.gz",
                               "Game (E).smd"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(EncryptedBySevenZip, EntryIsRefusedAsEncrypted) {
    if (std::system("command -v 7z >/dev/null 2>&1") != 0) GTEST_SKIP() << "7z is not installed";
    TempFolder dir;
    save(dir / "g.bin", segaImage(5000, 19));
    const std::string command =
        "cd '" + dir.path().string() + "' && 7z a -psecret g.7z g.bin >/dev/null 2>&1";
    ASSERT_EQ(0, std::system(command.c_str()));
    auto loaded = loadImage(dir / "g.7z");
    ASSERT_FALSE(loaded.ok());
    EXPECT_TRUE(loaded.error().is(ErrorCategory::Archive, kEncrypted)) << loaded.error().description();
}

TEST(ImageNames, ExtensionsInAnyCase) {
    for (const char* yes : {"a.bin", "A.BIN", "x.md", "x.Gen", "dir/x.smd", "x.y.SMD"})
        EXPECT_TRUE(hasImageExtension(yes)) << yes;
    for (const char* no : {"a.txt", "bin", "a.bin.txt", "a.smdx", "a.", "", "a.zip"})
        EXPECT_FALSE(hasImageExtension(no)) << no;
}

}  // namespace
}  // namespace vantorel::rom
