#include "platform/process.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "engine/common/error.h"

namespace fs = std::filesystem;

namespace vantorel::platform {
namespace {

// A scratch folder per test, removed afterwards.
class ShellEmuxTest : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir_ = fs::temp_directory_path() /
               ("vantorel-shellemux-" + std::to_string(::getpid()) + "-" + info->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    fs::path writeFile(const std::string& name, const std::string& content, fs::perms perms) {
        const fs::path p = dir_ / name;
        std::ofstream(p, std::ios::binary) << content;
        fs::permissions(p, perms);
        return p;
    }

    // The started program works on its own: wait for the file it leaves when done.
    static std::string waitForFile(const fs::path& p) {
        for (int i = 0; i < 500 && !fs::exists(p); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        std::ifstream in(p, std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }

    // A program that records its working folder and each argument, NUL-terminated, then
    // renames the record into place so the test never reads it half written.
    fs::path recorder() {
        return writeFile(
            "record.sh",
            "#!/bin/sh\nout=$1; shift\n{ pwd; printf '%s\\0' \"$@\"; } > \"$out.part\" && mv \"$out.part\" "
            "\"$out\"\n",
            fs::perms::owner_all);
    }

    static std::string expectedRecord(const fs::path& folder, const std::vector<std::string>& args) {
        std::string r = fs::canonical(folder).string() + "\n";
        for (const auto& a : args) r += a + '\0';
        return r;
    }

    fs::path dir_;
};

TEST_F(ShellEmuxTest, ArgumentsArriveUnchangedInTheWorkingFolder) {
    const fs::path program = recorder();
    const fs::path work = dir_ / "work folder with $pace";
    fs::create_directories(work);
    const fs::path out = dir_ / "out.txt";
    const std::vector<std::string> args = {"/roms/Sonic & Knuckles (W) [!].bin",
                                           "it's \"quoted\"",
                                           "$HOME; rm -rf / `id` $(id)",
                                           "-leading-dash",
                                           "",
                                           "back\\slash\tand tab\nand newline",
                                           "Ünïcödé ROM.smd"};
    std::vector<std::string> all = {out.string()};
    all.insert(all.end(), args.begin(), args.end());

    const auto started = ShellEmux(program.string(), all, work.string());
    ASSERT_TRUE(started) << started.error().description();
    const long pid = started.value();
    EXPECT_GT(pid, 0);
    EXPECT_NE(pid, static_cast<long>(::getpid()));
    EXPECT_EQ(waitForFile(out), expectedRecord(work, args));
}

TEST_F(ShellEmuxTest, EmptyWorkingFolderKeepsOurs) {
    const fs::path out = dir_ / "out.txt";
    ASSERT_TRUE(ShellEmux(recorder().string(), {out.string(), "x"}, ""));
    EXPECT_EQ(waitForFile(out), expectedRecord(fs::current_path(), {"x"}));
}

TEST_F(ShellEmuxTest, RelativeProgramIsFoundFromOurFolderNotTheChildren) {
    recorder();
    const fs::path work = dir_ / "elsewhere";
    fs::create_directories(work);
    const fs::path out = dir_ / "out.txt";
    const fs::path before = fs::current_path();
    fs::current_path(dir_);
    const auto started = ShellEmux("./record.sh", {out.string(), "ok"}, work.string());
    fs::current_path(before);
    ASSERT_TRUE(started);
    EXPECT_GT(started.value(), 0);
    EXPECT_EQ(waitForFile(out), expectedRecord(work, {"ok"}));
}

TEST_F(ShellEmuxTest, ProgramFoundOnPath) {
    const fs::path out = dir_ / "out.txt";
    // sh is on every PATH; the script is its argument, not a command line.
    ASSERT_TRUE(ShellEmux(
        "sh", {"-c", "printf '%s' \"$1\" > \"$0.part\" && mv \"$0.part\" \"$0\"", out.string(), "a b;c"},
        dir_.string()));
    EXPECT_EQ(waitForFile(out), "a b;c");
}

struct FailureCase {
    const char* name;
    int number;
    const char* description;
};

class ShellEmuxFailure : public ShellEmuxTest, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(ShellEmuxFailure, FailsWithANumberedError) {
    const FailureCase& c = GetParam();
    std::string program = recorder().string();
    std::string folder;
    const std::string which = c.name;
    if (which == "missingProgram") program = (dir_ / "no-such-emulator").string();
    if (which == "missingOnPath") program = "vantorel-no-such-emulator";
    if (which == "emptyProgram") program = "";
    if (which == "notExecutable")
        program = writeFile("plain.bin", "data", fs::perms::owner_read | fs::perms::owner_write).string();
    if (which == "folderAsProgram") program = dir_.string();
    if (which == "unknownFormat")
        program = writeFile("garbage",
                            std::string("\x7f"
                                        "ELF\x01\x02garbage",
                                        14),
                            fs::perms::owner_all)
                      .string();
    if (which == "missingFolder") folder = (dir_ / "gone").string();
    if (which == "fileAsFolder") folder = writeFile("file", "", fs::perms::owner_all).string();

    const auto started = ShellEmux(program, {"arg"}, folder);
    ASSERT_FALSE(started) << "reported as started";
    const Error& e = started.error();
    EXPECT_EQ(e.category(), ErrorCategory::Launch);
    EXPECT_EQ(e.number(), c.number);
    EXPECT_EQ(e.source(), "prVantor.modAPIs.ShellEmux");
    EXPECT_EQ(e.description(), c.description);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ShellEmuxFailure,
    ::testing::Values(FailureCase{"missingProgram", 1002, "No such file or directory"},
                      FailureCase{"missingOnPath", 1002, "No such file or directory"},
                      FailureCase{"emptyProgram", 1002, "No such file or directory"},
                      FailureCase{"notExecutable", 1013, "Permission denied"},
                      FailureCase{"folderAsProgram", 1021, "Is a directory"},
                      // Only the started process can find this out: the error comes back from it.
                      FailureCase{"unknownFormat", 1008, "Exec format error"},
                      FailureCase{"missingFolder", 1002, "No such file or directory"},
                      FailureCase{"fileAsFolder", 1020, "Not a directory"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace vantorel::platform
