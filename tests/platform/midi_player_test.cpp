#include "platform/midi_player.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;
using vantorel::platform::defaultSoundFont;
using vantorel::platform::MidiPlayer;
using vantorel::platform::renderMidiToWav;

namespace {

struct TempDir {
    fs::path path;
    TempDir() {
        std::string tmpl = (fs::temp_directory_path() / "vantorel-midi-XXXXXX").string();
        path = ::mkdtemp(tmpl.data());
    }
    ~TempDir() { fs::remove_all(path); }
};

// A format-0 file at 120 bpm (192 ticks a second): piano notes as (start, length) in seconds.
std::vector<std::uint8_t> notesMidi(const std::vector<std::pair<double, double>>& notes, int velocity) {
    std::vector<std::uint8_t> track = {0x00, 0xC0, 0x00};
    auto varlen = [&](std::uint32_t v) {
        std::vector<std::uint8_t> out{static_cast<std::uint8_t>(v & 0x7F)};
        while (v >>= 7) out.insert(out.begin(), static_cast<std::uint8_t>((v & 0x7F) | 0x80));
        track.insert(track.end(), out.begin(), out.end());
    };
    auto ticks = [](double seconds) { return static_cast<std::uint32_t>(seconds * 2 * 96); };
    std::uint32_t now = 0;
    for (const auto& [start, length] : notes) {
        varlen(ticks(start) - now);
        track.insert(track.end(), {0x90, 69, static_cast<std::uint8_t>(velocity)});
        varlen(ticks(start + length) - ticks(start));
        track.insert(track.end(), {0x80, 69, 0x00});
        now = ticks(start + length);
    }
    track.insert(track.end(), {0x00, 0xFF, 0x2F, 0x00});
    std::vector<std::uint8_t> file = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0, 96, 'M', 'T', 'r', 'k'};
    const auto n = static_cast<std::uint32_t>(track.size());
    file.insert(file.end(), {static_cast<std::uint8_t>(n >> 24), static_cast<std::uint8_t>(n >> 16),
                             static_cast<std::uint8_t>(n >> 8), static_cast<std::uint8_t>(n)});
    file.insert(file.end(), track.begin(), track.end());
    return file;
}

// One note of `seconds`, or only a rest when `velocity` is 0.
std::vector<std::uint8_t> oneNoteMidi(int velocity, double seconds) {
    return notesMidi({{0.0, seconds}}, velocity);
}

void writeBytes(const fs::path& p, const std::vector<std::uint8_t>& bytes) {
    std::ofstream(p, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

struct WavLevel {
    bool valid = false;
    std::size_t samples = 0;
    int peak = 0;
    std::vector<int> envelope;  // the peak of every 10 ms, both channels
};

// Finds the "data" chunk of a 16-bit PCM WAV file and measures it.
WavLevel measureWav(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), {});
    WavLevel level;
    if (bytes.size() < 12 || std::memcmp(bytes.data(), "RIFF", 4) != 0 ||
        std::memcmp(bytes.data() + 8, "WAVE", 4) != 0)
        return level;
    std::size_t pos = 12;
    while (pos + 8 <= bytes.size()) {
        std::uint32_t len;
        std::memcpy(&len, bytes.data() + pos + 4, 4);
        if (std::memcmp(bytes.data() + pos, "data", 4) == 0) {
            const std::size_t end = std::min(bytes.size(), pos + 8 + len);
            constexpr std::size_t kWindow = 2 * 441;
            for (std::size_t i = pos + 8; i + 1 < end; i += 2) {
                std::int16_t s;
                std::memcpy(&s, bytes.data() + i, 2);
                const int a = std::abs(static_cast<int>(s));
                level.peak = std::max(level.peak, a);
                if (level.samples % kWindow == 0) level.envelope.push_back(0);
                level.envelope.back() = std::max(level.envelope.back(), a);
                ++level.samples;
            }
            level.valid = true;
            return level;
        }
        pos += 8 + len + (len & 1);
    }
    return level;
}

// How many times the sound rises to `loud` after at least `quietWindows` of near silence
// (the very start counts as silence).
int onsets(const std::vector<int>& envelope, int loud, int quiet, int quietWindows) {
    int count = 0;
    int quietRun = 0;
    bool armed = true;
    for (int level : envelope) {
        quietRun = level < quiet ? quietRun + 1 : 0;
        if (quietRun >= quietWindows) armed = true;
        if (armed && level >= loud) {
            ++count;
            armed = false;
        }
    }
    return count;
}

bool haveSoundFont() {
    return fs::exists(defaultSoundFont());
}

}  // namespace

