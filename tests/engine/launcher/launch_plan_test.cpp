#include "engine/launcher/launch_plan.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "engine/common/settings.h"

namespace vantorel::launcher {
namespace {

namespace fs = std::filesystem;
using K = KeyAction::Kind;

struct ButtonCase {
    Emulator emulator;
    bool byKeys;
    const char* keys;
};

class NamedButtonTest : public ::testing::TestWithParam<ButtonCase> {};

TEST_P(NamedButtonTest, FixedChoices) {
    const std::string rom = "/roms/a b (U) [!].bin";
    const LaunchPlan p = planForNamedEmulator(GetParam().emulator, rom);
    EXPECT_TRUE(p.run);
    EXPECT_EQ(p.byKeys, GetParam().byKeys);
    EXPECT_EQ(p.keySequence, GetParam().keys);
    EXPECT_EQ(p.romArgument, rom);
}

INSTANTIATE_TEST_SUITE_P(Buttons, NamedButtonTest,
                         ::testing::Values(ButtonCase{Emulator::Gens, false, "^o"},
                                           ButtonCase{Emulator::Kega, true, "^g"},
                                           ButtonCase{Emulator::Ages, false, "^o"},
                                           ButtonCase{Emulator::Xega, false, "^o"},
                                           ButtonCase{Emulator::DGen, false, "^o"}));

TEST(LaunchPlan, SettingsKeysFollowTheButtons) {
    const char* names[] = {"Gens", "Kega", "Ages", "Xega", "DGen", "Otro"};
    int i = 0;
    for (Emulator e : kAllEmulators) EXPECT_EQ(settingsKey(e), names[i++]);
}

class OtherEmulator : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("vantorel-plan-" + std::to_string(::getpid()));
        fs::create_directories(dir_);
        rom_ = (dir_ / "My Game (E).smd").string();
        std::ofstream(rom_) << "x";
    }
    void TearDown() override { fs::remove_all(dir_); }
    fs::path settings() const { return dir_ / "settings.ini"; }
    fs::path dir_;
    std::string rom_;
};

TEST_F(OtherEmulator, ByKeysBuildsTheChordFromTheKeyString) {
    const LaunchPlan p = planForOtherEmulator({"-1", "0", "0", "110o"}, rom_);
    EXPECT_TRUE(p.run);
    EXPECT_TRUE(p.byKeys);
    EXPECT_EQ(p.keySequence, "^%o");
    EXPECT_EQ(p.romArgument, rom_);
    // By keys wins even when both modes are stored as set.
    EXPECT_TRUE(planForOtherEmulator({"-1", "-1", "1", "100o"}, rom_).byKeys);
}

TEST_F(OtherEmulator, ByCommandPassesThePathOrItsDosForm) {
    const LaunchPlan plain = planForOtherEmulator({"0", "-1", "0", "100o"}, rom_);
    EXPECT_TRUE(plain.run);
    EXPECT_FALSE(plain.byKeys);
    EXPECT_EQ(plain.keySequence, "^o");
    EXPECT_EQ(plain.romArgument, rom_);

    EXPECT_EQ(planForOtherEmulator({"0", "-1", "1", ""}, rom_).romArgument, rom_);
    const std::string missing = (dir_ / "gone.bin").string();
    EXPECT_EQ(planForOtherEmulator({"0", "-1", "1", ""}, missing).romArgument, "");
    EXPECT_EQ(planForOtherEmulator({"0", "-1", "0", ""}, missing).romArgument, missing);
}

TEST_F(OtherEmulator, NeitherModeRunsNothing) {
    EXPECT_FALSE(planForOtherEmulator({"0", "0", "0", "100o"}, rom_).run);
    EXPECT_FALSE(planForOtherEmulator({"", "", "", ""}, rom_).run);
    EXPECT_FALSE(planForOtherEmulator({"no", "maybe", "", ""}, rom_).run);
}

