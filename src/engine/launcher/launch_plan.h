#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "engine/common/error.h"
#include "engine/launcher/send_keys.h"

namespace vantorel::launcher {

// The six launcher buttons, in their settings order.
enum class Emulator { Gens, Kega, Ages, Xega, DGen, Otro };

inline constexpr Emulator kAllEmulators[] = {Emulator::Gens, Emulator::Kega, Emulator::Ages,
                                             Emulator::Xega, Emulator::DGen, Emulator::Otro};

// The Emuladores key that holds the emulator's path ("Gens", ..., "Otro").
std::string_view settingsKey(Emulator e);

// Failure numbers of the launcher (ErrorCategory::Launch). The process start reports
// 1000 + errno, as the design's launch errors always did.
namespace error {
inline constexpr int kBadKeyNotation = 5;     // the key string cannot be read
inline constexpr int kStartFailed = 1000;     // + errno: the program could not be started
inline constexpr int kNoWine = 2001;          // a Windows program and no wine to run it
inline constexpr int kNoDisplay = 2002;       // keys cannot be typed: no X11 display
inline constexpr int kNoWindow = 2003;        // the started program showed no window in time
inline constexpr int kKeysFailed = 2004;      // the display refused the typed keys
inline constexpr int kNoKey = 2005;           // the by-keys launch has no open-file key
inline constexpr int kNoKeyInjection = 2006;  // built without libxdo
inline constexpr int kFocusRefused = 2007;    // the started program's window did not take the focus
}  // namespace error

// What one click does: whether anything is started, how, and what ROM text goes along.
struct LaunchPlan {
    bool run = true;
    bool byKeys = false;
    std::string keySequence = "^o";  // key notation; typed only in a by-keys launch
    std::string romArgument;         // passed on the command line or typed

    friend bool operator==(const LaunchPlan&, const LaunchPlan&) = default;
};

// The five named emulators' fixed choices: Kega is driven by Ctrl+G, the others take the
// ROM on their command line.
LaunchPlan planForNamedEmulator(Emulator e, const std::string& romPath);

// The other emulator's launch mode, as stored in section Emuladores.
struct OtherEmulatorSettings {
    std::string conTeclas;
    std::string lineaDeComandos;
    std::string otroEnDos;
    std::string teclas;
};

// Read fresh from the settings file at every call.
OtherEmulatorSettings readOtherEmulatorSettings(const std::filesystem::path& settingsFile);

// By keys when ConTeclas is set, else by command when LineaDeComandos is set (with the
// DOS form of the path when OtroEnDOS is 1), else nothing runs.
LaunchPlan planForOtherEmulator(const OtherEmulatorSettings& s, const std::string& romPath);

// Either of the above; the other emulator's settings are read from the file.
LaunchPlan planFor(Emulator e, const std::string& romPath, const std::filesystem::path& settingsFile);

// The form of a path a DOS emulator takes. There are no 8.3 names here, so it is the path
// itself when the file exists, and empty otherwise.
std::string dosPath(const std::string& path);

// The emulator's folder: its path up to and including the last "/" (empty when none).
std::string emulatorFolder(const std::string& emulatorPath);

// The program to start and its argument list. A Windows program (".exe" in any case) is
// run by `winePath`; with no wine the result says so.
struct ProcessCommand {
    std::string program;
    std::vector<std::string> arguments;
    std::string workingFolder;

    friend bool operator==(const ProcessCommand&, const ProcessCommand&) = default;
};
Result<ProcessCommand> commandFor(const std::string& emulatorPath, const std::vector<std::string>& arguments,
                                  const std::string& winePath);

bool isWindowsProgram(std::string_view path);

// What a by-keys launch types: the open-file chord, then the ROM path exactly as it
// stands, then Enter. Fails when there is no chord or its notation cannot be read.
Result<std::vector<KeyAction>> keyActionsFor(const LaunchPlan& plan);

}  // namespace vantorel::launcher
