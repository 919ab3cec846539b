#pragma once

namespace vantorel::gui {

// Set once the credits have been shown in this run; from then on the about box keeps its
// credits button hidden.
bool creditsUnlocked();
void setCreditsUnlocked(bool unlocked);

}  // namespace vantorel::gui
