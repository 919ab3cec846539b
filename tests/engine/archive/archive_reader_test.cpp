#include "engine/archive/archive_reader.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "engine/support/archive_builder.h"
#include "engine/support/temp_folder.h"

namespace vantorel::archive {
namespace {

using test::pack;
using test::Packed;
using test::Packing;

Bytes pattern(std::size_t length, std::uint32_t seed) {
    Bytes b(length);
    std::uint32_t x = seed * 2654435761u + 1;
    for (auto& v : b) {
        x = x * 1103515245u + 12345u;
        v = static_cast<std::uint8_t>(x >> 23);
    }
    return b;
}

Source inMemory(const Bytes& bytes, const char* name = "pack") {
    return Source{name, bytes};
}

struct MagicCase {
    const char* name;
    Bytes start;
    Kind kind;
};

class Magic : public ::testing::TestWithParam<MagicCase> {};

TEST_P(Magic, NamesTheKindByTheFirstBytes) {
    EXPECT_EQ(GetParam().kind, kindOf(GetParam().start));
}

INSTANTIATE_TEST_SUITE_P(
    Table, Magic,
    ::testing::Values(MagicCase{"ZipLocalHeader", {'P', 'K', 3, 4, 20}, Kind::Zip},
                      MagicCase{"EmptyZip", {'P', 'K', 5, 6, 0}, Kind::Zip},
                      MagicCase{"SevenZip", {'7', 'z', 0xBC, 0xAF, 0x27, 0x1C, 0}, Kind::SevenZip},
                      MagicCase{"Gzip", {0x1F, 0x8B, 8, 0}, Kind::Gzip},
                      MagicCase{"GzipUnknownMethod", {0x1F, 0x8B, 7, 0}, Kind::None},
                      MagicCase{"ShortZipMagic", {'P', 'K', 3}, Kind::None},
                      MagicCase{"SmdHeader", {0x20, 3, 0, 0, 0, 0, 0, 0, 0xAA, 0xBB}, Kind::None},
                      MagicCase{"BinStart", {0x00, 0xFF, 0xFF, 0x00, 0, 0, 2, 0}, Kind::None},
                      MagicCase{"Nothing", {}, Kind::None}),
    [](const auto& info) { return std::string(info.param.name); });

// Every kind, one image: listed with its name, size and head; read back byte for byte.
class OneEntry : public ::testing::TestWithParam<Packing> {};

TEST_P(OneEntry, ListsAndReadsTheImage) {
    const Bytes image = pattern(300 * 1024 + 7, 1);
    const Bytes packed = pack(GetParam(), {{"Sonic (W).smd", image}});
    const Source source = inMemory(packed, "/roms/Sonic (W).smd.gz");
    auto entries = listEntries(source);
    ASSERT_TRUE(entries.ok()) << entries.error().description();
    ASSERT_EQ(1u, entries.value().size());
    const Entry& e = entries.value().front();
    EXPECT_EQ("Sonic (W).smd", e.name);  // a gzip file's entry is named after the file
    EXPECT_EQ(image.size(), e.size);
    EXPECT_FALSE(e.encrypted);
    EXPECT_EQ(Bytes(image.begin(), image.begin() + kHeadSize), e.head);
    auto data = readEntry(source, "Sonic (W).smd");
    ASSERT_TRUE(data.ok()) << data.error().description();
    EXPECT_TRUE(data.value() == image);
}

TEST_P(OneEntry, EntrySmallerThanTheHeadIsListedWhole) {
    const Bytes tiny = {1, 2, 3};
    const Bytes packed = pack(GetParam(), {{"t.bin", tiny}});
    auto entries = listEntries(inMemory(packed, "t.bin.gz"));
    ASSERT_TRUE(entries.ok()) << entries.error().description();
    ASSERT_EQ(1u, entries.value().size());
    EXPECT_EQ(3u, entries.value()[0].size);
    EXPECT_EQ(tiny, entries.value()[0].head);
}

// The limit holds whether the archive states the size (zip, 7z) or not (gzip).
TEST_P(OneEntry, EntryOverTheLimitIsRefusedAndOneAtItIsRead) {
    const Bytes atLimit = pattern(1000, 2);
    const Bytes packed = pack(GetParam(), {{"a.bin", atLimit}});
    auto ok = readEntry(inMemory(packed, "a.bin.gz"), "a.bin", 1000);
    ASSERT_TRUE(ok.ok()) << ok.error().description();
    EXPECT_EQ(atLimit, ok.value());
    auto refused = readEntry(inMemory(packed, "a.bin.gz"), "a.bin", 999);
    ASSERT_FALSE(refused.ok());
    EXPECT_TRUE(refused.error().is(ErrorCategory::Archive, archive_error::kEntryTooLarge))
        << refused.error().description();
    EXPECT_EQ("a.bin", refused.error().args().at(0));
}

// Cut anywhere, or with its compressed bytes spoilt, an archive is refused with libarchive's
// reason; it is never read as if whole.
TEST_P(OneEntry, DamagedArchiveIsRefusedWithTheLibrarysText) {
    const Bytes image = pattern(64 * 1024, 3);
    const Bytes packed = pack(GetParam(), {{"d.bin", image}});
    std::vector<Bytes> spoilt;
    for (const std::size_t keep : {packed.size() / 4, packed.size() / 2, packed.size() * 3 / 4})
        spoilt.emplace_back(packed.begin(), packed.begin() + static_cast<std::ptrdiff_t>(keep));
    Bytes flipped = packed;
    for (std::size_t i = 60; i < 120; ++i) flipped[i] ^= 0x5A;
    spoilt.push_back(flipped);
    for (std::size_t i = 0; i < spoilt.size(); ++i) {
        SCOPED_TRACE(i);
        const Source source = inMemory(spoilt[i], "/x/d.bin.gz");
        auto data = readEntry(source, "d.bin");
        ASSERT_FALSE(data.ok());
        const Error& e = data.error();
        EXPECT_TRUE(e.is(ErrorCategory::Archive, archive_error::kDamaged)) << e.description();
        ASSERT_EQ(2u, e.args().size());
        EXPECT_EQ("/x/d.bin.gz", e.args()[0]);
        EXPECT_FALSE(e.args()[1].empty());
        EXPECT_NE(std::string::npos, e.description().find(e.args()[1]));
    }
}

INSTANTIATE_TEST_SUITE_P(Kinds, OneEntry,
                         ::testing::Values(Packing::Zip, Packing::ZipStored, Packing::SevenZip,
                                           Packing::Gzip),
                         [](const auto& info) { return std::string(test::packingName(info.param)); });

class SeveralEntries : public ::testing::TestWithParam<Packing> {};

TEST_P(SeveralEntries, ListsFilesInOrderWithoutFoldersAndReadsEach) {
    const std::vector<Packed> files = {{"roms/", {}},
                                       {"roms/a.bin", pattern(20000, 4)},
                                       {"readme.txt", {'h', 'i'}},
                                       {"roms/b.smd", pattern(70000, 5)},
                                       // Names come out in UTF-8 whatever the process's locale.
                                       {"Pokémon (J).bin", pattern(100, 12)}};
    const Bytes packed = pack(GetParam(), files);
    const Source source = inMemory(packed, "/x/pack");
    auto entries = listEntries(source);
    ASSERT_TRUE(entries.ok()) << entries.error().description();
    std::vector<std::string> names;
    for (const Entry& e : entries.value()) names.push_back(e.name);
    EXPECT_EQ((std::vector<std::string>{"roms/a.bin", "readme.txt", "roms/b.smd", "Pokémon (J).bin"}), names);
    for (std::size_t i = 1; i < files.size(); ++i) {
        auto data = readEntry(source, files[i].name);
        ASSERT_TRUE(data.ok()) << files[i].name << ": " << data.error().description();
        EXPECT_TRUE(data.value() == files[i].data) << files[i].name;
    }
    auto missing = readEntry(source, "roms/c.bin");
    ASSERT_FALSE(missing.ok());
    EXPECT_TRUE(missing.error().is(ErrorCategory::Archive, archive_error::kNoSuchEntry));
    EXPECT_EQ((std::vector<std::string>{"roms/c.bin", "/x/pack"}), missing.error().args());
    // A folder is no entry to read.
    EXPECT_TRUE(readEntry(source, "roms/").error().is(ErrorCategory::Archive, archive_error::kNoSuchEntry));
}

INSTANTIATE_TEST_SUITE_P(Kinds, SeveralEntries,
                         ::testing::Values(Packing::Zip, Packing::ZipStored, Packing::SevenZip),
                         [](const auto& info) { return std::string(test::packingName(info.param)); });

class Encrypted : public ::testing::TestWithParam<Packing> {};

TEST_P(Encrypted, EntryIsListedAsEncryptedAndRefused) {
    const Bytes packed = pack(GetParam(), {{"locked.bin", pattern(5000, 6)}});
    const Source source = inMemory(packed);
    auto entries = listEntries(source);
    ASSERT_TRUE(entries.ok()) << entries.error().description();
    ASSERT_EQ(1u, entries.value().size());
    EXPECT_TRUE(entries.value()[0].encrypted);
    EXPECT_TRUE(entries.value()[0].head.empty());
    auto data = readEntry(source, "locked.bin");
    ASSERT_FALSE(data.ok());
    EXPECT_TRUE(data.error().is(ErrorCategory::Archive, archive_error::kEncrypted))
        << data.error().description();
    EXPECT_EQ(std::vector<std::string>{"locked.bin"}, data.error().args());
}

INSTANTIATE_TEST_SUITE_P(Methods, Encrypted, ::testing::Values(Packing::ZipCrypto, Packing::ZipAes),
                         [](const auto& info) { return std::string(test::packingName(info.param)); });

// Stores `size` in the zip's local and central headers of its first entry, as a hostile
// archive might, leaving the data as it is.
void restateZipSize(Bytes& zip, std::uint32_t size) {
    auto put = [&](std::size_t at) {
        for (int i = 0; i < 4; ++i)
            zip[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(size >> (8 * i));
    };
    ASSERT_EQ(0, std::memcmp(zip.data(), "PK\3\4", 4));
    put(22);
    for (std::size_t i = 0; i + 4 <= zip.size(); ++i)
        if (std::memcmp(zip.data() + i, "PK\1\2", 4) == 0) put(i + 24);
}

// A header that understates the size does not let more than the limit in: reading stops
// at the limit, before libarchive itself would notice the lie at the entry's end.
TEST(ArchiveLimit, UnderstatedSizeStillStopsAtTheLimit) {
    for (const Packing packing : {Packing::Zip, Packing::ZipStored}) {
        SCOPED_TRACE(test::packingName(packing));
        Bytes packed = pack(packing, {{"big.bin", pattern(300 * 1024, 7)}});
        restateZipSize(packed, 100);
        auto data = readEntry(inMemory(packed), "big.bin", 100 * 1024);
        ASSERT_FALSE(data.ok());
        EXPECT_TRUE(data.error().is(ErrorCategory::Archive, archive_error::kEntryTooLarge))
            << data.error().description();
    }
}

TEST(ArchiveLimit, DefaultLimitRefusesAnEntryJustOverSixtyFourMiB) {
    const Bytes huge(kMaxEntrySize + 1, 0);
    for (const Packing packing : {Packing::Zip, Packing::Gzip}) {
        SCOPED_TRACE(test::packingName(packing));
        const Bytes packed = pack(packing, {{"huge.bin", huge}});
        auto data = readEntry(inMemory(packed, "huge.bin.gz"), "huge.bin");
        ASSERT_FALSE(data.ok());
        EXPECT_TRUE(data.error().is(ErrorCategory::Archive, archive_error::kEntryTooLarge));
        EXPECT_EQ((std::vector<std::string>{"huge.bin", "64"}), data.error().args());
        // The gzip entry states no size: listing counts it, and stops just past the limit.
        auto entries = listEntries(inMemory(packed, "huge.bin.gz"));
        ASSERT_TRUE(entries.ok());
        EXPECT_GT(entries.value().at(0).size, kMaxEntrySize);
    }
}

TEST(ArchiveLimit, ListingTakesAtMostTheMaximumNumberOfEntries) {
    std::vector<Packed> files(kMaxEntries, Packed{"", {7}});
    for (std::size_t i = 0; i < files.size(); ++i) files[i].name = std::to_string(i);
    const Bytes full = pack(Packing::ZipStored, files);
    auto entries = listEntries(inMemory(full));
    ASSERT_TRUE(entries.ok()) << entries.error().description();
    EXPECT_EQ(kMaxEntries, entries.value().size());

    files.push_back({"one-more", {7}});
    auto refused = listEntries(inMemory(pack(Packing::ZipStored, files), "many.zip"));
    ASSERT_FALSE(refused.ok());
    EXPECT_TRUE(refused.error().is(ErrorCategory::Archive, archive_error::kTooManyEntries));
    EXPECT_EQ((std::vector<std::string>{"many.zip", std::to_string(kMaxEntries)}), refused.error().args());
}

TEST(ArchiveFile, ReadsFromDiskAndRefusesWhatIsNoArchive) {
    test::TempFolder dir;
    const Bytes image = pattern(40000, 8);
    const Bytes packed = pack(Packing::SevenZip, {{"g.md", image}});
    // The name says nothing; the content does.
    test::writeBytes(dir / "looks-plain.bin", std::string(packed.begin(), packed.end()));
    EXPECT_EQ(Kind::SevenZip, kindOfFile(dir / "looks-plain.bin"));
    auto data = readEntry(Source{dir / "looks-plain.bin", {}}, "g.md");
    ASSERT_TRUE(data.ok()) << data.error().description();
    EXPECT_TRUE(data.value() == image);

    test::writeBytes(dir / "plain.zip", "not an archive at all");
    EXPECT_EQ(Kind::None, kindOfFile(dir / "plain.zip"));
    auto plain = listEntries(Source{dir / "plain.zip", {}});
    ASSERT_FALSE(plain.ok());
    EXPECT_TRUE(plain.error().is(ErrorCategory::Archive, archive_error::kNotAnArchive));

    EXPECT_EQ(Kind::None, kindOfFile(dir.path()));
    EXPECT_TRUE(
        listEntries(Source{dir.path(), {}}).error().is(ErrorCategory::File, file_error::kNotRegularFile));
    auto missing = listEntries(Source{dir / "none.zip", {}});
    EXPECT_TRUE(missing.error().is(ErrorCategory::System, ENOENT));
}

// libarchive leaves the gzip trailer unchecked; the reader checks it.
TEST(GzipTrailer, WrongCrcOrLengthIsDamage) {
    const Bytes image = pattern(30000, 9);
    const Bytes packed = pack(Packing::Gzip, {{"g", image}});
    for (const std::size_t at : {packed.size() - 8, packed.size() - 4}) {
        SCOPED_TRACE(at);
        Bytes spoilt = packed;
        spoilt[at] ^= 1;
        auto data = readEntry(inMemory(spoilt), "pack");
        ASSERT_FALSE(data.ok());
        EXPECT_TRUE(data.error().is(ErrorCategory::Archive, archive_error::kDamaged))
            << data.error().description();
    }
    Bytes cut(packed.begin(), packed.end() - 3);
    EXPECT_TRUE(readEntry(inMemory(cut), "pack").error().is(ErrorCategory::Archive, archive_error::kDamaged));
}

TEST(GzipTrailer, ConcatenatedMembersReadAsOneImageAndPaddingIsIgnored) {
    const Bytes first = pattern(20000, 10);
    const Bytes second = pattern(5000, 11);
    Bytes packed = pack(Packing::Gzip, {{"g", first}});
    const Bytes more = pack(Packing::Gzip, {{"g", second}});
    packed.insert(packed.end(), more.begin(), more.end());
    Bytes whole = first;
    whole.insert(whole.end(), second.begin(), second.end());
    auto data = readEntry(inMemory(packed), "pack");
    ASSERT_TRUE(data.ok()) << data.error().description();
    EXPECT_TRUE(data.value() == whole);

    packed.resize(packed.size() + 512, 0);
    test::TempFolder dir;
    test::writeBytes(dir / "padded.gz", std::string(packed.begin(), packed.end()));
    auto fromFile = readEntry(Source{dir / "padded.gz", {}}, "padded");
    ASSERT_TRUE(fromFile.ok()) << fromFile.error().description();
    EXPECT_TRUE(fromFile.value() == whole);
}

TEST(GzipEntryName, IsTheFileNameWithoutGz) {
    EXPECT_EQ("Sonic.smd", gzipEntryName("/a/Sonic.smd.gz"));
    EXPECT_EQ("Sonic.bin", gzipEntryName("Sonic.bin.GZ"));
    EXPECT_EQ("game", gzipEntryName("/a/game.gz"));
    EXPECT_EQ("game.bin", gzipEntryName("/a/game.bin"));  // gzip by content, not by name
    EXPECT_EQ(".gz", gzipEntryName("/a/.gz"));
    EXPECT_EQ("data", gzipEntryName(""));
}

}  // namespace
}  // namespace vantorel::archive
