#include "platform/emulator_launch.h"

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <mutex>
#include <thread>

#include "engine/common/error.h"
#include "platform/process.h"

#ifdef VANTOREL_HAVE_XDO
#include <X11/Xlib.h>
// xdo.h declares C functions without a C++ guard.
extern "C" {
#include <xdo.h>
}
#endif

namespace vantorel::platform {
namespace {

constexpr const char* kSource = "prVantor.modAPIs.SendKeys";
namespace err = launcher::error;

Error noDisplay() {
    return Error(ErrorCategory::Launch, err::kNoDisplay, kSource,
                 "No X11 display is available, so the emulator's open-file keys cannot be typed "
                 "(DISPLAY is not set or cannot be opened)");
}

Error stopped() {
    return Error(ErrorCategory::Stopped, 1, kSource,
                 "The launch was stopped while it waited for the emulator");
}

bool stopAsked(const KeyTypingOptions& options) {
    return options.stopRequested && options.stopRequested();
}

#ifdef VANTOREL_HAVE_XDO
// One connection kept for the life of the process: an X server with no clients left may
// reset, which would drop the atoms libxdo keeps between calls.
xdo_t* sharedXdo() {
    static xdo_t* xdo = nullptr;
    static std::string name;
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display) return nullptr;
    if (xdo && name == display) return xdo;
    if (xdo) xdo_free(xdo);
    xdo = xdo_new(display);
    if (xdo) xdo->quiet = 1;  // no warnings on stderr when there is no window manager
    name = xdo ? display : "";
    return xdo;
}

// X errors (a window that vanished while being looked at) must not end the program, which
// is what Xlib's default handler does. Ours only counts them while keys are being sent.
int xErrors = 0;
int countXError(Display*, XErrorEvent*) {
    ++xErrors;
    return 0;
}
struct ScopedXErrorHandler {
    XErrorHandler previous;
    ScopedXErrorHandler() : previous(XSetErrorHandler(&countXError)) {}
    ~ScopedXErrorHandler() { XSetErrorHandler(previous); }
};

// False when the wait was stopped.
bool pause(std::chrono::milliseconds length, const KeyTypingOptions& options) {
    const auto until = std::chrono::steady_clock::now() + length;
    while (std::chrono::steady_clock::now() < until) {
        if (stopAsked(options)) return false;
        std::this_thread::sleep_for(std::min(options.poll, length));
    }
    return true;
}

// A chord usually opens a file dialog: wait for the focus to move to it and let it settle.
// A program that opens its field inside the same window keeps the focus; after the wait
// the keys go on there.
// False when the wait was stopped.
bool waitAfterChord(const xdo_t* xdo, Window window, const KeyTypingOptions& options) {
    const auto until = std::chrono::steady_clock::now() + options.afterChord;
    while (std::chrono::steady_clock::now() < until) {
        Window current = 0;
        if (xdo_get_focused_window(xdo, &current) == 0 && current != 0 && current != window)
            return pause(options.afterFocus, options);
        if (stopAsked(options)) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return true;
}

Window findWindow(const xdo_t* xdo, long pid, const KeyTypingOptions& options) {
    xdo_search_t search{};
    search.pid = static_cast<int>(pid);
    search.max_depth = -1;
    search.only_visible = 1;
    search.require = xdo_search_t::SEARCH_ALL;
    search.searchmask = SEARCH_PID;
    const auto deadline = std::chrono::steady_clock::now() + options.windowWait;
    for (;;) {
        Window* windows = nullptr;
        unsigned int count = 0;
        xdo_search_windows(xdo, &search, &windows, &count);
        const Window found = count > 0 ? windows[0] : 0;
        std::free(windows);
        if (found) return found;
        if (std::chrono::steady_clock::now() >= deadline || stopAsked(options)) return 0;
        std::this_thread::sleep_for(options.poll);
    }
}
#endif

}  // namespace

bool keyTypingAvailable() {
#ifdef VANTOREL_HAVE_XDO
    return sharedXdo() != nullptr;
#else
    return false;
#endif
}

Result<void> typeIntoProcessWindow(long pid, const std::vector<launcher::KeyAction>& actions,
                                   const KeyTypingOptions& options) {
#ifdef VANTOREL_HAVE_XDO
    // One launch at a time drives the shared connection, whichever thread it runs on.
    static std::mutex busy;
    const std::lock_guard lock(busy);
    xdo_t* xdo = sharedXdo();
    if (!xdo) return noDisplay();
    ScopedXErrorHandler errors;
    const Window window = findWindow(xdo, pid, options);
    if (!window) {
        if (stopAsked(options)) return stopped();
        const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(options.windowWait).count();
        return Error(ErrorCategory::Launch, err::kNoWindow, kSource,
                     "The emulator (process " + std::to_string(pid) + ") showed no window within " +
                         std::to_string(seconds) + " seconds, so its open-file keys were not typed",
                     {std::to_string(pid), std::to_string(seconds)});
    }
    // Without a window manager there is no active-window protocol; focusing still works.
    // A window that has only just been mapped may refuse the focus, so ask again until
    // it holds it. A toolkit then takes a moment to treat it as active: keys that come
    // earlier are dropped by its shortcut handling.
    const auto focusDeadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    for (bool focused = false; !focused;) {
        if (xdo_activate_window(xdo, window) != 0) xdo_focus_window(xdo, window);
        for (int i = 0; i < 10 && !focused; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            Window current = 0;
            focused = xdo_get_focused_window(xdo, &current) == 0 && current == window;
        }
        if (!focused && std::chrono::steady_clock::now() >= focusDeadline)
            return Error(ErrorCategory::Launch, err::kFocusRefused, kSource,
                         "The emulator's window did not take the keyboard focus, so its open-file keys "
                         "were not typed");
        if (!focused && stopAsked(options)) return stopped();
    }
    if (!pause(options.afterFocus, options)) return stopped();
    constexpr useconds_t kKeyDelay = 12000;
    for (const launcher::KeyAction& a : actions) {
        int rc = 0;
        if (a.kind == launcher::KeyAction::Kind::Chord) {
            rc = xdo_send_keysequence_window(xdo, CURRENTWINDOW, a.value.c_str(), kKeyDelay);
        } else {
            rc = xdo_enter_text_window(xdo, CURRENTWINDOW, a.value.c_str(), kKeyDelay);
        }
        if (rc != 0)
            return Error(ErrorCategory::Launch, err::kKeysFailed, kSource,
                         "The display refused the keys \"" + a.value + "\"", {a.value});
        if (a.kind == launcher::KeyAction::Kind::Chord && !waitAfterChord(xdo, window, options))
            return stopped();
    }
    return Done{};
#else
    (void)pid;
    (void)actions;
    (void)options;
    return Error(ErrorCategory::Launch, err::kNoKeyInjection, kSource,
                 "This build cannot type keys into other programs (it was made without libxdo)");
#endif
}

Result<long> launchEmulator(const std::string& emulatorPath, const launcher::LaunchPlan& plan,
                            const KeyTypingOptions& options) {
    const bool typeKeys = plan.byKeys && !plan.romArgument.empty();
    std::vector<launcher::KeyAction> actions;
    if (typeKeys) {
        // Everything that can fail before the start is checked first, so a launch that
        // cannot be driven does not leave a stray emulator behind.
        auto planned = launcher::keyActionsFor(plan);
        if (!planned) return planned.error();
        actions = std::move(planned).value();
#ifdef VANTOREL_HAVE_XDO
        if (!keyTypingAvailable()) return noDisplay();
#else
        if (auto typed = typeIntoProcessWindow(0, actions, options); !typed) return typed.error();
#endif
    }
    std::vector<std::string> arguments;
    if (!plan.byKeys && !plan.romArgument.empty()) arguments.push_back(plan.romArgument);
    auto command = launcher::commandFor(emulatorPath, arguments, findOnPath("wine"));
    if (!command) return command.error();
    const launcher::ProcessCommand& c = command.value();
    auto pid = ShellEmux(c.program, c.arguments, c.workingFolder);
    if (!pid) return pid.error();
    // Choosers that name no folder open where the last emulator lives.
    if (!c.workingFolder.empty()) (void)!::chdir(c.workingFolder.c_str());
    if (typeKeys)
        if (auto typed = typeIntoProcessWindow(pid.value(), actions, options); !typed) return typed.error();
    return pid.value();
}

}  // namespace vantorel::platform
