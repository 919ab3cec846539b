#include "engine/common/settings.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "engine/common/paths.h"
#include "engine/support/temp_folder.h"
#include "engine/support/scoped_env.h"

namespace vantorel::settings {
namespace {

namespace fs = std::filesystem;
using test::TempFolder;

using vantorel::test::ScopedEnv;

struct PathCase {
    const char* name;
    bool iniBeside;                     // the .ini already exists beside the program
    bool folderWritable;
    std::optional<std::string> xdg;     // XDG_CONFIG_HOME; a leading "/" means inside the temp folder
    const char* expected;               // relative to the temp folder
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
    void SetUp() override { setFilePathOverride(dir_ / "v.ini"); }
    void TearDown() override { setFilePathOverride(std::nullopt); }
    TempFolder dir_;
};

TEST_F(SettingsFile, ReadsFreshAtEachUse) {
    EXPECT_EQ(filePath(), dir_ / "v.ini");
    EXPECT_EQ(languageFile(), "");
    write(section::Idioma, key::Idioma, "/l/English.idi");
    EXPECT_EQ(languageFile(), "/l/English.idi");
    // A change made behind the program's back shows at the next read.
    test::writeBytes(dir_ / "v.ini", "[IDIOMA]\nidioma=/l/Espanol.idi\n");
    EXPECT_EQ(languageFile(), "/l/Espanol.idi");
    EXPECT_EQ(read(section::Idioma, key::Idioma), "/l/Espanol.idi");
}

TEST_F(SettingsFile, RomFolderFallsBackToHomeWithTrailingSlash) {
    ScopedEnv home("HOME", (dir_ / "me").string());
    EXPECT_EQ(storedRomFolder(), "");
    EXPECT_EQ(romFolder(), (dir_ / "me").string() + "/");
    write(section::ROMs, key::Directorio, "");
    EXPECT_EQ(romFolder(), (dir_ / "me").string() + "/");
    write(section::ROMs, key::Directorio, "/games/md/");
    EXPECT_EQ(storedRomFolder(), "/games/md/");
    EXPECT_EQ(romFolder(), "/games/md/");
}

TEST_F(SettingsFile, SetRomFolderEntersTheFolderOrStaysPut) {
    const fs::path before = fs::current_path();
    fs::create_directory(dir_ / "roms");
    write(section::ROMs, key::Directorio, (dir_ / "roms").string() + "/");
    EXPECT_EQ(SetRomFolder(), (dir_ / "roms").string() + "/");
    EXPECT_EQ(fs::current_path(), dir_ / "roms");

    write(section::ROMs, key::Directorio, (dir_ / "missing").string() + "/");
    EXPECT_EQ(SetRomFolder(), (dir_ / "missing").string() + "/");
    EXPECT_EQ(fs::current_path(), dir_ / "roms");
    fs::current_path(before);
}

TEST_F(SettingsFile, MissingFileCreatesNothingOnRead) {
    EXPECT_EQ(read(section::Emuladores, key::Gens), "");
    EXPECT_FALSE(fs::exists(dir_ / "v.ini"));
}

TEST(SettingsOverride, ClearingItRestoresTheRule) {
    setFilePathOverride(fs::path("/somewhere/x.ini"));
    EXPECT_EQ(filePath(), fs::path("/somewhere/x.ini"));
    setFilePathOverride(std::nullopt);
    EXPECT_EQ(filePath(), filePathFor(paths::executablePath()));
}

}  // namespace
}  // namespace vantorel::settings
