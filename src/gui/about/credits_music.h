#pragma once

#include <QString>
#include <cstdint>
#include <filesystem>

#include "platform/midi_player.h"

namespace vantorel::gui {

// The credits' tune: written out of the program's resources into the temporary folder, played
// in a loop, stopped and removed at the end. Any failure leaves the show silent.
class CreditsMusic {
public:
    CreditsMusic(std::filesystem::path folder, std::uint64_t runNumber);
    ~CreditsMusic();
    CreditsMusic(const CreditsMusic&) = delete;
    CreditsMusic& operator=(const CreditsMusic&) = delete;

    // "1A2B.mid": the file's name part.
    QString fileName() const;
    std::filesystem::path path() const { return path_; }

    // Writes the tune out (replacing any file there), or says why the folder cannot take it.
    [[nodiscard]] Result<void> writeOut();
    bool ready() const { return ready_; }

    // Starts the written tune, or says why it cannot sound (no sound font, no audio device).
    [[nodiscard]] Result<void> start();
    // From the beginning again, wherever the tune is.
    void restart();
    bool playing() const { return player_.active(); }

    // Silence, then remove the file if this run wrote it.
    void stopAndDelete();

private:
    std::filesystem::path folder_;
    std::uint64_t runNumber_;
    std::filesystem::path path_;
    bool ready_ = false;
    platform::MidiPlayer player_;
};

// The stored (inverted) tune from the program's resources.
QByteArray storedCreditsTune();

}  // namespace vantorel::gui
