// Feeds arbitrary bytes to the Standard MIDI File checker.
#include <cstddef>
#include <cstdint>
#include <span>

#include "engine/about/tune.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    auto summary = vantorel::about::checkStandardMidi(std::span<const std::uint8_t>(data, size));
    if (summary.ok() &&
        summary.value().eventsPerTrack.size() != static_cast<std::size_t>(summary.value().trackCount))
        __builtin_trap();
    return 0;
}
