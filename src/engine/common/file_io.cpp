#include "engine/common/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <limits>
#include <string>

namespace vantorel {
namespace {

constexpr const char* kSource = "vantorel.file_io";
std::atomic<std::size_t> gFailAfter{std::numeric_limits<std::size_t>::max()};

Error errnoError(int err, const std::filesystem::path& path) {
    (void)path;
    return Error(err, kSource, systemErrorText(err));
}

}  // namespace

std::string systemErrorText(int errnum) {
    char buf[256];
    // GNU strerror_r may return a static string instead of filling buf.
#if defined(__GLIBC__) && defined(_GNU_SOURCE)
    const char* text = strerror_r(errnum, buf, sizeof buf);
    return text ? std::string(text) : std::string();
#else
    if (strerror_r(errnum, buf, sizeof buf) != 0) return "Unknown error " + std::to_string(errnum);
    return std::string(buf);
#endif
}

Result<std::span<const std::uint8_t>> readWholeFileInto(const std::filesystem::path& path, Bytes& buffer) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return errnoError(errno, path);
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        const int err = errno;
        ::close(fd);
        return errnoError(err, path);
    }
    if (S_ISDIR(st.st_mode)) {
        ::close(fd);
        return errnoError(EISDIR, path);
    }
    // One spare byte, so that reaching the end of a file of known size needs no regrowth.
    const std::size_t expected = static_cast<std::size_t>(st.st_size) + 1;
    if (buffer.size() < expected) buffer.resize(expected);
    std::size_t got = 0;
    while (true) {
        // Files that grow meanwhile, or report no size (/proc), need more room.
        if (got == buffer.size()) buffer.resize(buffer.size() + 65536);
        const ssize_t n = ::read(fd, buffer.data() + got, buffer.size() - got);
        if (n < 0) {
            if (errno == EINTR) continue;
            const int err = errno;
            ::close(fd);
            return errnoError(err, path);
        }
        if (n == 0) break;
        got += static_cast<std::size_t>(n);
    }
    ::close(fd);
    return std::span<const std::uint8_t>(buffer.data(), got);
}

Result<Bytes> readWholeFile(const std::filesystem::path& path) {
    Bytes data;
    auto got = readWholeFileInto(path, data);
    if (!got) return got.error();
    data.resize(got.value().size());
    return data;
}

Result<void> writeFileAtomically(const std::filesystem::path& path, std::span<const std::uint8_t> data,
                                 Flush flush) {
    const std::filesystem::path folder = path.has_parent_path() ? path.parent_path() : std::filesystem::path(".");
    std::string tmpl = (folder / ("." + path.filename().string() + ".XXXXXX")).string();
    const int fd = ::mkstemp(tmpl.data());
    if (fd < 0) return errnoError(errno, path);

    auto fail = [&](int err) -> Result<void> {
        ::close(fd);
        ::unlink(tmpl.c_str());
        return errnoError(err, path);
    };

    struct stat old {};
    if (::stat(path.c_str(), &old) == 0) {
        if (S_ISDIR(old.st_mode)) return fail(EISDIR);
        ::fchmod(fd, old.st_mode & 07777);
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        ::fchmod(fd, 0666 & ~mask);
    }

    const std::size_t failAfter = gFailAfter.exchange(std::numeric_limits<std::size_t>::max());
    std::size_t written = 0;
    while (written < data.size()) {
        std::size_t chunk = data.size() - written;
        if (failAfter != std::numeric_limits<std::size_t>::max()) {
            if (written >= failAfter) return fail(ENOSPC);
            chunk = std::min(chunk, failAfter - written);
        }
        const ssize_t n = ::write(fd, data.data() + written, chunk);
        if (n < 0) {
            if (errno == EINTR) continue;
            return fail(errno);
        }
        written += static_cast<std::size_t>(n);
    }
    if (failAfter != std::numeric_limits<std::size_t>::max() && written >= failAfter && !data.empty())
        return fail(ENOSPC);
    // The data must be on disk before the rename makes it the file, or a crash right after
    // could leave an empty file where the old one was.
    if (flush == Flush::Yes && ::fsync(fd) != 0) return fail(errno);
    if (::close(fd) != 0) {
        const int err = errno;
        ::unlink(tmpl.c_str());
        return errnoError(err, path);
    }
    if (::rename(tmpl.c_str(), path.c_str()) != 0) {
        const int err = errno;
        ::unlink(tmpl.c_str());
        return errnoError(err, path);
    }
    return Done{};
}

namespace testing {
void failNextAtomicWriteAfter(std::size_t bytes) { gFailAfter = bytes; }
}  // namespace testing

}  // namespace vantorel
