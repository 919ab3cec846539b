#pragma once

#include <filesystem>
#include <memory>

#include "engine/common/error.h"

namespace vantorel::platform {

// Debian's General MIDI sound font (timgm6mb-soundfont).
std::filesystem::path defaultSoundFont();

// Numbers of the player's failures (ErrorCategory::Music; 1 is the tune's own check).
inline constexpr int kNoMidiFile = 2;
inline constexpr int kNoSoundFont = 3;
inline constexpr int kNoSynth = 4;
inline constexpr int kNoDevice = 5;
inline constexpr int kRenderFailed = 6;

// Whether this build can play MIDI at all.
bool midiSupported();

// Plays one MIDI file through the sound device with FluidSynth. Every failure (no FluidSynth
// in this build, no sound font, no audio device) just means no music: the caller goes on
// silently. FluidSynth's own log stays quiet.
class MidiPlayer {
public:
    MidiPlayer();
    ~MidiPlayer();
    MidiPlayer(const MidiPlayer&) = delete;
    MidiPlayer& operator=(const MidiPlayer&) = delete;

    // Starts the file from its beginning, or says why it cannot be played. With `recordTo`,
    // what would be heard goes, in real time, into that WAV file instead of the sound device.
    [[nodiscard]] Result<void> play(const std::filesystem::path& midiFile,
                                    const std::filesystem::path& soundFont = defaultSoundFont(),
                                    const std::filesystem::path& recordTo = {});
    // From the beginning again, whether the tune is still playing or has ended.
    void restart();
    // Silence and release the sound device; the file is no longer held open.
    void stop();
    bool active() const;

private:
    struct Impl;
    std::unique_ptr<Impl> d_;
};

// Renders a MIDI file without any sound device into a 16-bit stereo WAV file at 44.1 kHz,
// stopping at the end of the tune or after `maxSeconds` of sound.
[[nodiscard]] Result<void> renderMidiToWav(const std::filesystem::path& midiFile,
                                           const std::filesystem::path& soundFont,
                                           const std::filesystem::path& wavFile, double maxSeconds);

}  // namespace vantorel::platform
