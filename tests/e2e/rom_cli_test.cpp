#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "cli_fixture.h"

using namespace cli_test;
namespace fs = std::filesystem;

TEST_F(Cli, HeaderPrintsOneFieldPerLine) {
    const fs::path f = image("a.bin");
    const CliRun r = run({"header", f.string()});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.out.find("system: SEGA MEGA DRIVE \n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("legal: (C)SEGA 1991.APR\n"), std::string::npos);
    EXPECT_NE(r.out.find("code: GM 00001009-00\n"), std::string::npos);
    EXPECT_NE(r.out.find("checksum: 1233\n"), std::string::npos);
    EXPECT_NE(r.out.find("devices: J6G\n"), std::string::npos) << "G has no box, yet the file holds it";
    EXPECT_NE(r.out.find("region: JUE\n"), std::string::npos);
    EXPECT_NE(r.out.find("overseas: SONIC \xC3\x89\"Q\\\n"), std::string::npos);
}

TEST_F(Cli, HeaderJsonHasEveryKeyAndEscapes) {
    const fs::path f = image("a.bin", 0xab0f);
    const CliRun r = run({"header", "--json", f.string()});
    EXPECT_EQ(r.code, 0) << r.err;
    for (const char* expected :
         {"\"system\": \"SEGA MEGA DRIVE \"", "\"checksum\": \"AB0F\"", "\"devices\": \"J6G\"",
          "\"region\": \"JUE\"", "\"overseas\": \"SONIC \xC3\x89\\\"Q\\\\\\u0000",
          "\"comment\": \"BIG CARTS                                       ",
          "\"legal\": ", "\"domestic\": \"SONIC THE      HEDGEHOG\\u0000", "\"code\": \"GM 00001009-00\""})
        EXPECT_NE(r.out.find(expected), std::string::npos) << expected << "\n" << r.out;
    EXPECT_EQ(r.out.front(), '{');
    EXPECT_EQ(r.out.substr(r.out.size() - 2), "}\n");
}

TEST_F(Cli, SetChangesOnlyTheNamedFields) {
    const fs::path f = image("a.bin");
    const Bytes before = readBytes(f);
    const CliRun r = run(
        {"header", f.string(), "--set", "system=SEGA GENESIS", "--set", "devices=MG", "--set=region=4  "});
    ASSERT_EQ(r.code, 0) << r.err;
    const Bytes after = readBytes(f);
    ASSERT_EQ(after.size(), before.size());
    Bytes expected = before;
    const std::string sys = std::string("SEGA GENESIS") + std::string(4, '\0');
    std::copy(sys.begin(), sys.end(), expected.begin() + 0x100);
    const std::string devWritten = "MG" + std::string(14, ' ');
    std::copy(devWritten.begin(), devWritten.end(), expected.begin() + 0x190);
    expected[0x1F0] = '4';
    expected[0x1F1] = ' ';
    expected[0x1F2] = ' ';
    EXPECT_EQ(after, expected);
}

TEST_F(Cli, SetWithOutputLeavesTheSourceUntouched) {
    const fs::path f = image("a.bin");
    const Bytes before = readBytes(f);
    const fs::path out = dir_ / "out.bin";
    const CliRun r = run({"header", "--set", "comment=NEW", "-o", out.string(), f.string()});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(readBytes(f), before);
    Bytes expected = before;
    const std::string comment = "NEW" + std::string(61, '\0');
    std::copy(comment.begin(), comment.end(), expected.begin() + 0x1B0);
    EXPECT_EQ(readBytes(out), expected);
}

// Lines show a text field up to its first NUL, as the editor does; JSON keeps the bytes.
TEST_F(Cli, LinesStopAtTheFirstNulJsonKeepsTheBytes) {
    const fs::path f = image("a.bin");
    Bytes b = readBytes(f);
    const std::string system("SEGA\0MD\x1B[2J\x9Bxm\0\0", 16);
    std::copy(system.begin(), system.end(), b.begin() + 0x100);
    const std::string code("GM\x1B[31m\x9Bxm\0AB\0", 14);
    std::copy(code.begin(), code.end(), b.begin() + 0x180);
    b[0x1B2] = 0;
    b[0x1B5] = 0x9B;
    writeBytes(f, b);

    CliRun r = run({"header", f.string()});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out.rfind("system: SEGA\n", 0), 0u) << r.out;
    EXPECT_NE(r.out.find("\ncode: GM?[31m?xm\n"), std::string::npos) << "no byte drives the terminal";
    EXPECT_NE(r.out.find("\ncomment: BI  C?RTS" + std::string(55, ' ') + "\n"), std::string::npos) << r.out;

    r = run({"header", "--json", f.string()});
    ASSERT_EQ(r.code, 0) << r.err;
    const auto parsed = nlohmann::json::parse(r.out, nullptr, false);
    ASSERT_FALSE(parsed.is_discarded()) << r.out;
    EXPECT_EQ(parsed.value("system", "?"), std::string("SEGA\0MD\x1B[2J\xC2\x9Bxm\0\0", 17));
    EXPECT_EQ(parsed.value("comment", "?"), "BI  C\xC2\x9BRTS" + std::string(55, ' '));
}

