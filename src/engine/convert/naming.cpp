#include "engine/convert/naming.h"

#include <algorithm>

namespace vantorel::convert {

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
