#pragma once

#include <QDialog>

class QLabel;
class QTimer;

namespace vantorel::gui {

// Shown while the credit lines are painted; it opens the show and then closes. Its texts are
// fixed.
class FrmPreload : public QDialog {
    Q_OBJECT
public:
    explicit FrmPreload(QWidget* parent = nullptr);

private:
    void tick();

    QLabel* label2_;
    QTimer* timPreLoad_;
};

}  // namespace vantorel::gui
