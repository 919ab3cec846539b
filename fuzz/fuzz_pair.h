#pragma once

// Turns fuzz input into an original image and a modified copy, the way images change:
// bytes overwritten, inserted, deleted, runs of one byte, a cut or grown end. With
// `nearEof`, the first byte may also put the changes just below 0x454F46, where an IPS
// record must not start.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>

#include "engine/common/file_io.h"

namespace vantorel::fuzz {

class Reader {
public:
    explicit Reader(std::span<const std::uint8_t> data) : data_(data) {}
    bool empty() const { return at_ >= data_.size(); }
    std::uint8_t byte() { return at_ < data_.size() ? data_[at_++] : 0; }
    std::size_t number(std::size_t below) {
        const std::size_t v = std::size_t{byte()} << 8 | byte();
        return below == 0 ? 0 : v % below;
    }
    std::span<const std::uint8_t> take(std::size_t n) {
        n = std::min(n, data_.size() - std::min(at_, data_.size()));
        auto s = data_.subspan(std::min(at_, data_.size()), n);
        at_ += n;
        return s;
    }

private:
    std::span<const std::uint8_t> data_;
    std::size_t at_ = 0;
};

struct Pair {
    Bytes original;
    Bytes modified;
};

// Fills `p` (kept from one input to the next by the caller, so the large images of the mode
// near 0x454F46 reuse their memory instead of costing fresh pages every time).
inline void pairFrom(std::span<const std::uint8_t> data, bool nearEof, Pair& p) {
    Reader in(data);
    const std::uint8_t mode = in.byte();
    // Changes are made to the bytes from the input; in the mode near 0x454F46 the zeros
    // put in front of both images come last, so the large images are built once.
    const std::size_t before = nearEof && mode % 16 == 15 ? 0x454F46 - 0x20 : 0;
    const auto own = in.take(in.number(2048));
    Bytes original(own.begin(), own.end());
    Bytes m = original;
    for (int ops = 0; ops < 16 && !in.empty(); ++ops) {
        const std::uint8_t op = in.byte();
        const std::size_t at = in.number(m.size() + 1);
        const std::size_t n = 1 + in.number(op & 0x80 ? 600 : 12);
        const std::uint8_t value = in.byte();
        switch (op % 6) {
            case 0:  // overwrite with input bytes
                for (std::size_t i = 0; i < n && at + i < m.size(); ++i) m[at + i] = in.byte();
                break;
            case 1:
                m.insert(m.begin() + static_cast<std::ptrdiff_t>(at), n, value);
                break;
            case 2:
                m.erase(m.begin() + static_cast<std::ptrdiff_t>(at),
                        m.begin() + static_cast<std::ptrdiff_t>(std::min(m.size(), at + n)));
                break;
            case 3:  // a run of one byte
                std::fill(m.begin() + static_cast<std::ptrdiff_t>(at),
                          m.begin() + static_cast<std::ptrdiff_t>(std::min(m.size(), at + n)), value);
                break;
            case 4:
                m.resize(at);
                break;
            default:
                m.resize(m.size() + n, op & 0x40 ? 0 : value);
        }
    }
    p.original.assign(before, 0);
    p.original.insert(p.original.end(), original.begin(), original.end());
    p.modified.assign(before, 0);
    p.modified.insert(p.modified.end(), m.begin(), m.end());
}

}  // namespace vantorel::fuzz
