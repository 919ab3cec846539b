#include "gui/app/shk_icon.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPalette>

namespace vantorel::gui {

shkIcon::shkIcon(QWidget* parent) : QAbstractButton(parent) {
    const QPalette pal = palette();
    backColor_ = pal.color(QPalette::Button);
    labelForeColor_ = pal.color(QPalette::ButtonText);
    labelBackColor_ = pal.color(QPalette::Button);
    setText(QStringLiteral("Icono"));
    setFixedSize(kSize);
    setMouseTracking(true);  // hover feedback without a button held
    // Takes focus from a click only, so losing it (to the tool it opened) flattens the frame.
    setFocusPolicy(Qt::ClickFocus);
    setIconSize(kPicture.size());
}

bool shkIcon::insidePicture(const QPoint& p) {
    return p.x() > kPicture.left() && p.x() < kPicture.left() + kPicture.width() && p.y() > kPicture.top() &&
           p.y() < kPicture.top() + kPicture.height();
}

void shkIcon::setBackColor(const QColor& c) {
    backColor_ = c;
    update();
    emit propertyChanged(QStringLiteral("BackColor"));
}

void shkIcon::setLabelForeColor(const QColor& c) {
    labelForeColor_ = c;
    update();
    emit propertyChanged(QStringLiteral("LabelForeColor"));
}

void shkIcon::setLabelBackColor(const QColor& c) {
    labelBackColor_ = c;
    update();
    emit propertyChanged(QStringLiteral("LabelBackColor"));
}

void shkIcon::setCaption(const QString& caption) {
    setText(caption);
    emit propertyChanged(QStringLiteral("Caption"));
}

void shkIcon::setPicture(const QIcon& icon) {
    setIcon(icon);
    emit propertyChanged(QStringLiteral("Icon"));
}

void shkIcon::changeEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange) emit propertyChanged(QStringLiteral("Font"));
    if (event->type() == QEvent::EnabledChange) {
        if (!isEnabled()) {
            pressed_ = false;
            setLook(Look::Flat);
        }
        emit propertyChanged(QStringLiteral("Enabled"));
    }
    QAbstractButton::changeEvent(event);
}

void shkIcon::setLook(Look look) {
    if (look_ == look) return;
    look_ = look;
    update();
}

void shkIcon::mousePressEvent(QMouseEvent* event) {
    if (insidePicture(event->position().toPoint())) {
        setLook(Look::Sunken);
        pressed_ = true;
    }
    event->accept();
}

void shkIcon::mouseMoveEvent(QMouseEvent* event) {
    if (!pressed_) setLook(insidePicture(event->position().toPoint()) ? Look::Raised : Look::Flat);
    event->accept();
}

void shkIcon::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
    pressed_ = false;
    if (!insidePicture(event->position().toPoint())) {
        setLook(Look::Flat);
        return;
    }
    setLook(Look::Raised);
    emit clicked(false);
}

void shkIcon::focusOutEvent(QFocusEvent* event) {
    pressed_ = false;
    setLook(Look::Flat);
    QAbstractButton::focusOutEvent(event);
}

void shkIcon::leaveEvent(QEvent* event) {
    // The pointer left the control without a move over the margin (a fast exit).
    if (!pressed_) setLook(Look::Flat);
    QAbstractButton::leaveEvent(event);
}

void shkIcon::resizeEvent(QResizeEvent* event) {
    QAbstractButton::resizeEvent(event);
    if (size() != kSize) resize(kSize);
}

void shkIcon::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), backColor_);

    const QRect pic = kPicture;
    if (!icon().isNull())
        icon().paint(&p, pic, Qt::AlignCenter, isEnabled() ? QIcon::Normal : QIcon::Disabled);

    QColor topLeft = backColor_, bottomRight = backColor_;
    if (look_ == Look::Raised) {
        topLeft = palette().color(QPalette::Light);
        bottomRight = palette().color(QPalette::Shadow);
    } else if (look_ == Look::Sunken) {
        topLeft = palette().color(QPalette::Shadow);
        bottomRight = palette().color(QPalette::Light);
    }
    // The frame sits on the picture's own edge pixels, as the design's lines do.
    const int l = pic.left(), t = pic.top(), r = pic.right(), b = pic.bottom();
    p.setPen(topLeft);
    p.drawLine(l, t, l, b);
    p.drawLine(l, t, r, t);
    p.setPen(bottomRight);
    p.drawLine(r, t, r, b);
    p.drawLine(l, b, r, b);

    const QRect caption(0, 48, width(), height() - 48);
    p.fillRect(caption, labelBackColor_);
    p.setPen(isEnabled() ? labelForeColor_ : palette().color(QPalette::Disabled, QPalette::ButtonText));
    p.setFont(font());
    p.drawText(caption.adjusted(1, 0, -1, 0), Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap, text());
}

}  // namespace vantorel::gui
