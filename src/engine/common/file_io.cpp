#include "engine/common/file_io.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <random>
#include <string>

namespace vantorel {
namespace fs = std::filesystem;
namespace {

constexpr const char* kSource = "vantorel.file_io";

Error notRegular(const fs::path& path) {
    return Error(ErrorCategory::File, file_error::kNotRegularFile, kSource,
                 "\"" + path.string() + "\" is not a regular file (a folder, a device or a pipe)",
                 {path.string()});
}

Error tooLarge(const fs::path& path, std::uint64_t size, std::size_t limit) {
    return Error(ErrorCategory::File, file_error::kTooLarge, kSource,
                 "\"" + path.string() + "\" is " + std::to_string(size >> 20) + " MiB, larger than the " +
                     std::to_string(limit >> 20) + " MiB any cartridge image or patch can be (a CD image?)",
                 {path.string(), std::to_string(size >> 20), std::to_string(limit >> 20)});
}

// Closes on every way out.
struct Fd {
    int fd = -1;
    explicit Fd(int f) : fd(f) {}
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    ~Fd() {
        if (fd >= 0) ::close(fd);
    }
    int release() {
        const int f = fd;
        fd = -1;
        return f;
    }
};

Error wrapped(const Error& e, int number, const fs::path& path, std::string description) {
    if (e.category() != ErrorCategory::System) return e;
    return Error(ErrorCategory::File, number, e.source(), std::move(description),
                 {path.string(), e.description()});
}

}  // namespace

Error cannotRead(const Error& e, const fs::path& path, std::string description) {
    return wrapped(e, file_error::kCannotRead, path, std::move(description));
}

Error cannotWrite(const Error& e, const fs::path& path, std::string description) {
    return wrapped(e, file_error::kCannotWrite, path, std::move(description));
}

void copyBytes(Bytes& to, std::span<const std::uint8_t> from) {
    to.clear();
    to.resize(from.size());
    if (!from.empty()) std::memcpy(to.data(), from.data(), from.size());
}

void reserveBytes(Bytes& buffer, std::size_t capacity) {
    if (capacity <= buffer.capacity()) return;
    Bytes grown;
    grown.reserve(capacity);
    copyBytes(grown, buffer);
    buffer.swap(grown);
}

Result<std::span<const std::uint8_t>> readWholeFileInto(const fs::path& path, Bytes& buffer,
                                                        std::size_t limit) {
    // Non-blocking, so that opening a pipe with no writer does not wait for one.
    Fd file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (file.fd < 0) return systemError(errno, kSource);
    struct stat st {};
    if (::fstat(file.fd, &st) != 0) return systemError(errno, kSource);
    if (!S_ISREG(st.st_mode)) return notRegular(path);
    if (static_cast<std::uint64_t>(st.st_size) > limit)
        return tooLarge(path, static_cast<std::uint64_t>(st.st_size), limit);
    // One spare byte, so that reaching the end of a file of known size needs no regrowth.
    const std::size_t expected = static_cast<std::size_t>(st.st_size) + 1;
    if (buffer.size() < expected) buffer.resize(expected);
    std::size_t got = 0;
    while (true) {
        // A file that grows while it is read is read to the limit and no further.
        if (got == buffer.size()) {
            if (got > limit) return tooLarge(path, got, limit);
            buffer.resize(buffer.size() + 65536);
        }
        const ssize_t n = ::read(file.fd, buffer.data() + got, buffer.size() - got);
        if (n < 0) {
            if (errno == EINTR) continue;
            return systemError(errno, kSource);
        }
        if (n == 0) break;
        got += static_cast<std::size_t>(n);
    }
    if (got > limit) return tooLarge(path, got, limit);
    return std::span<const std::uint8_t>(buffer.data(), got);
}

Result<Bytes> readWholeFile(const fs::path& path, std::size_t limit) {
    Bytes data;
    auto got = readWholeFileInto(path, data, limit);
    if (!got) return got.error();
    data.resize(got.value().size());
    return data;
}

fs::path resolveLinks(const fs::path& path) {
    fs::path current = path;
    // As many hops as the kernel itself follows before it gives up (ELOOP).
    for (int hop = 0; hop < 40; ++hop) {
        struct stat st {};
        if (::lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return current;
        std::string target(PATH_MAX, '\0');
        const ssize_t n = ::readlink(current.c_str(), target.data(), target.size());
        if (n < 0) return current;
        target.resize(static_cast<std::size_t>(n));
        const fs::path next(target);
        current = next.is_absolute() ? next : current.parent_path() / next;
    }
    return current;
}

namespace {

std::string randomSuffix() {
    static thread_local std::mt19937_64 rng{std::random_device{}()};
    static constexpr char kAlphabet[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::string s(6, 'x');
    for (char& c : s) c = kAlphabet[rng() % (sizeof kAlphabet - 1)];
    return s;
}

Result<void> writeAll(int fd, std::span<const std::uint8_t> data) {
    std::size_t written = 0;
    while (written < data.size()) {
        const ssize_t n = ::write(fd, data.data() + written, data.size() - written);
        if (n < 0) {
            if (errno == EINTR) continue;
            return systemError(errno, kSource);
        }
        written += static_cast<std::size_t>(n);
    }
    return Done{};
}

// What the new file takes over from the one it replaces.
struct Keep {
    bool exists = false;
    mode_t mode = 0;
    uid_t uid = 0;
    gid_t gid = 0;
};

Result<void> finishContent(int fd, std::span<const std::uint8_t> data, const Keep& keep, Flush flush) {
    if (auto w = writeAll(fd, data); !w) return w;
    ::fchmod(fd, keep.mode);
    // Only root can give a file away; for anyone else the owner is already right.
    if (keep.exists && ::geteuid() == 0) (void)!::fchown(fd, keep.uid, keep.gid);
    // The data must be on disk before it becomes the file, or a crash right after could
    // leave an empty file where the old one was.
    if (flush == Flush::Yes && ::fsync(fd) != 0) return systemError(errno, kSource);
    return Done{};
}

// A hidden name beside the destination that nothing else uses.
Result<fs::path> freeNameBeside(const fs::path& target) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        fs::path candidate = target.parent_path() / ("." + target.filename().string() + "." + randomSuffix());
        struct stat st {};
        if (::lstat(candidate.c_str(), &st) != 0 && errno == ENOENT) return candidate;
    }
    return systemError(EEXIST, kSource);
}

// The unnamed file: nothing is visible in the folder until it is complete, so a process
// killed at any moment leaves nothing behind. Returns nullopt-like failure with EOPNOTSUPP
// (and friends) where the file system has no unnamed files.
Result<void> writeUnnamed(const fs::path& target, std::span<const std::uint8_t> data, const Keep& keep,
                          Flush flush, bool& unsupported) {
    const fs::path folder = target.parent_path().empty() ? fs::path(".") : target.parent_path();
    Fd file(::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, keep.mode));
    if (file.fd < 0) {
        const int err = errno;
        // Kernels and file systems without unnamed files (FAT32 cards among them) say so in
        // one of these ways; the named file below works everywhere.
        unsupported = err == EOPNOTSUPP || err == EISDIR || err == EINVAL || err == ENOSYS;
        return systemError(err, kSource);
    }
    if (auto c = finishContent(file.fd, data, keep, flush); !c) return c;
    const std::string self = "/proc/self/fd/" + std::to_string(file.fd);
    if (!keep.exists) {
        // A new file appears whole in one step.
        if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, target.c_str(), AT_SYMLINK_FOLLOW) == 0) return Done{};
        if (errno != EEXIST) {
            unsupported = errno == ENOENT || errno == EPERM || errno == EOPNOTSUPP;
            return systemError(errno, kSource);
        }
        // Someone created it meanwhile: replace it like any existing file.
    }
    // An existing file is replaced by rename, the one step that never shows a missing or
    // partial file; linking first under a hidden name is the only moment a kill could leave
    // a (complete) stray file.
    auto hidden = freeNameBeside(target);
    if (!hidden) return hidden.error();
    if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, hidden.value().c_str(), AT_SYMLINK_FOLLOW) != 0) {
        unsupported = errno == ENOENT || errno == EPERM || errno == EOPNOTSUPP;
        return systemError(errno, kSource);
    }
    if (::rename(hidden.value().c_str(), target.c_str()) != 0) {
        const int err = errno;
        ::unlink(hidden.value().c_str());
        return systemError(err, kSource);
    }
    return Done{};
}

