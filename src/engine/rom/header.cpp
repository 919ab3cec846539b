#include "engine/rom/header.h"

#include <algorithm>

namespace vantorel::rom {

std::uint8_t CharCodeAt(std::string_view text, std::size_t position) {
    if (position < 1 || position > text.size()) return 0;
    return static_cast<std::uint8_t>(text[position - 1]);
}

bool IsNewRegionCode(std::string_view region) {
    return region.find_first_of("JUE") == std::string_view::npos;
}

std::string readTextField(std::span<const std::uint8_t> image, TextField field) {
    std::string out(field.width, '\0');
    for (std::size_t k = 0; k < field.width; ++k) {
        const std::size_t at = field.offset + k;
        out[k] = at < image.size() ? static_cast<char>(image[at]) : '\0';
    }
    return out;
}

void writeTextField(std::span<std::uint8_t> image, TextField field, std::string_view text) {
    for (std::size_t k = 1; k <= field.width; ++k) {
        const std::size_t at = field.offset + k - 1;
        if (at < image.size()) image[at] = CharCodeAt(text, k);
    }
}

DeviceBoxes devicesFromField(std::string_view field) {
    DeviceBoxes boxes{};
    for (char c : field) {
        const auto it = std::find(kDeviceLetters.begin(), kDeviceLetters.end(), c);
        if (it != kDeviceLetters.end()) boxes[static_cast<std::size_t>(it - kDeviceLetters.begin())] = true;
    }
    return boxes;
}

std::string deviceLetters(const DeviceBoxes& boxes) {
    std::string out;
    for (std::size_t i = 0; i < kDeviceCount; ++i)
        if (boxes[i]) out += kDeviceLetters[i];
    return out;
}

std::string deviceField(const DeviceBoxes& boxes, std::string_view stored) {
    std::string out = deviceLetters(boxes);
    for (char c : stored) {
        if (c == ' ' || c == '\0') continue;
        if (std::find(kDeviceLetters.begin(), kDeviceLetters.end(), c) != kDeviceLetters.end()) continue;
        out += c;
    }
    out.resize(kDevices.width, ' ');
    return out;
}

Result<void> checkHeaderFits(std::size_t imageLength) {
    if (imageLength >= kHeaderMinLength) return Done{};
    return Error(ErrorCategory::Format, kErrTooShortForHeader, "prVantor.modRom.ReadHeader",
                 "The file is too short to hold a cartridge header: it has " + std::to_string(imageLength) +
                     " bytes, at least " + std::to_string(kHeaderMinLength) + " are needed.",
                 {std::to_string(imageLength), std::to_string(kHeaderMinLength)});
}

}  // namespace vantorel::rom
