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

using Converter = Result<Bytes> (*)(std::span<const std::uint8_t>, const ProgressFn&);

// Failures keep their number and gain this converter's name as their source.
Error tagged(const Error& e, const char* source, const char* what) {
    return Error(e.number(), source, std::string(what) + e.description());
}

Result<void> convertFile(const fs::path& source, const fs::path& destination, const ProgressFn& progress,
                         Converter convert, const char* where) {
    if (sameFile(source, destination))
        return Error(kErrSameFile, where, "the destination is the source file itself");
    auto in = readWholeFile(source);
    if (!in) return tagged(in.error(), where, "cannot read the source file: ");
    auto out = convert(in.value(), progress);
    if (!out) return out.error();
    // The source buffer is no longer needed while the output is written.
    Bytes().swap(in.value());
    auto written = writeFileAtomically(destination, out.value());
    if (!written) return tagged(written.error(), where, "cannot write the destination file: ");
    return Done{};
}

}  // namespace

Result<void> SMD2Bin(const fs::path& source, const fs::path& destination, const ProgressFn& progress) {
    return convertFile(source, destination, progress, &smdToBin, kSmd2BinSource);
}

Result<void> Bin2SMD(const fs::path& source, const fs::path& destination, const ProgressFn& progress) {
    return convertFile(source, destination, progress, &binToSmd, kBin2SmdSource);
}

}  // namespace vantorel::convert