struct SetCase {
    const char* name;
    std::string set;       // the --set argument
    std::size_t offset;    // where the field starts
    std::string expected;  // the field's bytes afterwards
};
void PrintTo(const SetCase& c, std::ostream* os) {
    *os << c.name;
}

class SetField : public Cli, public ::testing::WithParamInterface<SetCase> {};

// A field written with --set holds the value and zeros up to its width, whatever it held
// after its first NUL before; no other byte changes.
TEST_P(SetField, WritesTheValueZeroPadded) {
    const fs::path f = image("a.bin");
    Bytes before = readBytes(f);
    const std::string junk("\0OLD\0BYTES", 10);
    std::copy(junk.begin(), junk.end(), before.begin() + GetParam().offset + 3);
    writeBytes(f, before);

    const CliRun r = run({"header", f.string(), "--set", GetParam().set});
    ASSERT_EQ(r.code, 0) << r.err;
    Bytes expected = before;
    std::copy(GetParam().expected.begin(), GetParam().expected.end(), expected.begin() + GetParam().offset);
    EXPECT_EQ(readBytes(f), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, SetField,
    ::testing::Values(SetCase{"TypedAfterTheText", "system=SEG+", 0x100, "SEG+" + std::string(12, '\0')},
                      SetCase{"Emptied", "legal=", 0x110, std::string(16, '\0')},
                      SetCase{"Latin1Character", "code=\xC3\x89T", 0x180, "\xC9T" + std::string(12, '\0')},
                      SetCase{"CommentFull", "comment=" + std::string(64, 'c'), 0x1B0, std::string(64, 'c')},
                      SetCase{"RegionShort", "region=U", 0x1F0, std::string("U\0\0", 3)}),
    [](const auto& info) { return std::string(info.param.name); });

// Values the fields cannot hold are refused before the file is read, so even a missing
// file gives the usage error, and nothing is written.
TEST_F(Cli, RefusedValuesAreUsageErrors) {
    const fs::path f = image("a.bin");
    const Bytes before = readBytes(f);
    for (const std::string& set : {std::string("comment=\xE2\x82\xAC"), std::string("domestic=\xC3"),
                                   "devices=" + std::string(17, 'J'), "code=" + std::string(15, 'C')}) {
        for (const std::string& file : {f.string(), (dir_ / "missing.bin").string()}) {
            const CliRun r = run({"header", file, "--set", set});
            EXPECT_EQ(r.code, 2) << set << " " << file;
            EXPECT_NE(r.err.find("the value of " + set.substr(0, set.find('=')) + " "), std::string::npos)
                << r.err;
        }
    }
    EXPECT_EQ(readBytes(f), before);
    EXPECT_FALSE(fs::exists(dir_ / "missing.bin"));
}

TEST_F(Cli, ChecksumReportsAndFixes) {
    const fs::path good = image("good.bin");
    const fs::path bad = image("bad.bin", 0x0000);
    CliRun r = run({"checksum", good.string()});
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out, good.string() + ": stored 1233 computed 1233 OK\n");

    const Bytes before = readBytes(bad);
    r = run({"checksum", good.string(), bad.string()});
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.out.find(bad.string() + ": stored 0000 computed 1233 BAD\n"), std::string::npos) << r.out;
    EXPECT_EQ(readBytes(bad), before);

    r = run({"checksum", bad.string(), "--fix"});
    EXPECT_EQ(r.code, 0) << r.err;
    Bytes expected = before;
    expected[0x18E] = 0x12;
    expected[0x18F] = 0x33;
    EXPECT_EQ(readBytes(bad), expected);
    EXPECT_EQ(run({"checksum", bad.string()}).code, 0);
}

