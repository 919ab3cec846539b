#include "engine/archive/archive_reader.h"

#include <archive.h>
#include <archive_entry.h>
#include <fcntl.h>
#include <locale.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <climits>
#include <cstring>
#include <memory>

#include "engine/common/shared_library.h"

namespace vantorel::archive {
namespace fs = std::filesystem;
namespace {

constexpr const char* kSource = "vantorel.archive";
constexpr std::size_t kChunk = 64u << 10;

constexpr std::array<std::uint8_t, 4> kZipLocal = {'P', 'K', 3, 4};
constexpr std::array<std::uint8_t, 4> kZipEmpty = {'P', 'K', 5, 6};
constexpr std::array<std::uint8_t, 6> kSevenZip = {'7', 'z', 0xBC, 0xAF, 0x27, 0x1C};
// Magic and the one compression method gzip defines (deflate).
constexpr std::array<std::uint8_t, 3> kGzip = {0x1F, 0x8B, 8};

// libarchive, opened the first time an archive is read (a plain image never needs it).
// clang-format off
#define VANTOREL_LIBARCHIVE_FUNCTIONS(X)                                                          \
    X(archive_read_new) X(archive_read_free) X(archive_error_string)                              \
    X(archive_read_support_format_zip) X(archive_read_support_format_7zip)                        \
    X(archive_read_support_format_raw) X(archive_read_support_filter_gzip)                        \
    X(archive_read_open_fd) X(archive_read_open_memory) X(archive_read_next_header)               \
    X(archive_read_data) X(archive_entry_filetype) X(archive_entry_pathname)                      \
    X(archive_entry_pathname_utf8) X(archive_entry_is_encrypted) X(archive_entry_size)            \
    X(archive_entry_size_is_set)
// clang-format on
VANTOREL_SHARED_LIBRARY(LibArchive, VANTOREL_LIBARCHIVE_SONAME, VANTOREL_LIBARCHIVE_FUNCTIONS)

// Only once loadLibArchive() succeeded: every use follows a Reader's opening, which checks.
const LibArchive& la() {
    return loadLibArchive().value();
}

template <std::size_t N>
bool startsWith(std::span<const std::uint8_t> data, const std::array<std::uint8_t, N>& magic) {
    return data.size() >= N && std::equal(magic.begin(), magic.end(), data.begin());
}

std::string mib(std::size_t bytes) {
    return std::to_string(bytes >> 20);
}

Error damaged(const Source& source, ::archive* a) {
    const char* text = a ? la().archive_error_string(a) : nullptr;
    const std::string why = text && *text ? text : "unknown error";
    const std::string name = source.path.string();
    return Error(ErrorCategory::Archive, archive_error::kDamaged, kSource,
                 "cannot read the archive \"" + name + "\": " + why, {name, why});
}

Error tooLarge(const std::string& entry, std::size_t limit) {
    return Error(ErrorCategory::Archive, archive_error::kEntryTooLarge, kSource,
                 "the entry \"" + entry + "\" is larger than " + mib(limit) + " MiB, more than any image",
                 {entry, mib(limit)});
}

Error encrypted(const std::string& entry) {
    return Error(ErrorCategory::Archive, archive_error::kEncrypted, kSource,
                 "the entry \"" + entry + "\" is encrypted; encrypted entries cannot be read", {entry});
}

Error notAnArchive(const fs::path& path) {
    return Error(ErrorCategory::Archive, archive_error::kNotAnArchive, kSource,
                 "\"" + path.string() + "\" is not a .zip, .7z or .gz archive, so it has no entries",
                 {path.string()});
}

Error notRegular(const fs::path& path) {
    return Error(ErrorCategory::File, file_error::kNotRegularFile, kSource,
                 "\"" + path.string() + "\" is not a regular file (a folder, a device or a pipe)",
                 {path.string()});
}

// libarchive turns stored names into the thread's character set, which in a program that
// never set a locale is plain ASCII: a 7z's "Pokémon.bin" would come out nameless. Names
// are always wanted in UTF-8, whatever the process's locale.
class Utf8Names {
public:
    Utf8Names() : utf8_(newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr))) {
        if (utf8_) previous_ = uselocale(utf8_);
    }
    ~Utf8Names() {
        if (!utf8_) return;
        uselocale(previous_);
        freelocale(utf8_);
    }
    Utf8Names(const Utf8Names&) = delete;
    Utf8Names& operator=(const Utf8Names&) = delete;

private:
    locale_t utf8_;
    locale_t previous_ = LC_GLOBAL_LOCALE;
};

