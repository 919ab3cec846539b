#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <system_error>

#include "engine/convert/smd.h"

namespace vantorel::convert {
namespace fs = std::filesystem;

bool sameFile(const fs::path& a, const fs::path& b) {
    std::error_code ec;
    if (fs::exists(a, ec) && fs::exists(b, ec)) {
        const bool same = fs::equivalent(a, b, ec);
        if (!ec) return same;
    }
    const fs::path na = fs::absolute(a, ec).lexically_normal();
    const fs::path nb = fs::absolute(b, ec).lexically_normal();
    return na == nb;
}

namespace {

using Converter = Result<std::span<const std::uint8_t>> (*)(std::span<const std::uint8_t>, Bytes&,
                                                            const ProgressFn&);

Error readError(int err, const char* where) {
    return Error(err, where, "cannot read the source file: " + systemErrorText(err));
}

// The whole file into `buffer`, reusing its memory: one read for a file whose size
// fstat tells, more for files that grow or report no size.
Result<std::span<const std::uint8_t>> readInto(const fs::path& path, Bytes& buffer, const char* where) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return readError(errno, where);
    struct stat st {};
    if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        const int err = S_ISDIR(st.st_mode) ? EISDIR : errno;
        ::close(fd);
        return readError(err, where);
    }
    // One spare byte, so that reaching the end needs no second pass for a file of known size.
    const std::size_t expected = static_cast<std::size_t>(st.st_size) + 1;
    if (buffer.size() < expected) buffer.resize(expected);
    std::size_t got = 0;
    while (true) {
        if (got == buffer.size()) buffer.resize(buffer.size() + 65536);
        const ssize_t n = ::read(fd, buffer.data() + got, buffer.size() - got);
        if (n < 0) {
            if (errno == EINTR) continue;
            const int err = errno;
            ::close(fd);
            return readError(err, where);
        }
        if (n == 0) break;
        got += static_cast<std::size_t>(n);
    }
    ::close(fd);
    return std::span<const std::uint8_t>(buffer.data(), got);
}

Error writeError(int err, const char* where) {
    return Error(err, where, "cannot write the destination file: " + systemErrorText(err));
}

// Writes a temporary file beside the destination and renames it over it: a failure at any
// point leaves no destination, or the previous one whole, and an existing longer file ends
// up holding exactly the new bytes. No fsync: a batch of hundreds of images would wait on
// the disk for each one, and the rename alone already keeps a killed process from leaving
// a half-written file (ext4 also flushes a file renamed over another).
Result<void> writeReplacing(const fs::path& path, std::span<const std::uint8_t> data, const char* where) {
    const fs::path folder = path.has_parent_path() ? path.parent_path() : fs::path(".");
    std::string tmp = (folder / ("." + path.filename().string() + ".XXXXXX")).string();
    const int fd = ::mkstemp(tmp.data());
    if (fd < 0) return writeError(errno, where);
    auto fail = [&](int err) -> Result<void> {
        ::close(fd);
        ::unlink(tmp.c_str());
        return writeError(err, where);
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
    std::size_t written = 0;
    while (written < data.size()) {
        const ssize_t n = ::write(fd, data.data() + written, data.size() - written);
        if (n < 0) {
            if (errno == EINTR) continue;
            return fail(errno);
        }
        written += static_cast<std::size_t>(n);
    }
    if (::close(fd) != 0) {
        const int err = errno;
        ::unlink(tmp.c_str());
        return writeError(err, where);
    }
    if (::rename(tmp.c_str(), path.c_str()) != 0) {
        const int err = errno;
        ::unlink(tmp.c_str());
        return writeError(err, where);
    }
    return Done{};
}

Result<void> convertFile(const fs::path& source, const fs::path& destination, const ProgressFn& progress,
                         ConvertBuffers* buffers, Converter convert, const char* where) {
    if (sameFile(source, destination))
        return Error(kErrSameFile, where, "the destination is the source file itself");
    ConvertBuffers local;
    ConvertBuffers& b = buffers ? *buffers : local;
    auto in = readInto(source, b.source, where);
    if (!in) return in.error();
    auto out = convert(in.value(), b.output, progress);
    if (!out) return out.error();
    return writeReplacing(destination, out.value(), where);
}

}  // namespace

Result<void> SMD2Bin(const fs::path& source, const fs::path& destination, const ProgressFn& progress,
                     ConvertBuffers* buffers) {
    return convertFile(source, destination, progress, buffers, &smdToBin, kSmd2BinSource);
}

Result<void> Bin2SMD(const fs::path& source, const fs::path& destination, const ProgressFn& progress,
                     ConvertBuffers* buffers) {
    return convertFile(source, destination, progress, buffers, &binToSmd, kBin2SmdSource);
}

}  // namespace vantorel::convert
