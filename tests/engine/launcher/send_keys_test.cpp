#include "engine/launcher/send_keys.h"

#include <gtest/gtest.h>

#include "engine/common/error.h"
#include "engine/launcher/launch_plan.h"

namespace vantorel::launcher {
namespace {

using K = KeyAction::Kind;

struct NotationCase {
    const char* notation;
    std::vector<KeyAction> expected;
};

class NotationTest : public ::testing::TestWithParam<NotationCase> {};

TEST_P(NotationTest, ParsesIntoKeyActions) {
    const auto parsed = parseSendKeys(GetParam().notation);
    ASSERT_TRUE(parsed) << GetParam().notation << ": " << parsed.error().description();
    EXPECT_EQ(parsed.value(), GetParam().expected) << GetParam().notation;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, NotationTest,
    ::testing::Values(
        NotationCase{"^o", {{K::Chord, "ctrl+o"}}}, NotationCase{"^g", {{K::Chord, "ctrl+g"}}},
        NotationCase{"^%o", {{K::Chord, "ctrl+alt+o"}}}, NotationCase{"+^o", {{K::Chord, "ctrl+shift+o"}}},
        NotationCase{"^%+x", {{K::Chord, "ctrl+alt+shift+x"}}}, NotationCase{"%{F4}", {{K::Chord, "alt+F4"}}},
        NotationCase{"abc", {{K::Text, "abc"}}}, NotationCase{"{ENTER}", {{K::Chord, "Return"}}},
        NotationCase{"{enter}", {{K::Chord, "Return"}}}, NotationCase{"~", {{K::Chord, "Return"}}},
        NotationCase{"a{TAB 2}b", {{K::Text, "a"}, {K::Chord, "Tab"}, {K::Chord, "Tab"}, {K::Text, "b"}}},
        NotationCase{"{(}{)}{[}{]}{{}{}}{+}{^}{%}{~}", {{K::Text, "()[]{}+^%~"}}},
        NotationCase{"{x 3}", {{K::Text, "xxx"}}}, NotationCase{"^{+}", {{K::Chord, "ctrl+plus"}}},
        NotationCase{"^(ab)", {{K::Chord, "ctrl+a"}, {K::Chord, "ctrl+b"}}},
        NotationCase{"+(a%b)c", {{K::Chord, "shift+a"}, {K::Chord, "alt+shift+b"}, {K::Text, "c"}}},
        NotationCase{"x[1]", {{K::Text, "x[1]"}}}, NotationCase{"ñ{é}", {{K::Text, "ñé"}}},
        NotationCase{"", {}}));

TEST(Notation, RejectsWhatItCannotRead) {
    for (const char* bad :
         {"^", "^(a", "a)", "{", "{ENTER", "{NOSUCHKEY}", "}", "{}", "^(^)", "((a))", "^ñ", "{a 999}"}) {
        const auto parsed = parseSendKeys(bad);
        ASSERT_FALSE(parsed) << "accepted: " << bad;
        EXPECT_TRUE(parsed.error().is(ErrorCategory::Launch, error::kBadKeyNotation)) << bad;
        EXPECT_NE(parsed.error().description().find("notation"), std::string::npos) << bad;
    }
}

TEST(Notation, EscapedTextComesBackCharacterForCharacter) {
    for (const char* text : {"/roms/Sonic (W) [!].bin", "/a b/{x}+y^z%w~v.smd", "plain", "$HOME;rm -rf x",
                             "/ñandú/(é)[1]{2}.bin", "+^%~", "\xC3{", "\xE2\x82}x", "a\xF0"}) {
        const auto parsed = parseSendKeys(escapeForSendKeys(text));
        ASSERT_TRUE(parsed) << text;
        const auto& actions = parsed.value();
        ASSERT_EQ(actions.size(), 1u) << text;
        EXPECT_EQ(actions[0], (KeyAction{K::Text, text}));
    }
}

struct ValidarCase {
    const char* in;
    const char* out;
};

class ValidarTest : public ::testing::TestWithParam<ValidarCase> {};

TEST_P(ValidarTest, WrapsOnlyBracketsAndParentheses) {
    const std::string original = GetParam().in;
    EXPECT_EQ(ValidarParaSendKeys(original), GetParam().out);
}

INSTANTIATE_TEST_SUITE_P(Cases, ValidarTest,
                         ::testing::Values(ValidarCase{"", ""}, ValidarCase{"plain.bin", "plain.bin"},
                                           ValidarCase{"Sonic (W) [!].bin", "Sonic {(}W{)} {[}!{]}.bin"},
                                           ValidarCase{"][)(", "{]}{[}{)}{(}"},
                                           ValidarCase{"{x}+y^z%w~", "{x}+y^z%w~"},
                                           ValidarCase{"[[((", "{[}{[}{(}{(}"}));

}  // namespace
}  // namespace vantorel::launcher
