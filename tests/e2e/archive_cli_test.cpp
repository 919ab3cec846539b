// Images inside archives made by the usual archivers, and `info`, run as a user runs them.
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

struct KindCase {
    const char* name;
    const char* tool;
    const char* archive;
    const char* make;  // run in the scratch folder, where game.bin waits
};
void PrintTo(const KindCase& c, std::ostream* os) {
    *os << c.name;
}

class ArchiveKind : public ArchiveCli, public ::testing::WithParamInterface<KindCase> {};

// Whatever archiver made it, the image inside is identified by its own bytes, and every
// command that reads an image reads it.
TEST_P(ArchiveKind, IsReadByEveryCommand) {
    skipWithout(GetParam().tool);
    const Bytes game = romImage(3 * kBlock, 1, "ARCHIVED GAME");
    writeBytes(dir_ / "game.bin", game);
    ASSERT_EQ(shell(GetParam().make), 0) << GetParam().make;
    const std::string archive = GetParam().archive;

    CliRun r = run({"info", "--json", archive});
    ASSERT_EQ(r.code, 0) << r.err;
    const json info = parsed(r);
    EXPECT_EQ(info.value("path", "?"), archive);
    EXPECT_EQ(info.value("entry", "?"), "game.bin");
    EXPECT_EQ(info.value("size", 0u), game.size());
    EXPECT_EQ(info.value("layout", "?"), "bin");
    EXPECT_EQ(info.value("crc32", "?"), hex8(crc32(game)));
    EXPECT_EQ(info.value("md5", "?"), digestByTool("md5sum", "game.bin"));
    EXPECT_EQ(info.value("sha1", "?"), digestByTool("sha1sum", "game.bin"));
    EXPECT_EQ(info.value("checksum_computed", "?"), checksumOf(game));
    EXPECT_EQ(info.value("rom_end", 0u), game.size() - 1);
    EXPECT_EQ(info.value("rom_end_matches", false), true);

    r = run({"checksum", archive});
    EXPECT_EQ(r.out.rfind(archive + "(game.bin): stored ", 0), 0u) << r.out << r.err;
    EXPECT_NE(r.out.find(" computed " + checksumOf(game) + " "), std::string::npos) << r.out;

    r = run({"header", archive});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.out.find("\ndomestic: ARCHIVED GAME"), std::string::npos) << r.out;

    // The output is named after the entry and sits beside the archive.
    ASSERT_EQ(run({"bin2smd", "game.bin", "-o", "plain.smd"}).code, 0);
    fs::remove(dir_ / "game.bin");
    r = run({"bin2smd", archive});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "game.smd\n");
    EXPECT_EQ(readBytes(dir_ / "game.smd"), readBytes(dir_ / "plain.smd"));
}

INSTANTIATE_TEST_SUITE_P(Table, ArchiveKind,
                         ::testing::Values(KindCase{"Zip", "zip", "pack.zip", "zip -q pack.zip game.bin"},
                                           KindCase{"SevenZip", "7z", "pack.7z", "7z a -bd pack.7z game.bin"},
                                           KindCase{"Gzip", "gzip", "game.bin.gz",
                                                    "gzip -c game.bin > game.bin.gz"}),
                         [](const auto& info) { return std::string(info.param.name); });

// An SMD file is identified by the plain image it holds, so its hashes are those a checksum
// list gives for the BIN; its header is shown and checked from there too, and never
// written into the copier's bytes.
TEST_F(ArchiveCli, SmdFilesAreTheirPlainImage) {
    Bytes game = romImage(2 * kBlock, 2, "SMD GAME");
    game[0x18E] = 0xBA;  // a stored checksum that differs
    game[0x18F] = 0xD0;
    writeBytes(dir_ / "game.bin", game);
    ASSERT_EQ(run({"bin2smd", "game.bin"}).code, 0);
    const Bytes smd = readBytes(dir_ / "game.smd");

    CliRun r = run({"info", "--json", "game.smd"});
    ASSERT_EQ(r.code, 0) << r.err;
    const json info = parsed(r);
    EXPECT_EQ(info.value("layout", "?"), "smd");
    EXPECT_EQ(info.value("size", 0u), game.size());
    EXPECT_EQ(info.value("crc32", "?"), hex8(crc32(game)));
    EXPECT_EQ(info.value("md5", "?"), digestByTool("md5sum", "game.bin"));
    EXPECT_EQ(info.value("sha1", "?"), digestByTool("sha1sum", "game.bin"));
    EXPECT_EQ(info.value("checksum_stored", "?"), "BAD0");
    EXPECT_EQ(info.value("rom_end_matches", false), true);

    r = run({"checksum", "game.smd"});
    EXPECT_EQ(r.out, "game.smd: stored BAD0 computed " + checksumOf(game) + " BAD\n") << r.err;
    r = run({"header", "game.smd"});
    EXPECT_NE(r.out.find("\ndomestic: SMD GAME"), std::string::npos) << r.out;

    for (const std::vector<std::string>& write :
         std::vector<std::vector<std::string>>{{"checksum", "--fix", "game.smd"},
                                               {"header", "game.smd", "--set", "comment=X"},
                                               {"header", "game.smd", "--set", "romend=auto"}}) {
        r = run(write);
        EXPECT_EQ(r.code, 1) << write[1];
        EXPECT_NE(r.err.find("SMD layout"), std::string::npos) << r.err;
        EXPECT_EQ(readBytes(dir_ / "game.smd"), smd) << write[1];
    }
}

