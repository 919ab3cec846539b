#pragma once

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

#include "engine/common/file_io.h"

// Original and modified images for round trips: data like a cartridge's (random stretches,
// runs of one byte, repeats of earlier stretches, text-like bytes) changed the ways people
// change them (small edits, insertions, deletions, cut or grown ends, filled stretches).
namespace vantorel::test {

class PairGenerator {
public:
    explicit PairGenerator(std::uint64_t seed) : rng_(seed) {}

    std::size_t below(std::size_t n) {
        return n == 0 ? 0 : std::uniform_int_distribution<std::size_t>(0, n - 1)(rng_);
    }
    std::uint8_t byte() { return static_cast<std::uint8_t>(below(256)); }

    Bytes romLike(std::size_t size) {
        Bytes b;
        b.reserve(size);
        while (b.size() < size) {
            const std::size_t n = std::min(size - b.size(), 1 + below(below(4) == 0 ? 8192 : 512));
            switch (below(4)) {
                case 0:
                    for (std::size_t i = 0; i < n; ++i) b.push_back(byte());
                    break;
                case 1:
                    b.insert(b.end(), n, below(2) ? 0xFF : byte());
                    break;
                case 2:
                    if (b.size() > n) {
                        const std::size_t from = below(b.size() - n);
                        for (std::size_t i = 0; i < n; ++i) b.push_back(b[from + i]);
                        break;
                    }
                    [[fallthrough]];
                default:
                    for (std::size_t i = 0; i < n; ++i)
                        b.push_back(static_cast<std::uint8_t>(0x20 + below(16)));
            }
        }
        return b;
    }

    // `operations` random changes; `largest` bounds the size of one insertion, deletion,
    // fill or growth. Built in one pass, so large images stay quick.
    Bytes mutate(const Bytes& original, std::size_t operations, std::size_t largest) {
        std::vector<std::size_t> positions(operations);
        for (auto& p : positions) p = below(original.size() + 1);
        std::sort(positions.begin(), positions.end());
        Bytes out;
        out.reserve(original.size() + operations * 8);
        std::size_t from = 0;  // the next original byte to keep
        std::size_t growth = 0;
        auto keepUntil = [&](std::size_t end) {
            end = std::min(end, original.size());
            if (end > from)
                out.insert(out.end(), original.begin() + static_cast<std::ptrdiff_t>(from),
                           original.begin() + static_cast<std::ptrdiff_t>(end));
            from = std::max(from, end);
        };
        for (std::size_t at : positions) {
            keepUntil(at);
            const std::size_t n = 1 + below(largest);
            switch (below(7)) {
                case 0:
                case 1:  // the commonest change: a few bytes overwritten
                    for (std::size_t i = 0, len = 1 + below(8); i < len; ++i) out.push_back(byte());
                    from += 1 + below(8);
                    break;
                case 2:  // inserted: random bytes or a run
                    if (below(2))
                        for (std::size_t i = 0; i < n; ++i) out.push_back(byte());
                    else
                        out.insert(out.end(), n, byte());
                    break;
                case 3:
                    from += n;
                    break;
                case 4:  // now and then the end is cut here, else it grows
                    if (below(operations) == 0) return out;
                    growth += n;
                    break;
                case 5:  // a stretch filled with one byte
                    out.insert(out.end(), n, byte());
                    from += n;
                    break;
                default:
                    for (std::size_t i = from; i < std::min(original.size(), from + n); ++i)
                        out.push_back(original[i] ^ (byte() & 1));
                    from += n;
            }
        }
        keepUntil(original.size());
        out.insert(out.end(), growth, below(2) ? 0 : byte());
        return out;
    }

private:
    std::mt19937_64 rng_;
};

}  // namespace vantorel::test
