#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vantorel::about {

// The shortest decimal form of a number, never in exponent notation, with a fraction only
// when there is one: 524288, 1023.5.
std::string shortestDecimal(double value);

// The memory line of the about box: every "%t" replaced by the total, then every "%f" by the
// free memory, both in KB (bytes / 1024). Figures are 64-bit, so machines beyond 2 GB and
// 4 GB show their real memory.
std::string describeMemory(std::string_view memStat, std::uint64_t totalBytes, std::uint64_t freeBytes);

}  // namespace vantorel::about
