#include <cstring>

#include "engine/convert/smd.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace vantorel::convert {

void joinBlock(const std::uint8_t* block, std::uint8_t* image) {
    const std::uint8_t* odd = block;
    const std::uint8_t* even = block + kSmdHalfBlock;
    std::size_t j = 0;
#if defined(__SSE2__)
    // Unpacking even with odd bytes lays them out as even0 odd0 even1 odd1 ...
    for (; j + 16 <= kSmdHalfBlock; j += 16) {
        const __m128i o = _mm_loadu_si128(reinterpret_cast<const __m128i*>(odd + j));
        const __m128i e = _mm_loadu_si128(reinterpret_cast<const __m128i*>(even + j));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(image + 2 * j), _mm_unpacklo_epi8(e, o));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(image + 2 * j + 16), _mm_unpackhi_epi8(e, o));
    }
#else
    for (; j < kSmdHalfBlock; ++j) {
        image[2 * j] = even[j];
        image[2 * j + 1] = odd[j];
    }
#endif
}

void splitBlock(const std::uint8_t* image, std::size_t count, std::uint8_t* block) {
    if (count > kSmdBlockSize) count = kSmdBlockSize;
    std::uint8_t* odd = block;
    std::uint8_t* even = block + kSmdHalfBlock;
    std::size_t j = 0;
#if defined(__SSE2__)
    // Each 16-bit lane holds one even byte (low, little-endian) and one odd byte (high);
    // masking or shifting then packing gathers sixteen of each per step.
    const __m128i low = _mm_set1_epi16(0x00FF);
    for (; 2 * j + 32 <= count; j += 16) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(image + 2 * j));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(image + 2 * j + 16));
        const __m128i e = _mm_packus_epi16(_mm_and_si128(a, low), _mm_and_si128(b, low));
        const __m128i o = _mm_packus_epi16(_mm_srli_epi16(a, 8), _mm_srli_epi16(b, 8));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(even + j), e);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(odd + j), o);
    }
#endif
    for (; 2 * j + 1 < count; ++j) {
        even[j] = image[2 * j];
        odd[j] = image[2 * j + 1];
    }
    if (2 * j < count) even[j] = image[2 * j];
}

}  // namespace vantorel::convert
