#include <cerrno>
#include <string>
#include <system_error>

#include "engine/common/file_io.h"
#include "engine/convert/smd.h"
#include "engine/rom/load_image.h"

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

// The file layer's error, told from the conversion's side: a system failure names the file
// and what was being done (File, kCannotRead/kCannotWrite), any other keeps its own words.
Error restated(const Error& e, const char* where, const char* what, const fs::path& path, bool reading) {
    const std::string description = std::string(what) + e.description();
    const Error told = reading ? cannotRead(e, path, description) : cannotWrite(e, path, description);
    return Error(told.category(), told.number(), where,
                 told.category() == e.category() ? description : told.description(), told.args());
}

Result<void> convertFile(const fs::path& source, const fs::path& destination, const ProgressFn& progress,
                         ConvertBuffers* buffers, const std::optional<std::string>& entry, Converter convert,
                         const char* where) {
    if (sameFile(source, destination))
        return Error(ErrorCategory::Format, kErrSameFile, where, "the destination is the source file itself");
    ConvertBuffers local;
    ConvertBuffers& b = buffers ? *buffers : local;
    // An archive goes through the image loader, which picks its one image; a plain file is
    // read into the batch's buffer, which keeps its memory from file to file.
    std::span<const std::uint8_t> in;
    rom::LoadedImage unpacked;
    if (entry || rom::isArchiveFile(source)) {
        auto loaded = rom::loadImage(source, entry);
        if (!loaded) return restated(loaded.error(), where, "cannot read the source file: ", source, true);
        unpacked = std::move(loaded).value();
        in = unpacked.data;
    } else {
        auto read = readWholeFileInto(source, b.source);
        if (!read) return restated(read.error(), where, "cannot read the source file: ", source, true);
        in = read.value();
    }
    auto out = convert(in, b.output, progress);
    if (!out) return out.error();
    // No flush: a batch of hundreds of images would wait on the disk for each one.
    auto written = writeFileAtomically(destination, out.value(), Flush::No);
    if (!written)
        return restated(written.error(), where, "cannot write the destination file: ", destination, false);
    return Done{};
}

}  // namespace

Result<void> SMD2Bin(const fs::path& source, const fs::path& destination, const ProgressFn& progress,
                     ConvertBuffers* buffers, const std::optional<std::string>& entry) {
    return convertFile(source, destination, progress, buffers, entry, &smdToBin, kSmd2BinSource);
}

Result<void> Bin2SMD(const fs::path& source, const fs::path& destination, const ProgressFn& progress,
                     ConvertBuffers* buffers, const std::optional<std::string>& entry) {
    return convertFile(source, destination, progress, buffers, entry, &binToSmd, kBin2SmdSource);
}

}  // namespace vantorel::convert
