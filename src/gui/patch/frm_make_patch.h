#pragma once

#include <QString>
#include <QStringList>
#include <memory>

#include "engine/patch/patch_types.h"
#include "gui/common/tool_window.h"

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QToolButton;

namespace vantorel::gui {

// The patch maker, "frmMakePatch": an original image and its modified copy (plain files or
// images inside archives) give an IPS or BPS patch that turns one into the other.
class frmMakePatch : public ToolWindow {
    Q_OBJECT
public:
    explicit frmMakePatch(QWidget* parent = nullptr);

    // Paths handed over like a drop: the first fills the original, the next the modified.
    void takePath(const QString& path) override { acceptDropped({path}); }
    void acceptFiles(const QStringList& paths) override { acceptDropped(paths); }
    void acceptDropped(const QStringList& paths);

    bool isMaking() const { return working(); }

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildControls();
    void localize();
    patch::PatchFormat format() const;
    void setFormat(patch::PatchFormat format);
    void formatFromName();
    void nameFromFormat();
    void chooseImage(QLineEdit* box);
    void choosePatchOut();
    void suggestPatchOut();
    void makeNow();
    struct Run;
    static void makeAndWrite(Run& run, const ProgressFn& progress);
    void runMake(const std::shared_ptr<Run>& run);
    void made(const std::shared_ptr<Run>& run);
    void setBusy(bool busy);

    Job* job_ = nullptr;

    QGroupBox* fMake_ = nullptr;
    QLabel* lblOrig_ = nullptr;
    QLineEdit* txOrig_ = nullptr;
    QToolButton* cmdOrig_ = nullptr;
    QLabel* lblMod_ = nullptr;
    QLineEdit* txMod_ = nullptr;
    QToolButton* cmdMod_ = nullptr;
    QLabel* lblPatchOut_ = nullptr;
    QLineEdit* txPatchOut_ = nullptr;
    QToolButton* cmdPatchOut_ = nullptr;
    QGroupBox* fFormat_ = nullptr;
    QRadioButton* optIps_ = nullptr;
    QRadioButton* optBps_ = nullptr;
    QLabel* picture1_ = nullptr;
    QLabel* lblInfo_ = nullptr;
    QLabel* lblResult_ = nullptr;
    QPushButton* cmdMake_ = nullptr;
    QPushButton* cmdClose_ = nullptr;
};

}  // namespace vantorel::gui
