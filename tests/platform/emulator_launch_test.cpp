#include "platform/emulator_launch.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <thread>

#include "engine/common/error.h"
#include "engine/support/scoped_env.h"

namespace vantorel::platform {
namespace {

namespace fs = std::filesystem;
using launcher::LaunchPlan;
namespace err = launcher::error;

const fs::path kBin = VANTOREL_BIN_DIR;

using vantorel::test::ScopedEnv;

std::optional<std::string> waitForFile(const fs::path& p, std::chrono::seconds limit) {
    const auto until = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < until) {
        if (fs::exists(p)) {
            std::ifstream in(p, std::ios::binary);
            return std::string(std::istreambuf_iterator<char>(in), {});
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return std::nullopt;
}

std::vector<std::string> splitZero(const std::string& s) {
    std::vector<std::string> parts;
    std::string cur;
    for (char c : s) {
        if (c == '\0') {
            parts.push_back(cur);
            cur.clear();
        } else {
            cur += c;
        }
    }
    return parts;
}

// A scratch folder holding a copy of a stand-in emulator inside a folder with a blank.
class LaunchFixture {
public:
    LaunchFixture() {
        root_ = fs::temp_directory_path() /
                ("vantorel-launch-" + std::to_string(::getpid()) + "-" + std::to_string(counter_++));
        fs::create_directories(root_ / "emu folder");
        record_ = root_ / "record.bin";
    }
    ~LaunchFixture() {
        std::error_code ec;
        fs::current_path(fs::temp_directory_path(), ec);
        fs::remove_all(root_, ec);
    }
    fs::path install(const std::string& program, const std::string& as) {
        const fs::path to = root_ / "emu folder" / as;
        fs::copy_file(kBin / program, to, fs::copy_options::overwrite_existing);
        fs::permissions(to, fs::perms::owner_all);
        return to;
    }
    const fs::path& root() const { return root_; }
    const fs::path& record() const { return record_; }

private:
    static inline int counter_ = 0;
    fs::path root_, record_;
};

class ByCommand : public ::testing::TestWithParam<const char*> {};

TEST_P(ByCommand, RomPathArrivesAsOneArgumentInTheEmulatorsFolder) {
    LaunchFixture fx;
    const fs::path emu = fx.install("e2e_record_args", "my emu");
    ScopedEnv rec("VANTOREL_RECORD_FILE", fx.record().c_str());
    LaunchPlan plan;
    plan.romArgument = GetParam();
    const auto pid = launchEmulator(emu.string(), plan);
    ASSERT_TRUE(pid) << pid.error().description();
    EXPECT_GT(pid.value(), 0);
    const auto got = waitForFile(fx.record(), std::chrono::seconds(10));
    ASSERT_TRUE(got) << "the stand-in emulator did not run";
    const auto parts = splitZero(*got);
    ASSERT_EQ(parts.size(), 2u);
    EXPECT_EQ(fs::path(parts[0]), fs::canonical(fx.root() / "emu folder"));
    EXPECT_EQ(parts[1], GetParam());
    // The emulator's folder also became this process's current folder.
    EXPECT_EQ(fs::current_path(), fs::canonical(fx.root() / "emu folder"));
}

INSTANTIATE_TEST_SUITE_P(Paths, ByCommand,
                         ::testing::Values("/roms/Sonic The Hedgehog (W) [!].bin",
                                           "/roms/it's \"quoted\" `cmd`.smd", "/roms/$HOME;rm -rf x&&y|z.bin",
                                           "-rom --fullscreen.bin", "/roms/*?.bin",
                                           "/roms/tab\there\nnew line.bin", "/roms/ñandú é.bin"));

TEST(ByCommandLaunch, EmptyRomStartsTheProgramAlone) {
    LaunchFixture fx;
    const fs::path emu = fx.install("e2e_record_args", "emu");
    ScopedEnv rec("VANTOREL_RECORD_FILE", fx.record().c_str());
    for (bool byKeys : {false, true}) {
        fs::remove(fx.record());
        LaunchPlan plan;
        plan.byKeys = byKeys;
        ASSERT_TRUE(launchEmulator(emu.string(), plan));
        const auto got = waitForFile(fx.record(), std::chrono::seconds(10));
        ASSERT_TRUE(got);
        EXPECT_EQ(splitZero(*got).size(), 1u) << "arguments were passed";
    }
}

TEST(ByCommandLaunch, MissingProgramReports1002) {
    LaunchFixture fx;
    LaunchPlan plan;
    plan.romArgument = "/roms/x.bin";
    const auto pid = launchEmulator((fx.root() / "no such emulator").string(), plan);
    ASSERT_FALSE(pid) << "a missing program was reported as started";
    EXPECT_TRUE(pid.error().is(ErrorCategory::Launch, 1002));
    EXPECT_EQ(pid.error().description(), "No such file or directory");
    EXPECT_EQ(pid.error().source(), "prVantor.modAPIs.ShellEmux");
}

TEST(ByCommandLaunch, WindowsProgramsRunThroughWine) {
    LaunchFixture fx;
    const fs::path wineDir = fx.root() / "emu folder";
    fx.install("e2e_record_args", "wine");
    const std::string exe = (fx.root() / "win" / "Fusion.EXE").string();
    fs::create_directories(fx.root() / "win");
    ScopedEnv rec("VANTOREL_RECORD_FILE", fx.record().c_str());
    LaunchPlan plan;
    plan.romArgument = "/roms/a b.bin";
    {
        ScopedEnv path("PATH", (wineDir.string() + ":/usr/bin:/bin").c_str());
        ASSERT_TRUE(launchEmulator(exe, plan));
        const auto got = waitForFile(fx.record(), std::chrono::seconds(10));
        ASSERT_TRUE(got);
        EXPECT_EQ(splitZero(*got), (std::vector<std::string>{fs::canonical(fx.root() / "win").string(), exe,
                                                             "/roms/a b.bin"}));
    }
    {
        ScopedEnv path("PATH", (fx.root() / "win").c_str());
        const auto pid = launchEmulator(exe, plan);
        ASSERT_FALSE(pid) << "a Windows program started without wine";
        EXPECT_TRUE(pid.error().is(ErrorCategory::Launch, err::kNoWine));
        EXPECT_NE(pid.error().description().find("wine"), std::string::npos);
    }
}

TEST(ByKeysLaunch, NoDisplayIsAFailureAndStartsNothing) {
    LaunchFixture fx;
    const fs::path emu = fx.install("e2e_record_args", "emu");
    ScopedEnv rec("VANTOREL_RECORD_FILE", fx.record().c_str());
    ScopedEnv display("DISPLAY", nullptr);
    LaunchPlan plan;
    plan.byKeys = true;
    plan.keySequence = "^o";
    plan.romArgument = "/roms/x.bin";
    const auto pid = launchEmulator(emu.string(), plan);
    ASSERT_FALSE(pid) << "a by-keys launch without a display was reported as done";
    const Error& e = pid.error();
    EXPECT_TRUE(e.is(ErrorCategory::Launch, err::kNoDisplay) ||
                e.is(ErrorCategory::Launch, err::kNoKeyInjection))
        << e.number();
    EXPECT_FALSE(e.description().empty());
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_FALSE(fs::exists(fx.record()));
}

// These need an X server; CTest runs them under xvfb-run.
void requireDisplay() {
    if (keyTypingAvailable()) return;
    if (std::getenv("VANTOREL_REQUIRE_DISPLAY")) FAIL() << "no X11 display although one was required";
    GTEST_SKIP() << "no X11 display: run under xvfb-run";
}

struct KeysCase {
    const char* sequence;
    const char* shortcut;
    const char* path;
};

class KeysLaunch : public ::testing::TestWithParam<KeysCase> {};

TEST_P(KeysLaunch, ChordPathAndEnterArriveExactly) {
    requireDisplay();
    if (HasFatalFailure() || IsSkipped()) return;
    LaunchFixture fx;
    const fs::path emu = fx.install("e2e_keys_target", "keys target");
    const fs::path out = fx.root() / "typed.txt";
    ScopedEnv output("VANTOREL_KEYS_OUTPUT", out.c_str());
    ScopedEnv shortcut("VANTOREL_KEYS_SHORTCUT", GetParam().shortcut);
    ScopedEnv qpa("QT_QPA_PLATFORM", "xcb");
    LaunchPlan plan;
    plan.byKeys = true;
    plan.keySequence = GetParam().sequence;
    plan.romArgument = GetParam().path;
    ASSERT_TRUE(launchEmulator(emu.string(), plan));
    const auto typed = waitForFile(out, std::chrono::seconds(15));
    ASSERT_TRUE(typed) << "the stand-in emulator received no path followed by Enter";
    EXPECT_EQ(*typed, GetParam().path);
}

INSTANTIATE_TEST_SUITE_P(Cases, KeysLaunch,
                         ::testing::Values(KeysCase{"^o", "Ctrl+O",
                                                    "/tmp/My ROMs (1)/Sonic [!] {Beta} +^%~ $x;y.bin"},
                                           KeysCase{"^g", "Ctrl+G", "/roms/Streets of Rage 2 (U) [a1].bin"},
                                           KeysCase{"^%o", "Ctrl+Alt+O", "/roms/a+b (J) {c}.smd"}));

TEST(KeysLaunchFailure, NoWindowWithinTheWaitIsAFailure) {
    requireDisplay();
    if (HasFatalFailure() || IsSkipped()) return;
    LaunchFixture fx;
    const fs::path emu = fx.install("e2e_record_args", "windowless");
    ScopedEnv rec("VANTOREL_RECORD_FILE", fx.record().c_str());
    LaunchPlan plan;
    plan.byKeys = true;
    plan.romArgument = "/roms/x.bin";
    KeyTypingOptions options;
    options.windowWait = std::chrono::milliseconds(1500);
    int polls = 0;
    options.stopRequested = [&polls] {
        ++polls;
        return false;
    };
    const auto pid = launchEmulator(emu.string(), plan, options);
    ASSERT_FALSE(pid) << "a launch whose program showed no window was reported as done";
    EXPECT_TRUE(pid.error().is(ErrorCategory::Launch, err::kNoWindow));
    EXPECT_NE(pid.error().description().find("no window"), std::string::npos);
    EXPECT_GT(polls, 3);
}

TEST(KeysLaunchFailure, AStopEndsTheWaitAtOnce) {
    requireDisplay();
    if (HasFatalFailure() || IsSkipped()) return;
    LaunchFixture fx;
    const fs::path emu = fx.install("e2e_record_args", "windowless");
    ScopedEnv rec("VANTOREL_RECORD_FILE", fx.record().c_str());
    LaunchPlan plan;
    plan.byKeys = true;
    plan.romArgument = "/roms/x.bin";
    KeyTypingOptions options;  // the full ten seconds
    const auto start = std::chrono::steady_clock::now();
    options.stopRequested = [start] {
        return std::chrono::steady_clock::now() - start > std::chrono::milliseconds(300);
    };
    const auto pid = launchEmulator(emu.string(), plan, options);
    const auto waited = std::chrono::steady_clock::now() - start;
    ASSERT_FALSE(pid);
    EXPECT_EQ(pid.error().category(), ErrorCategory::Stopped);
    EXPECT_LT(waited, std::chrono::seconds(3));
}

}  // namespace
}  // namespace vantorel::platform
