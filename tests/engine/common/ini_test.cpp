#include "engine/common/ini.h"

#include <gtest/gtest.h>

#include <string>

#include "engine/common/file_io.h"
#include "engine/common/text.h"
#include "engine/support/file_size_limit.h"
#include "engine/support/temp_folder.h"

namespace vantorel {
namespace {

using test::readBytes;
using test::TempFolder;
using test::writeBytes;

std::string repeat(std::string_view unit, std::size_t times) {
    std::string out;
    for (std::size_t i = 0; i < times; ++i) out.append(unit);
    return out;
}

// ---- reading -------------------------------------------------------------------------

struct ReadCase {
    const char* name;
    std::string contents;
    const char* section;
    const char* key;
    std::string expected;
    friend void PrintTo(const ReadCase& c, std::ostream* os) { *os << c.name; }
};

class IniRead : public ::testing::TestWithParam<ReadCase> {};

TEST_P(IniRead, GivesTheValueThePrivateProfileReaderWould) {
    const ReadCase& c = GetParam();
    EXPECT_EQ(ReadIniValueFromText(c.contents, c.section, c.key), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, IniRead,
    ::testing::Values(
        ReadCase{"Plain", "[ROMs]\nDirectorio=/roms/\n", "ROMs", "Directorio", "/roms/"},
        ReadCase{"SectionInCapitals", "[ROMS]\nDirectorio=/roms/\n", "ROMs", "Directorio", "/roms/"},
        ReadCase{"SectionAskedInLowerCase", "[ROMs]\nDirectorio=/roms/\n", "roms", "Directorio", "/roms/"},
        ReadCase{"KeyInCapitals", "[ROMs]\nDIRECTORIO=/roms/\n", "ROMs", "Directorio", "/roms/"},
        ReadCase{"FirstMatchingSectionWins", "[A]\nk=first\n[a]\nk=second\n", "A", "k", "first"},
        ReadCase{"FirstMatchingKeyWins", "[A]\nk=first\nK=second\n", "A", "k", "first"},
        ReadCase{"KeyOfAnotherSectionIsNotSeen", "[A]\nk=1\n[B]\nj=2\n", "B", "k", ""},
        ReadCase{"BlanksAroundKeyAndValueTrimmed", "[A]\n  k \t=  \tv w \t \n", "A", "k", "v w"},
        ReadCase{"DoubleQuotesStripped", "[A]\nk=\"  padded  \"\n", "A", "k", "  padded  "},
        ReadCase{"SingleQuotesStripped", "[A]\nk='x'\n", "A", "k", "x"},
        ReadCase{"OnlyOnePairOfQuotesStripped", "[A]\nk=\"\"x\"\"\n", "A", "k", "\"x\""},
        ReadCase{"UnmatchedQuoteKept", "[A]\nk=\"x\n", "A", "k", "\"x"},
        ReadCase{"MixedQuotesKept", "[A]\nk=\"x'\n", "A", "k", "\"x'"},
        ReadCase{"EqualsSignInValueKept", "[A]\nk=a=b\n", "A", "k", "a=b"},
        ReadCase{"MissingSection", "[A]\nk=1\n", "B", "k", ""},
        ReadCase{"MissingKey", "[A]\nk=1\n", "A", "j", ""},
        ReadCase{"EmptyValue", "[A]\nk=\nj=2\n", "A", "k", ""}, ReadCase{"EmptyText", "", "A", "k", ""},
        ReadCase{"CommentLineIsNoKey", "[A]\n;k=1\n", "A", "k", ""},
        ReadCase{"KeysBeforeAnySectionIgnored", "k=0\n[A]\nk=1\n", "A", "k", "1"},
        ReadCase{"CrLfLineEndings", "[A]\r\nk=v\r\nj=w\r\n", "A", "k", "v"},
        ReadCase{"CrOnlyLineEndings", "[A]\rk=v\rj=w\r", "A", "j", "w"},
        ReadCase{"NoTrailingNewline", "[A]\nk=v", "A", "k", "v"},
        ReadCase{"ByteOrderMarkBeforeFirstSection", "\xEF\xBB\xBF[A]\nk=v\n", "A", "k", "v"},
        ReadCase{"Utf8Text", "[A]\nk=colg\xC3\xB3\n", "A", "k", "colg\xC3\xB3"},
        ReadCase{"Windows1252Text", "[A]\nk=colg\xF3\n", "A", "k", "colg\xC3\xB3"},
        ReadCase{"Windows1252SpecialsDecoded", "[A]\nk=\x80 \x93x\x94\n", "A", "k",
                 "\xE2\x82\xAC \xE2\x80\x9Cx\xE2\x80\x9D"}),
    [](const auto& info) { return std::string(info.param.name); });

struct CutCase {
    const char* name;
    std::string value;     // as written in the file (UTF-8 unless said)
    std::string expected;  // as read back (UTF-8)
    friend void PrintTo(const CutCase& c, std::ostream* os) { *os << c.name; }
};

class IniCut : public ::testing::TestWithParam<CutCase> {};

TEST_P(IniCut, KeepsAtMost254Characters) {
    const CutCase& c = GetParam();
    EXPECT_EQ(ReadIniValueFromText("[A]\nk=" + c.value + "\n", "A", "k"), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, IniCut,
    ::testing::Values(CutCase{"Exactly254Ascii", repeat("a", 254), repeat("a", 254)},
                      CutCase{"LongAsciiCut", repeat("a", 253) + "bcd", repeat("a", 253) + "b"},
                      // Counted in characters: 300 two-byte letters give 254 letters, 508 bytes.
                      CutCase{"TwoByteLettersCountAsOne", repeat("\xC3\xB1", 300), repeat("\xC3\xB1", 254)},
                      CutCase{"FourByteCharactersCountAsOne", repeat("\xF0\x9F\x8E\xAE", 255),
                              repeat("\xF0\x9F\x8E\xAE", 254)},
                      CutCase{"Windows1252CutAfterDecoding", repeat("\xF3", 300), repeat("\xC3\xB3", 254)},
                      CutCase{"CutAppliesAfterQuotesGo", "\"" + repeat("q", 254) + "\"", repeat("q", 254)}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(IniFile, MissingFileFolderSectionOrKeyReadEmptyAndCreateNothing) {
    TempFolder dir;
    EXPECT_EQ(ReadIniValue(dir / "none.ini", "A", "k"), "");
    EXPECT_EQ(ReadIniValue(dir / "no" / "such" / "folder.ini", "A", "k"), "");
    EXPECT_TRUE(dir.entries().empty());

    writeBytes(dir / "s.ini", "[A]\nk=1\n");
    EXPECT_EQ(ReadIniValue(dir / "s.ini", "B", "k"), "");
    EXPECT_EQ(ReadIniValue(dir / "s.ini", "A", "j"), "");
    EXPECT_EQ(ReadIniValue(dir / "s.ini", "A", "k"), "1");
    EXPECT_EQ(readBytes(dir / "s.ini"), "[A]\nk=1\n");
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"s.ini"});
}

TEST(IniFile, AFolderInPlaceOfTheFileReadsEmpty) {
    TempFolder dir;
    std::filesystem::create_directory(dir / "x.ini");
    EXPECT_EQ(ReadIniValue(dir / "x.ini", "A", "k"), "");
}

TEST(IniFile, Windows1252AndUtf8FilesReadTheSame) {
    TempFolder dir;
    writeBytes(dir / "legacy.idi", "[Msgs]\r\nGoodbye=El programa se colg\xF3\r\n");
    writeBytes(dir / "modern.idi", "[Msgs]\nGoodbye=El programa se colg\xC3\xB3\n");
    EXPECT_EQ(ReadIniValue(dir / "legacy.idi", "Msgs", "Goodbye"), "El programa se colg\xC3\xB3");
    EXPECT_EQ(ReadIniValue(dir / "modern.idi", "msgs", "GOODBYE"), "El programa se colg\xC3\xB3");
}

// ---- writing -------------------------------------------------------------------------

struct WriteCase {
    const char* name;
    std::string before;
    const char* section;
    const char* key;
    std::string value;
    std::string after;
    friend void PrintTo(const WriteCase& c, std::ostream* os) { *os << c.name; }
};

class IniWrite : public ::testing::TestWithParam<WriteCase> {};

TEST_P(IniWrite, ChangesOnlyWhatItMustAndReadsBack) {
    const WriteCase& c = GetParam();
    const std::string written = WriteIniValueToText(c.before, c.section, c.key, c.value);
    EXPECT_EQ(written, c.after);
    std::string readBack = c.value;
    for (char& ch : readBack)
        if (ch == '\r' || ch == '\n') ch = ' ';
    EXPECT_EQ(ReadIniValueFromText(written, c.section, c.key), readBack);
}

TEST_P(IniWrite, OnDiskKeepsEveryOtherByteAndLeavesNoTemporaryFile) {
    const WriteCase& c = GetParam();
    TempFolder dir;
    writeBytes(dir / "v.ini", c.before);
    ASSERT_TRUE(WriteIniValue(dir / "v.ini", c.section, c.key, c.value));
    EXPECT_EQ(readBytes(dir / "v.ini"), c.after);
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"v.ini"});
}

const std::string kCommented =
    "; Vantorel settings\n"
    "\n"
    "[Emuladores]\n"
    "Gens=/usr/bin/gens\n"
    "  # kept as it is\n"
    "Kega=\n"
    "\n"
    "\n"
    "[ROMs]\n"
    "Directorio=/old/\n";

INSTANTIATE_TEST_SUITE_P(
    Cases, IniWrite,
    ::testing::Values(
        WriteCase{"ReplacesItsLineOnly", kCommented, "ROMs", "Directorio", "/new/",
                  "; Vantorel settings\n\n[Emuladores]\nGens=/usr/bin/gens\n  # kept as it is\nKega=\n\n\n"
                  "[ROMs]\nDirectorio=/new/\n"},
        WriteCase{"AppendsKeyBeforeBlankLinesOfTheNextSection", kCommented, "Emuladores", "Otro", "/opt/emu",
                  "; Vantorel settings\n\n[Emuladores]\nGens=/usr/bin/gens\n  # kept as it is\nKega=\n"
                  "Otro=/opt/emu\n\n\n[ROMs]\nDirectorio=/old/\n"},
        WriteCase{"FindsSectionAndKeyWithoutRegardToCase", "[roms]\ndirectorio=/old/\n", "ROMs", "Directorio",
                  "/new/", "[roms]\nDirectorio=/new/\n"},
        WriteCase{"AppendsNewSection", "[A]\nk=1\n", "Idioma", "Idioma", "/l/English.idi",
                  "[A]\nk=1\n[Idioma]\nIdioma=/l/English.idi\n"},
        WriteCase{"AppendsNewSectionAfterTextWithoutNewline", "[A]\nk=1", "B", "j", "2",
                  "[A]\nk=1\n[B]\nj=2\n"},
        WriteCase{"AppendsKeyToLastLineWithoutNewline", "[A]\nk=1", "A", "j", "2", "[A]\nk=1\nj=2\n"},
        WriteCase{"AppendsKeyToSectionHeaderWithoutNewline", "[A]", "A", "j", "2", "[A]\nj=2\n"},
        WriteCase{"CreatesTextFromNothing", "", "ROMs", "Directorio", "/r/", "[ROMs]\nDirectorio=/r/\n"},
        WriteCase{"KeepsCrLfLineEndings", "[A]\r\nk=1\r\n\r\n[B]\r\nx=y\r\n", "A", "j", "2",
                  "[A]\r\nk=1\r\nj=2\r\n\r\n[B]\r\nx=y\r\n"},
        WriteCase{"ReplacesInCrLfFile", "[A]\r\nk=1\r\n[B]\r\n", "A", "k", "22", "[A]\r\nk=22\r\n[B]\r\n"},
        WriteCase{"NewSectionInCrLfFile", "[A]\r\nk=1\r\n", "B", "j", "2", "[A]\r\nk=1\r\n[B]\r\nj=2\r\n"},
        WriteCase{"WritesIntoFirstOfTwoSameSections", "[A]\nk=1\n[A]\nk=2\n", "A", "k", "3",
                  "[A]\nk=3\n[A]\nk=2\n"},
        WriteCase{"EmptyValue", "[A]\nk=1\n", "A", "k", "", "[A]\nk=\n"},
        WriteCase{"LineBreaksInValueBecomeBlanks", "[A]\n", "A", "k", "a\r\nb", "[A]\nk=a  b\n"},
        WriteCase{"KeepsByteOrderMark", "\xEF\xBB\xBF[A]\nk=1\n", "A", "k", "2", "\xEF\xBB\xBF[A]\nk=2\n"},
        WriteCase{"Utf8ValueInUtf8File", "[A]\nn=ni\xC3\xB1o\n", "A", "k", "colg\xC3\xB3",
                  "[A]\nn=ni\xC3\xB1o\nk=colg\xC3\xB3\n"},
        // A Windows-1252 file gets the value in its own encoding, so both keys keep their meaning.
        WriteCase{"Utf8ValueInWindows1252File", "[A]\nn=ni\xF1o\n", "A", "k", "colg\xC3\xB3",
                  "[A]\nn=ni\xF1o\nk=colg\xF3\n"},
        // ...unless that encoding lacks a character: then the file becomes UTF-8 as a whole.
        WriteCase{"ValueWindows1252CannotHold", "[A]\nn=ni\xF1o\n", "A", "k", "\xE2\x86\x92",
                  "[A]\nn=ni\xC3\xB1o\nk=\xE2\x86\x92\n"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(IniFile, WriteCreatesFileAndFolder) {
    TempFolder dir;
    const auto file = dir / "config" / "vantorel" / "vantorel.ini";
    ASSERT_TRUE(WriteIniValue(file, "ROMs", "Directorio", "/r/"));
    EXPECT_EQ(readBytes(file), "[ROMs]\nDirectorio=/r/\n");
    EXPECT_EQ(ReadIniValue(file, "ROMs", "Directorio"), "/r/");
}

TEST(IniFile, InterruptedWriteLeavesTheOldFileWhole) {
    TempFolder dir;
    const auto file = dir / "v.ini";
    writeBytes(file, kCommented);
    for (std::size_t after : {std::size_t{0}, std::size_t{1}, std::size_t{20}, kCommented.size()}) {
        SCOPED_TRACE(after);
        {
            test::ScopedFileSizeLimit full(after);
            EXPECT_FALSE(WriteIniValue(file, "ROMs", "Directorio", "/a/much/longer/folder/name/"));
        }
        EXPECT_EQ(readBytes(file), kCommented);
        EXPECT_EQ(dir.entries(), std::vector<std::string>{"v.ini"});
    }
    // With room again, the next write goes through.
    EXPECT_TRUE(WriteIniValue(file, "ROMs", "Directorio", "/b/"));
    EXPECT_EQ(ReadIniValue(file, "ROMs", "Directorio"), "/b/");
}

TEST(IniFile, InterruptedFirstWriteLeavesNoFile) {
    TempFolder dir;
    {
        test::ScopedFileSizeLimit full(3);
        EXPECT_FALSE(WriteIniValue(dir / "v.ini", "A", "k", "v"));
    }
    EXPECT_TRUE(dir.entries().empty());
}

TEST(IniFile, WriteOverAFolderFailsAndLeavesIt) {
    TempFolder dir;
    std::filesystem::create_directory(dir / "v.ini");
    EXPECT_FALSE(WriteIniValue(dir / "v.ini", "A", "k", "v"));
    EXPECT_TRUE(std::filesystem::is_directory(dir / "v.ini"));
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"v.ini"});
}

TEST(IniFile, WriteKeepsTheFilePermissions) {
    TempFolder dir;
    const auto file = dir / "v.ini";
    writeBytes(file, "[A]\nk=1\n");
    std::filesystem::permissions(file,
                                 std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    ASSERT_TRUE(WriteIniValue(file, "A", "k", "2"));
    EXPECT_EQ(std::filesystem::status(file).permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
}

}  // namespace
}  // namespace vantorel
