#pragma once

#include <QString>
#include <array>

#include "engine/launcher/launch_plan.h"
#include "gui/common/tool_window.h"

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;

namespace vantorel::gui {

// "frmLauncher": a ROM path and one button per configured emulator.
class frmLauncher : public ToolWindow {
    Q_OBJECT
public:
    explicit frmLauncher(QWidget* parent = nullptr);

    // /l PATH and ShowInLauncher: the path to play.
    void takePath(const QString& path) override;

    // Starts the emulator behind `button` as `plan` says, on a worker, and reports on the
    // status line once it has started (or failed: a message box and the status line).
    void LaunchEmulator(QPushButton* button, const launcher::LaunchPlan& plan);

protected:
    void showEvent(QShowEvent* event) override;
    // A file dropped anywhere on the window becomes the ROM to play, as if browsed.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildControls();
    void LocalizeLauncher();
    void LoadLauncherSettings();
    void CheckEmulatorsConfigured();
    void browse();
    void romChosen(const QString& path);
    void launch(launcher::Emulator e);
    void openSetup(QWidget* owner);

    QGroupBox* fRom_ = nullptr;
    QLineEdit* txRom_ = nullptr;
    QToolButton* cmdBrowse_ = nullptr;
    QGroupBox* fEmus_ = nullptr;
    // Gens, Kega, Ages, Xega, DGen, Otro; each button's "Tag" property holds its program.
    std::array<QPushButton*, 6> buttons_{};
    QLabel* lblExternal_ = nullptr;
    QPushButton* cmdSetup_ = nullptr;
    QPushButton* cmdExit_ = nullptr;
    bool checked_ = false;
    Job* job_ = nullptr;
};

}  // namespace vantorel::gui
