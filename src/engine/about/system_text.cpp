#include "engine/about/system_text.h"

#include <charconv>
#include <cctype>

#include "engine/common/text.h"

namespace vantorel::about {

std::string shortestDecimal(double value) {
    char buf[400];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed);
    if (ec != std::errc{}) return "0";
    return std::string(buf, end);
}

std::string describeMemory(std::string_view memStat, std::uint64_t totalBytes, std::uint64_t freeBytes) {
    const std::string total = shortestDecimal(static_cast<double>(totalBytes) / 1024.0);
    const std::string free = shortestDecimal(static_cast<double>(freeBytes) / 1024.0);
    return text::replaceAll(text::replaceAll(memStat, "%t", total), "%f", free);
}

KernelVersion parseKernelRelease(std::string_view release) {
    int parts[3] = {0, 0, 0};
    std::size_t pos = 0;
    for (int i = 0; i < 3; ++i) {
        if (pos >= release.size() || !std::isdigit(static_cast<unsigned char>(release[pos]))) break;
        auto [next, ec] = std::from_chars(release.data() + pos, release.data() + release.size(), parts[i]);
        if (ec != std::errc{}) {
            parts[i] = 0;
            break;
        }
        pos = static_cast<std::size_t>(next - release.data());
        if (pos >= release.size() || release[pos] != '.') break;
        ++pos;
    }
    return {parts[0], parts[1], parts[2]};
}

std::string systemLine(std::string_view name, const KernelVersion& v) {
    return std::string(name) + " " + std::to_string(v.major) + "." + std::to_string(v.minor) + " rev " +
           std::to_string(v.revision);
}

}  // namespace vantorel::about
