#include "platform/midi_player.h"

#include <system_error>

#ifdef VANTOREL_HAVE_FLUIDSYNTH
#include <fluidsynth.h>
#endif

namespace vantorel::platform {

namespace {
constexpr const char* kRenderSource = "prVantor.modCredits.RenderTune";
// FluidSynth's default gain is meant for mixing many sources; the show has only this one.
constexpr double kGain = 0.6;

Error musicError(int number, const std::string& why) {
    return Error(ErrorCategory::Music, number, kRenderSource, why, {why});
}

[[maybe_unused]] bool isReadableFile(const std::filesystem::path& p) {
    std::error_code ec;
    return std::filesystem::is_regular_file(p, ec);
}

#ifdef VANTOREL_HAVE_FLUIDSYNTH
// A missing sound device or sound font is an expected situation here, not something to
// print on the terminal.
void silenceFluidLog() {
    static const bool silenced = [] {
        for (int level : {FLUID_PANIC, FLUID_ERR, FLUID_WARN, FLUID_INFO, FLUID_DBG})
            fluid_set_log_function(level, nullptr, nullptr);
        return true;
    }();
    (void)silenced;
}
#endif
}  // namespace

std::filesystem::path defaultSoundFont() {
    return "/usr/share/sounds/sf2/default-GM.sf2";
}

bool midiSupported() {
#ifdef VANTOREL_HAVE_FLUIDSYNTH
    return true;
#else
    return false;
#endif
}

#ifdef VANTOREL_HAVE_FLUIDSYNTH

struct MidiPlayer::Impl {
    fluid_settings_t* settings = nullptr;
    fluid_synth_t* synth = nullptr;
    fluid_audio_driver_t* driver = nullptr;
    fluid_player_t* player = nullptr;

