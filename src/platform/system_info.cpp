#include "platform/system_info.h"

#include <sys/sysinfo.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <cctype>
#include <fstream>
#include <limits>
#include <sstream>

namespace vantorel::platform {
namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}
bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
    return s;
}

// Reads a run of digits at the front of `s` into `out`; false when there is none or it does
// not fit in 32 bits.
bool takeNumber(std::string_view& s, std::int32_t& out) {
    if (s.empty() || !isDigit(s.front())) return false;
    std::int64_t v = 0;
    while (!s.empty() && isDigit(s.front())) {
        v = v * 10 + (s.front() - '0');
        if (v > std::numeric_limits<std::int32_t>::max()) return false;
        s.remove_prefix(1);
    }
    out = static_cast<std::int32_t>(v);
    return true;
}

std::string readSmallFile(const char* path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return {};
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// os-release values follow shell quoting: "double" with \ escapes for $ " \ `, 'single' as is.
std::string unquoteShellValue(std::string_view v) {
    std::string out;
    if (!v.empty() && v.front() == '\'') {
        v.remove_prefix(1);
        const auto end = v.find('\'');
        return std::string(v.substr(0, end));
    }
    const bool doubleQuoted = !v.empty() && v.front() == '"';
    if (doubleQuoted) v.remove_prefix(1);
    for (std::size_t i = 0; i < v.size(); ++i) {
        const char c = v[i];
        if (doubleQuoted && c == '"') break;
        if (c == '\\' && i + 1 < v.size()) {
            const char next = v[i + 1];
            if (!doubleQuoted || next == '$' || next == '"' || next == '\\' || next == '`') {
                out += next;
                ++i;
                continue;
            }
        }
        out += c;
    }
    return out;
}

std::uint64_t saturatingTimes(std::uint64_t a, std::uint64_t b) {
    if (a != 0 && b > std::numeric_limits<std::uint64_t>::max() / a)
        return std::numeric_limits<std::uint64_t>::max();
    return a * b;
}

}  // namespace

VersionTriple parseKernelRelease(std::string_view release) {
    std::string_view s = trimmed(release);
    VersionTriple v;
    if (!takeNumber(s, v.major)) return {};
    if (s.size() >= 2 && s.front() == '.' && isDigit(s[1])) {
        s.remove_prefix(1);
        if (!takeNumber(s, v.minor)) return {};
        if (s.size() >= 2 && s.front() == '.' && isDigit(s[1])) {
            s.remove_prefix(1);
            if (!takeNumber(s, v.revision)) return {};
        }
    }
    return v;
}

VersionTriple GetKernelVersion() {
    struct utsname u {};
    if (::uname(&u) != 0) return {};
    return parseKernelRelease(u.release);
}

std::string parseOsPrettyName(std::string_view osRelease) {
    std::string found;
    std::size_t start = 0;
    while (start <= osRelease.size()) {
        auto end = osRelease.find('\n', start);
        if (end == std::string_view::npos) end = osRelease.size();
        const std::string_view line = trimmed(osRelease.substr(start, end - start));
        start = end + 1;
        const auto eq = line.find('=');
        if (line.empty() || line.front() == '#' || eq == std::string_view::npos) continue;
        if (line.substr(0, eq) != "PRETTY_NAME") continue;
        found = std::string(trimmed(unquoteShellValue(line.substr(eq + 1))));  // the last one wins
    }
    return found;
}

std::string osPrettyName() {
    for (const char* path : {"/etc/os-release", "/usr/lib/os-release"}) {
        const std::string name = parseOsPrettyName(readSmallFile(path));
        if (!name.empty()) return name;
    }
    return "Linux";
}

std::string formatSystemLine(const std::string& prettyName, const VersionTriple& kernel) {
    return prettyName + " " + std::to_string(kernel.major) + "." + std::to_string(kernel.minor) + " rev " +
           std::to_string(kernel.revision);
}

std::string systemLine() {
    return formatSystemLine(osPrettyName(), GetKernelVersion());
}

std::optional<MemoryStatus> parseMemInfo(std::string_view meminfo) {
    std::optional<std::uint64_t> total, available, free;
    std::istringstream in{std::string(meminfo)};
    std::string line;
    while (std::getline(in, line)) {
        const auto colon = line.find(':');
        if (colon == std::string::npos) continue;
        const std::string key = line.substr(0, colon);
        std::istringstream fields(line.substr(colon + 1));
        std::uint64_t amount = 0;
        std::string unit;
        if (!(fields >> amount)) continue;
        fields >> unit;
        const std::uint64_t bytes = unit == "kB" ? saturatingTimes(amount, 1024) : amount;
        if (key == "MemTotal" && !total)
            total = bytes;
        else if (key == "MemAvailable" && !available)
            available = bytes;
        else if (key == "MemFree" && !free)
            free = bytes;
    }
    if (!total) return std::nullopt;
    MemoryStatus m;
    m.totalBytes = *total;
    m.freeBytes = available ? *available : free.value_or(0);
    if (m.freeBytes > m.totalBytes) m.freeBytes = m.totalBytes;
    return m;
}

MemoryStatus memoryStatus() {
    if (auto m = parseMemInfo(readSmallFile("/proc/meminfo"))) return *m;
    struct sysinfo si {};
    if (::sysinfo(&si) != 0) return {};
    const std::uint64_t unit = si.mem_unit ? si.mem_unit : 1;
    MemoryStatus m;
    m.totalBytes = saturatingTimes(si.totalram, unit);
    m.freeBytes = saturatingTimes(static_cast<std::uint64_t>(si.freeram) + si.bufferram, unit);
    if (m.freeBytes > m.totalBytes) m.freeBytes = m.totalBytes;
    return m;
}

std::int64_t processId() {
    return static_cast<std::int64_t>(::getpid());
}

}  // namespace vantorel::platform
