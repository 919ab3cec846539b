#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include "engine/common/error.h"
#include "engine/common/file_io.h"

namespace vantorel::about {

// The tune is stored with every byte b as 255 - b; the same transform turns it back.
Bytes invertBytes(std::span<const std::uint8_t> data);

// The music file's name: a per-run number in upper-case hexadecimal + ".mid".
std::string tempMusicName(std::uint64_t runNumber);

// Turns the stored tune back into a MIDI file and writes it to `folder`/tempMusicName(run),
// replacing any file there. Returns the written path.
Result<std::filesystem::path> writeTune(std::span<const std::uint8_t> storedTune,
                                        const std::filesystem::path& folder, std::uint64_t runNumber);

// What a Standard MIDI File says about itself.
struct MidiSummary {
    int format = 0;
    int trackCount = 0;  // as the header declares it
    int division = 0;    // ticks per quarter note (or the raw SMPTE word)
    std::vector<int> eventsPerTrack;
    std::vector<std::uint64_t> ticksPerTrack;  // length of each track in ticks
};

// Checks a Standard MIDI File: the MThd header, then every MTrk chunk read event by event
// (running status, meta and system-exclusive events) up to its End of Track. Unknown chunk
// kinds are skipped, as the format asks.
Result<MidiSummary> checkStandardMidi(std::span<const std::uint8_t> data);

}  // namespace vantorel::about
