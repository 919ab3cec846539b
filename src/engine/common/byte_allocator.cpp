#include "engine/common/byte_allocator.h"

#include <sys/mman.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <new>

namespace vantorel::detail {
namespace {

constexpr std::size_t kHugePage = std::size_t{2} << 20;

// Under AddressSanitizer every buffer stays on the heap it watches: a read or write past the
// end of a mapped buffer would land unseen in the rest of its last page.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif
#else
constexpr bool kSanitized = false;
#endif

[[noreturn]] void outOfMemory() {
    std::fputs("vantorel: out of memory\n", stderr);
    std::abort();
}

std::size_t roundUp(std::size_t bytes) {
    return (bytes + kHugePage - 1) & ~(kHugePage - 1);
}

// Buffers given back, kept for the next of their size: a window or a benchmark that loads
// one image after another would otherwise have every page of each faulted in anew.
class Spare {
public:
    // Only a region of the very size: it goes back with the size it is asked for.
    void* take(std::size_t size) {
        std::lock_guard lock(mutex_);
        for (Region& r : regions_)
            if (r.at && r.size == size) {
                void* at = r.at;
                total_ -= size;
                r = {};
                return at;
            }
        return nullptr;
    }
    bool keep(void* at, std::size_t size) {
        std::lock_guard lock(mutex_);
        if (total_ + size > kMaxTotal) return false;
        for (Region& r : regions_)
            if (!r.at) {
                r = {at, size};
                total_ += size;
                return true;
            }
        return false;
    }

private:
    struct Region {
        void* at = nullptr;
        std::size_t size = 0;
    };
    static constexpr std::size_t kMaxTotal = std::size_t{64} << 20;
    std::mutex mutex_;
    std::array<Region, 4> regions_{};
    std::size_t total_ = 0;
};

Spare& spare() {
    static Spare* const s = new Spare;  // never destroyed: buffers may go back during exit
    return *s;
}

}  // namespace

void* allocateBuffer(std::size_t bytes) noexcept {
    if (bytes < kLargeBuffer || kSanitized) {
        if (void* p = ::operator new(bytes, std::nothrow)) return p;
        outOfMemory();
    }
    const std::size_t size = roundUp(bytes);
    if (void* kept = spare().take(size)) return kept;
    // One huge page more than needed, so that a 2 MiB boundary lies inside; the slack on
    // either side goes back at once.
    void* mapped =
        ::mmap(nullptr, size + kHugePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped == MAP_FAILED) outOfMemory();
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

void freeBuffer(void* p, std::size_t bytes) noexcept {
    if (bytes < kLargeBuffer || kSanitized) return ::operator delete(p);
    const std::size_t size = roundUp(bytes);
    if (!spare().keep(p, size)) ::munmap(p, size);
}

}  // namespace vantorel::detail
