#include "engine/about/ctrl_counter.h"

namespace vantorel::about {

bool CtrlCounter::keyPressed(bool isCtrl, bool creditsUnlocked) {
    if (creditsUnlocked) return false;
    if (!isCtrl) {
        count_ = 0;
        return false;
    }
    ++count_;
    return count_ == kPressesToReveal;
}

}  // namespace vantorel::about
