#include "gui/common/floodbar.h"

#include <QCoreApplication>
#include <QEvent>
#include <QPainter>
#include <QPalette>
#include <QResizeEvent>
#include <algorithm>
#include <cmath>

namespace vantorel::gui {
namespace {

// Rounds to a whole number (ties to even) and halves, dropping the fraction: how the centred
// placements are computed, so a label lands on the same unit the classic control chose.
double roundedHalf(double v) {
    return static_cast<double>(static_cast<long long>(std::nearbyint(v)) / 2);
}

QColor contrastingWith(const QColor& c) {
    return qGray(c.rgb()) > 128 ? QColor(Qt::black) : QColor(Qt::white);
}

}  // namespace

FloodBar::FloodBar(QWidget* parent) : QWidget(parent) {
    foreColor_ = palette().color(QPalette::Highlight);
    backColor_ = palette().color(QPalette::Base);
    setAttribute(Qt::WA_OpaquePaintEvent);
    picture_ = QImage(size(), QImage::Format_RGB32);
    picture_.fill(backColor_);
}

void FloodBar::setForeColor(const QColor& c) {
    foreColor_ = c;
    emit propertyChanged(QStringLiteral("ForeColor"));
}

void FloodBar::setBackColor(const QColor& c) {
    backColor_ = c;
    emit propertyChanged(QStringLiteral("BackColor"));
}

void FloodBar::setBorderStyle(int style) {
    borderStyle_ = style;
    emit propertyChanged(QStringLiteral("BorderStyle"));
    update();  // the border is the frame round the picture, not part of it
}

void FloodBar::setMax(int max) {
    max_ = max;
    emit propertyChanged(QStringLiteral("Max"));
}

void FloodBar::setValue(int value) {
    value_ = value;
    emit propertyChanged(QStringLiteral("Value"));
    if (max_ >= value_) redraw();
}

void FloodBar::setMosPct(bool show) {
    mosPct_ = show;
    emit propertyChanged(QStringLiteral("MosPct"));
}

void FloodBar::setAlign(int align) {
    align_ = align;
    emit propertyChanged(QStringLiteral("Align"));
}

void FloodBar::setText(const QString& text) {
    text_ = text;
    emit propertyChanged(QStringLiteral("Text"));
}

void FloodBar::Refresh() {
    repaint();
}

void FloodBar::ShowProgress(int max, int value, const QString& text, bool mosPct) {
    setMax(max);
    setText(text);
    setMosPct(mosPct);
    setValue(value);
}

int FloodBar::percentOf(int value, int max) {
    if (max <= 0) return 0;
    const long long num = static_cast<long long>(value) * 100;
    const long long den = max;
    long long q = num / den;
    long long r = num % den;
    if (r < 0) {  // floor division, so the remainder below is never negative
        r += den;
        --q;
    }
    if (2 * r > den || (2 * r == den && q % 2 != 0)) ++q;
    return static_cast<int>(q);
}

QString FloodBar::labelFor(const QString& text, bool mosPct, int value, int max) {
    if (!mosPct) return text;
    const QString pct = QString::number(percentOf(value, max)) + QLatin1Char('%');
    return text.isEmpty() ? pct : text + QLatin1Char(' ') + pct;
}

FloodBar::Layout FloodBar::layoutFor(QSize surface, const QFontMetrics& metrics, int max, int value,
                                     bool mosPct, const QString& text, int align) {
    Layout out;
    const double width = surface.width();
    const double height = surface.height();
    if (width <= 0 || height <= 0) return out;

    // Max units across the width. Without a positive Max there is no scale to speak of, so a
    // unit is a pixel and nothing is divided by zero.
    const double units = max > 0 ? max : width;
    const double pxPerUnit = width / units;

    out.label = labelFor(text, mosPct, value, max);
    const double labelWidth = metrics.horizontalAdvance(out.label);
    const double labelHeight = metrics.height();
    const double labelUnits = labelWidth / pxPerUnit;

    double x = 0;  // in units
    double y = 0;  // in pixels: only the horizontal scale changes
    if (mosPct && text.isEmpty()) {
        x = roundedHalf(units - labelUnits);
        y = roundedHalf(height - labelHeight);
    } else if (mosPct) {
        x = 2;
        y = roundedHalf(height - metrics.height());
    } else {
        switch (align) {
            case 0:
                x = 2;
                break;
            case 1:
                x = roundedHalf(units - labelUnits);
                break;
            case 2:
                x = units - labelUnits - 3;
                break;
            default:
                break;  // top-left, where drawing starts after clearing
        }
        if (align >= 0 && align <= 2) y = roundedHalf(height - labelHeight);
    }
    out.labelRect = QRectF(x * pxPerUnit, y, labelWidth, labelHeight);
    out.bandWidth = std::clamp(static_cast<double>(value), 0.0, units) * pxPerUnit;
    return out;
}

QSize FloodBar::sizeHint() const {
    return QSize(160, fontMetrics().height() + 6);
}

QColor FloodBar::insideTextColor(const QColor& band) const {
    if (band == palette().color(QPalette::Highlight)) return palette().color(QPalette::HighlightedText);
    return contrastingWith(band);
}

QColor FloodBar::outsideTextColor(const QColor& back) const {
    if (back == palette().color(QPalette::Base)) return palette().color(QPalette::Text);
    return contrastingWith(back);
}

void FloodBar::render(Snapshot& snap) {
    const qreal dpr = devicePixelRatioF();
    picture_ = QImage(size() * dpr, QImage::Format_RGB32);
    picture_.setDevicePixelRatio(dpr);
    picture_.fill(snap.back);
    if (picture_.isNull()) {
        snap.layout = Layout{};
        return;
    }

    QPainter p(&picture_);
    p.setFont(font());
    const QFontMetrics metrics = p.fontMetrics();
    snap.layout = layoutFor(size(), metrics, snap.max, snap.value, snap.mosPct, snap.text, snap.align);
    const Layout& lay = snap.layout;
    const QPointF baseline(lay.labelRect.left(), lay.labelRect.top() + metrics.ascent());

    if (!lay.label.isEmpty()) {
        p.setPen(outsideTextColor(snap.back));
        p.drawText(baseline, lay.label);
    }
    const QRect band(0, 0, qRound(lay.bandWidth), height());
    if (band.width() > 0) {
        p.fillRect(band, snap.fore);
        // The part of the label under the band is drawn again in a colour that reads on it.
        if (!lay.label.isEmpty()) {
            p.setClipRect(band);
            p.setPen(insideTextColor(snap.fore));
            p.drawText(baseline, lay.label);
        }
    }
}

void FloodBar::redraw() {
    drawn_.valid = true;
    drawn_.max = max_;
    drawn_.value = value_;
    drawn_.mosPct = mosPct_;
    drawn_.align = align_;
    drawn_.text = text_;
    drawn_.fore = foreColor_;
    drawn_.back = backColor_;
    render(drawn_);
    // Long jobs run on workers and report at screen rate; the repaint comes with the event
    // loop, never from inside a job.
    update();
}

void FloodBar::paintEvent(QPaintEvent*) {
    QPainter p(this);
    if (picture_.isNull())
        p.fillRect(rect(), backColor_);
    else
        p.drawImage(QPoint(0, 0), picture_);
    if (borderStyle_ != 0) {
        p.setPen(palette().color(QPalette::Mid));
        p.setBrush(Qt::NoBrush);
        p.drawRect(rect().adjusted(0, 0, -1, -1));
    }
}

void FloodBar::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    // The picture always spans the widget: the last picture is drawn again at the new size,
    // from the settings it was drawn with, not from settings changed since.
    if (drawn_.valid) {
        render(drawn_);
    } else {
        picture_ = QImage(size() * devicePixelRatioF(), QImage::Format_RGB32);
        picture_.setDevicePixelRatio(devicePixelRatioF());
        picture_.fill(backColor_);
    }
}

void FloodBar::changeEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange) emit propertyChanged(QStringLiteral("Font"));
    QWidget::changeEvent(event);
}

}  // namespace vantorel::gui
