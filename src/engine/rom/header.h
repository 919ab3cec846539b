#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "engine/common/error.h"

namespace vantorel::rom {

// The cartridge header fields the editor reads and writes. Texts are held as bytes, one
// byte per character (ISO-8859-1), so every byte 0-255 comes back out unchanged.
struct TextField {
    std::size_t offset;
    std::size_t width;
};
inline constexpr TextField kSystemName{0x100, 16};
inline constexpr TextField kLegalLine{0x110, 16};
inline constexpr TextField kDomesticTitle{0x120, 48};
inline constexpr TextField kOverseasTitle{0x150, 48};
inline constexpr TextField kProductCode{0x180, 14};
inline constexpr TextField kComment{0x1B0, 64};
inline constexpr std::size_t kChecksumOffset = 0x18E;
inline constexpr TextField kDevices{0x190, 16};
inline constexpr TextField kRegion{0x1F0, 3};

// The last field ends here: shorter files cannot hold a header and are refused
// (ErrorCategory::Format, kErrTooShortForHeader).
inline constexpr std::size_t kHeaderMinLength = 0x1F3;
inline constexpr int kErrTooShortForHeader = 606;

// The device boxes in index order. The keyboard has K, the letter the published header
// layout gives it.
inline constexpr std::size_t kDeviceCount = 14;
inline constexpr std::array<char, kDeviceCount> kDeviceLetters = {'J', '6', 'K', 'P', 'B', 'F', 'L',
                                                                  '4', '0', 'R', 'T', 'V', 'C', 'M'};
using DeviceBoxes = std::array<bool, kDeviceCount>;

// The byte code of the character at 1-based `position`, 0 past the end of the text.
std::uint8_t CharCodeAt(std::string_view text, std::size_t position);

// True when the region string holds none of the capitals J, U, E.
bool IsNewRegionCode(std::string_view region);

// A field read as exactly its width of bytes (NULs and trailing spaces kept).
std::string readTextField(std::span<const std::uint8_t> image, TextField field);
// CharCodeAt for each position: shorter texts leave zero bytes, longer ones are cut.
void writeTextField(std::span<std::uint8_t> image, TextField field, std::string_view text);

// The boxes ticked by a device field (first matching box per byte; case matters).
DeviceBoxes devicesFromField(std::string_view field);
// The box letters found, in box order, duplicates collapsed.
std::string deviceLetters(const DeviceBoxes& boxes);
// The field for ticked boxes: box letters in box order, then every other letter of
// `stored` in its order (spaces and NULs dropped), space padded to 16.
std::string deviceField(const DeviceBoxes& boxes, std::string_view stored);

// Refuses images too short for the header with a reason a person can read.
Result<void> checkHeaderFits(std::size_t imageLength);

}  // namespace vantorel::rom
