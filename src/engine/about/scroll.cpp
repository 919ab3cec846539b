#include "engine/about/scroll.h"

namespace vantorel::about {

void CreditScroll::start(int visibleHeight, int sheetHeight, int sheetWidth) {
    speed_ = 1;
    y_ = visibleHeight;
    blitHeight_ = sheetHeight - kSheetMargin;
    blitWidth_ = sheetWidth;
}

int CreditScroll::tick(int visibleHeight) {
    const int copyAt = y_;
    y_ -= speed_;
    if (y_ < -blitHeight_) y_ = visibleHeight;
    return copyAt;
}

CreditKeyAction creditKeyAction(CreditKey key) {
    switch (key) {
        case CreditKey::Escape:
            return CreditKeyAction::Quit;
        case CreditKey::Up:
            return CreditKeyAction::Faster;
        case CreditKey::Down:
            return CreditKeyAction::Slower;
        default:
            return CreditKeyAction::None;
    }
}

}  // namespace vantorel::about
