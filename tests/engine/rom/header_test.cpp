#include "engine/rom/header.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace vantorel::rom;
using Bytes = std::vector<std::uint8_t>;

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

TEST(HeaderRecord, ReadsEveryFieldAtItsOffsetAndWidth) {
    Bytes b = image(0x200, ' ');
    put(b, 0x100, "SEGA MEGA DRIVE ");
    put(b, 0x110, "(C)SEGA 1991.APR");
    put(b, 0x120, std::string(47, 'D') + "d");
    put(b, 0x150, std::string(47, 'O') + "o");
    put(b, 0x180, "GM 00001009-00");
    put(b, 0x190, "J6              ");
    put(b, 0x1B0, std::string(63, 'c') + "C");
    put(b, 0x1F0, "JUE");
    auto h = ReadHeaderRecord(b);
    ASSERT_TRUE(h.ok());
    EXPECT_EQ(h.value().systemName, "SEGA MEGA DRIVE ");
    EXPECT_EQ(h.value().legalLine, "(C)SEGA 1991.APR");
    EXPECT_EQ(h.value().domesticTitle, std::string(47, 'D') + "d");
    EXPECT_EQ(h.value().overseasTitle, std::string(47, 'O') + "o");
    EXPECT_EQ(h.value().productCode, "GM 00001009-00");
    EXPECT_EQ(deviceLetters(h.value().devices), "J6");
    EXPECT_EQ(h.value().comment, std::string(63, 'c') + "C");
    EXPECT_EQ(h.value().region, "JUE");
}

TEST(HeaderRecord, CommentNulsShowAsSpacesOtherFieldsKeepThem) {
    Bytes b = image(0x200);
    put(b, 0x100, "SEGA");
    auto h = ReadHeaderRecord(b);
    ASSERT_TRUE(h.ok());
    EXPECT_EQ(h.value().comment, std::string(64, ' '));
    EXPECT_EQ(h.value().systemName, std::string("SEGA") + std::string(12, '\0'));
}

TEST(HeaderRecord, ShortTextIsZeroPaddedNotSpacePadded) {
    Bytes b = image(0x200, 0xEE);
    auto h = ReadHeaderRecord(b).value();
    h.systemName = "SEGA GENESIS";
    ASSERT_TRUE(WriteHeaderRecord(b, h).ok());
    EXPECT_EQ(bytesAt(b, 0x100, 16), std::string("SEGA GENESIS") + std::string(4, '\0'));
    // Writing never spills into the next field.
    h.legalLine = std::string(20, 'X');
    ASSERT_TRUE(WriteHeaderRecord(b, h).ok());
    EXPECT_EQ(bytesAt(b, 0x110, 16), std::string(16, 'X'));
    EXPECT_EQ(b[0x120], 0xEE);
}

TEST(HeaderRecord, EveryByteValueSurvivesLoadAndSave) {
    // Each field gets bytes from all over 0-255, and the bytes outside the fields too.
    Bytes original(0x400);
    for (std::size_t i = 0; i < original.size(); ++i) original[i] = static_cast<std::uint8_t>(i * 7 + 3);
    auto h = ReadHeaderRecord(original).value();
    Bytes out = original;
    ASSERT_TRUE(WriteHeaderRecord(out, h).ok());
    EXPECT_EQ(out, original);

    // All 256 values through one edited text field.
    Bytes wide(0x200);
    auto h2 = ReadHeaderRecord(wide).value();
    for (int base = 0; base < 256; base += 64) {
        std::string text;
        for (int v = base; v < base + 64; ++v) text += static_cast<char>(v);
        h2.comment = text;
        h2.commentEdited = true;
        ASSERT_TRUE(WriteHeaderRecord(wide, h2).ok());
        EXPECT_EQ(bytesAt(wide, 0x1B0, 64), text);
    }
}

TEST(HeaderRecord, UntouchedAreasOutsideTheFieldsStayAsTheyWere) {
    Bytes b(0x300);
    for (std::size_t i = 0; i < b.size(); ++i) b[i] = static_cast<std::uint8_t>(0xA5 ^ i);
    const Bytes before = b;
    auto h = ReadHeaderRecord(b).value();
    h.systemName = "X";
    h.comment = "Y";
    h.commentEdited = true;
    h.devices = {};
    h.devicesEdited = true;
    ASSERT_TRUE(WriteHeaderRecord(b, h).ok());
    for (auto [from, to] : {std::pair{0x000, 0x100}, {0x18E, 0x190}, {0x1A0, 0x1B0}, {0x1F3, 0x300}})
        for (int i = from; i < to; ++i) ASSERT_EQ(b[i], before[i]) << "offset " << i;
}

