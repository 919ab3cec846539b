#include "engine/launcher/key_string.h"

#include <gtest/gtest.h>

#include "engine/launcher/send_keys.h"

namespace vantorel::launcher {
namespace {

struct ReadCase {
    const char* teclas;
    KeyString expected;
    const char* sequence;
};

class KeyStringReadTest : public ::testing::TestWithParam<ReadCase> {};

TEST_P(KeyStringReadTest, ReadsFlagsKeyAndNotation) {
    const KeyString k = readKeyString(GetParam().teclas);
    EXPECT_EQ(k, GetParam().expected) << GetParam().teclas;
    EXPECT_EQ(keySequenceFor(k), GetParam().sequence) << GetParam().teclas;
}

INSTANTIATE_TEST_SUITE_P(Cases, KeyStringReadTest,
                         ::testing::Values(ReadCase{"100o", {true, false, false, "o"}, "^o"},
                                           ReadCase{"110o", {true, true, false, "o"}, "^%o"},
                                           ReadCase{"111x", {true, true, true, "x"}, "^%+x"},
                                           ReadCase{"101O", {true, false, true, "o"}, "^+o"},
                                           ReadCase{"000g", {false, false, false, "g"}, "g"},
                                           ReadCase{"100+", {true, false, false, "+"}, "^{+}"},
                                           ReadCase{"100ñ", {true, false, false, "ñ"}, "^ñ"},
                                           ReadCase{"1000o", {true, false, false, "o"}, "^o"},
                                           ReadCase{"100", {true, false, false, ""}, ""},
                                           ReadCase{"", {false, false, false, ""}, ""}));

TEST(KeyString, BuildsTheStoredForm) {
    EXPECT_EQ(BuildKeyString(true, false, false, "o"), "100o");
    EXPECT_EQ(BuildKeyString(true, false, true, "O"), "101o");
    EXPECT_EQ(BuildKeyString(false, true, false, ""), "010");
    EXPECT_EQ(BuildKeyString(true, true, true, "X"), "111x");
}

TEST(KeyString, BuiltFormReadsBack) {
    for (int flags = 0; flags < 8; ++flags) {
        const bool c = flags & 1, a = flags & 2, s = flags & 4;
        EXPECT_EQ(readKeyString(BuildKeyString(c, a, s, "K")), (KeyString{c, a, s, "k"}));
    }
}

TEST(KeyString, SettingNumbersReadForgivingly) {
    EXPECT_EQ(settingNumber("-1"), -1);
    EXPECT_EQ(settingNumber("0"), 0);
    EXPECT_EQ(settingNumber(" 1"), 1);
    EXPECT_EQ(settingNumber("12abc"), 12);
    EXPECT_EQ(settingNumber("yes"), 0);
    EXPECT_EQ(settingNumber(""), 0);
    EXPECT_EQ(settingNumber("-"), 0);
}

}  // namespace
}  // namespace vantorel::launcher
