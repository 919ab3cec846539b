#pragma once

#include <cstdint>
#include <span>
#include <string_view>

// Which layout a file's bytes are in, told by content alone.
namespace vantorel::rom {

enum class Layout { Bin, Smd };

// "bin" or "smd", as reports print it.
std::string_view layoutName(Layout layout);

// The copier's marks (byte 1 = 3, bytes 8-9 = AA BB) and a size of the 512-byte header
// plus at least one whole 16 KiB block. `start` needs only the first 10 bytes; `size` is
// the whole file's, so an entry can be judged from its head while listing an archive.
bool isSmdLayout(std::span<const std::uint8_t> start, std::uint64_t size);

// SMD when isSmdLayout holds for the whole data, else BIN.
Layout detectLayout(std::span<const std::uint8_t> data);

// "SEGA" at 0x100, where the console looks for it in a plain image.
bool hasSegaSignature(std::span<const std::uint8_t> plainImage);

// Either of the above: content that a cartridge image has, whatever the file is called.
bool looksLikeImage(std::span<const std::uint8_t> start, std::uint64_t size);

}  // namespace vantorel::rom
