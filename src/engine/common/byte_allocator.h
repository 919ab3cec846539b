#pragma once

#include <cstddef>
#include <type_traits>

namespace vantorel {

namespace detail {
// Memory for a buffer of `bytes`: from the heap when small; from this size on mapped on its own
// in whole 2 MiB pages that the kernel may back with huge pages. Out of memory ends the
// process, as an allocation failure does everywhere else here. Marked as an allocation
// function, so the compiler knows the memory is new and turns the vector's element-by-element
// copies into memcpy, as it does for operator new.
inline constexpr std::size_t kLargeBuffer = std::size_t{1} << 20;
[[gnu::malloc, gnu::returns_nonnull]] void* allocateBuffer(std::size_t bytes) noexcept;
void freeBuffer(void* p, std::size_t bytes) noexcept;
}  // namespace detail

// The allocator of every image and patch buffer. A whole image is read, converted, patched
// and written in one piece, so a buffer of several MiB is touched from end to end as soon as
// it exists. Mapped in 4 KiB pages that costs one page fault per page, which is most of the
// time a command spends on a cartridge; in huge pages it costs a handful.
template <typename T>
class ByteAllocator {
public:
    using value_type = T;
    using is_always_equal = std::true_type;

    ByteAllocator() noexcept = default;
    template <typename U>
    ByteAllocator(const ByteAllocator<U>&) noexcept {}

    T* allocate(std::size_t n) { return static_cast<T*>(detail::allocateBuffer(n * sizeof(T))); }
    void deallocate(T* p, std::size_t n) noexcept { detail::freeBuffer(p, n * sizeof(T)); }

    template <typename U>
    bool operator==(const ByteAllocator<U>&) const noexcept {
        return true;
    }
};

}  // namespace vantorel