Result<void> writeNamed(const fs::path& target, std::span<const std::uint8_t> data, const Keep& keep,
                        Flush flush) {
    const fs::path folder = target.parent_path().empty() ? fs::path(".") : target.parent_path();
    std::string tmpl = (folder / ("." + target.filename().string() + ".XXXXXX")).string();
    Fd file(::mkstemp(tmpl.data()));
    if (file.fd < 0) return systemError(errno, kSource);
    auto fail = [&](const Error& e) -> Result<void> {
        ::close(file.release());
        ::unlink(tmpl.c_str());
        return e;
    };
    if (auto c = finishContent(file.fd, data, keep, flush); !c) return fail(c.error());
    if (::close(file.release()) != 0) return fail(systemError(errno, kSource));
    if (::rename(tmpl.c_str(), target.c_str()) != 0) return fail(systemError(errno, kSource));
    return Done{};
}

}  // namespace

Result<void> writeFileAtomically(const fs::path& path, std::span<const std::uint8_t> data, Flush flush) {
    const fs::path target = resolveLinks(path);
    Keep keep;
    struct stat old {};
    if (::stat(target.c_str(), &old) == 0) {
        if (S_ISDIR(old.st_mode)) return systemError(EISDIR, kSource);
        if (!S_ISREG(old.st_mode)) return notRegular(target);
        keep = {true, static_cast<mode_t>(old.st_mode & 07777), old.st_uid, old.st_gid};
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        keep.mode = 0666 & ~mask;
    }

    const fs::path folder = target.parent_path().empty() ? fs::path(".") : target.parent_path();
    if (::access(folder.c_str(), W_OK) != 0 && errno == EACCES && keep.exists &&
        ::access(target.c_str(), W_OK) == 0) {
        // Writing in place could leave half a file; the safe way needs a new file beside it.
        return Error(ErrorCategory::File, file_error::kFolderNotWritable, kSource,
                     "\"" + target.string() + "\" is writable but its folder \"" + folder.string() +
                         "\" is not, and the file is only ever replaced through a new file beside it; "
                         "nothing was written",
                     {target.string(), folder.string()});
    }

    bool unsupported = false;
    auto unnamed = writeUnnamed(target, data, keep, flush, unsupported);
    if (unnamed || !unsupported) return unnamed;
    return writeNamed(target, data, keep, flush);
}

}  // namespace vantorel