// One open archive; frees libarchive's state and closes the file on every way out.
class Reader {
public:
    Reader() = default;
    Reader(const Reader&) = delete;
    Reader& operator=(const Reader&) = delete;
    ~Reader() {
        if (a_) la().archive_read_free(a_);
        if (fd_ >= 0) ::close(fd_);
    }

    static Result<std::unique_ptr<Reader>> open(const Source& source) {
        auto reader = std::make_unique<Reader>();
        Kind kind = Kind::None;
        if (!source.bytes.empty()) {
            kind = kindOf(source.bytes);
        } else {
            // Non-blocking, so that a pipe with no writer is refused instead of waited on.
            reader->fd_ = ::open(source.path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
            if (reader->fd_ < 0) return systemError(errno, kSource);
            struct stat st {};
            if (::fstat(reader->fd_, &st) != 0) return systemError(errno, kSource);
            if (!S_ISREG(st.st_mode)) return notRegular(source.path);
            std::array<std::uint8_t, 8> start{};
            const ssize_t n = ::pread(reader->fd_, start.data(), start.size(), 0);
            if (n < 0) return systemError(errno, kSource);
            kind = kindOf(std::span<const std::uint8_t>(start.data(), static_cast<std::size_t>(n)));
        }
        if (kind == Kind::None) return notAnArchive(source.path);
        reader->kind_ = kind;
        if (const auto& library = loadLibArchive(); !library) return library.error();

        ::archive* a = la().archive_read_new();
        if (!a) return systemError(ENOMEM, kSource);
        reader->a_ = a;
        // Only the format the magic named: the raw format would take any bytes at all.
        switch (kind) {
            case Kind::Zip:
                la().archive_read_support_format_zip(a);
                break;
            case Kind::SevenZip:
                la().archive_read_support_format_7zip(a);
                break;
            case Kind::Gzip:
                la().archive_read_support_filter_gzip(a);
                la().archive_read_support_format_raw(a);
                break;
            case Kind::None:
                break;
        }
        const int opened = source.bytes.empty()
                               ? la().archive_read_open_fd(a, reader->fd_, kChunk)
                               : la().archive_read_open_memory(a, source.bytes.data(), source.bytes.size());
        if (opened != ARCHIVE_OK) return damaged(source, a);
        return reader;
    }

    ::archive* get() const { return a_; }
    Kind kind() const { return kind_; }
    int fd() const { return fd_; }

    // The next regular-file entry, or nullptr after the last.
    Result<archive_entry*> next(const Source& source) {
        while (true) {
            archive_entry* entry = nullptr;
            const int r = la().archive_read_next_header(a_, &entry);
            if (r == ARCHIVE_EOF) return static_cast<archive_entry*>(nullptr);
            // A warning (a name in an unexpected character set) still gives a usable entry.
            if (r != ARCHIVE_OK && r != ARCHIVE_WARN) return damaged(source, a_);
            if (la().archive_entry_filetype(entry) == AE_IFREG) return entry;
        }
    }

private:
    Utf8Names names_;  // outlives a_: destroyed after the destructor's body has freed it
    ::archive* a_ = nullptr;
    int fd_ = -1;
    Kind kind_ = Kind::None;
};

std::string nameOf(const Source& source, const Reader& reader, archive_entry* entry) {
    if (reader.kind() == Kind::Gzip) return gzipEntryName(source.path);
    if (const char* name = la().archive_entry_pathname(entry)) return name;
    if (const char* name = la().archive_entry_pathname_utf8(entry)) return name;
    return {};
}

bool isEncrypted(archive_entry* entry) {
    return la().archive_entry_is_encrypted(entry) != 0;
}

// Reads the current entry's data into `out` (replacing what it held), refusing more than
// `limit` bytes whatever the header said.
Result<void> readData(const Source& source, ::archive* a, archive_entry* entry, const std::string& name,
                      std::size_t limit, Bytes& out) {
    out.clear();
    if (la().archive_entry_size_is_set(entry)) {
        const auto stated = static_cast<std::uint64_t>(la().archive_entry_size(entry));
        if (stated > limit) return tooLarge(name, limit);
        // Room for the empty read that ends the entry too, or the last step would copy it all.
        out.reserve(static_cast<std::size_t>(stated) + kChunk);
    }
    while (true) {
        if (out.size() > limit) return tooLarge(name, limit);
        const std::size_t have = out.size();
        out.resize(have + kChunk);
        const la_ssize_t n = la().archive_read_data(a, out.data() + have, kChunk);
        if (n < 0) {
            out.clear();
            if (isEncrypted(entry)) return encrypted(name);
            return damaged(source, a);
        }
        out.resize(have + static_cast<std::size_t>(n));
        if (n == 0) return Done{};
    }
}

// The head of the current entry and its size: as stated, or counted up to just past `limit`.
Result<void> readHead(const Source& source, ::archive* a, archive_entry* entry, std::size_t limit,
                      Entry& out) {
    out.head.resize(kHeadSize);
    std::size_t got = 0;
    while (got < kHeadSize) {
        const la_ssize_t n = la().archive_read_data(a, out.head.data() + got, kHeadSize - got);
        if (n < 0) return damaged(source, a);
        if (n == 0) break;
        got += static_cast<std::size_t>(n);
    }
    out.head.resize(got);
    if (la().archive_entry_size_is_set(entry)) {
        out.size = static_cast<std::uint64_t>(la().archive_entry_size(entry));
        return Done{};
    }
    std::uint64_t counted = got;
    if (got == kHeadSize) {
        Bytes scratch(kChunk);
        while (counted <= limit) {
            const la_ssize_t n = la().archive_read_data(a, scratch.data(), scratch.size());
            if (n < 0) return damaged(source, a);
            if (n == 0) break;
            counted += static_cast<std::uint64_t>(n);
        }
    }
    out.size = counted;
    return Done{};
}

Error gzipMismatch(const Source& source, const std::string& why) {
    const std::string name = source.path.string();
    return Error(ErrorCategory::Archive, archive_error::kDamaged, kSource,
                 "cannot read the archive \"" + name + "\": " + why, {name, why});
}

// The compressed bytes of a source, a piece at a time, wherever they are.
class CompressedInput {
public:
    CompressedInput(const Source& source, int fd) : source_(source), fd_(fd) {
        if (source.bytes.empty()) buffer_.resize(kChunk);
    }

