#include "engine/common/settings.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "engine/common/paths.h"
#include "engine/support/scoped_env.h"
#include "engine/support/temp_folder.h"

namespace vantorel::settings {
namespace {

namespace fs = std::filesystem;
using test::TempFolder;

using vantorel::test::ScopedEnv;

struct PathCase {
    const char* name;
    bool iniBeside;  // the .ini already exists beside the program
    bool folderWritable;
    std::optional<std::string> xdg;  // XDG_CONFIG_HOME; a leading "/" means inside the temp folder
    const char* expected;            // relative to the temp folder
    friend void PrintTo(const PathCase& c, std::ostream* os) { *os << c.name; }
};

class SettingsPath : public ::testing::TestWithParam<PathCase> {};

TEST_P(SettingsPath, FollowsTheProgramFolderThenTheConfigFolder) {
    const PathCase& c = GetParam();
    TempFolder dir;
    fs::create_directories(dir / "bin");
    if (c.iniBeside) test::writeBytes(dir / "bin" / "vantorel.ini", "");
    ScopedEnv home("HOME", (dir / "home").string());
    std::optional<std::string> xdgValue = c.xdg;
    if (xdgValue && xdgValue->starts_with('/')) *xdgValue = dir.path().string() + *xdgValue;
    ScopedEnv xdg("XDG_CONFIG_HOME", xdgValue);

    const fs::path got = filePathFor(dir / "bin" / "vantorel", c.folderWritable);
    EXPECT_EQ(got, dir.path() / c.expected);
    // Working the path out creates nothing.
    EXPECT_FALSE(fs::exists(dir / "home"));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SettingsPath,
    ::testing::Values(
        PathCase{"WritableFolder", false, true, std::nullopt, "bin/vantorel.ini"},
        PathCase{"ExistingFileInReadOnlyFolder", true, false, std::nullopt, "bin/vantorel.ini"},
        PathCase{"ReadOnlyFolderUsesXdgConfigHome", false, false, "/cfg", "cfg/vantorel/vantorel.ini"},
        PathCase{"ReadOnlyFolderWithoutXdgUsesHomeConfig", false, false, std::nullopt,
                 "home/.config/vantorel/vantorel.ini"},
        PathCase{"EmptyXdgIgnored", false, false, "", "home/.config/vantorel/vantorel.ini"},
        PathCase{"RelativeXdgIgnored", false, false, "relative/cfg", "home/.config/vantorel/vantorel.ini"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SettingsPath, NamedAfterTheProgram) {
    TempFolder dir;
    EXPECT_EQ(filePathFor(dir / "vantorel-cli", true), dir / "vantorel-cli.ini");
}

TEST(SettingsPath, AMissingProgramFolderIsNotWritable) {
    TempFolder dir;
    ScopedEnv xdg("XDG_CONFIG_HOME", (dir / "cfg").string());
    EXPECT_EQ(filePathFor(dir / "gone" / "vantorel"), dir / "cfg" / "vantorel" / "vantorel.ini");
    EXPECT_EQ(filePathFor(dir / "vantorel"), dir / "vantorel.ini");
}

class SettingsFile : public ::testing::Test {
protected:
    TempFolder dir_;
    const fs::path file_ = dir_ / "v.ini";
};

TEST_F(SettingsFile, ReadsFreshAtEachUse) {
    EXPECT_EQ(languageFile(file_), "");
    ASSERT_TRUE(write(file_, section::Idioma, key::Idioma, "/l/English.idi"));
    EXPECT_EQ(languageFile(file_), "/l/English.idi");
    // A change made behind the program's back shows at the next read.
    test::writeBytes(file_, "[IDIOMA]\nidioma=/l/Espanol.idi\n");
    EXPECT_EQ(languageFile(file_), "/l/Espanol.idi");
    EXPECT_EQ(read(file_, section::Idioma, key::Idioma), "/l/Espanol.idi");
}

TEST_F(SettingsFile, AFailedWriteSaysWhy) {
    // A path whose folder is a regular file cannot be written, by root either.
    test::writeBytes(dir_ / "plain", "x");
    const auto written = write(dir_ / "plain" / "v.ini", section::Idioma, key::Idioma, "/l/English.idi");
    ASSERT_FALSE(written);
    EXPECT_TRUE(written.error().is(ErrorCategory::Settings, kWriteFailed));
    EXPECT_EQ(written.error().args(),
              (std::vector<std::string>{(dir_ / "plain" / "v.ini").string(), "Not a directory"}));
}

TEST_F(SettingsFile, RomFolderFallsBackToHomeWithTrailingSlash) {
    ScopedEnv home("HOME", (dir_ / "me").string());
    EXPECT_EQ(storedRomFolder(file_), "");
    EXPECT_EQ(romFolder(file_), (dir_ / "me").string() + "/");
    ASSERT_TRUE(write(file_, section::ROMs, key::Directorio, ""));
    EXPECT_EQ(romFolder(file_), (dir_ / "me").string() + "/");
    ASSERT_TRUE(write(file_, section::ROMs, key::Directorio, "/games/md/"));
    EXPECT_EQ(storedRomFolder(file_), "/games/md/");
    EXPECT_EQ(romFolder(file_), "/games/md/");
}

TEST_F(SettingsFile, SetRomFolderEntersTheFolderOrStaysPut) {
    const fs::path before = fs::current_path();
    fs::create_directory(dir_ / "roms");
    ASSERT_TRUE(write(file_, section::ROMs, key::Directorio, (dir_ / "roms").string() + "/"));
    EXPECT_EQ(SetRomFolder(file_), (dir_ / "roms").string() + "/");
    EXPECT_EQ(fs::current_path(), dir_ / "roms");

    ASSERT_TRUE(write(file_, section::ROMs, key::Directorio, (dir_ / "missing").string() + "/"));
    EXPECT_EQ(SetRomFolder(file_), (dir_ / "missing").string() + "/");
    EXPECT_EQ(fs::current_path(), dir_ / "roms");
    fs::current_path(before);
}

TEST_F(SettingsFile, MissingFileCreatesNothingOnRead) {
    EXPECT_EQ(read(file_, section::Emuladores, key::Gens), "");
    EXPECT_FALSE(fs::exists(file_));
}

TEST(SettingsPath, TheProgramsOwnFollowsTheRule) {
    EXPECT_EQ(filePath(), filePathFor(paths::executablePath()));
}

}  // namespace
}  // namespace vantorel::settings
