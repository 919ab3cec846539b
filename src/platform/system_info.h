#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vantorel::platform {

// The running kernel's version: major.minor and the third number as revision. All zero when it
// cannot be read.
struct VersionTriple {
    std::int32_t major = 0;
    std::int32_t minor = 0;
    std::int32_t revision = 0;
    friend bool operator==(const VersionTriple&, const VersionTriple&) = default;
};

VersionTriple GetKernelVersion();
// "6.1.0-18-amd64" -> 6, 1, 0; "5.10" -> 5, 10, 0; anything without a leading number -> zeros.
VersionTriple parseKernelRelease(std::string_view release);

// The operating system's PRETTY_NAME from os-release, or "Linux" when there is none.
std::string osPrettyName();
// PRETTY_NAME from the text of an os-release file (quotes and escapes undone), empty when absent.
std::string parseOsPrettyName(std::string_view osRelease);

// "<pretty name> <major>.<minor> rev <revision>", as the about box shows it.
std::string systemLine();
std::string formatSystemLine(const std::string& prettyName, const VersionTriple& kernel);

// Physical memory in bytes; "free" is what programs can still get without swapping.
struct MemoryStatus {
    std::uint64_t totalBytes = 0;
    std::uint64_t freeBytes = 0;
    friend bool operator==(const MemoryStatus&, const MemoryStatus&) = default;
};

MemoryStatus memoryStatus();
// From the text of /proc/meminfo: MemTotal, and MemAvailable (MemFree on old kernels).
std::optional<MemoryStatus> parseMemInfo(std::string_view meminfo);

std::int64_t processId();

}  // namespace vantorel::platform
