#include "engine/rom/identity.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "engine/convert/smd.h"
#include "engine/support/archive_builder.h"
#include "engine/support/temp_folder.h"

namespace vantorel::rom {
namespace {

// 128 KiB, byte i = i * 7 + 3, with "SEGA", ROM 0-0x1FFFF and stored checksum 1234. Its
// digests and header sum were computed apart from this code (Python's zlib and hashlib).
Bytes knownImage() {
    Bytes b(128 * 1024);
    for (std::size_t i = 0; i < b.size(); ++i) b[i] = static_cast<std::uint8_t>(i * 7 + 3);
    std::memcpy(b.data() + 0x100, "SEGA", 4);
    const std::uint8_t range[8] = {0, 0, 0, 0, 0x00, 0x01, 0xFF, 0xFF};
    std::memcpy(b.data() + 0x1A0, range, sizeof range);
    b[0x18E] = 0x12;
    b[0x18F] = 0x34;
    return b;
}
constexpr const char* kCrc = "2dd5ed38";
constexpr const char* kMd5 = "885b27b318b244037e41354855a2110e";
constexpr const char* kSha1 = "e91707a9502c10c41bc2998a078041d3e67d47b5";

void expectKnownImage(const Identity& id) {
    EXPECT_EQ(128u * 1024, id.size);
    EXPECT_EQ(kCrc, crc32Hex(id.digests.crc32));
    EXPECT_EQ(kMd5, toHex(id.digests.md5));
    EXPECT_EQ(kSha1, toHex(id.digests.sha1));
    EXPECT_TRUE(id.segaSignature);
    EXPECT_EQ(0x1234, id.checksumStored);
    EXPECT_EQ(0x8100, id.checksumComputed);
    EXPECT_EQ(0u, id.romStart);
    EXPECT_EQ(0x1FFFFu, id.romEnd);
    EXPECT_TRUE(id.romEndMatches);
}

TEST(Identity, PlainImageFromAFile) {
    const LoadedImage image{knownImage(), "/roms/known.bin", std::nullopt};
    auto id = identify(image);
    ASSERT_TRUE(id.ok()) << id.error().description();
    EXPECT_EQ(Layout::Bin, id.value().layout);
    EXPECT_EQ("/roms/known.bin", id.value().path);
    EXPECT_FALSE(id.value().entry.has_value());
    expectKnownImage(id.value());
}

// Checksum lists know the plain image: an SMD file reports the same as its BIN.
TEST(Identity, SmdFileReportsItsPlainImage) {
    auto smd = convert::binToSmd(knownImage());
    ASSERT_TRUE(smd.ok());
    auto id = identify(LoadedImage{smd.value(), "/roms/known.smd", std::nullopt});
    ASSERT_TRUE(id.ok()) << id.error().description();
    EXPECT_EQ(Layout::Smd, id.value().layout);
    expectKnownImage(id.value());
}

TEST(Identity, ImageInsideAnArchiveNamesTheArchiveAndTheEntry) {
    test::TempFolder dir;
    auto smd = convert::binToSmd(knownImage());
    ASSERT_TRUE(smd.ok());
    const Bytes packed = test::pack(test::Packing::SevenZip, {{"Known (W).smd", smd.value()}});
    test::writeBytes(dir / "known.7z", std::string(packed.begin(), packed.end()));
    auto loaded = loadImage(dir / "known.7z");
    ASSERT_TRUE(loaded.ok()) << loaded.error().description();
    auto id = identify(loaded.value());
    ASSERT_TRUE(id.ok()) << id.error().description();
    EXPECT_EQ(dir / "known.7z", id.value().path);
    EXPECT_EQ("Known (W).smd", id.value().entry.value_or(""));
    EXPECT_EQ(Layout::Smd, id.value().layout);
    expectKnownImage(id.value());
}

// Copier marks and a fitting size, but a header stating more blocks than are there: the
// converter's refusal, not hashes of something else.
TEST(Identity, SmdStatingMissingBlocksFailsAsTheConverterDoes) {
    Bytes smd(512 + 2 * convert::kSmdBlockSize, 0);
    const auto header = convert::SmdHeader(3);
    std::memcpy(smd.data(), header.data(), header.size());
    auto id = identify(LoadedImage{smd, "x.smd", std::nullopt});
    ASSERT_FALSE(id.ok());
    EXPECT_TRUE(id.error().is(ErrorCategory::Format, convert::kErrTruncatedSource));
}

TEST(Identity, ShortFileReportsZerosRatherThanReadingPastItsEnd) {
    const Bytes tiny = {1, 2, 3};
    auto id = identify(LoadedImage{tiny, "t.bin", std::nullopt});
    ASSERT_TRUE(id.ok());
    EXPECT_EQ(3u, id.value().size);
    EXPECT_EQ(Layout::Bin, id.value().layout);
    EXPECT_FALSE(id.value().segaSignature);
    EXPECT_EQ(0, id.value().checksumStored);
    EXPECT_EQ(0u, id.value().romEnd);
    EXPECT_FALSE(id.value().romEndMatches);
    EXPECT_EQ("55bc801d", crc32Hex(id.value().digests.crc32));
}

TEST(Identity, FieldsFollowTheKeysWithTheirTypesAndSpelling) {
    auto id = identify(LoadedImage{knownImage(), "/roms/known.bin", std::nullopt});
    ASSERT_TRUE(id.ok());
    const auto fields = identityFields(id.value());
    ASSERT_EQ(kIdentityKeys.size(), fields.size());
    for (std::size_t i = 0; i < fields.size(); ++i) {
        SCOPED_TRACE(fields[i].name);
        EXPECT_EQ(kIdentityKeys[i].name, fields[i].name);
        const FieldValue& v = fields[i].value;
        switch (kIdentityKeys[i].type) {
            case FieldType::String:
                EXPECT_TRUE(std::holds_alternative<std::string>(v));
                break;
            case FieldType::NullableString:
                EXPECT_TRUE(std::holds_alternative<std::string>(v) ||
                            std::holds_alternative<std::monostate>(v));
                break;
            case FieldType::Integer:
                EXPECT_TRUE(std::holds_alternative<std::uint64_t>(v));
                break;
            case FieldType::Boolean:
                EXPECT_TRUE(std::holds_alternative<bool>(v));
                break;
        }
    }
    auto value = [&](std::string_view key) {
        for (const IdentityField& f : fields)
            if (f.name == key) return f.value;
        return FieldValue{};
    };
    EXPECT_EQ(FieldValue{std::string("/roms/known.bin")}, value("path"));
    EXPECT_EQ(FieldValue{}, value("entry"));  // null outside archives
    EXPECT_EQ(FieldValue{std::uint64_t{131072}}, value("size"));
    EXPECT_EQ(FieldValue{std::string("bin")}, value("layout"));
    EXPECT_EQ(FieldValue{std::string(kCrc)}, value("crc32"));
    EXPECT_EQ(FieldValue{std::string(kMd5)}, value("md5"));
    EXPECT_EQ(FieldValue{std::string(kSha1)}, value("sha1"));
    EXPECT_EQ(FieldValue{std::string("1234")}, value("checksum_stored"));
    EXPECT_EQ(FieldValue{std::string("8100")}, value("checksum_computed"));
    EXPECT_EQ(FieldValue{std::uint64_t{0}}, value("rom_start"));
    EXPECT_EQ(FieldValue{std::uint64_t{0x1FFFF}}, value("rom_end"));
    EXPECT_EQ(FieldValue{true}, value("rom_end_matches"));

    Identity inArchive = id.value();
    inArchive.entry = "Known.bin";
    EXPECT_EQ(FieldValue{std::string("Known.bin")}, identityFields(inArchive)[1].value);
}

TEST(Identity, ChecksumIsFourUpperCaseDigits) {
    EXPECT_EQ("0000", checksumHex(0));
    EXPECT_EQ("000F", checksumHex(0x000F));
    EXPECT_EQ("ABCD", checksumHex(0xABCD));
    EXPECT_EQ("FFFF", checksumHex(0xFFFF));
}

}  // namespace
}  // namespace vantorel::rom
