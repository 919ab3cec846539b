#include "engine/common/byte_allocator.h"

#include <sys/mman.h>

#include <cstdio>
#include <cstdlib>

namespace vantorel::detail {
namespace {

constexpr std::size_t kHugePage = std::size_t{2} << 20;

std::size_t roundUp(std::size_t bytes) {
    return (bytes + kHugePage - 1) & ~(kHugePage - 1);
}

}  // namespace

void* mapLargeBuffer(std::size_t bytes) noexcept {
    const std::size_t size = roundUp(bytes);
    // One huge page more than needed, so that a 2 MiB boundary lies inside; the slack on
    // either side goes back at once.
    void* mapped =
        ::mmap(nullptr, size + kHugePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped == MAP_FAILED) {
        std::fputs("vantorel: out of memory\n", stderr);
        std::abort();
    }
    const auto start = reinterpret_cast<std::uintptr_t>(mapped);
    const std::uintptr_t aligned = (start + kHugePage - 1) & ~(std::uintptr_t{kHugePage} - 1);
    if (aligned > start) ::munmap(mapped, aligned - start);
    const std::uintptr_t end = aligned + size;
    const std::uintptr_t mappedEnd = start + size + kHugePage;
    if (mappedEnd > end) ::munmap(reinterpret_cast<void*>(end), mappedEnd - end);
    // Only a hint: without transparent huge pages the buffer works the same in small pages.
    ::madvise(reinterpret_cast<void*>(aligned), size, MADV_HUGEPAGE);
    return reinterpret_cast<void*>(aligned);
}

void unmapLargeBuffer(void* p, std::size_t bytes) noexcept {
    ::munmap(p, roundUp(bytes));
}

}  // namespace vantorel::detail
