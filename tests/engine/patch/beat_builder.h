#pragma once

#include <zlib.h>

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "engine/common/file_io.h"

// Builds BPS and UPS patches piece by piece for the tests, with a number encoder of their
// own so a fault shared by the engine's encoder and reader cannot hide.
namespace vantorel::test {

inline std::uint32_t crcOf(const Bytes& b) {
    return static_cast<std::uint32_t>(crc32(0, b.data(), static_cast<uInt>(b.size())));
}

inline Bytes bytesOf(std::string_view s) {
    return Bytes(s.begin(), s.end());
}

inline void putVarint(Bytes& out, std::uint64_t v) {
    while (true) {
        const std::uint8_t low = v & 0x7F;
        v >>= 7;
        if (v == 0) {
            out.push_back(0x80 | low);
            return;
        }
        out.push_back(low);
        v -= 1;
    }
}

inline void putLe(Bytes& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

// Appends the patch's own CRC32 over everything before it.
inline Bytes sealed(Bytes patch) {
    putLe(patch, crcOf(patch));
    return patch;
}

class BpsBuilder {
public:
    BpsBuilder(const Bytes& source, const Bytes& target, std::string_view metadata = {})
        : sourceCrc_(crcOf(source)), targetCrc_(crcOf(target)) {
        body_ = bytesOf("BPS1");
        putVarint(body_, source.size());
        putVarint(body_, target.size());
        putVarint(body_, metadata.size());
        body_.insert(body_.end(), metadata.begin(), metadata.end());
    }
    BpsBuilder& sourceRead(std::uint64_t length) { return command(0, length); }
    BpsBuilder& targetRead(const Bytes& bytes) {
        command(1, bytes.size());
        body_.insert(body_.end(), bytes.begin(), bytes.end());
        return *this;
    }
    BpsBuilder& sourceCopy(std::int64_t offset, std::uint64_t length) {
        command(2, length);
        putVarint(body_, encodeOffset(offset));
        return *this;
    }
    BpsBuilder& targetCopy(std::int64_t offset, std::uint64_t length) {
        command(3, length);
        putVarint(body_, encodeOffset(offset));
        return *this;
    }
    BpsBuilder& raw(const Bytes& bytes) {
        body_.insert(body_.end(), bytes.begin(), bytes.end());
        return *this;
    }
    BpsBuilder& sourceCrc(std::uint32_t crc) {
        sourceCrc_ = crc;
        return *this;
    }
    BpsBuilder& targetCrc(std::uint32_t crc) {
        targetCrc_ = crc;
        return *this;
    }
    Bytes build() const {
        Bytes out = body_;
        putLe(out, sourceCrc_);
        putLe(out, targetCrc_);
        return sealed(std::move(out));
    }

private:
    static std::uint64_t encodeOffset(std::int64_t offset) {
        return offset < 0 ? (static_cast<std::uint64_t>(-offset) << 1) | 1
                          : static_cast<std::uint64_t>(offset) << 1;
    }
    BpsBuilder& command(unsigned action, std::uint64_t length) {
        putVarint(body_, ((length - 1) << 2) | action);
        return *this;
    }
    Bytes body_;
    std::uint32_t sourceCrc_;
    std::uint32_t targetCrc_;
};

class UpsBuilder {
public:
    UpsBuilder(const Bytes& source, const Bytes& target)
        : sourceCrc_(crcOf(source)), targetCrc_(crcOf(target)) {
        body_ = bytesOf("UPS1");
        putVarint(body_, source.size());
        putVarint(body_, target.size());
    }
    // Skips `skip` bytes, XORs `bytes` (none of them zero) and closes the hunk.
    UpsBuilder& hunk(std::uint64_t skip, const Bytes& bytes) {
        putVarint(body_, skip);
        body_.insert(body_.end(), bytes.begin(), bytes.end());
        body_.push_back(0);
        return *this;
    }
    UpsBuilder& raw(const Bytes& bytes) {
        body_.insert(body_.end(), bytes.begin(), bytes.end());
        return *this;
    }
    UpsBuilder& targetCrc(std::uint32_t crc) {
        targetCrc_ = crc;
        return *this;
    }
    Bytes build() const {
        Bytes out = body_;
        putLe(out, sourceCrc_);
        putLe(out, targetCrc_);
        return sealed(std::move(out));
    }

private:
    Bytes body_;
    std::uint32_t sourceCrc_;
    std::uint32_t targetCrc_;
};

// A UPS patch between two images, hunk by hunk, the simplest way the format allows.
inline Bytes upsBetween(const Bytes& source, const Bytes& target) {
    UpsBuilder b(source, target);
    const std::size_t n = std::max(source.size(), target.size());
    auto at = [](const Bytes& v, std::size_t i) -> std::uint8_t { return i < v.size() ? v[i] : 0; };
    std::size_t last = 0;
    for (std::size_t i = 0; i < n;) {
        if (at(source, i) == at(target, i)) {
            ++i;
            continue;
        }
        Bytes x;
        const std::size_t start = i;
        while (i < n && at(source, i) != at(target, i)) {
            x.push_back(at(source, i) ^ at(target, i));
            ++i;
        }
        b.hunk(start - last, x);
        last = i + 1;
        ++i;
    }
    return b.build();
}

}  // namespace vantorel::test
