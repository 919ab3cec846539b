#include "gui/about/credit_sheet.h"

#include <QColor>
#include <QFontMetrics>
#include <QPainter>
#include <cmath>
#include <cstdint>

#include "engine/about/scroll.h"

namespace vantorel::gui {

namespace {

// The sample whose height, plus 3, each line adds to the sheet.
const QString kSample = QStringLiteral("ABCDEFGHIJKL");

// Font and pen for one line: bold, italic and underline cleared, size and colour set, the
// family changed unless the line says DEFAULT, then the line's own style bits.
QFont lineFont(const about::CreditLine& line, const QFont& previous) {
    QFont f = previous;
    f.setBold(false);
    f.setItalic(false);
    f.setUnderline(false);
    f.setPointSize(std::max<int>(1, line.size));
    if (line.font != about::kDefaultFont) f.setFamily(QString::fromStdString(line.font));
    f.setBold(line.style & about::kBold);
    f.setItalic(line.style & about::kItalic);
    f.setUnderline(line.style & about::kUnderline);
    return f;
}

struct Layout {
    std::vector<PaintedLine> lines;
    int sheetHeight = 0;
};

// Everything about where lines go is worked out before any pixel is drawn, because the
// image must be created at its final height.
Layout layOut(const std::vector<about::CreditLine>& lines, int width, QPaintDevice* device,
              const QString& startFamily) {
    Layout out;
    QFont font;
    font.setFamily(startFamily);
    int paintY = 0;
    int grown = 0;
    int penX = 0;  // a printed line leaves the pen at the left edge
    for (const about::CreditLine& line : lines) {
        PaintedLine placed;
        font = lineFont(line, font);
        const QFontMetrics fm(font, device);
        const QString text = QString::fromStdString(line.text);
        switch (line.align) {
            case about::kAlignCentre:
                placed.x =
                    static_cast<int>(std::lround(width / 2.0 - fm.horizontalAdvance(text.trimmed()) / 2.0));
                break;
            case about::kAlignLeft:
                placed.x = 0;
                break;
            case about::kAlignRight:
                placed.x = width - fm.horizontalAdvance(text);
                break;
            default:
                placed.x = penX;
                break;
        }
        penX = 0;
        placed.top = paintY;
        placed.height = fm.height();
        placed.advance = static_cast<std::int16_t>(line.spacing + fm.height());
        placed.font = font;
        paintY += placed.advance;
        grown += fm.height() + 3;
        out.lines.push_back(placed);
    }
    // Spacers advance further than they grow the sheet; the last line must still fit.
    out.sheetHeight = std::max(grown, paintY) + about::CreditScroll::kSheetMargin;
    return out;
}

}  // namespace

CreditSheetPainter::CreditSheetPainter(std::vector<about::CreditLine> lines, int width, qreal dpi,
                                       const QString& startFamily)
    : lines_(std::move(lines)) {
    const int dotsPerMeter = static_cast<int>(std::lround(dpi / 0.0254));
    QImage probe(1, 1, QImage::Format_RGB32);
    probe.setDotsPerMeterX(dotsPerMeter);
    probe.setDotsPerMeterY(dotsPerMeter);
    Layout layout = layOut(lines_, width, &probe, startFamily);
    placed_ = std::move(layout.lines);
    sheet_.image = QImage(std::max(1, width), layout.sheetHeight, QImage::Format_RGB32);
    sheet_.image.setDotsPerMeterX(dotsPerMeter);
    sheet_.image.setDotsPerMeterY(dotsPerMeter);
    sheet_.image.fill(Qt::black);
}

CreditSheetPainter::~CreditSheetPainter() = default;

bool CreditSheetPainter::paintNext() {
    if (finished()) return false;
    const PaintedLine& placed = placed_[next_];
    QPainter painter(&sheet_.image);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setFont(placed.font);
    painter.setPen(QColor::fromRgb(about::paletteColour(lines_[next_].colour)));
    const QFontMetrics fm(placed.font, &sheet_.image);
    painter.drawText(QPoint(placed.x, placed.top + fm.ascent()), QString::fromStdString(lines_[next_].text));
    ++next_;
    return !finished();
}

CreditSheet CreditSheetPainter::take() {
    while (paintNext()) {
    }
    sheet_.lines = placed_;
    return std::move(sheet_);
}

CreditSheet paintCreditSheet(const std::vector<about::CreditLine>& lines, int width, qreal dpi,
                             const QString& startFamily, const std::function<void(int)>& progress) {
    CreditSheetPainter painter(lines, width, dpi, startFamily);
    while (!painter.finished()) {
        painter.paintNext();
        if (progress) progress(painter.painted());
    }
    return painter.take();
}

}  // namespace vantorel::gui
