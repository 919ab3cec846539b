#pragma once

#include <QColor>
#include <QFontMetrics>
#include <QImage>
#include <QRectF>
#include <QSize>
#include <QString>
#include <QWidget>

namespace vantorel::gui {

// The "flood" progress bar: a band grows from the left in proportion to Value/Max, with an
// optional percentage and an optional text. Only setting Value redraws; setting the other
// properties alone leaves the picture as it is until the next Value or Refresh.
class FloodBar : public QWidget {
    Q_OBJECT
public:
    explicit FloodBar(QWidget* parent = nullptr);

    QColor foreColor() const { return foreColor_; }
    void setForeColor(const QColor& c);
    QColor backColor() const { return backColor_; }
    void setBackColor(const QColor& c);
    int borderStyle() const { return borderStyle_; }
    void setBorderStyle(int style);  // 0 none, 1 single line
    int max() const { return max_; }
    void setMax(int max);
    int value() const { return value_; }
    void setValue(int value);  // redraws only when Max >= Value
    bool mosPct() const { return mosPct_; }
    void setMosPct(bool show);
    int align() const { return align_; }
    void setAlign(int align);  // 0 left, 1 centre, 2 right (text-only mode)
    QString text() const { return text_; }
    void setText(const QString& text);

    // Repaints the surface from the stored picture.
    void Refresh();
    // Max, Text, MosPct, Value in that order, so the bar paints once.
    void ShowProgress(int max, int value, const QString& text, bool mosPct);

    // The current picture (what the widget shows inside its border), for tests and screenshots.
    QImage picture() const { return picture_; }

    // Percentage rounded half to even (12.5 -> 12, 37.5 -> 38); 0 when Max is not positive.
    static int percentOf(int value, int max);

    // What one redraw prints: the label, where it goes and how wide the band is, all in pixels
    // of a surface of the given size. Pure, so the placement rules can be checked without pixels.
    struct Layout {
        QString label;     // empty when nothing is printed
        QRectF labelRect;  // top-left is the print position; size is the label's extent
        double bandWidth = 0;
    };
    static Layout layoutFor(QSize surface, const QFontMetrics& metrics, int max, int value, bool mosPct,
                            const QString& text, int align);
    // The label a redraw prints: "50%", "Saving 45%", or the text alone.
    static QString labelFor(const QString& text, bool mosPct, int value, int max);

    // The layout of the picture on show (empty label before the first redraw).
    const Layout& drawnLayout() const { return drawn_.layout; }

    QSize sizeHint() const override;

signals:
    void propertyChanged(const QString& name);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    // Everything a picture is drawn from, kept so a resize can draw the same picture again.
    struct Snapshot {
        bool valid = false;
        int max = 0;
        int value = 0;
        bool mosPct = false;
        int align = 0;
        QString text;
        QColor fore;
        QColor back;
        Layout layout;
    };

    void redraw();
    void render(Snapshot& snap);
    QColor insideTextColor(const QColor& band) const;
    QColor outsideTextColor(const QColor& back) const;

    QColor foreColor_;
    QColor backColor_;
    int borderStyle_ = 1;
    int max_ = 0;
    int value_ = 0;
    bool mosPct_ = false;
    int align_ = 0;
    QString text_;
    QImage picture_;
    Snapshot drawn_;
};

}  // namespace vantorel::gui
