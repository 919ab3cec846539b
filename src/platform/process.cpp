#include "platform/process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "engine/common/error.h"
#include "engine/common/file_io.h"
#include "engine/launcher/launch_plan.h"

extern char** environ;

namespace vantorel::platform {
namespace {
constexpr const char* kSource = "prVantor.modAPIs.ShellEmux";

Error startError(int err) {
    return Error(ErrorCategory::Launch, launcher::error::kStartFailed + err, kSource, systemErrorText(err));
}

bool isExecutableFile(const std::string& p) {
    struct stat st {};
    return ::stat(p.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(p.c_str(), X_OK) == 0;
}

// One int per report through the pipe: a positive number is the started program's pid, a
// negative one an errno from whichever step failed. Writes this small are atomic, so the
// reports of the two processes never mix.
void report(int fd, int value) {
    while (::write(fd, &value, sizeof value) < 0 && errno == EINTR) {
    }
}
}  // namespace

std::string findOnPath(const std::string& name) {
    if (name.find('/') != std::string::npos) return isExecutableFile(name) ? name : std::string();
    const char* path = std::getenv("PATH");
    std::stringstream dirs(path ? path : "/usr/local/bin:/usr/bin:/bin");
    std::string dir;
    while (std::getline(dirs, dir, ':')) {
        const std::string candidate = (dir.empty() ? std::string(".") : dir) + "/" + name;
        if (isExecutableFile(candidate)) return candidate;
    }
    return {};
}

Result<long> ShellEmux(const std::string& program, const std::vector<std::string>& arguments,
                       const std::string& workingFolder) {
    // Check what can be checked here, so the error names the real cause instead of a
    // generic failure of the detached child.
    std::string resolved = program.find('/') == std::string::npos ? findOnPath(program) : program;
    if (resolved.empty()) return startError(ENOENT);
    struct stat st {};
    if (::stat(resolved.c_str(), &st) != 0) return startError(errno);
    if (S_ISDIR(st.st_mode)) return startError(EISDIR);
    if (::access(resolved.c_str(), X_OK) != 0) return startError(errno);
    if (!workingFolder.empty()) {
        struct stat wd {};
        if (::stat(workingFolder.c_str(), &wd) != 0) return startError(errno);
        if (!S_ISDIR(wd.st_mode)) return startError(ENOTDIR);
    }
    // The program was found from this process's folder; the child runs in another one.
    std::error_code ec;
    const auto absolute = std::filesystem::absolute(resolved, ec);
    if (!ec) resolved = absolute.string();

    int pipefd[2];
    if (::pipe2(pipefd, O_CLOEXEC) != 0) return startError(errno);

    // Everything the children need is built before forking: between fork and exec only
    // async-signal-safe calls are allowed.
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(resolved.c_str()));
    for (const auto& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    const char* folder = workingFolder.empty() ? nullptr : workingFolder.c_str();

    // Double fork, so the program is not our child: it outlives us and leaves no zombie.
    const pid_t child = ::fork();
    if (child < 0) {
        const int err = errno;
        ::close(pipefd[0]);
        ::close(pipefd[1]);
        return startError(err);
    }
    if (child == 0) {
        ::close(pipefd[0]);
        ::setsid();
        const pid_t grandchild = ::fork();
        if (grandchild != 0) {
            report(pipefd[1], grandchild > 0 ? static_cast<int>(grandchild) : -errno);
            ::_exit(0);
        }
        sigset_t none;
        sigemptyset(&none);
        ::sigprocmask(SIG_SETMASK, &none, nullptr);
        if (folder && ::chdir(folder) != 0) {
            report(pipefd[1], -errno);
            ::_exit(127);
        }
        ::execve(argv[0], argv.data(), environ);
        report(pipefd[1], -errno);  // a successful exec closes the pipe instead
        ::_exit(127);
    }
    ::close(pipefd[1]);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    // Read until both children have closed their end: after the exec, or after a failure.
    long pid = 0;
    int error = 0;
    int value = 0;
    for (;;) {
        const ssize_t n = ::read(pipefd[0], &value, sizeof value);
        if (n < 0 && errno == EINTR) continue;
        if (n != static_cast<ssize_t>(sizeof value)) break;
        if (value > 0)
            pid = value;
        else if (value < 0)
            error = -value;
    }
    ::close(pipefd[0]);
    if (error != 0) return startError(error);
    if (pid <= 0) return startError(ECHILD);  // the intermediate process died before it could report
    return pid;
}

}  // namespace vantorel::platform