TEST_F(Cli, ErrorsNameTheFileAndReason) {
    const fs::path missing = dir_ / "missing.bin";
    CliRun r = run({"header", missing.string()});
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find(missing.string()), std::string::npos);
    EXPECT_NE(r.err.find("No such file or directory"), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(missing));

    const fs::path shortFile = dir_ / "short.bin";
    writeBytes(shortFile, Bytes(0x1F2, 0));
    for (const char* cmd : {"header", "checksum"}) {
        r = run({cmd, shortFile.string()});
        EXPECT_EQ(r.code, 1) << cmd;
        EXPECT_NE(r.err.find(shortFile.string()), std::string::npos) << cmd;
        EXPECT_NE(r.err.find("too short"), std::string::npos) << r.err;
    }
    r = run({"checksum", missing.string()});
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find(missing.string()), std::string::npos);
}

TEST_F(Cli, UsageErrorsExitWithTwo) {
    const fs::path f = image("a.bin");
    const Bytes before = readBytes(f);
    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{"header"},
                                               {"header", f.string(), f.string()},
                                               {"header", f.string(), "--set", "nosuch=1"},
                                               {"header", f.string(), "--set", "system=SEVENTEEN CHARS!!"},
                                               {"header", f.string(), "--set", "region=JUEX"},
                                               {"header", f.string(), "--set"},
                                               {"header", f.string(), "--bogus"},
                                               {"checksum"},
                                               {"checksum", "--bogus", f.string()}}) {
        const CliRun r = run(args);
        EXPECT_EQ(r.code, 2) << args.back();
        EXPECT_FALSE(r.err.empty());
    }
    EXPECT_EQ(readBytes(f), before);
    const CliRun help = run({"--help"});
    EXPECT_EQ(help.code, 0);
    EXPECT_NE(help.out.find("vantorel-cli header FILE"), std::string::npos);
    EXPECT_NE(help.out.find("vantorel-cli checksum FILE"), std::string::npos);
}

// "--help" asks for the help only where an option may stand: after "--" it is a file,
// and as the value of -o it is the output's name.
TEST_F(Cli, HelpIsAnOptionOnlyWhereOptionsStand) {
    CliRun r = run({"header", "--", "--help"});
    EXPECT_EQ(r.code, 1) << r.out;
    EXPECT_NE(r.err.find("--help: No such file or directory"), std::string::npos) << r.err;
    EXPECT_EQ(r.out.find("Usage"), std::string::npos) << r.out;

    const Bytes before = readBytes(image("--help"));
    image("--fix");
    r = run({"header", "--", "--help"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.out.find("system: SEGA MEGA DRIVE \n"), std::string::npos) << r.out;
    r = run({"checksum", "--", "--help", "--fix"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "--help: stored 1233 computed 1233 OK\n--fix: stored 1233 computed 1233 OK\n")
        << "after --, --fix is a file too";

    image("a.bin");
    r = run({"header", "a.bin", "--set", "comment=NEW", "-o", "--help"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "");
    Bytes expected = before;
    const std::string comment = "NEW" + std::string(61, '\0');
    std::copy(comment.begin(), comment.end(), expected.begin() + 0x1B0);
    EXPECT_EQ(readBytes(dir_ / "--help"), expected);

    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"header", "--help"}, {"header", "a.bin", "-h"}, {"checksum", "a.bin", "--help"}}) {
        r = run(args);
        EXPECT_EQ(r.code, 0) << args.back();
        EXPECT_EQ(r.out.rfind("Usage: vantorel-cli " + args.front(), 0), 0u) << r.out;
    }
    EXPECT_EQ(readBytes(dir_ / "a.bin"), before) << "a help request changes nothing";
}

struct RepeatCase {
    const char* name;
    std::vector<std::string> args;  // "IMG" stands for a valid image in the scratch folder
};
void PrintTo(const RepeatCase& c, std::ostream* os) {
    *os << c.name;
}

class RepeatedOption : public Cli, public ::testing::WithParamInterface<RepeatCase> {};

// An option that takes one value says it once; a second value is a usage error in every
// command, whatever the spelling, and nothing is written.
TEST_P(RepeatedOption, IsAUsageError) {
    const fs::path img = image("img.bin");
    const Bytes before = readBytes(img);
    writeBytes(dir_ / "fix.ips", Bytes{'P', 'A', 'T', 'C', 'H', 'E', 'O', 'F'});
    fs::create_directory(dir_ / "d1");
    fs::create_directory(dir_ / "d2");
    std::vector<std::string> args = GetParam().args;
    for (std::string& a : args)
        if (a == "IMG") a = "img.bin";
    const CliRun r = run(args);
    EXPECT_EQ(r.code, 2) << r.out << r.err;
    EXPECT_NE(r.err.find("Try 'vantorel-cli " + args.front() + " --help'."), std::string::npos) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(readBytes(img), before);
    for (const char* written : {"x.bin", "y.bin", "img.smd", "d1/img.smd", "d2/img.smd"})
        EXPECT_FALSE(fs::exists(dir_ / written)) << written;
}

