#pragma once

#include <QAbstractButton>
#include <QColor>
#include <QIcon>

namespace vantorel::gui {

// The main window's flat toolbar button: a 32 x 32 picture with its caption below. The
// frame round the picture is raised while the pointer hovers over the picture, sunken
// while it is pressed there, and invisible otherwise. clicked() comes only from a release
// over the picture (the button may have gone down anywhere on the control).
//
// A release anywhere ends the pressed state (outside the picture it shows the flat look
// and clicks nothing), so hover feedback comes back at once instead of staying off until
// the next press and release inside.
class shkIcon : public QAbstractButton {
    Q_OBJECT
public:
    enum class Look { Flat, Raised, Sunken };

    explicit shkIcon(QWidget* parent = nullptr);

    // Design geometry in pixels: the whole control and the picture inside it.
    static constexpr QSize kSize{79, 81};
    static constexpr QRect kPicture{24, 6, 32, 32};

    Look look() const { return look_; }
    bool isPressedState() const { return pressed_; }
    // Strictly inside the picture: its border pixels count as outside.
    static bool insidePicture(const QPoint& p);

    QColor backColor() const { return backColor_; }
    void setBackColor(const QColor& c);
    QColor labelForeColor() const { return labelForeColor_; }
    void setLabelForeColor(const QColor& c);
    QColor labelBackColor() const { return labelBackColor_; }
    void setLabelBackColor(const QColor& c);
    // Caption is the button text ("Icono" until set), Icon the button icon.
    void setCaption(const QString& caption);
    void setPicture(const QIcon& icon);

    QSize sizeHint() const override { return kSize; }
    QSize minimumSizeHint() const override { return kSize; }

signals:
    // Names a property that changed, so a holder that keeps them can save it.
    void propertyChanged(const QString& name);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool hitButton(const QPoint& pos) const override { return insidePicture(pos); }

private:
    void setLook(Look look);

    Look look_ = Look::Flat;
    bool pressed_ = false;
    QColor backColor_;
    QColor labelForeColor_;
    QColor labelBackColor_;
};

}  // namespace vantorel::gui
