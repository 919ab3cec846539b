#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "engine/common/error.h"
#include "engine/launcher/launch_plan.h"
#include "engine/launcher/send_keys.h"

namespace vantorel::platform {

struct KeyTypingOptions {
    // How long the started program has to show a window, and how often to look.
    std::chrono::milliseconds windowWait{10000};
    std::chrono::milliseconds poll{100};
    // Pause once the window has the focus, before the first key.
    std::chrono::milliseconds afterFocus{500};
    // After each chord, how long to wait for the dialog it opens to take the focus (the
    // keys go on at once when it does, after the pause above).
    std::chrono::milliseconds afterChord{1500};
    // Asked between polls: true gives up the wait (the launch then fails as Stopped). The
    // waits run on whatever thread calls; a window calls from a worker and stops it here.
    std::function<bool()> stopRequested;
};

// Starts the emulator as the plan says: by command with the ROM as one argument, or by keys
// (started alone, then the chord, the ROM path and Enter typed into its window); with no ROM
// it is started alone. The working folder is the emulator's folder, which also becomes this
// process's current folder. Fails (never reports a launch that did not happen) with the
// reason; returns the started process id.
[[nodiscard]] Result<long> launchEmulator(const std::string& emulatorPath, const launcher::LaunchPlan& plan,
                                          const KeyTypingOptions& options = {});

// Waits for a visible window of process `pid`, brings it forward and types `actions` into
// it. Fails: no display, no window within the wait, keys refused, stopped.
[[nodiscard]] Result<void> typeIntoProcessWindow(long pid, const std::vector<launcher::KeyAction>& actions,
                                                 const KeyTypingOptions& options = {});

// True when an X11 display can be opened (keys can be typed).
bool keyTypingAvailable();

}  // namespace vantorel::platform
