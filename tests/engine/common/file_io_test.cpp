#include "engine/common/file_io.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "engine/support/file_size_limit.h"
#include "engine/support/temp_folder.h"

namespace vantorel {
namespace {

namespace fs = std::filesystem;
using test::readBytes;
using test::TempFolder;
using test::writeBytes;

std::span<const std::uint8_t> bytesOf(std::string_view s) {
    return {reinterpret_cast<const std::uint8_t*>(s.data()), s.size()};
}

mode_t modeOf(const fs::path& p) {
    struct stat st {};
    ::stat(p.c_str(), &st);
    return st.st_mode & 07777;
}

TEST(ReadWholeFile, OnlyRegularFilesAreRead) {
    TempFolder dir;
    ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0600), 0);
    // Each of these would block for ever, never end, or is no file at all.
    for (const fs::path& p : {dir.path(), dir / "pipe", fs::path("/dev/zero"), fs::path("/dev/urandom")}) {
        SCOPED_TRACE(p.string());
        const auto read = readWholeFile(p);
        ASSERT_FALSE(read);
        EXPECT_TRUE(read.error().is(ErrorCategory::File, file_error::kNotRegularFile));
        EXPECT_NE(read.error().description().find(p.string()), std::string::npos);
    }
}

TEST(ReadWholeFile, FilesOverTheLimitAreRefusedBeforeReading) {
    TempFolder dir;
    // Sparse: 8 GiB of nothing costs no disk and would exhaust memory if read.
    writeBytes(dir / "disc.iso", "x");
    fs::resize_file(dir / "disc.iso", std::uintmax_t{8} << 30);
    const auto huge = readWholeFile(dir / "disc.iso");
    ASSERT_FALSE(huge);
    EXPECT_TRUE(huge.error().is(ErrorCategory::File, file_error::kTooLarge));
    EXPECT_EQ(huge.error().args().at(1), "8192");

    writeBytes(dir / "small.bin", std::string(4096, 'a'));
    EXPECT_FALSE(readWholeFile(dir / "small.bin", 4095));
    const auto exact = readWholeFile(dir / "small.bin", 4096);
    ASSERT_TRUE(exact);
    EXPECT_EQ(exact.value().size(), 4096u);
}

TEST(AtomicWrite, ThroughASymbolicLinkTheTargetChanges) {
    TempFolder dir;
    fs::create_directory(dir / "real");
    writeBytes(dir / "real" / "game.bin", "old");
    ::chmod((dir / "real" / "game.bin").c_str(), 0640);
    fs::create_symlink("real/game.bin", dir / "link.bin");
    fs::create_symlink(dir / "link.bin", dir / "link2.bin");

    ASSERT_TRUE(writeFileAtomically(dir / "link2.bin", bytesOf("new")));
    EXPECT_TRUE(fs::is_symlink(dir / "link.bin"));
    EXPECT_TRUE(fs::is_symlink(dir / "link2.bin"));
    EXPECT_EQ(readBytes(dir / "real" / "game.bin"), "new");
    EXPECT_EQ(modeOf(dir / "real" / "game.bin"), 0640u);
    EXPECT_EQ(dir.entries(), (std::vector<std::string>{"link.bin", "link2.bin", "real"}));
}

TEST(AtomicWrite, ADanglingLinkCreatesItsTarget) {
    TempFolder dir;
    fs::create_symlink("made.bin", dir / "link.bin");
    ASSERT_TRUE(writeFileAtomically(dir / "link.bin", bytesOf("abc")));
    EXPECT_TRUE(fs::is_symlink(dir / "link.bin"));
    EXPECT_EQ(readBytes(dir / "made.bin"), "abc");
}

TEST(AtomicWrite, AFailedWriteLeavesNothingBeside) {
    TempFolder dir;
    writeBytes(dir / "kept.bin", "previous");
    {
        test::ScopedFileSizeLimit full(3);
        EXPECT_FALSE(writeFileAtomically(dir / "kept.bin", bytesOf("a longer content")));
        EXPECT_FALSE(writeFileAtomically(dir / "new.bin", bytesOf("a longer content")));
    }
    EXPECT_EQ(readBytes(dir / "kept.bin"), "previous");
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"kept.bin"});
}

TEST(AtomicWrite, AKilledWriterLeavesNoTemporaryFile) {
    TempFolder dir;
    writeBytes(dir / "out.bin", "whole");
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // The kernel kills the process (SIGXFSZ) the moment its file passes 1 MiB: a death in
        // the middle of the write, as kill -9 or a power cut would bring.
        ::signal(SIGXFSZ, SIG_DFL);
        rlimit limit{};
        ::getrlimit(RLIMIT_FSIZE, &limit);
        limit.rlim_cur = 1 << 20;
        ::setrlimit(RLIMIT_FSIZE, &limit);
        const std::vector<std::uint8_t> big(std::size_t{4} << 20, 0x5A);
        (void)writeFileAtomically(dir / "out.bin", big, Flush::No);
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the writer was not stopped mid-write";
    EXPECT_EQ(WTERMSIG(status), SIGXFSZ);
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"out.bin"});
    EXPECT_EQ(readBytes(dir / "out.bin"), "whole");
}

TEST(AtomicWrite, AWritableFileInAReadOnlyFolderIsRefusedClearly) {
    TempFolder dir;
    fs::create_directory(dir / "ro");
    writeBytes(dir / "ro" / "game.bin", "old");
    ::chmod((dir / "ro" / "game.bin").c_str(), 0666);
    ::chmod((dir / "ro").c_str(), 0755);
    ::chmod(dir.path().c_str(), 0755);
    // Root may write anywhere; the check is about ordinary users, so the write runs as one.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (::geteuid() == 0 && ::setuid(65534) != 0) ::_exit(3);
        const auto written = writeFileAtomically(dir / "ro" / "game.bin", bytesOf("new"));
        if (written) ::_exit(1);
        if (!written.error().is(ErrorCategory::File, file_error::kFolderNotWritable)) ::_exit(2);
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(readBytes(dir / "ro" / "game.bin"), "old");
}

TEST(AtomicWrite, NewFilesFollowTheUmaskAndOldOnesKeepTheirMode) {
    TempFolder dir;
    const mode_t old = ::umask(022);
    ASSERT_TRUE(writeFileAtomically(dir / "fresh.bin", bytesOf("a")));
    ::umask(old);
    EXPECT_EQ(modeOf(dir / "fresh.bin"), 0644u);
    ::chmod((dir / "fresh.bin").c_str(), 0600);
    ASSERT_TRUE(writeFileAtomically(dir / "fresh.bin", bytesOf("b")));
    EXPECT_EQ(modeOf(dir / "fresh.bin"), 0600u);
    EXPECT_EQ(readBytes(dir / "fresh.bin"), "b");
}

TEST(AtomicWrite, DevicesAndFoldersAreNotReplaced) {
    TempFolder dir;
    fs::create_directory(dir / "folder");
    EXPECT_FALSE(writeFileAtomically(dir / "folder", bytesOf("x")));
    EXPECT_TRUE(fs::is_directory(dir / "folder"));
    ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0600), 0);
    const auto piped = writeFileAtomically(dir / "pipe", bytesOf("x"));
    ASSERT_FALSE(piped);
    EXPECT_TRUE(piped.error().is(ErrorCategory::File, file_error::kNotRegularFile));
    EXPECT_TRUE(fs::is_fifo(dir / "pipe"));
}

}  // namespace
}  // namespace vantorel
