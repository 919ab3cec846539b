#pragma once

#include <QDialog>
#include <QPointer>
#include <array>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QToolButton;

namespace vantorel::gui {

class ToolWindow;

// "frmSetup": the ROM folder, the six emulators' programs and how the other emulator is
// started. OK writes everything and rebuilds the launcher; Cancel and Esc write nothing.
class frmSetup : public QDialog {
    Q_OBJECT
public:
    // `launcher` is closed by OK (and by Cancel when no emulator is set); it may be null.
    explicit frmSetup(ToolWindow* launcher, QWidget* parent = nullptr);

    // The stored form of the open-file key from the option controls.
    QString BuildKeyString() const;

private:
    void buildControls();
    void LocalizeSetup();
    void LoadSetup();
    void SaveSetup();
    void applyOptionRule();
    void otroPathChanged();
    void chooseEmulator(int index);
    void chooseOther();
    void chooseRomFolder();
    void ok();
    void cancel();

    QPointer<ToolWindow> launcher_;

    QGroupBox* fRoms_ = nullptr;
    QLineEdit* txRomPath_ = nullptr;
    QToolButton* cLookRomDir_ = nullptr;
    QGroupBox* fPath_ = nullptr;
    // Gens, Kega, Ages, Xega, DGen, Otro.
    std::array<QLineEdit*, 6> paths_{};
    std::array<QToolButton*, 6> looks_{};
    QLabel* lbOtro_ = nullptr;
    QGroupBox* fExtOpt_ = nullptr;
    QRadioButton* optByCommand_ = nullptr;
    QRadioButton* optByKeys_ = nullptr;
    QCheckBox* chkDOSEmu_ = nullptr;
    QCheckBox* chkCTRL_ = nullptr;
    QCheckBox* chkALT_ = nullptr;
    QCheckBox* chkShift_ = nullptr;
    QLineEdit* txKey_ = nullptr;
    QPushButton* IDOK_ = nullptr;
    QPushButton* IDCANCEL_ = nullptr;
};

}  // namespace vantorel::gui
