#pragma once

#include <QString>
#include <memory>

#include "engine/patch/patch_format.h"
#include "gui/common/tool_window.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;
class QToolButton;

namespace vantorel::gui {

// The IPS patcher, "frmIPSPatcher": an image, a patch and a destination, optionally an
// extra chunk appended to the result; files can also be dropped on it.
class frmIPSPatcher : public ToolWindow {
    Q_OBJECT
public:
    explicit frmIPSPatcher(QWidget* parent = nullptr);

    // A path handed over like a drop.
    void takePath(const QString& path) override { acceptDropped({path}); }
    void acceptDropped(const QStringList& paths);
    void acceptFiles(const QStringList& paths) override { acceptDropped(paths); }

    bool isPatching() const { return job_->running(); }

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildControls();
    void localize();
    void applyDataState();
    void patchNow();
    struct Run;
    void runPatch(const QString& orig, const QString& entry, const QString& ips, const QString& patched);
    void studyPatchFile();
    static QString describe(const Result<patch::PatchInfo>& studied);
    void patchApplied(const std::shared_ptr<Run>& run);
    void patchSaved(const std::shared_ptr<Run>& run);
    void cantPatch(const Error& e);
    static QString reason(const Error& e);
    void setBusy(bool busy);

    Job* job_ = nullptr;
    Job* infoJob_ = nullptr;
    QTimer* infoTimer_ = nullptr;
    bool barShown_ = false;

    QGroupBox* fPatch_ = nullptr;
    QLabel* lblOriginal_ = nullptr;
    QLineEdit* txOrig_ = nullptr;
    QToolButton* cmdOrig_ = nullptr;
    QLabel* lblPatch_ = nullptr;
    QLabel* lblPatchInfo_ = nullptr;
    QLineEdit* txIPS_ = nullptr;
    QToolButton* cmdIPS_ = nullptr;
    QLabel* lblPatched_ = nullptr;
    QLineEdit* txPatched_ = nullptr;
    QToolButton* cmdPatched_ = nullptr;
    QCheckBox* chkData_ = nullptr;
    QLineEdit* txData_ = nullptr;
    QToolButton* cmdData_ = nullptr;
    QLabel* lblInfo_ = nullptr;
    QLabel* picture1_ = nullptr;
    QPushButton* cmdPatch_ = nullptr;
    QPushButton* cmdClose_ = nullptr;
};

}  // namespace vantorel::gui
