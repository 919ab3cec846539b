#pragma once

// Images with known bytes, and the archivers and digest tools around vantorel-cli.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "cli_fixture.h"

namespace cli_test {

inline constexpr std::size_t kBlock = 16384;

// Bytes that look like a cartridge: noise, a header with a title, the ROM range stated.
inline Bytes romImage(std::size_t size, std::uint32_t seed, const std::string& title) {
    Bytes b(size);
    std::uint32_t x = 0x9E3779B9u * (seed + 1);
    for (std::uint8_t& byte : b) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        byte = static_cast<std::uint8_t>(x >> 24);
    }
    auto put = [&](std::size_t at, std::string text, std::size_t width) {
        text.resize(width, ' ');
        std::copy(text.begin(), text.end(), b.begin() + static_cast<std::ptrdiff_t>(at));
    };
    put(0x100, "SEGA MEGA DRIVE", 16);
    put(0x120, title, 48);
    for (std::size_t i = 0; i < 8; ++i) b[0x1A0 + i] = 0;
    const std::uint32_t end = static_cast<std::uint32_t>(size - 1);
    for (std::size_t i = 0; i < 4; ++i) b[0x1A4 + i] = static_cast<std::uint8_t>(end >> (24 - 8 * i));
    return b;
}

// CRC-32 as zip and checksum lists state it, bit by bit: nothing shared with the program.
inline std::uint32_t crc32(const Bytes& data) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (std::uint8_t byte : data) {
        crc ^= byte;
        for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

inline std::string hex8(std::uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "%08x", value);
    return text;
}

// The 16-bit sum of the words from 0x200, as the header states it.
inline std::string checksumOf(const Bytes& image) {
    std::uint16_t sum = 0;
    for (std::size_t i = 0x200; i + 1 < image.size(); i += 2)
        sum = static_cast<std::uint16_t>(sum + (image[i] << 8 | image[i + 1]));
    char text[8];
    std::snprintf(text, sizeof text, "%04X", sum);
    return text;
}

// The checksum stored at 0x18E, as vantorel-cli prints it.
inline std::string storedOf(const Bytes& image) {
    char text[8];
    std::snprintf(text, sizeof text, "%02X%02X", image[0x18E], image[0x18F]);
    return text;
}

class ArchiveCli : public Cli {
protected:
    // What md5sum or sha1sum prints for a file of the scratch folder.
    std::string digestByTool(const std::string& tool, const std::string& file) {
        EXPECT_EQ(shell(tool + " " + quote(file) + " > digest.txt"), 0) << tool;
        const std::string line = slurp(dir_ / "digest.txt");
        return line.substr(0, line.find(' '));
    }

    nlohmann::json parsed(const CliRun& r) {
        nlohmann::json value = nlohmann::json::parse(r.out, nullptr, false);
        EXPECT_FALSE(value.is_discarded()) << r.out;
        return value;
    }

    // The scratch folder's file names, to see that a refusal wrote nothing.
    std::vector<std::string> listing() {
        std::vector<std::string> names;
        for (const auto& e : fs::recursive_directory_iterator(dir_)) {
            const std::string name = fs::relative(e.path(), dir_).string();
            if (name != "out.txt" && name != "err.txt") names.push_back(name);
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    // The zip tool storing the files of `folder` under their paths there.
    void zipFrom(const std::string& folder, const std::string& archive, const std::string& names) {
        ASSERT_EQ(
            shell("cd " + quote(folder) + " && zip -q " + quote((dir_ / archive).string()) + " " + names), 0);
    }

    void skipWithout(const std::string& tool) {
        if (!have(tool)) GTEST_SKIP() << tool << " is not installed";
    }
};

}  // namespace cli_test
