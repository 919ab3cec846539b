#include "engine/common/text.h"

#include <gtest/gtest.h>

#include <string>

namespace vantorel::text {
namespace {

std::string allBytes() {
    std::string bytes;
    for (int b = 0; b < 256; ++b) bytes.push_back(static_cast<char>(b));
    return bytes;
}

TEST(Latin1, EveryByteSurvivesTheRoundTrip) {
    const std::string bytes = allBytes();
    const std::string utf8 = latin1ToUtf8(bytes);
    EXPECT_TRUE(isValidUtf8(utf8));
    EXPECT_EQ(utf8Length(utf8), 256u);
    EXPECT_EQ(utf8ToLatin1(utf8), bytes);
    EXPECT_EQ(latin1ToUtf8("\xF3"), "\xC3\xB3");
}

TEST(Latin1, CharactersBeyondLatin1AndBrokenBytesBecomeQuestionMarks) {
    EXPECT_EQ(utf8ToLatin1("a\xE2\x82\xAC"
                           "b"),
              "a?b");
    EXPECT_EQ(utf8ToLatin1("a\xC3"
                           "b"),
              "a?b");
}

struct Cp1252Case {
    unsigned char byte;
    const char* utf8;
};

class Cp1252 : public ::testing::TestWithParam<Cp1252Case> {};

TEST_P(Cp1252, DecodesAndEncodesTheByte) {
    const Cp1252Case& c = GetParam();
    const std::string byte(1, static_cast<char>(c.byte));
    EXPECT_EQ(cp1252ToUtf8(byte), c.utf8);
    EXPECT_EQ(utf8ToCp1252(c.utf8), byte);
}

INSTANTIATE_TEST_SUITE_P(Specials, Cp1252,
                         ::testing::Values(Cp1252Case{0x41, "A"}, Cp1252Case{0x80, "\xE2\x82\xAC"},
                                           Cp1252Case{0x81, "\xC2\x81"},  // a hole: the C1 control
                                           Cp1252Case{0x85, "\xE2\x80\xA6"}, Cp1252Case{0x8A, "\xC5\xA0"},
                                           Cp1252Case{0x93, "\xE2\x80\x9C"}, Cp1252Case{0x99, "\xE2\x84\xA2"},
                                           Cp1252Case{0x9F, "\xC5\xB8"}, Cp1252Case{0xA0, "\xC2\xA0"},
                                           Cp1252Case{0xF3, "\xC3\xB3"}, Cp1252Case{0xFF, "\xC3\xBF"}));

TEST(Cp1252, EveryByteSurvivesTheRoundTrip) {
    const std::string bytes = allBytes();
    EXPECT_EQ(utf8ToCp1252(cp1252ToUtf8(bytes)), bytes);
}

TEST(Cp1252, RefusesWhatItCannotHold) {
    EXPECT_FALSE(utf8ToCp1252("\xE2\x86\x92").has_value());  // an arrow
    EXPECT_FALSE(utf8ToCp1252("\xC2\x80").has_value());      // U+0080: 0x80 is the euro sign
    EXPECT_FALSE(utf8ToCp1252("a\xC3").has_value());         // broken UTF-8
}

struct Utf8Case {
    const char* name;
    std::string bytes;
    bool valid;
    friend void PrintTo(const Utf8Case& c, std::ostream* os) { *os << c.name; }
};

class Utf8Validity : public ::testing::TestWithParam<Utf8Case> {};

TEST_P(Utf8Validity, Judges) {
    EXPECT_EQ(isValidUtf8(GetParam().bytes), GetParam().valid);
}

INSTANTIATE_TEST_SUITE_P(Cases, Utf8Validity,
                         ::testing::Values(Utf8Case{"Empty", "", true}, Utf8Case{"Ascii", "ROMs", true},
                                           Utf8Case{"TwoBytes", "colg\xC3\xB3", true},
                                           Utf8Case{"ThreeBytes", "\xE2\x82\xAC", true},
                                           Utf8Case{"FourBytes", "\xF0\x9F\x8E\xAE", true},
                                           Utf8Case{"LargestCodePoint", "\xF4\x8F\xBF\xBF", true},
                                           Utf8Case{"OverlongSlash", "\xC0\xAF", false},
                                           Utf8Case{"OverlongNul", "\xC0\x80", false},
                                           Utf8Case{"OverlongThreeBytes", "\xE0\x80\xAF", false},
                                           Utf8Case{"OverlongFourBytes", "\xF0\x80\x80\xAF", false},
                                           Utf8Case{"HighSurrogate", "\xED\xA0\x80", false},
                                           Utf8Case{"LowSurrogate", "\xED\xBF\xBF", false},
                                           Utf8Case{"BeyondUnicode", "\xF4\x90\x80\x80", false},
                                           Utf8Case{"FiveByteLead", "\xF8\x88\x80\x80\x80", false},
                                           Utf8Case{"LoneContinuation", "\x80", false},
                                           Utf8Case{"TruncatedAtEnd", "a\xE2\x82", false},
                                           Utf8Case{"MissingContinuation",
                                                    "\xC3"
                                                    "a",
                                                    false},
                                           Utf8Case{"Windows1252Letter", "colg\xF3", false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(LegacyText, Utf8StaysAndAnythingElseIsWindows1252) {
    EXPECT_EQ(decodeLegacyText("colg\xC3\xB3"), "colg\xC3\xB3");
    EXPECT_EQ(decodeLegacyText("colg\xF3"), "colg\xC3\xB3");
    EXPECT_EQ(decodeLegacyText("\x80"
                               "5"),
              "\xE2\x82\xAC"
              "5");
}

TEST(Utf8Cut, CountsAndCutsCharacters) {
    EXPECT_EQ(utf8Length("ni\xC3\xB1o\xF0\x9F\x8E\xAE"), 5u);
    EXPECT_EQ(utf8Left("ni\xC3\xB1o", 3), "ni\xC3\xB1");
    EXPECT_EQ(utf8Left("ni\xC3\xB1o", 2), "ni");
    EXPECT_EQ(utf8Left("ni\xC3\xB1o", 10), "ni\xC3\xB1o");
    EXPECT_EQ(utf8Left("abc", 0), "");
}

TEST(Replace, ReplacesEveryOccurrence) {
    EXPECT_EQ(replaceAll("%r and %r", "%r", "/a.bin"), "/a.bin and /a.bin");
    EXPECT_EQ(replaceAll("%r%r", "%r", "x"), "xx");
    EXPECT_EQ(replaceAll("no marker", "%r", "x"), "no marker");
    // The value is not searched again, even when it holds the marker.
    EXPECT_EQ(replaceAll("%p!", "%p", "%p%p"), "%p%p!");
    EXPECT_EQ(replaceAll("abc", "", "x"), "abc");
}

TEST(Names, CompareWithoutRegardToCase) {
    EXPECT_TRUE(equalsIgnoreCase("ROMS", "ROMs"));
    EXPECT_TRUE(equalsIgnoreCase("directorio", "Directorio"));
    EXPECT_FALSE(equalsIgnoreCase("ROM", "ROMs"));
    EXPECT_FALSE(equalsIgnoreCase("Gens", "Kega"));
    EXPECT_EQ(trim(" \t x y \r\n"), "x y");
    EXPECT_EQ(toUpperAscii("gens\xC3\xB3"), "GENS\xC3\xB3");
}

}  // namespace
}  // namespace vantorel::text