    void release() {
        // The player must not be deleted while the driver's thread renders audio with it, so
        // the driver goes first.
        if (driver) delete_fluid_audio_driver(driver);
        if (player) delete_fluid_player(player);
        if (synth) delete_fluid_synth(synth);
        if (settings) delete_fluid_settings(settings);
        driver = nullptr;
        player = nullptr;
        synth = nullptr;
        settings = nullptr;
    }
};

MidiPlayer::MidiPlayer() : d_(std::make_unique<Impl>()) {}
MidiPlayer::~MidiPlayer() {
    d_->release();
}

Result<void> MidiPlayer::play(const std::filesystem::path& midiFile, const std::filesystem::path& soundFont,
                              const std::filesystem::path& recordTo) {
    d_->release();
    silenceFluidLog();
    if (!isReadableFile(midiFile))
        return musicError(kNoMidiFile, "The MIDI file cannot be read: " + midiFile.string());
    if (!isReadableFile(soundFont))
        return musicError(kNoSoundFont, "The sound font cannot be read: " + soundFont.string());
    d_->settings = new_fluid_settings();
    if (!d_->settings) return musicError(kNoSynth, "FluidSynth could not start");
    fluid_settings_setnum(d_->settings, "synth.gain", kGain);
    if (!recordTo.empty()) {
        fluid_settings_setstr(d_->settings, "audio.driver", "file");
        fluid_settings_setstr(d_->settings, "audio.file.name", recordTo.c_str());
        fluid_settings_setstr(d_->settings, "audio.file.type", "wav");
    }
    d_->synth = new_fluid_synth(d_->settings);
    if (!d_->synth || fluid_synth_sfload(d_->synth, soundFont.c_str(), 1) == FLUID_FAILED) {
        d_->release();
        return musicError(kNoSoundFont, "The sound font could not be loaded: " + soundFont.string());
    }
    d_->player = new_fluid_player(d_->synth);
    if (!d_->player || fluid_player_add(d_->player, midiFile.c_str()) != FLUID_OK) {
        d_->release();
        return musicError(kNoMidiFile, "The MIDI file could not be played: " + midiFile.string());
    }
    // Without a sound device this returns null at once; the show then runs silently.
    d_->driver = new_fluid_audio_driver(d_->settings, d_->synth);
    if (!d_->driver) {
        d_->release();
        return musicError(kNoDevice, "No sound device could be opened");
    }
    if (fluid_player_play(d_->player) != FLUID_OK) {
        d_->release();
        return musicError(kNoMidiFile, "The MIDI file could not be played: " + midiFile.string());
    }
    return Done{};
}

void MidiPlayer::restart() {
    if (!d_->driver || !d_->player) return;
    // Only these calls are safe while the driver renders. A player that reached its end may
    // have no pass through the playlist left (FluidSynth releases differ), so grant one more.
    const bool finished = fluid_player_get_status(d_->player) == FLUID_PLAYER_DONE;
    fluid_player_stop(d_->player);
    if (finished) fluid_player_set_loop(d_->player, 1);
    fluid_player_seek(d_->player, 0);
    fluid_player_play(d_->player);
}

void MidiPlayer::stop() {
    d_->release();
}

bool MidiPlayer::active() const {
    return d_->driver != nullptr && d_->player != nullptr;
}

Result<void> renderMidiToWav(const std::filesystem::path& midiFile, const std::filesystem::path& soundFont,
                             const std::filesystem::path& wavFile, double maxSeconds) {
    silenceFluidLog();
    if (!isReadableFile(midiFile))
        return musicError(kNoMidiFile, "The MIDI file cannot be read: " + midiFile.string());
    if (!isReadableFile(soundFont))
        return musicError(kNoSoundFont, "The sound font cannot be read: " + soundFont.string());

    fluid_settings_t* settings = new_fluid_settings();
    fluid_settings_setstr(settings, "audio.file.name", wavFile.c_str());
    fluid_settings_setstr(settings, "audio.file.type", "wav");
    fluid_settings_setstr(settings, "player.timing-source", "sample");
    fluid_settings_setint(settings, "synth.lock-memory", 0);
    fluid_settings_setnum(settings, "synth.gain", kGain);
    double rate = 44100.0;
    fluid_settings_getnum(settings, "synth.sample-rate", &rate);
    int period = 64;
    fluid_settings_getint(settings, "audio.period-size", &period);

    fluid_synth_t* synth = new_fluid_synth(settings);
    fluid_player_t* player = nullptr;
    fluid_file_renderer_t* renderer = nullptr;
    auto cleanup = [&] {
        if (renderer) delete_fluid_file_renderer(renderer);
        if (player) delete_fluid_player(player);
        if (synth) delete_fluid_synth(synth);
        delete_fluid_settings(settings);
    };
    auto fail = [&](const std::string& why) -> Result<void> {
        cleanup();
        return musicError(kRenderFailed, why);
    };

    if (!synth) return fail("FluidSynth could not start");
    if (fluid_synth_sfload(synth, soundFont.c_str(), 1) == FLUID_FAILED)
        return fail("The sound font could not be loaded: " + soundFont.string());
    player = new_fluid_player(synth);
    if (!player || fluid_player_add(player, midiFile.c_str()) != FLUID_OK ||
        fluid_player_play(player) != FLUID_OK)
        return fail("The MIDI file could not be played: " + midiFile.string());
    renderer = new_fluid_file_renderer(synth);
    if (!renderer) return fail("The sound file could not be written: " + wavFile.string());

    const double maxFrames = maxSeconds * rate;
    double frames = 0;
    while (fluid_player_get_status(player) == FLUID_PLAYER_PLAYING && frames < maxFrames) {
        if (fluid_file_renderer_process_block(renderer) != FLUID_OK) return fail("Rendering stopped");
        frames += period;
    }
    cleanup();
    return Done{};
}

#else  // no FluidSynth: no music, never an error for the show

struct MidiPlayer::Impl {};
MidiPlayer::MidiPlayer() : d_(std::make_unique<Impl>()) {}
MidiPlayer::~MidiPlayer() = default;
Result<void> MidiPlayer::play(const std::filesystem::path&, const std::filesystem::path&,
                              const std::filesystem::path&) {
    return musicError(kNoSynth, "This build has no MIDI synthesiser");
}
void MidiPlayer::restart() {}
void MidiPlayer::stop() {}
bool MidiPlayer::active() const {
    return false;
}

Result<void> renderMidiToWav(const std::filesystem::path&, const std::filesystem::path&,
                             const std::filesystem::path&, double) {
    return musicError(kNoSynth, "This build has no MIDI synthesiser");
}

#endif

}  // namespace vantorel::platform
