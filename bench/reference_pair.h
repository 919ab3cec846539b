#pragma once

#include <cstdint>
#include <vector>

#include "engine/common/file_io.h"

// The pair the patch makers are measured on: a 4 MiB image like a cartridge (random
// stretches, runs of one byte, repeats of earlier stretches, text-like bytes), and a
// modified copy with 2,000 small edits (1 to 8 bytes) and 64 KiB of new data inserted in
// the middle, which shifts everything after it. Always the same bytes.
namespace vantorel::bench {

class Lcg {
public:
    explicit Lcg(std::uint64_t seed) : x_(seed) {}
    std::uint32_t next() {
        x_ = x_ * 6364136223846793005u + 1442695040888963407u;
        return static_cast<std::uint32_t>(x_ >> 33);
    }
    std::uint32_t below(std::uint32_t n) { return next() % n; }

private:
    std::uint64_t x_;
};

inline Bytes romLike(std::size_t size, std::uint64_t seed) {
    Lcg r(seed);
    Bytes b;
    b.reserve(size);
    while (b.size() < size) {
        const std::size_t n =
            std::min<std::size_t>(size - b.size(), 16 + r.below(r.below(4) == 0 ? 8192 : 1024));
        switch (r.below(4)) {
            case 0:  // code and compressed graphics: no pattern
                for (std::size_t i = 0; i < n; ++i) b.push_back(static_cast<std::uint8_t>(r.next()));
                break;
            case 1:  // padding and empty tiles
                b.insert(b.end(), n, r.below(2) ? 0xFF : 0x00);
                break;
            case 2:  // data repeated from elsewhere in the image
                if (b.size() > n) {
                    const std::size_t from = r.below(static_cast<std::uint32_t>(b.size() - n));
                    for (std::size_t i = 0; i < n; ++i) b.push_back(b[from + i]);
                    break;
                }
                [[fallthrough]];
            default:  // text and tables: few distinct bytes
                for (std::size_t i = 0; i < n; ++i)
                    b.push_back(static_cast<std::uint8_t>(0x41 + r.below(26)));
        }
    }
    return b;
}

struct ReferencePair {
    Bytes original;
    Bytes modified;
};

inline ReferencePair referencePair() {
    constexpr std::size_t kSize = 4 << 20;
    constexpr std::size_t kInserted = 64 << 10;
    constexpr int kEdits = 2000;
    ReferencePair p;
    p.original = romLike(kSize, 1);
    Bytes edited = p.original;
    Lcg r(2);
    for (int i = 0; i < kEdits; ++i) {
        const std::size_t at = r.below(kSize - 8);
        const std::size_t n = 1 + r.below(8);
        for (std::size_t k = 0; k < n; ++k) edited[at + k] = static_cast<std::uint8_t>(r.next());
    }
    const Bytes inserted = romLike(kInserted, 3);
    p.modified.reserve(kSize + kInserted);
    p.modified.insert(p.modified.end(), edited.begin(), edited.begin() + kSize / 2);
    p.modified.insert(p.modified.end(), inserted.begin(), inserted.end());
    p.modified.insert(p.modified.end(), edited.begin() + kSize / 2, edited.end());
    return p;
}

}  // namespace vantorel::bench
