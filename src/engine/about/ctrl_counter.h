#pragma once

#include <cstdint>

namespace vantorel::about {

// Counts consecutive Ctrl presses in the about box; the tenth reveals the credits button.
// Once the credits have been shown in this run, key presses count for nothing.
class CtrlCounter {
public:
    static constexpr std::uint16_t kPressesToReveal = 10;

    // One key press. Returns true on the press that reveals the button (the count going
    // from 9 to 10); any key other than Ctrl starts the count over.
    bool keyPressed(bool isCtrl, bool creditsUnlocked);

    std::uint16_t count() const { return count_; }

private:
    std::uint16_t count_ = 0;
};

}  // namespace vantorel::about
