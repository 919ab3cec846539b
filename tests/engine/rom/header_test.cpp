#include "engine/rom/header.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/common/file_io.h"

using namespace vantorel;
using namespace vantorel::rom;
using vantorel::Bytes;

namespace {

Bytes image(std::size_t size, std::uint8_t fill = 0) {
    return Bytes(size, fill);
}

void put(Bytes& b, std::size_t at, std::string_view s) {
    for (std::size_t i = 0; i < s.size(); ++i) b[at + i] = static_cast<std::uint8_t>(s[i]);
}

std::string bytesAt(const Bytes& b, std::size_t at, std::size_t n) {
    return std::string(reinterpret_cast<const char*>(b.data() + at), n);
}

}  // namespace

TEST(CharCodeAt, GivesByteCodesAndZeroPastTheEnd) {
    EXPECT_EQ(CharCodeAt("AB\xFF", 1), 'A');
    EXPECT_EQ(CharCodeAt("AB\xFF", 3), 0xFF);
    EXPECT_EQ(CharCodeAt("AB", 3), 0);
    EXPECT_EQ(CharCodeAt("", 1), 0);
    EXPECT_EQ(CharCodeAt("AB", 0), 0);
}

TEST(IsNewRegionCode, OnlyCapitalJUEMeanTheOldModel) {
    EXPECT_FALSE(IsNewRegionCode("JUE"));
    EXPECT_FALSE(IsNewRegionCode("  E"));
    EXPECT_TRUE(IsNewRegionCode("4  "));
    EXPECT_TRUE(IsNewRegionCode("   "));
    EXPECT_TRUE(IsNewRegionCode("jue"));
}

TEST(TextField, ReadsExactlyItsWidthAndNothingPastTheImage) {
    Bytes b = image(0x1F2, 0xEE);
    put(b, 0x1EF, "xJU");
    EXPECT_EQ(readTextField(b, TextField{0x1F0, 3}), std::string("JU\0", 3));
    EXPECT_EQ(readTextField(b, TextField{0x1EF, 2}), "xJ");
}

TEST(TextField, WritesZeroPaddedAndNeverSpillsIntoTheNextField) {
    Bytes b = image(0x200, 0xEE);
    writeTextField(b, kSystemName, "SEGA GENESIS");
    EXPECT_EQ(bytesAt(b, 0x100, 16), std::string("SEGA GENESIS") + std::string(4, '\0'));
    writeTextField(b, kLegalLine, std::string(20, 'X'));
    EXPECT_EQ(bytesAt(b, 0x110, 16), std::string(16, 'X'));
    EXPECT_EQ(b[0x0FF], 0xEE);
    EXPECT_EQ(b[0x120], 0xEE);

    Bytes cut = image(0x1F2, 0xEE);
    writeTextField(cut, kRegion, "JUE");
    EXPECT_EQ(cut.size(), 0x1F2u);
    EXPECT_EQ(bytesAt(cut, 0x1F0, 2), "JU");
}

TEST(DeviceField, LettersKeepUnknownOnesAfterTheBoxes) {
    EXPECT_EQ(deviceField(devicesFromField("MJ"), "MJ"), "JM              ");
    EXPECT_EQ(deviceField(devicesFromField("GAJ"), "GAJ"), "JGA             ");
    EXPECT_EQ(deviceField({}, std::string("a\0b c", 5)), "abc             ");
    EXPECT_EQ(deviceField({}, ""), std::string(16, ' '));
    EXPECT_EQ(deviceLetters(devicesFromField("kK")), "K") << "case matters";
}

TEST(CheckHeaderFits, NeedsTheWholeRegionField) {
    EXPECT_TRUE(checkHeaderFits(kHeaderMinLength).ok());
    const Result<void> refused = checkHeaderFits(kHeaderMinLength - 1);
    ASSERT_FALSE(refused.ok());
    EXPECT_TRUE(refused.error().is(ErrorCategory::Format, kErrTooShortForHeader));
    EXPECT_NE(refused.error().description().find("too short"), std::string::npos);
}
