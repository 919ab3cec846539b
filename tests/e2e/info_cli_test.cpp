// vantorel-cli info's two outputs, and header --set romend, run as a user runs them.
#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "archive_fixture.h"

using namespace cli_test;
namespace fs = std::filesystem;
using nlohmann::json;

namespace {

const std::vector<std::string> kInfoKeys = {"path",      "entry",           "size",
                                            "layout",    "crc32",           "md5",
                                            "sha1",      "checksum_stored", "checksum_computed",
                                            "rom_start", "rom_end",         "rom_end_matches"};

std::vector<std::string> keysOf(const nlohmann::ordered_json& object) {
    std::vector<std::string> keys;
    for (const auto& [key, value] : object.items()) keys.push_back(key);
    return keys;
}

// Scripts read these keys and nothing else, with these types; one file gives an object,
// several an array of the ones that could be read, while the others fail on stderr.
TEST_F(ArchiveCli, InfoJsonHasExactlyTheKeys) {
    writeBytes(dir_ / "one.bin", romImage(kBlock, 10, "ONE"));
    Bytes two = romImage(kBlock, 11, "TWO");
    two.resize(kBlock + 6);
    writeBytes(dir_ / "two.bin", two);
    writeBytes(dir_ / "broken.zip", Bytes{'P', 'K', 3, 4, 20, 0, 0, 0, 8, 0, 1, 2, 3});

    CliRun r = run({"info", "one.bin", "--json"});
    ASSERT_EQ(r.code, 0) << r.err;
    const json one = json::parse(r.out, nullptr, false);
    ASSERT_TRUE(one.is_object()) << r.out;
    EXPECT_EQ(keysOf(nlohmann::ordered_json::parse(r.out)), kInfoKeys) << "in this order";
    EXPECT_TRUE(one["entry"].is_null());
    for (const char* key : {"path", "layout", "crc32", "md5", "sha1", "checksum_stored", "checksum_computed"})
        EXPECT_TRUE(one[key].is_string()) << key;
    for (const char* key : {"size", "rom_start", "rom_end"})
        EXPECT_TRUE(one[key].is_number_unsigned()) << key;
    EXPECT_TRUE(one["rom_end_matches"].is_boolean());
    EXPECT_EQ(one["md5"].get<std::string>().size(), 32u);
    EXPECT_EQ(one["sha1"].get<std::string>().size(), 40u);

    r = run({"info", "--json", "one.bin", "missing.bin", "broken.zip", "two.bin"});
    EXPECT_EQ(r.code, 1);
    const json all = json::parse(r.out, nullptr, false);
    ASSERT_TRUE(all.is_array()) << r.out;
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(all[0], one);
    EXPECT_EQ(all[1].value("path", "?"), "two.bin");
    EXPECT_EQ(all[1].value("rom_end_matches", true), false) << "two.bin is 6 bytes past its stated end";
    EXPECT_NE(r.err.find("missing.bin: No such file or directory"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("broken.zip: "), std::string::npos) << r.err;

    r = run({"info", "--json", "missing.bin", "missing.bin"});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.out, "[]\n") << "several FILEs give an array, even an empty one";
}

// Text: one "key: value" line per field, the addresses in hex, a blank line between files,
// an entry line only for an image inside an archive.
TEST_F(ArchiveCli, InfoTextIsOneLinePerField) {
    skipWithout("gzip");
    Bytes game = romImage(kBlock, 12, "TEXT");
    game[0x18E] = 0x12;
    game[0x18F] = 0x34;
    game[0x1A3] = 0x10;  // ROM start 0x10
    writeBytes(dir_ / "game.bin", game);
    ASSERT_EQ(shell("gzip -c game.bin > game.bin.gz"), 0);

    const std::string fields = "size: 16384\nlayout: bin\ncrc32: " + hex8(crc32(game)) +
                               "\nmd5: " + digestByTool("md5sum", "game.bin") +
                               "\nsha1: " + digestByTool("sha1sum", "game.bin") +
                               "\nchecksum_stored: 1234\nchecksum_computed: " + checksumOf(game) +
                               "\nrom_start: 0x00000010\nrom_end: 0x00003FFF\nrom_end_matches: yes\n";
    const CliRun r = run({"info", "game.bin", "game.bin.gz"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "path: game.bin\n" + fields + "\npath: game.bin.gz\nentry: game.bin\n" + fields);
}

struct RomEndCase {
    const char* name;
    std::string value;     // after "romend="
    std::uint32_t stored;  // at 0x1A4 afterwards
};
void PrintTo(const RomEndCase& c, std::ostream* os) {
    *os << c.name;
}

class RomEnd : public ArchiveCli, public ::testing::WithParamInterface<RomEndCase> {};

// The ROM end is written big-endian at 0x1A4; no other byte changes.
TEST_P(RomEnd, IsWrittenAt0x1A4) {
    const Bytes before = romImage(kBlock + 0x1234, 13, "ROM END");
    writeBytes(dir_ / "game.bin", before);
    const CliRun r = run({"header", "game.bin", "--set", "romend=" + GetParam().value});
    ASSERT_EQ(r.code, 0) << r.err;
    Bytes expected = before;
    for (std::size_t i = 0; i < 4; ++i)
        expected[0x1A4 + i] = static_cast<std::uint8_t>(GetParam().stored >> (24 - 8 * i));
    EXPECT_EQ(readBytes(dir_ / "game.bin"), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, RomEnd,
    ::testing::Values(RomEndCase{"Auto", "auto", kBlock + 0x1234 - 1}, RomEndCase{"Hex", "0x7fffF", 0x7FFFF},
                      RomEndCase{"UpperCaseX", "0X10", 0x10}, RomEndCase{"Decimal", "4095", 4095},
                      RomEndCase{"Largest", "0xFFFFFFFF", 0xFFFFFFFF}, RomEndCase{"Zero", "0", 0}),
    [](const auto& info) { return std::string(info.param.name); });

// Anything else is a usage error found before the file is read, so nothing is written.
TEST_F(ArchiveCli, RomEndRefusesOtherValues) {
    const Bytes before = romImage(kBlock, 14, "KEEP");
    writeBytes(dir_ / "game.bin", before);
    for (const std::string value :
         {"", "AUTO", "0x", "-1", "+1", "0x100000000", "4294967296", "12ab", "0x1G", " 1", "1 ", "auto1"}) {
        const CliRun r = run({"header", "game.bin", "--set", "romend=" + value});
        EXPECT_EQ(r.code, 2) << "'" << value << "'";
        EXPECT_NE(r.err.find("romend takes auto or an address"), std::string::npos) << r.err;
    }
    EXPECT_EQ(readBytes(dir_ / "game.bin"), before);

    // A file too short for a header is refused, and kept.
    writeBytes(dir_ / "short.bin", Bytes(0x1A6, 0));
    const CliRun r = run({"header", "short.bin", "--set", "romend=auto"});
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("too short"), std::string::npos) << r.err;
    EXPECT_EQ(readBytes(dir_ / "short.bin"), Bytes(0x1A6, 0));
}

}  // namespace