// With several images an archive is refused by every command, naming the candidates one per
// line (and not the entries that are no image), and nothing is written.
TEST_F(ArchiveCli, SeveralImagesAreListedAndRefused) {
    skipWithout("zip");
    fs::create_directory(dir_ / "src");
    writeBytes(dir_ / "src" / "a.bin", romImage(kBlock, 3, "FIRST"));
    writeBytes(dir_ / "src" / "b.smd", readBytes(image("b.smd")));
    writeBytes(dir_ / "src" / "readme.txt", Bytes{'h', 'i'});
    writeBytes(dir_ / "src" / "c\x1b[2J.md", Bytes(0x300, 0));
    zipFrom("src", "pack.zip", "a.bin b.smd readme.txt c*.md");
    writeBytes(dir_ / "fix.ips", Bytes{'P', 'A', 'T', 'C', 'H', 'E', 'O', 'F'});
    const std::vector<std::string> before = listing();

    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{"info", "pack.zip"},
                                               {"info", "--json", "pack.zip"},
                                               {"checksum", "pack.zip"},
                                               {"header", "pack.zip"},
                                               {"header", "pack.zip", "--set", "comment=X", "-o", "x.bin"},
                                               {"smd2bin", "pack.zip"},
                                               {"bin2smd", "pack.zip", "-d", "src"},
                                               {"patch", "pack.zip", "fix.ips", "-o", "x.bin"}}) {
        const CliRun r = run(args);
        EXPECT_EQ(r.code, 1) << args[0] << " " << r.err;
        EXPECT_EQ(r.out, "") << args[0];
        EXPECT_NE(r.err.find("pack.zip: the archive holds several images; choose one with --entry NAME:\n"
                             "  a.bin\n  b.smd\n  c?[2J.md\n"),
                  std::string::npos)
            << args[0] << ": " << r.err;
        EXPECT_EQ(r.err.find("readme"), std::string::npos) << r.err;
    }
    EXPECT_EQ(listing(), before);
}

