#include "gui/about/credits_state.h"

namespace vantorel::gui {

namespace {
bool gUnlocked = false;
}

bool creditsUnlocked() {
    return gUnlocked;
}
void setCreditsUnlocked(bool unlocked) {
    gUnlocked = unlocked;
}

}  // namespace vantorel::gui
