#pragma once

#include <QDialog>

class QTimer;

namespace vantorel::gui {

class FrmCredits;

// Shown over the credits while the tune is written out and started. Its texts are fixed.
// Closing it early only means the show runs without music.
class FrmWait : public QDialog {
    Q_OBJECT
public:
    explicit FrmWait(FrmCredits* credits);

private:
    void firstTick();

    FrmCredits* credits_;
    QTimer* timer1_;
};

}  // namespace vantorel::gui