// --entry picks the image, for every command, and its outputs are named after it.
TEST_F(ArchiveCli, EntryChoosesTheImage) {
    skipWithout("zip");
    fs::create_directory(dir_ / "src");
    const Bytes a = romImage(kBlock, 4, "FIRST");
    const Bytes b = romImage(2 * kBlock, 5, "SECOND");
    writeBytes(dir_ / "src" / "a.bin", a);
    writeBytes(dir_ / "src" / "b.bin", b);
    ASSERT_EQ(run({"bin2smd", "src/b.bin", "-o", "src/b.smd"}).code, 0);
    zipFrom("src", "pack.zip", "a.bin b.bin b.smd");
    // One patch record: 0xAB at 0x300.
    writeBytes(dir_ / "fix.ips", Bytes{'P', 'A', 'T', 'C', 'H', 0, 3, 0, 0, 1, 0xAB, 'E', 'O', 'F'});

    CliRun r = run({"info", "--json", "pack.zip", "--entry", "b.bin"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(parsed(r).value("crc32", "?"), hex8(crc32(b)));
    EXPECT_EQ(parsed(r).value("entry", "?"), "b.bin");

    r = run({"checksum", "--entry=a.bin", "pack.zip"});
    EXPECT_EQ(r.out, "pack.zip(a.bin): stored " + storedOf(a) + " computed " + checksumOf(a) +
                         (storedOf(a) == checksumOf(a) ? " OK\n" : " BAD\n"))
        << r.err;

    r = run({"smd2bin", "pack.zip", "--entry", "b.smd"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "b.bin\n");
    EXPECT_EQ(readBytes(dir_ / "b.bin"), b);

    r = run({"patch", "pack.zip", "fix.ips", "-o", "patched.bin", "--entry", "a.bin"});
    ASSERT_EQ(r.code, 0) << r.err;
    Bytes expected = a;
    expected[0x300] = 0xAB;
    EXPECT_EQ(readBytes(dir_ / "patched.bin"), expected);

    r = run({"info", "pack.zip", "--entry", "nothing.bin"});
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("nothing.bin"), std::string::npos) << r.err;
    EXPECT_EQ(run({"info", "pack.zip", "--entry", ""}).code, 2);
}

// Writing never goes into an archive, nor over it; a header edit from one goes to -o.
TEST_F(ArchiveCli, WritesNeverGoIntoTheArchive) {
    skipWithout("zip");
    fs::create_directory(dir_ / "src");
    const Bytes game = romImage(kBlock, 6, "INSIDE");  // its stored checksum differs
    writeBytes(dir_ / "src" / "game.bin", game);
    zipFrom("src", "pack.zip", "game.bin");
    writeBytes(dir_ / "fix.ips", Bytes{'P', 'A', 'T', 'C', 'H', 0, 3, 0, 0, 1, 0xAB, 'E', 'O', 'F'});
    const Bytes archive = readBytes(dir_ / "pack.zip");
    const std::vector<std::string> before = listing();

    struct Refusal {
        std::vector<std::string> args;
        std::string says;
    };
    for (const Refusal& refusal : std::vector<Refusal>{
             {{"checksum", "--fix", "pack.zip"},
              "pack.zip: --fix writes into the image, and an image inside an "
              "archive is never written"},
             {{"header", "pack.zip", "--set", "comment=X"},
              "pack.zip: an image inside an archive is never written; "
              "give -o OUT"},
             {{"header", "pack.zip", "--set", "romend=auto", "-o", "./src/../pack.zip"}, "would be replaced"},
             {{"patch", "pack.zip", "fix.ips", "-o", "pack.zip"}, "would be replaced"}}) {
        const CliRun r = run(refusal.args);
        EXPECT_EQ(r.code, 1) << refusal.args[0];
        EXPECT_NE(r.err.find(refusal.says), std::string::npos) << r.err;
        EXPECT_EQ(readBytes(dir_ / "pack.zip"), archive);
    }
    EXPECT_EQ(listing(), before);

    CliRun r =
        run({"header", "pack.zip", "--set", "comment=EDITED", "--set", "romend=0x7F", "-o", "edited.bin"});
    ASSERT_EQ(r.code, 0) << r.err;
    Bytes expected = game;
    const std::string comment = "EDITED" + std::string(58, '\0');
    std::copy(comment.begin(), comment.end(), expected.begin() + 0x1B0);
    std::fill(expected.begin() + 0x1A4, expected.begin() + 0x1A8, 0);
    expected[0x1A7] = 0x7F;
    EXPECT_EQ(readBytes(dir_ / "edited.bin"), expected);
    EXPECT_EQ(readBytes(dir_ / "pack.zip"), archive);
}

// Outputs of archived images are named after the entry beside the archive, and the batch
// check sees those names.
TEST_F(ArchiveCli, ConversionOutputsAreNamedAfterTheEntry) {
    skipWithout("zip");
    const Bytes game = romImage(2 * kBlock, 7, "NAMED");
    fs::create_directories(dir_ / "src" / "roms");
    writeBytes(dir_ / "src" / "roms" / "x.bin", game);
    ASSERT_EQ(run({"bin2smd", "src/roms/x.bin", "-o", "src/roms/Sonic (W).smd"}).code, 0);
    zipFrom("src", "pack.zip", "'roms/Sonic (W).smd'");
    fs::create_directory(dir_ / "out");

    CliRun r = run({"smd2bin", "pack.zip"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "Sonic (W).bin\n");
    EXPECT_EQ(readBytes(dir_ / "Sonic (W).bin"), game);
    r = run({"smd2bin", "-d", "out", "pack.zip"});
    EXPECT_EQ(r.out, "out/Sonic (W).bin\n") << r.err;
    EXPECT_EQ(readBytes(dir_ / "out" / "Sonic (W).bin"), game);

    // Two archives holding one name: one output for both, refused before either is written.
    fs::copy_file(dir_ / "pack.zip", dir_ / "copy.zip");
    fs::remove(dir_ / "out" / "Sonic (W).bin");
    r = run({"smd2bin", "-d", "out", "pack.zip", "copy.zip"});
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("pack.zip"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("copy.zip"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("out/Sonic (W).bin"), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(dir_ / "out" / "Sonic (W).bin"));

    // An archive whose output name is its own: refused, the archive kept.
    zipFrom("src/roms", "x.smd", "x.bin");
    const Bytes archive = readBytes(dir_ / "x.smd");
    r = run({"bin2smd", "x.smd"});
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("the archive the image comes from"), std::string::npos) << r.err;
    EXPECT_EQ(readBytes(dir_ / "x.smd"), archive);
}

}  // namespace
