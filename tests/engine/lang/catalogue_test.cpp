#include "engine/lang/catalogue.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "engine/common/text.h"
#include "engine/support/temp_folder.h"
#include "vantorel/version.h"

namespace vantorel::lang {
namespace {

using test::TempFolder;
using test::writeBytes;

TEST(Catalogue, LoadsEveryKeyFromTheFile) {
    // The design's 49 keys keep their names and their order at the head of the table.
    const std::vector<std::string_view> design = {
        "AppMsg",     "BadChecksum",  "WarningChecksum1", "WarningChecksum2", "ReadyToEdit",
        "ReadyToRun", "OverwriteMSG", "SavedAsMsg",       "ErrString",        "NoIni1",
        "NoIni2",     "NoRunMsg",     "SelRomErr",        "SelDestErr",       "CNVProg",
        "OKCNV",      "ErrCNV",       "DstMsg",           "CantCNV1",         "CantCNV2",
        "RunApp",     "RunRom",       "WantExit",         "Goodbye",          "RomFolder",
        "MainExe",    "EXEs",         "SelExe",           "AllFiles",         "SelOtroEmu",
        "BinFile",    "SMDRom",       "AllRoms",          "ZippedRoms",       "Patches",
        "SelIPSBox",  "SelRomBox",    "SaveRF",           "LoadBinT",         "SaveCNV",
        "MemStat",    "SelRomPErr",   "SelIPSPErr",       "SelDstPErr",       "SelChunkErr",
        "CantPatch",  "Patching",     "PatchedOK",        "InvalidIPS"};
    ASSERT_EQ(design.size(), kDesignMessageCount);
    for (std::size_t i = 0; i < design.size(); ++i) EXPECT_EQ(keyOf(static_cast<Msg>(i)), design[i]);

    // Every key's text comes from the file, each a different one, in keys written in any case
    // and any order.
    TempFolder dir;
    std::string file = "[MSGS]\n";
    for (std::size_t i = kMessageCount; i-- > 0;)
        file += text::toLowerAscii(kMessageKeys[i]) + "=text " + std::to_string(i) + "\n";
    writeBytes(dir / "All.idi", file);
    Catalogue c;
    c.load(dir / "All.idi");
    for (std::size_t i = 0; i < kMessageCount; ++i)
        EXPECT_EQ(c.text(static_cast<Msg>(i)), "text " + std::to_string(i)) << kMessageKeys[i];
}

TEST(Catalogue, MissingKeysAndFilesGiveEmptyTexts) {
    TempFolder dir;
    writeBytes(dir / "Part.idi", "[msgs]\r\nappmsg=Hola %v\r\nGoodbye=\r\n[Other]\r\nWantExit=no\r\n");
    Catalogue c;
    c.load(dir / "Part.idi");
    EXPECT_EQ(c.text(Msg::AppMsg), "Hola %v");
    EXPECT_EQ(c.text(Msg::Goodbye), "");
    EXPECT_EQ(c.text(Msg::WantExit), "");

    c.load(dir / "Missing.idi");
    EXPECT_EQ(c.text(Msg::AppMsg), "");
    EXPECT_TRUE(dir.entries() == std::vector<std::string>{"Part.idi"});
}

TEST(Catalogue, ALoadReplacesTheWholeSet) {
    TempFolder dir;
    writeBytes(dir / "A.idi", "[Msgs]\nAppMsg=one\nGoodbye=bye\n");
    writeBytes(dir / "B.idi", "[Msgs]\nAppMsg=two\n");
    Catalogue c;
    c.load(dir / "A.idi");
    c.load(dir / "B.idi");
    EXPECT_EQ(c.text(Msg::AppMsg), "two");
    EXPECT_EQ(c.text(Msg::Goodbye), "");
    c.clear();
    EXPECT_EQ(c.text(Msg::AppMsg), "");
}

struct PlaceholderCase {
    const char* name;
    Msg msg;
    std::string text;
    const char* marker;
    const char* value;
    std::string expected;
    friend void PrintTo(const PlaceholderCase& c, std::ostream* os) { *os << c.name; }
};

class Placeholders : public ::testing::TestWithParam<PlaceholderCase> {};

TEST_P(Placeholders, EveryOccurrenceIsReplaced) {
    const PlaceholderCase& p = GetParam();
    Catalogue c;
    c.set(p.msg, p.text);
    EXPECT_EQ(c.text(p.msg, p.marker, p.value), p.expected);
    EXPECT_EQ(c.text(p.msg), p.text);  // the stored text stays as it was
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Placeholders,
    ::testing::Values(
        PlaceholderCase{"TwoRomPaths", Msg::RunRom, "%r then %r", "%r", "/r/a.bin", "/r/a.bin then /r/a.bin"},
        PlaceholderCase{"Version", Msg::AppMsg, "Vantorel %v ready", "%v", "1.0.0", "Vantorel 1.0.0 ready"},
        PlaceholderCase{"OtherMarkerShownAsItStands", Msg::RunRom, "%p with %r", "%r", "x", "%p with x"},
        PlaceholderCase{"NoMarker", Msg::Goodbye, "Bye", "%r", "x", "Bye"},
        PlaceholderCase{"AdjacentMarkers", Msg::MemStat, "%t%t", "%t", "512", "512512"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Placeholders, ChainedForTwoMarkers) {
    Catalogue c;
    c.set(Msg::RunRom, "Started %p with %r (%p)");
    const std::string once = text::replaceAll(c.text(Msg::RunRom, "%p", "gens"), "%r", "/s.bin");
    EXPECT_EQ(once, "Started gens with /s.bin (gens)");
}

struct ValidityCase {
    const char* name;
    std::optional<std::string> contents;  // none: no file at all
    bool valid;
    friend void PrintTo(const ValidityCase& c, std::ostream* os) { *os << c.name; }
};

class Validity : public ::testing::TestWithParam<ValidityCase> {};

TEST_P(Validity, NeedsANonEmptyAppMsg) {
    const ValidityCase& v = GetParam();
    TempFolder dir;
    if (v.contents) writeBytes(dir / "L.idi", *v.contents);
    EXPECT_EQ(isLanguageFile(dir / "L.idi"), v.valid);
}

INSTANTIATE_TEST_SUITE_P(Cases, Validity,
                         ::testing::Values(ValidityCase{"Complete", "[Msgs]\nAppMsg=Ready\n", true},
                                           ValidityCase{"CaseDoesNotMatter", "[MSGS]\nappmsg=Listo\n", true},
                                           ValidityCase{"NoMsgsSection", "[mdMain]\nAppMsg=Ready\n", false},
                                           ValidityCase{"NoAppMsg", "[Msgs]\nGoodbye=Bye\n", false},
                                           ValidityCase{"EmptyAppMsg", "[Msgs]\nAppMsg=   \n", false},
                                           ValidityCase{"EmptyQuotedAppMsg", "[Msgs]\nAppMsg=\"\"\n", false},
                                           ValidityCase{"EmptyFile", "", false},
                                           ValidityCase{"NotText", "\x01\x02\xFF", false},
                                           ValidityCase{"NoFile", std::nullopt, false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(LanguageFiles, ListsOnlyIdiFilesSortedByName) {
    TempFolder dir;
    writeBytes(dir / "Espanol.idi", "");
    writeBytes(dir / "English.idi", "");
    writeBytes(dir / "notes.txt", "");
    writeBytes(dir / "vantorel.ini", "");
    std::filesystem::create_directory(dir / "Folder.idi");
    EXPECT_EQ(listLanguageFiles(dir.path()),
              (std::vector<std::filesystem::path>{dir / "English.idi", dir / "Espanol.idi"}));
    EXPECT_TRUE(listLanguageFiles(dir / "missing").empty());
}

TEST(Version, IsMajorMinorRevisionInDecimal) {
    const std::string v = versionText();
    EXPECT_EQ(v, std::to_string(kVersionMajor) + "." + std::to_string(kVersionMinor) + "." +
                     std::to_string(kVersionRevision));
}

}  // namespace
}  // namespace vantorel::lang
