#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace vantorel {

namespace detail {
// Memory for one large buffer, in whole 2 MiB pages that the kernel may back with huge pages.
// Out of memory ends the process, as an allocation failure does everywhere else here.
void* mapLargeBuffer(std::size_t bytes) noexcept;
void unmapLargeBuffer(void* p, std::size_t bytes) noexcept;
// From this size on a buffer is mapped on its own.
inline constexpr std::size_t kLargeBuffer = std::size_t{1} << 20;
}  // namespace detail

// The allocator of every image and patch buffer. A whole image is read, converted, patched
// and written in one piece, so a buffer of several MiB is touched from end to end as soon as
// it exists. Mapped in 4 KiB pages that costs one page fault per page, which is most of the
// time a command spends on a cartridge; in huge pages it costs a handful. Small buffers go
// to the ordinary heap.
template <typename T>
class ByteAllocator {
public:
    using value_type = T;
    using is_always_equal = std::true_type;

    ByteAllocator() noexcept = default;
    template <typename U>
    ByteAllocator(const ByteAllocator<U>&) noexcept {}

    T* allocate(std::size_t n) {
        const std::size_t bytes = n * sizeof(T);
        if (bytes >= detail::kLargeBuffer) return static_cast<T*>(detail::mapLargeBuffer(bytes));
        return std::allocator<T>().allocate(n);
    }
    void deallocate(T* p, std::size_t n) noexcept {
        const std::size_t bytes = n * sizeof(T);
        if (bytes >= detail::kLargeBuffer)
            detail::unmapLargeBuffer(p, bytes);
        else
            std::allocator<T>().deallocate(p, n);
    }

    template <typename U>
    bool operator==(const ByteAllocator<U>&) const noexcept {
        return true;
    }
};

}  // namespace vantorel
