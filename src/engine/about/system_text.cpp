#include "engine/about/system_text.h"

#include <charconv>

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

}  // namespace vantorel::about
