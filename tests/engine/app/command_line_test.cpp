#include "engine/app/command_line.h"

#include <gtest/gtest.h>

namespace vantorel::app {
namespace {

struct Case {
    const char* name;
    const char* commandLine;
    const char* switchText;
    const char* path;
};

// Names the row in test listings instead of dumping its bytes.
void PrintTo(const Case& c, std::ostream* os) {
    *os << '"' << c.commandLine << '"';
}

class ParseCommandTable : public ::testing::TestWithParam<Case> {};

TEST_P(ParseCommandTable, GivesSwitchAndPath) {
    const Case& c = GetParam();
    const Command cmd = ParseCommand(c.commandLine);
    EXPECT_EQ(cmd.switchText, c.switchText);
    EXPECT_EQ(cmd.path, c.path);
}

const Case kCases[] = {
    // The worked examples.
    {"Empty", "", "", ""},
    {"Convert", "/c", "/c", ""},
    {"PatcherUpperCase", "/P", "/p", ""},
    {"EditorWithPath", "/h C:\\roms\\game.bin", "/h", "C:\\roms\\game.bin"},
    {"EditorQuotedPathWithBlanks", "/h \"C:\\my roms\\game.bin\"", "/h", "C:\\my roms\\game.bin"},
    {"LauncherQuotedPath", "/l \"D:\\a b\\x.smd\"", "/l", "D:\\a b\\x.smd"},
    {"EditorAlone", "/h", "/h", ""},
    {"UnknownSwitch", "/x foo", "/x", "foo"},
    {"BarePath", "C:\\roms\\game.bin", "c:", "roms\\game.bin"},
    // Quote rules.
    {"OnlyTrailingQuoteIsDropped", "/h C:\\x.bin\"", "/h", "C:\\x.bin"},
    {"TextBeforeFirstQuoteIsDropped", "/h junk\"a b.bin\"", "/h", "a b.bin"},
    {"QuoteRightAfterSwitch", "/h\"x.bin\"", "/h", "x.bin"},
    {"LoneQuote", "\"", "", ""},
    {"EmptyQuotes", "/l \"\"", "/l", ""},
    // The three-character rule.
    {"NoSeparatorLosesThirdCharacter", "/hC:\\x.bin", "/h", ":\\x.bin"},
    {"SwitchAndOneBlank", "/h ", "/h", ""},
    {"FourCharacters", "/h a", "/h", "a"},
    {"SwitchKeepsOnlyTwoCharacters", "/Hxyz", "/h", "yz"},
    {"RestKeepsItsCase", "/L /Home/Games/Sonic.BIN", "/l", "/Home/Games/Sonic.BIN"},
    // Arguments a shell already unquoted arrive joined by one blank and stay whole.
    {"UnquotedPathWithBlanks", "/h /home/me/my roms/game.bin", "/h", "/home/me/my roms/game.bin"},
    // Characters, not bytes: the switch and the cut never split a multi-byte character.
    {"NonAsciiPath", "/h /tmp/jeu é.bin", "/h", "/tmp/jeu é.bin"},
    {"NonAsciiThirdCharacter", "/hé/x.bin", "/h", "/x.bin"},
    {"NonAsciiSwitch", "éa", "éa", ""},
    // Malformed bytes still parse, and a capital in the switch is lowered even beside one.
    {"CapitalBeforeStrayByte", "/H\x88 a", "/h\x88", "a"},
};

INSTANTIATE_TEST_SUITE_P(CommandLine, ParseCommandTable, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<Case>& info) { return info.param.name; });

TEST(BarePath, APathGivenAloneIsNoSwitch) {
    for (const char* bare : {"/home/me/game.bin", "/h/roms/x.bin", "/c/", "/tmp/x y.bin", "/lib/a b/c.smd"})
        EXPECT_TRUE(isBarePath(bare)) << bare;
    for (const char* command : {"", "/c", "/h", "/h ", "/h game.bin", "/h /home/me/game.bin", "/hC:\\x.bin",
                                "/Hxyz", "/l \"/a b/x.smd\"", "C:\\roms\\game.bin", "/x foo/bar"})
        EXPECT_FALSE(isBarePath(command)) << command;
}

}  // namespace
}  // namespace vantorel::app
