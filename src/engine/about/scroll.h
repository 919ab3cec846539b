#pragma once

namespace vantorel::about {

// The credits' scroll: every tick the painted sheet is copied to the visible area at (x, y),
// then y moves up by the speed; once the whole sheet has left the top, it starts again from
// the bottom edge.
class CreditScroll {
public:
    static constexpr int kTickMs = 10;
    // Rows at the foot of the sheet that are never copied.
    static constexpr int kSheetMargin = 50;

    void start(int visibleHeight, int sheetHeight, int sheetWidth);

    // Returns the y at which this tick copies the sheet, then moves on.
    int tick(int visibleHeight);

    void faster() { ++speed_; }
    // The text stops at 0; it never runs backwards.
    void slower() {
        if (--speed_ < 0) speed_ = 0;
    }

    int x() const { return 0; }
    int y() const { return y_; }
    int speed() const { return speed_; }
    int blitHeight() const { return blitHeight_; }
    int blitWidth() const { return blitWidth_; }

private:
    int y_ = 0;
    int speed_ = 1;
    int blitHeight_ = 0;
    int blitWidth_ = 0;
};

// What a key does in the show.
enum class CreditKeyAction { None, Quit, Faster, Slower };
enum class CreditKey { Escape, Up, Down, Shift, Control, Alt, Other };
CreditKeyAction creditKeyAction(CreditKey key);

}  // namespace vantorel::about