TEST(MidiRender, ANoteIsAudibleAndARestIsSilent) {
    if (!vantorel::platform::midiSupported()) GTEST_SKIP() << "built without FluidSynth";
    if (!haveSoundFont()) GTEST_SKIP() << "no sound font at " << defaultSoundFont();
    TempDir dir;
    struct Case {
        int velocity;
        bool audible;
    };
    for (const Case c : {Case{100, true}, Case{0, false}}) {
        SCOPED_TRACE(c.velocity);
        const fs::path mid = dir.path / "tune.mid";
        const fs::path wav = dir.path / "tune.wav";
        writeBytes(mid, oneNoteMidi(c.velocity, 1));
        auto rendered = renderMidiToWav(mid, defaultSoundFont(), wav, 10.0);
        ASSERT_TRUE(rendered.ok()) << rendered.error().description();
        const WavLevel level = measureWav(wav);
        ASSERT_TRUE(level.valid);
        // The one-second tune plus FluidSynth's closing pause, in stereo at 44.1 kHz.
        EXPECT_GT(level.samples, 2u * 44100);
        EXPECT_LT(level.samples, 2u * 8 * 44100);
        if (c.audible)
            EXPECT_GT(level.peak, 1000);
        else
            EXPECT_LT(level.peak, 50);
    }
}

TEST(MidiRender, StopsAtTheTimeLimit) {
    if (!vantorel::platform::midiSupported() || !haveSoundFont())
        GTEST_SKIP() << "no FluidSynth or sound font";
    TempDir dir;
    writeBytes(dir.path / "long.mid", oneNoteMidi(100, 60));
    ASSERT_TRUE(renderMidiToWav(dir.path / "long.mid", defaultSoundFont(), dir.path / "long.wav", 2.0).ok());
    const WavLevel level = measureWav(dir.path / "long.wav");
    EXPECT_LT(level.samples, 3u * 2 * 44100);
}

TEST(MidiRender, MissingInputsAreReported) {
    TempDir dir;
    writeBytes(dir.path / "t.mid", oneNoteMidi(100, 1));
    EXPECT_FALSE(renderMidiToWav(dir.path / "absent.mid", defaultSoundFont(), dir.path / "a.wav", 1).ok());
    EXPECT_FALSE(renderMidiToWav(dir.path / "t.mid", dir.path / "absent.sf2", dir.path / "b.wav", 1).ok());
}

// Missing pieces mean no music, never a failure that stops the caller.
TEST(MidiPlayer, WhatCannotPlayStaysSilent) {
    TempDir dir;
    writeBytes(dir.path / "t.mid", oneNoteMidi(100, 1));
    MidiPlayer player;
    EXPECT_FALSE(player.play(dir.path / "t.mid", dir.path / "absent.sf2"));
    EXPECT_FALSE(player.active());
    EXPECT_FALSE(player.play(dir.path / "absent.mid"));
    EXPECT_FALSE(player.active());
    player.restart();  // harmless when nothing plays
    player.stop();
    EXPECT_FALSE(player.active());
}

// With a sound device the tune plays and restarts; without one (a build machine) play()
// reports no music. Either way stop() releases everything.
TEST(MidiPlayer, PlaysOrReportsNoDevice) {
    if (!vantorel::platform::midiSupported() || !haveSoundFont())
        GTEST_SKIP() << "no FluidSynth or sound font";
    TempDir dir;
    writeBytes(dir.path / "t.mid", oneNoteMidi(100, 1));
    MidiPlayer player;
    const bool playing = player.play(dir.path / "t.mid").ok();
    EXPECT_EQ(player.active(), playing);
    player.restart();
    EXPECT_EQ(player.active(), playing);
    player.stop();
    EXPECT_FALSE(player.active());
}

// The restart timers call restart() whether the tune is still playing or has ended; either
// way it starts again from the beginning. Recorded in real time through FluidSynth's file
// driver; each case counts the notes heard.
TEST(MidiPlayer, RestartStartsFromTheBeginning) {
    if (!vantorel::platform::midiSupported() || !haveSoundFont())
        GTEST_SKIP() << "no FluidSynth or sound font";
    struct Case {
        const char* name;
        std::vector<std::pair<double, double>> notes;
        int restartAfterMs, stopAfterMs, onsetsHeard;
    };
    // After the end: a short note, silence, the restart brings it back.
    // While playing: the restart falls between two notes far apart; the first note comes
    // again before the second one was due.
    const Case cases[] = {
        {"after the end", {{0.0, 0.2}}, 1800, 1800, 2},
        {"while playing", {{0.0, 0.2}, {2.8, 0.2}}, 1500, 1000, 2},
        {"no restart", {{0.0, 0.2}, {2.8, 0.2}}, 0, 2500, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        writeBytes(dir.path / "tune.mid", notesMidi(c.notes, 110));
        const fs::path wav = dir.path / "heard.wav";
        MidiPlayer player;
        ASSERT_TRUE(player.play(dir.path / "tune.mid", defaultSoundFont(), wav));
        EXPECT_TRUE(player.active());
        if (c.restartAfterMs > 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(c.restartAfterMs));
            player.restart();
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(c.stopAfterMs));
        player.stop();
        const WavLevel level = measureWav(wav);
        ASSERT_TRUE(level.valid);
        EXPECT_EQ(onsets(level.envelope, 2000, 200, 30), c.onsetsHeard);
    }
}
