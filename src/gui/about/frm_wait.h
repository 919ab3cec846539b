#pragma once

#include <QDialog>

class QTimer;

namespace vantorel::gui {

class frmCredits;

// Shown over the credits while the tune is written out and started. Its texts are fixed.
// Closing it early only means the show runs without music.
class frmWait : public QDialog {
    Q_OBJECT
public:
    explicit frmWait(frmCredits* credits);

private:
    void firstTick();

    frmCredits* credits_;
    QTimer* timer1_;
};

}  // namespace vantorel::gui
