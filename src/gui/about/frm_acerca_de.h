#pragma once

#include <QDialog>

#include "engine/about/ctrl_counter.h"

class QGroupBox;
class QLabel;
class QPushButton;
class QTimer;

namespace vantorel::gui {

class LinkLabel;

// The about box: product, version, live system facts and links. Ten presses of Ctrl in a
// row reveal the hidden button that starts the credits.
class frmAcercaDe : public QDialog {
    Q_OBJECT
public:
    explicit frmAcercaDe(QWidget* parent = nullptr);

    // Every caption from the window's section of the language file, with the exceptions the
    // box keeps (product name, notice, mail, the community sites), then the fonts.
    void LocalizeAbout();
    // The memory line, as the one-second timer refreshes it.
    void refreshMemory();

protected:
    void hideEvent(QHideEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void childEvent(QChildEvent* event) override;

private:
    void openCredits();
    void watchKeys(QObject* object);

    about::CtrlCounter ctrlCount_;
    QLabel* lblProductName_ = nullptr;
    QGroupBox* fApp_ = nullptr;
    QLabel* lblVersion_ = nullptr;
    QLabel* lblWinVer_ = nullptr;
    QLabel* lblMemox_ = nullptr;
    QLabel* lblRomPath_ = nullptr;
    QLabel* lblDir_ = nullptr;
    LinkLabel* lblMail_ = nullptr;
    QPushButton* cmdCredits_ = nullptr;
    QTimer* timRealMem_ = nullptr;
};

// The text of the memory line for this machine now.
QString DescribeMemory();
// The system line for this machine: name, space, major.minor, " rev ", revision.
QString DescribeWindows();

}  // namespace vantorel::gui