INSTANTIATE_TEST_SUITE_P(
    Table, RepeatedOption,
    ::testing::Values(
        RepeatCase{"HeaderOutput", {"header", "IMG", "--set", "comment=A", "-o", "x.bin", "-o", "y.bin"}},
        RepeatCase{"HeaderOutputMixedSpellings",
                   {"header", "IMG", "--set", "comment=A", "--output=x.bin", "-oy.bin"}},
        RepeatCase{"HeaderOutputSameValue",
                   {"header", "IMG", "--set", "comment=A", "-o", "x.bin", "-o", "x.bin"}},
        RepeatCase{"Bin2SmdFolder", {"bin2smd", "-d", "d1", "IMG", "--dir", "d2"}},
        RepeatCase{"Bin2SmdOutput", {"bin2smd", "-o", "x.bin", "IMG", "-o", "y.bin"}},
        RepeatCase{"Smd2BinFolder", {"smd2bin", "--dir=d1", "-dd2", "IMG"}},
        RepeatCase{"PatchOutput", {"patch", "IMG", "fix.ips", "-o", "x.bin", "--output", "y.bin"}},
        RepeatCase{"PatchAppend",
                   {"patch", "IMG", "fix.ips", "-o", "x.bin", "--append", "IMG", "--append=img.bin"}}),
    [](const auto& info) { return std::string(info.param.name); });

struct DeviceCase {
    const char* name;
    std::string field;  // the 16 bytes at 0x190, space padded here
    std::string text;   // the devices line of the text output
    std::string json;   // the devices value of the JSON output, as UTF-8
};
void PrintTo(const DeviceCase& c, std::ostream* os) {
    *os << c.name;
}

class DeviceLetters : public Cli, public ::testing::WithParamInterface<DeviceCase> {};

// Every letter the field holds is shown: the box letters in box order, then the others in
// the order the file holds them. A save that touches another field keeps the bytes.
TEST_P(DeviceLetters, AreAllShownAndKept) {
    const fs::path f = image("a.bin");
    Bytes b = readBytes(f);
    std::string field = GetParam().field;
    field.resize(16, ' ');
    std::copy(field.begin(), field.end(), b.begin() + 0x190);
    writeBytes(f, b);

    CliRun r = run({"header", f.string()});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.out.find("\ndevices: " + GetParam().text + "\ncomment: "), std::string::npos) << r.out;

    r = run({"header", "--json", f.string()});
    ASSERT_EQ(r.code, 0) << r.err;
    const auto parsed = nlohmann::json::parse(r.out, nullptr, false);
    ASSERT_FALSE(parsed.is_discarded()) << r.out;
    EXPECT_EQ(parsed.value("devices", "?"), GetParam().json);

    r = run({"header", f.string(), "--set", "comment=SAVED"});
    ASSERT_EQ(r.code, 0) << r.err;
    const Bytes saved = readBytes(f);
    EXPECT_EQ(std::string(saved.begin() + 0x190, saved.begin() + 0x1A0), field);
}

INSTANTIATE_TEST_SUITE_P(
    Table, DeviceLetters,
    ::testing::Values(DeviceCase{"BoxLettersOnly", "J6", "J6", "J6"},
                      DeviceCase{"BoxLettersInBoxOrder", "MCJ", "JCM", "JCM"},
                      DeviceCase{"OtherLetterBeforeBoxLetters", "GJ6", "J6G", "J6G"},
                      DeviceCase{"OthersKeepTheirOrder", "  Gj6 JxM", "J6MGjx", "J6MGjx"},
                      DeviceCase{"NoBoxLetter", "XYZ", "XYZ", "XYZ"}, DeviceCase{"NoLetters", "", "", ""},
                      DeviceCase{"NulsAreNoLetters", std::string("J\0\0D", 4), "JD", "JD"},
                      DeviceCase{"ControlAndLatin1Bytes", "M\x01\xC9", "M?\xC3\x89", "M\x01\xC3\x89"},
                      DeviceCase{"EightBitControlByte", "M\x9B", "M?", "M\xC2\x9B"}),
    [](const auto& info) { return std::string(info.param.name); });
