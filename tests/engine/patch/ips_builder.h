#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "engine/common/file_io.h"

namespace vantorel::test {

// Builds IPS patches byte by byte for the tests.
class IpsBuilder {
public:
    IpsBuilder() : bytes_{'P', 'A', 'T', 'C', 'H'} {}

    IpsBuilder& data(std::uint32_t offset, const Bytes& bytes) {
        be(offset, 3);
        be(static_cast<std::uint32_t>(bytes.size()), 2);
        bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
        return *this;
    }
    IpsBuilder& run(std::uint32_t offset, std::uint32_t length, std::uint8_t fill) {
        be(offset, 3);
        be(0, 2);
        be(length, 2);
        bytes_.push_back(fill);
        return *this;
    }
    IpsBuilder& raw(const Bytes& bytes) {
        bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
        return *this;
    }
    IpsBuilder& text(std::string_view s) {
        bytes_.insert(bytes_.end(), s.begin(), s.end());
        return *this;
    }
    Bytes eof() const {
        Bytes out = bytes_;
        out.insert(out.end(), {'E', 'O', 'F'});
        return out;
    }
    // "EOF" followed by the patched image's size (the truncation extension).
    Bytes eofTruncate(std::uint32_t size) const {
        Bytes out = eof();
        out.insert(out.end(), {static_cast<std::uint8_t>(size >> 16), static_cast<std::uint8_t>(size >> 8),
                               static_cast<std::uint8_t>(size)});
        return out;
    }
    Bytes unterminated() const { return bytes_; }

private:
    void be(std::uint32_t v, int n) {
        for (int i = n - 1; i >= 0; --i) bytes_.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    }
    Bytes bytes_;
};

inline Bytes filled(std::size_t n, std::uint8_t value) {
    return Bytes(n, value);
}

inline Bytes counting(std::size_t n, std::uint8_t start = 1) {
    Bytes b(n);
    for (std::size_t i = 0; i < n; ++i) b[i] = static_cast<std::uint8_t>(start + i);
    return b;
}

}  // namespace vantorel::test
