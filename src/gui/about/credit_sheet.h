#pragma once

#include <QFont>
#include <QImage>
#include <functional>
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

}  // namespace vantorel::gui
