#include "engine/convert/naming.h"

#include <gtest/gtest.h>

namespace vantorel::convert {
namespace {

struct NameCase {
    const char* source;
    const char* extension;
    const char* expected;
};

class DestinationNames : public ::testing::TestWithParam<NameCase> {};

TEST_P(DestinationNames, CutFourCharactersAndAddTheExtension) {
    EXPECT_EQ(GetParam().expected, destinationFor(GetParam().source, GetParam().extension));
}

INSTANTIATE_TEST_SUITE_P(
    Table, DestinationNames,
    ::testing::Values(NameCase{"/a/X.SMD", ".bin", "/a/X.bin"},
                      NameCase{"/a/game.bin", ".smd", "/a/game.smd"},
                      NameCase{"/a/game.md", ".bin", "/a/gam.bin"},  // not a three-letter extension
                      NameCase{"/a/game.gen1", ".bin", "/a/game..bin"},
                      NameCase{"/a/game", ".smd", "/a/.smd"},  // no extension at all
                      NameCase{"/a/b.c", ".bin", "/a/.bin"}, NameCase{"/a/ab", ".bin", "/a/.bin"},
                      NameCase{"/a/", ".bin", "/a/.bin"}, NameCase{"game.smd", ".bin", "game.bin"},
                      NameCase{"/my roms/Sonic (W).smd", ".bin", "/my roms/Sonic (W).bin"}));

TEST(DestinationFolder, KeepsTheFileNameAndReplacesTheFolder) {
    EXPECT_EQ("/out/X.bin", destinationInFolder("/a/b/X.bin", "/out/"));
    EXPECT_EQ("/out/X.bin", destinationInFolder("/a/b/X.bin", "/out"));
    EXPECT_EQ("/X.bin", destinationInFolder("/a/X.bin", "/"));
    EXPECT_EQ("/out/X.bin", destinationInFolder("X.bin", "/out/"));
}

struct EntryNameCase {
    const char* archive;
    const char* entry;
    const char* extension;
    const char* expected;
};

class ArchiveEntryNames : public ::testing::TestWithParam<EntryNameCase> {};

TEST_P(ArchiveEntryNames, LandBesideTheArchiveNamedAfterTheEntry) {
    const EntryNameCase& c = GetParam();
    EXPECT_EQ(c.expected, destinationForArchiveEntry(c.archive, c.entry, c.extension));
}

INSTANTIATE_TEST_SUITE_P(
    Table, ArchiveEntryNames,
    ::testing::Values(EntryNameCase{"/x/pack.zip", "Sonic (W).smd", ".bin", "/x/Sonic (W).bin"},
                      EntryNameCase{"/x/pack.7z", "roms/usa/Sonic.BIN", ".smd", "/x/Sonic.smd"},
                      EntryNameCase{"/x/Sonic.smd.gz", "Sonic.smd", ".bin", "/x/Sonic.bin"},
                      EntryNameCase{"/x/pack.zip", "game.md", ".bin", "/x/game.bin"},
                      EntryNameCase{"/x/pack.zip", "game", ".bin", "/x/game.bin"},
                      EntryNameCase{"/x/pack.zip", "v1.0.game.gen", ".smd", "/x/v1.0.game.smd"},
                      EntryNameCase{"/x/pack.zip", ".hidden", ".bin", "/x/.hidden.bin"},
                      EntryNameCase{"/x/pack.zip", "win\\dir\\Game.smd", ".bin", "/x/Game.bin"},
                      // Names that would leave the archive's folder, or name no file.
                      EntryNameCase{"/x/pack.zip", "../../etc/passwd", ".bin", "/x/passwd.bin"},
                      EntryNameCase{"/x/pack.zip", "/abs/Game.smd", ".bin", "/x/Game.bin"},
                      EntryNameCase{"/x/pack.zip", "roms/..", ".bin", "/x/pack.bin"},
                      EntryNameCase{"/x/pack.zip", "roms/", ".bin", "/x/pack.bin"},
                      EntryNameCase{"/x/pack.zip", "", ".bin", "/x/pack.bin"},
                      EntryNameCase{"/x/pack.zip", "...", "", "/x/pack"},
                      EntryNameCase{"pack.zip", "Game.smd", ".bin", "Game.bin"},
                      EntryNameCase{"/pack.zip", "Game.smd", ".bin", "/Game.bin"}));

}  // namespace
}  // namespace vantorel::convert
