#include "engine/convert/naming.h"

#include <sys/stat.h>

#include <algorithm>
#include <map>
#include <system_error>

#include "engine/common/file_io.h"

namespace vantorel::convert {
namespace fs = std::filesystem;

std::string destinationFor(std::string_view source, std::string_view extension) {
    const std::size_t slash = source.rfind('/');
    const std::size_t nameLength =
        slash == std::string_view::npos ? source.size() : source.size() - slash - 1;
    const std::size_t cut = std::min<std::size_t>(4, nameLength);
    std::string out(source.substr(0, source.size() - cut));
    out += extension;
    return out;
}

std::string destinationInFolder(std::string_view destination, std::string_view folder) {
    std::string out(folder);
    if (out.empty() || out.back() != '/') out += '/';
    const std::size_t slash = destination.rfind('/');
    out += slash == std::string_view::npos ? destination : destination.substr(slash + 1);
    return out;
}

namespace {

constexpr const char* kBatchSource = "modConvert.CheckBatch";

// One key per file: its inode when it exists (hard links and every spelling meet there),
// else where a write would create it. The two kinds never match each other, and need not:
// an existing file and a missing one are never the same.
std::string identityOf(const fs::path& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0)
        return "inode:" + std::to_string(st.st_dev) + ":" + std::to_string(st.st_ino);
    std::error_code ec;
    // A dangling link is written through, so its target is where the file will appear.
    const fs::path absolute = fs::absolute(resolveLinks(path), ec);
    if (ec) return "path:" + path.lexically_normal().string();
    const fs::path real = fs::weakly_canonical(absolute, ec);
    return "path:" + (ec ? absolute.lexically_normal() : real).string();
}

// The last part of a path inside an archive; zips made on Windows may separate with "\\".
std::string_view lastPart(std::string_view path) {
    const std::size_t cut = path.find_last_of("/\\");
    return cut == std::string_view::npos ? path : path.substr(cut + 1);
}

std::string_view withoutExtension(std::string_view name) {
    const std::size_t dot = name.rfind('.');
    return dot == std::string_view::npos || dot == 0 ? name : name.substr(0, dot);
}

bool usable(std::string_view name) {
    return !name.empty() && name != "." && name != "..";
}

}  // namespace

std::vector<BatchClash> findBatchClashes(std::span<const BatchEntry> batch) {
    std::multimap<std::string, std::size_t> sources;
    for (std::size_t i = 0; i < batch.size(); ++i) sources.emplace(identityOf(batch[i].source), i);

    std::vector<BatchClash> clashes;
    std::map<std::string, std::size_t> firstWriter;
    for (std::size_t j = 0; j < batch.size(); ++j) {
        const std::string destination = identityOf(batch[j].destination);
        const auto [writer, isFirst] = firstWriter.emplace(destination, j);
        if (!isFirst) clashes.push_back({BatchClash::Kind::SharedDestination, writer->second, j});
        const auto [from, to] = sources.equal_range(destination);
        const auto other = std::find_if(from, to, [j](const auto& s) { return s.second != j; });
        if (other != to) clashes.push_back({BatchClash::Kind::DestinationIsSource, other->second, j});
    }
    return clashes;
}

Error batchClashError(const BatchClash& clash, std::span<const BatchEntry> batch) {
    const std::string first = batch[clash.first].source.string();
    const std::string second = batch[clash.second].source.string();
    const std::string destination = batch[clash.second].destination.string();
    if (clash.kind == BatchClash::Kind::SharedDestination)
        return Error(ErrorCategory::File, kErrSharedDestination, kBatchSource,
                     "\"" + first + "\" and \"" + second + "\" would both be written to \"" + destination +
                         "\"; nothing was converted",
                     {first, second, destination});
    return Error(ErrorCategory::File, kErrDestinationIsSource, kBatchSource,
                 "\"" + second + "\" would be written to \"" + destination + "\", which is the source \"" +
                     first + "\" of the same batch; nothing was converted",
                 {first, second, destination});
}

std::string destinationForArchiveEntry(std::string_view archive, std::string_view entry,
                                       std::string_view extension) {
    const std::size_t slash = archive.rfind('/');
    const std::string_view folder =
        slash == std::string_view::npos ? std::string_view() : archive.substr(0, slash + 1);
    std::string name(withoutExtension(lastPart(entry)));
    name += extension;
    if (!usable(name) || !usable(lastPart(entry))) {
        name = withoutExtension(archive.substr(folder.size()));
        name += extension;
    }
    return std::string(folder) + name;
}

}  // namespace vantorel::convert