TEST_F(OtherEmulator, ReadsTheSettingsAtEveryCall) {
    namespace s = settings;
    const fs::path file = settings();
    ASSERT_TRUE(s::write(file, s::section::Emuladores, s::key::ConTeclas, "-1"));
    ASSERT_TRUE(s::write(file, s::section::Emuladores, s::key::LineaDeComandos, "0"));
    ASSERT_TRUE(s::write(file, s::section::Emuladores, s::key::Teclas, "101k"));
    LaunchPlan p = planFor(Emulator::Otro, rom_, file);
    EXPECT_TRUE(p.byKeys);
    EXPECT_EQ(p.keySequence, "^+k");

    ASSERT_TRUE(s::write(file, s::section::Emuladores, s::key::ConTeclas, "0"));
    ASSERT_TRUE(s::write(file, s::section::Emuladores, s::key::LineaDeComandos, "-1"));
    p = planFor(Emulator::Otro, rom_, file);
    EXPECT_FALSE(p.byKeys);
    EXPECT_TRUE(p.run);

    ASSERT_TRUE(s::write(file, s::section::Emuladores, s::key::LineaDeComandos, "0"));
    EXPECT_FALSE(planFor(Emulator::Otro, rom_, file).run);
    // The named buttons never look at the other emulator's settings.
    EXPECT_EQ(planFor(Emulator::Kega, rom_, file), planForNamedEmulator(Emulator::Kega, rom_));
}

TEST_F(OtherEmulator, DosFormIsThePathOnlyWhileItExists) {
    // There are no 8.3 names here: the path itself when it exists, else empty text.
    EXPECT_EQ(dosPath(rom_), rom_);
    EXPECT_EQ(dosPath(dir_.string()), dir_.string());
    EXPECT_EQ(dosPath((dir_ / "missing.bin").string()), "");
    EXPECT_EQ(dosPath(""), "");
}

TEST(LaunchCommand, FolderAndProgram) {
    EXPECT_EQ(emulatorFolder("/opt/emu/gens"), "/opt/emu/");
    EXPECT_EQ(emulatorFolder("/gens"), "/");
    EXPECT_EQ(emulatorFolder("gens"), "");

    auto native = commandFor("/opt/emu/gens", {"-x", "a b"}, "");
    ASSERT_TRUE(native.ok());
    EXPECT_EQ(native.value(), (ProcessCommand{"/opt/emu/gens", {"-x", "a b"}, "/opt/emu/"}));

    for (const char* exe : {"/w/Fusion.exe", "/w/FUSION.EXE", "/w/fusion.Exe"}) {
        auto viaWine = commandFor(exe, {"/r/x.bin"}, "/usr/bin/wine");
        ASSERT_TRUE(viaWine.ok()) << exe;
        EXPECT_EQ(viaWine.value(), (ProcessCommand{"/usr/bin/wine", {exe, "/r/x.bin"}, "/w/"}));

        auto noWine = commandFor(exe, {}, "");
        ASSERT_FALSE(noWine.ok());
        EXPECT_EQ(noWine.error().number(), error::kNoWine);
        EXPECT_NE(noWine.error().description().find("wine"), std::string::npos);
    }
    EXPECT_FALSE(isWindowsProgram("/w/exe"));
    EXPECT_FALSE(isWindowsProgram("/w/x.exe.sh"));
}

TEST(LaunchCommand, TypedKeysAreChordPathEnter) {
    LaunchPlan p;
    p.byKeys = true;
    p.keySequence = "^g";
    p.romArgument = "/r/Go+ (J) [a1]{x}^%~.bin";
    const auto typed = keyActionsFor(p);
    ASSERT_TRUE(typed);
    EXPECT_EQ(typed.value(),
              (std::vector<KeyAction>{
                  {K::Chord, "ctrl+g"}, {K::Text, "/r/Go+ (J) [a1]{x}^%~.bin"}, {K::Chord, "Return"}}));
    p.keySequence.clear();
    const auto none = keyActionsFor(p);
    ASSERT_FALSE(none) << "a launch without a key was accepted";
    EXPECT_TRUE(none.error().is(ErrorCategory::Launch, error::kNoKey));
}

}  // namespace
}  // namespace vantorel::launcher
