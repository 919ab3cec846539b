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

}  // namespace
}  // namespace vantorel::convert
