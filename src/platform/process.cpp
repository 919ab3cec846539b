#include "platform/process.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <sstream>

#include "engine/common/error.h"
#include "engine/common/file_io.h"

extern char** environ;

namespace vantorel::platform {
namespace {
constexpr const char* kSource = "prVantor.modAPIs.ShellEmux";

[[noreturn]] void raise(int err) { throw Error(1000 + err, kSource, systemErrorText(err)); }

bool isExecutableFile(const std::string& p) {
    struct stat st {};
    return ::stat(p.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(p.c_str(), X_OK) == 0;
}
}  // namespace

std::string findOnPath(const std::string& name) {
    if (name.find('/') != std::string::npos) return isExecutableFile(name) ? name : std::string();
    const char* path = std::getenv("PATH");
    std::stringstream dirs(path ? path : "/usr/local/bin:/usr/bin:/bin");
    std::string dir;
    while (std::getline(dirs, dir, ':')) {
        if (dir.empty()) dir = ".";
        const std::string candidate = dir + "/" + name;
        if (isExecutableFile(candidate)) return candidate;
    }
    return {};
}

long ShellEmux(const std::string& program, const std::vector<std::string>& arguments,
               const std::string& workingFolder) {
    // Check what can be checked here, so the error names the real cause instead of a
    // generic failure of the detached child.
    const std::string resolved = program.find('/') == std::string::npos ? findOnPath(program) : program;
    if (resolved.empty()) raise(ENOENT);
    struct stat st {};
    if (::stat(resolved.c_str(), &st) != 0) raise(errno);
    if (S_ISDIR(st.st_mode)) raise(EISDIR);
    if (::access(resolved.c_str(), X_OK) != 0) raise(errno);
    if (!workingFolder.empty()) {
        struct stat wd {};
        if (::stat(workingFolder.c_str(), &wd) != 0) raise(errno);
        if (!S_ISDIR(wd.st_mode)) raise(ENOTDIR);
    }

    // Double fork so the emulator is not our child: it outlives us and leaves no zombie.
    // A pipe carries an exec failure back from the grandchild.
    int pipefd[2];
    if (::pipe2(pipefd, O_CLOEXEC) != 0) raise(errno);

    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(resolved.c_str()));
    for (const auto& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);

    const pid_t child = ::fork();
    if (child < 0) {
        const int err = errno;
        ::close(pipefd[0]);
        ::close(pipefd[1]);
        raise(err);
    }
    if (child == 0) {
        ::setsid();
        const pid_t grandchild = ::fork();
        if (grandchild != 0) {
            // Report the grandchild's pid (or the fork error) and leave.
            long msg[2] = {grandchild > 0 ? static_cast<long>(grandchild) : 0, grandchild < 0 ? errno : 0};
            if (grandchild < 0) (void)!::write(pipefd[1], msg, sizeof msg);
            else (void)!::write(pipefd[1], msg, sizeof msg[0]);
            ::_exit(0);
        }
        if (!workingFolder.empty() && ::chdir(workingFolder.c_str()) != 0) {
            long msg[2] = {0, errno};
            (void)!::write(pipefd[1], msg, sizeof msg);
            ::_exit(127);
        }
        ::execve(resolved.c_str(), argv.data(), environ);
        long msg[2] = {0, errno};
        (void)!::write(pipefd[1], msg, sizeof msg);
        ::_exit(127);
    }
    ::close(pipefd[1]);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    // Read until every writer has closed: the pid first, then an error from the exec if any.
    long pid = 0;
    int error = 0;
    long buf[2];
    ssize_t n;
    std::size_t total = 0;
    std::vector<long> words;
    while ((n = ::read(pipefd[0], reinterpret_cast<char*>(buf), sizeof buf)) != 0) {
        if (n < 0) {
            if (errno == EINTR) continue;
            break;
        }
        total += static_cast<std::size_t>(n);
        for (ssize_t i = 0; i < n / static_cast<ssize_t>(sizeof(long)); ++i) words.push_back(buf[i]);
    }
    ::close(pipefd[0]);
    (void)total;
    if (!words.empty()) pid = words[0];
    // A second pair of words means a failure: {0, errno}.
    for (std::size_t i = 0; i + 1 < words.size(); ++i)
        if (words[i] == 0 && words[i + 1] != 0) error = static_cast<int>(words[i + 1]);
    if (words.size() >= 2 && words[0] == 0) error = static_cast<int>(words[1]);
    if (error != 0) raise(error);
    return pid;
}

}  // namespace vantorel::platform
