#pragma once

#include <QLabel>

namespace vantorel::gui {

// A label that reads as a link and reports a click; what it opens is the window's business.
class LinkLabel : public QLabel {
    Q_OBJECT
public:
    explicit LinkLabel(const QString& text, QWidget* parent = nullptr);

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};

}  // namespace vantorel::gui
