#pragma once

#include <QFont>
#include <QImage>
#include <functional>
#include <memory>
#include <vector>

#include "engine/about/credits.h"

namespace vantorel::gui {

// Where one credit line landed on the sheet.
struct PaintedLine {
    int top = 0;      // the pen's y when the line was printed
    int height = 0;   // the text height in the line's font
    int advance = 0;  // how far the pen moved down after it
    int x = 0;
    QFont font;
};

// The tall off-screen picture of the credits, painted once with every line.
struct CreditSheet {
    QImage image;
    std::vector<PaintedLine> lines;
};

// Paints the lines one under the other onto a sheet `width` pixels wide, white space and all,
// at `dpi` so point sizes match the screen. The sheet grows with the lines and always holds
// the last one plus the margin that the scroll never copies. `startFamily` is the font before
// the first line; "DEFAULT" lines keep the family of the line before. `progress` hears the
// count of lines painted so far.
CreditSheet paintCreditSheet(const std::vector<about::CreditLine>& lines, int width, qreal dpi,
                             const QString& startFamily, const std::function<void(int)>& progress = {});

// The same, one line at a time, so a window can paint a few lines per timer tick and stay
// responsive without pumping events.
class CreditSheetPainter {
public:
    CreditSheetPainter(std::vector<about::CreditLine> lines, int width, qreal dpi,
                       const QString& startFamily);
    ~CreditSheetPainter();
    CreditSheetPainter(const CreditSheetPainter&) = delete;
    CreditSheetPainter& operator=(const CreditSheetPainter&) = delete;

    // Paints the next line; false once every line is on the sheet.
    bool paintNext();
    int painted() const { return static_cast<int>(next_); }
    bool finished() const { return next_ >= lines_.size(); }
    // The finished sheet (paints what is left first).
    CreditSheet take();

private:
    std::vector<about::CreditLine> lines_;
    std::vector<PaintedLine> placed_;
    CreditSheet sheet_;
    std::size_t next_ = 0;
};

}  // namespace vantorel::gui