TEST(HeaderRecord, UntouchedCommentGoesBackByteForByte) {
    Bytes b = image(0x200);
    put(b, 0x1B0, std::string("RA\xF8\x20") + std::string(3, '\0') + "modem");
    const Bytes before = b;
    auto h = ReadHeaderRecord(b).value();
    ASSERT_TRUE(WriteHeaderRecord(b, h).ok());
    EXPECT_EQ(b, before);

    h.comment = "EDITED";
    h.commentEdited = true;
    ASSERT_TRUE(WriteHeaderRecord(b, h).ok());
    EXPECT_EQ(bytesAt(b, 0x1B0, 64), std::string("EDITED") + std::string(58, '\0'));
}

struct DeviceCase {
    const char* stored;   // 16 bytes at 0x190
    const char* ticked;   // letters of the boxes ticked on load
    const char* toggle;   // box letters the user flips ("" = untouched)
    const char* written;  // what a save leaves at 0x190
};

class DeviceField : public ::testing::TestWithParam<DeviceCase> {};

TEST_P(DeviceField, ReadsTicksAndWritesBack) {
    const DeviceCase& c = GetParam();
    Bytes b = image(0x200);
    put(b, 0x190, std::string(c.stored).substr(0, 16));
    auto h = ReadHeaderRecord(b).value();
    EXPECT_EQ(deviceLetters(h.devices), c.ticked);
    for (const char* t = c.toggle; *t; ++t) {
        const auto i = std::find(kDeviceLetters.begin(), kDeviceLetters.end(), *t) - kDeviceLetters.begin();
        h.devices[i] = !h.devices[i];
        h.devicesEdited = true;
    }
    ASSERT_TRUE(WriteHeaderRecord(b, h).ok());
    EXPECT_EQ(bytesAt(b, 0x190, 16), std::string(c.written, 16));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DeviceField,
    ::testing::Values(DeviceCase{"J6              ", "J6", "", "J6              "},
                      DeviceCase{"M J             ", "JM", "", "M J             "},
                      DeviceCase{"M J             ", "JM", "MM", "JM              "},
                      DeviceCase{"K               ", "K", "", "K               "},
                      DeviceCase{"j               ", "", "", "j               "},
                      DeviceCase{"JJJJ            ", "J", "6", "J6              "},
                      // Letters no box knows follow the box letters in their own order.
                      DeviceCase{"GJAK            ", "JK", "4", "JK4GA           "},
                      DeviceCase{"jG6             ", "6", "6", "jG              "},
                      // NULs in the field read as nothing and come back as they were until edited.
                      DeviceCase{"J\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0", "J", "",
                                 "J\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0"},
                      DeviceCase{"J\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0", "J", "M", "JM              "},
                      DeviceCase{"0RTVCMLBFP4K6J  ", "J6KPBFL40RTVCM", "", "0RTVCMLBFP4K6J  "},
                      DeviceCase{"0RTVCMLBFP4K6J  ", "J6KPBFL40RTVCM", "JJ", "J6KPBFL40RTVCM  "}));

TEST(HeaderRecord, DeviceFieldFromLettersKeepsUnknownOnesAfterTheBoxes) {
    EXPECT_EQ(deviceField(devicesFromField("MJ"), "MJ"), "JM              ");
    EXPECT_EQ(deviceField(devicesFromField("GAJ"), "GAJ"), "JGA             ");
    EXPECT_EQ(deviceField({}, ""), std::string(16, ' '));
}

TEST(HeaderRecord, RefusesFilesTooShortForTheHeader) {
    for (std::size_t size : {std::size_t{0}, std::size_t{1}, std::size_t{0x1F2}}) {
        Bytes b(size);
        auto h = ReadHeaderRecord(b);
        ASSERT_FALSE(h.ok()) << size;
        EXPECT_NE(h.error().description().find("too short"), std::string::npos);
        Header any;
        EXPECT_FALSE(WriteHeaderRecord(b, any).ok());
        EXPECT_EQ(b, Bytes(size));
    }
    Bytes fits(0x1F3);
    EXPECT_TRUE(ReadHeaderRecord(fits).ok());
}

TEST(HeaderRecord, RegionIsWrittenZeroPadded) {
    Bytes b = image(0x200, 0x77);
    auto h = ReadHeaderRecord(b).value();
    h.region = "J";
    ASSERT_TRUE(WriteHeaderRecord(b, h).ok());
    EXPECT_EQ(bytesAt(b, 0x1F0, 4), std::string("J\0\0\x77", 4));
}

TEST(HeaderRecord, WriteReportsEachOfTheEightFields) {
    Bytes b = image(0x200);
    auto h = ReadHeaderRecord(b).value();
    std::vector<std::int64_t> steps;
    ASSERT_TRUE(WriteHeaderRecord(b, h, [&](std::int64_t done, std::int64_t total) {
                    EXPECT_EQ(total, 8);
                    steps.push_back(done);
                    return true;
                }).ok());
    EXPECT_EQ(steps, (std::vector<std::int64_t>{1, 2, 3, 4, 5, 6, 7, 8}));
}
