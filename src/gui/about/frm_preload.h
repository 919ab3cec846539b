#pragma once

#include <QDialog>
#include <memory>

#include "gui/about/credit_sheet.h"

class QLabel;
class QTimer;

namespace vantorel::gui {

// Shown while the credit lines are painted; it opens the show and then closes. Its texts are
// fixed.
class frmPreload : public QDialog {
    Q_OBJECT
public:
    explicit frmPreload(QWidget* parent = nullptr);

private:
    void tick();

    QLabel* label2_;
    std::unique_ptr<CreditSheetPainter> painter_;
    QTimer* timPreLoad_;
};

}  // namespace vantorel::gui