    // The next piece from `offset` on; empty at the end.
    Result<std::span<const std::uint8_t>> at(std::uint64_t offset) {
        if (!source_.bytes.empty()) {
            if (offset >= source_.bytes.size()) return std::span<const std::uint8_t>();
            const std::size_t n = std::min<std::size_t>(source_.bytes.size() - offset, UINT_MAX);
            return source_.bytes.subspan(static_cast<std::size_t>(offset), n);
        }
        const ssize_t n = ::pread(fd_, buffer_.data(), buffer_.size(), static_cast<off_t>(offset));
        if (n < 0) return systemError(errno, kSource);
        return std::span<const std::uint8_t>(buffer_.data(), static_cast<std::size_t>(n));
    }

private:
    const Source& source_;
    int fd_;
    Bytes buffer_;
};

// libarchive's gzip reader does not check the CRC32 and length each gzip member ends
// with, so spoilt data would pass as an image. zlib checks both: the stream is inflated
// once more with the output discarded, and must yield exactly the `expected` bytes read.
Result<void> verifyGzip(const Source& source, int fd, std::uint64_t expected) {
    z_stream z{};
    if (inflateInit2(&z, 16 + MAX_WBITS) != Z_OK) return systemError(ENOMEM, kSource);
    struct End {
        z_stream* z;
        ~End() { inflateEnd(z); }
    } end{&z};
    CompressedInput input(source, fd);
    Bytes output(kChunk);
    std::uint64_t consumed = 0;  // input bytes zlib has taken
    std::uint64_t produced = 0;
    while (true) {
        auto piece = input.at(consumed);
        if (!piece) return piece.error();
        z.next_in = const_cast<Bytef*>(piece.value().data());
        z.avail_in = static_cast<uInt>(piece.value().size());
        z.next_out = output.data();
        z.avail_out = static_cast<uInt>(output.size());
        const uInt offered = z.avail_in;
        const int r = inflate(&z, Z_NO_FLUSH);
        consumed += offered - z.avail_in;
        produced += output.size() - z.avail_out;
        if (produced > expected) return gzipMismatch(source, "the gzip data is longer than was read");
        if (r == Z_STREAM_END) {
            // Another member may follow, as in concatenated files; anything else after a
            // whole member is ignored, as libarchive ignores it.
            auto next = input.at(consumed);
            if (!next) return next.error();
            std::array<std::uint8_t, 2> magic{};
            std::size_t have = std::min<std::size_t>(2, next.value().size());
            std::copy_n(next.value().begin(), have, magic.begin());
            if (have == 1) {
                auto rest = input.at(consumed + 1);
                if (!rest) return rest.error();
                if (!rest.value().empty()) magic[have++] = rest.value()[0];
            }
            if (have < 2 || magic[0] != 0x1F || magic[1] != 0x8B) break;
            inflateReset(&z);
            continue;
        }
        if (r == Z_BUF_ERROR && piece.value().empty())
            return gzipMismatch(source, "the gzip data ends early");
        if (r != Z_OK && r != Z_BUF_ERROR) return gzipMismatch(source, z.msg ? z.msg : "damaged gzip data");
    }
    if (produced != expected) return gzipMismatch(source, "the gzip data is shorter than was read");
    return Done{};
}

}  // namespace

