#pragma once

// Images, and patches of every format between them, for the patch commands' tests. IPS and
// BPS patches come from the engine's makers; UPS and the odd hand-made BPS are written here
// from the formats' public descriptions, sharing nothing with the program.
#include <functional>
#include <string>

#include "archive_fixture.h"
#include "engine/patch/make_patch.h"
#include "engine/patch/patch_format.h"

namespace cli_test {

// BPS and UPS numbers: seven bits a byte, low first, the top bit on the last byte, and one
// taken off after every byte that is not the last.
inline void putVarint(Bytes& out, std::uint64_t value) {
    for (;;) {
        const auto low = static_cast<std::uint8_t>(value & 0x7F);
        value >>= 7;
        if (value == 0) {
            out.push_back(static_cast<std::uint8_t>(0x80 | low));
            return;
        }
        out.push_back(low);
        --value;
    }
}

inline void putLe32(Bytes& out, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

// The patch's own CRC32 closes it, over everything before it.
inline void closeWithCrcs(Bytes& patch, const Bytes& source, const Bytes& target) {
    putLe32(patch, crc32(source));
    putLe32(patch, crc32(target));
    putLe32(patch, crc32(patch));
}

// A UPS patch: runs of XOR bytes, each after the count of equal bytes skipped and ended by a
// zero that also passes one equal byte. The images' last bytes must be equal.
inline Bytes makeUps(const Bytes& source, const Bytes& target) {
    Bytes patch{'U', 'P', 'S', '1'};
    putVarint(patch, source.size());
    putVarint(patch, target.size());
    const std::size_t size = std::max(source.size(), target.size());
    auto at = [](const Bytes& b, std::size_t i) -> std::uint8_t { return i < b.size() ? b[i] : 0; };
    std::size_t from = 0;
    for (std::size_t i = 0; i < size;) {
        if (at(source, i) == at(target, i)) {
            ++i;
            continue;
        }
        putVarint(patch, i - from);
        for (; i < size && at(source, i) != at(target, i); ++i)
            patch.push_back(at(source, i) ^ at(target, i));
        patch.push_back(0);
        from = ++i;
    }
    closeWithCrcs(patch, source, target);
    return patch;
}

// A BPS patch of `size` unchanged bytes (one SourceRead) carrying `metadata`.
inline Bytes bpsWithMetadata(const Bytes& image, const std::string& metadata) {
    Bytes patch{'B', 'P', 'S', '1'};
    putVarint(patch, image.size());
    putVarint(patch, image.size());
    putVarint(patch, metadata.size());
    patch.insert(patch.end(), metadata.begin(), metadata.end());
    putVarint(patch, (image.size() - 1) << 2);  // SourceRead of the whole image
    closeWithCrcs(patch, image, image);
    return patch;
}

enum class Kind { Ips, Bps, Ups };

inline std::string nameOf(Kind kind) {
    return kind == Kind::Ips ? "ips" : kind == Kind::Bps ? "bps" : "ups";
}

inline std::string upperHex8(std::uint32_t value) {
    std::string text = hex8(value);
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

class PatchCli : public ArchiveCli {
protected:
    void SetUp() override {
        ArchiveCli::SetUp();
        original_ = romImage(64 * 1024, 7, "PATCH TEST");
        modified_ = original_;
        // A changed title, a scattered run of bytes, and 3000 new bytes ending in a zero (a
        // UPS hunk's closing zero passes one more byte, which must lie inside the image).
        const std::string title = "PATCHED GAME";
        std::copy(title.begin(), title.end(), modified_.begin() + 0x120);
        for (std::size_t i = 0x8000; i < 0x8400; i += 3) modified_[i] ^= 0x5A;
        const Bytes tail = romImage(3000, 9, "TAIL");
        modified_.insert(modified_.end(), tail.begin(), tail.end());
        modified_.back() = 0;
        writeBytes(dir_ / "game.bin", original_);
        writeBytes(dir_ / "hack.bin", modified_);
    }

    Bytes patchOf(Kind kind) {
        if (kind == Kind::Ups) return makeUps(original_, modified_);
        auto made = kind == Kind::Ips ? vantorel::patch::makeIps(original_, modified_)
                                      : vantorel::patch::makeBps(original_, modified_);
        EXPECT_TRUE(made.ok()) << made.error().description();
        return made.ok() ? made.value() : Bytes{};
    }

    // Writes the patch of `kind` as patch.<ext>, named as the format says.
    std::string writePatch(Kind kind) {
        const std::string name = "patch." + nameOf(kind);
        writeBytes(dir_ / name, patchOf(kind));
        return name;
    }

    bool exists(const std::string& name) { return fs::exists(dir_ / name); }
    Bytes bytesOf(const std::string& name) { return readBytes(dir_ / name); }

    Bytes original_;
    Bytes modified_;
};

}  // namespace cli_test
