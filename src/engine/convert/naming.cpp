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

}  // namespace vantorel::convert