Kind kindOf(std::span<const std::uint8_t> start) {
    if (startsWith(start, kZipLocal) || startsWith(start, kZipEmpty)) return Kind::Zip;
    if (startsWith(start, kSevenZip)) return Kind::SevenZip;
    if (startsWith(start, kGzip)) return Kind::Gzip;
    return Kind::None;
}

Kind kindOfFile(const fs::path& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) return Kind::None;
    Kind kind = Kind::None;
    struct stat st {};
    std::array<std::uint8_t, 8> start{};
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
        const ssize_t n = ::pread(fd, start.data(), start.size(), 0);
        if (n > 0) kind = kindOf(std::span<const std::uint8_t>(start.data(), static_cast<std::size_t>(n)));
    }
    ::close(fd);
    return kind;
}

std::string gzipEntryName(const fs::path& archive) {
    const std::string file = archive.filename().string();
    if (file.size() > 3) {
        const std::string_view tail = std::string_view(file).substr(file.size() - 3);
        const bool gz =
            tail[0] == '.' && (tail[1] == 'g' || tail[1] == 'G') && (tail[2] == 'z' || tail[2] == 'Z');
        if (gz) return file.substr(0, file.size() - 3);
    }
    return file.empty() ? "data" : file;
}

Result<std::vector<Entry>> listEntries(const Source& source, std::size_t limit) {
    auto opened = Reader::open(source);
    if (!opened) return opened.error();
    Reader& reader = *opened.value();
    std::vector<Entry> entries;
    while (true) {
        auto next = reader.next(source);
        if (!next) return next.error();
        archive_entry* e = next.value();
        if (!e) break;
        if (entries.size() == kMaxEntries) {
            const std::string name = source.path.string();
            return Error(ErrorCategory::Archive, archive_error::kTooManyEntries, kSource,
                         "the archive \"" + name + "\" holds more than " + std::to_string(kMaxEntries) +
                             " files, more than a listing takes",
                         {name, std::to_string(kMaxEntries)});
        }
        Entry entry;
        entry.name = nameOf(source, reader, e);
        entry.encrypted = isEncrypted(e);
        if (entry.encrypted) {
            if (la().archive_entry_size_is_set(e))
                entry.size = static_cast<std::uint64_t>(la().archive_entry_size(e));
        } else if (auto head = readHead(source, reader.get(), e, limit, entry); !head) {
            return head.error();
        }
        entries.push_back(std::move(entry));
    }
    return entries;
}

Result<Bytes> readEntry(const Source& source, std::string_view name, std::size_t limit) {
    auto opened = Reader::open(source);
    if (!opened) return opened.error();
    Reader& reader = *opened.value();
    while (true) {
        auto next = reader.next(source);
        if (!next) return next.error();
        archive_entry* e = next.value();
        if (!e) break;
        const std::string entryName = nameOf(source, reader, e);
        if (entryName != name) continue;
        if (isEncrypted(e)) return encrypted(entryName);
        Bytes data;
        if (auto read = readData(source, reader.get(), e, entryName, limit, data); !read) return read.error();
        if (reader.kind() == Kind::Gzip)
            if (auto sound = verifyGzip(source, reader.fd(), data.size()); !sound) return sound.error();
        return data;
    }
    const std::string wanted(name);
    return Error(ErrorCategory::Archive, archive_error::kNoSuchEntry, kSource,
                 "the archive \"" + source.path.string() + "\" holds no entry named \"" + wanted + "\"",
                 {wanted, source.path.string()});
}

}  // namespace vantorel::archive
