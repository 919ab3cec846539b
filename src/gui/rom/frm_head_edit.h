#pragma once

#include <QList>
#include <QPointer>
#include <QString>
#include <array>
#include <functional>
#include <memory>
#include <optional>

#include "engine/rom/checksum.h"
#include "engine/rom/header_document.h"
#include "engine/rom/identity.h"
#include "gui/common/tool_window.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QToolButton;
class QPushButton;

namespace vantorel::gui {

class LicenseModel;

// The header editor: a view over one rom::HeaderDocument. Loading, the checksum and saving
// run on a worker; the boxes, the region control and the device boxes only show and collect
// the fields, and are locked while a file is read or written.
class frmHeadEdit : public ToolWindow {
    Q_OBJECT
public:
    explicit frmHeadEdit(QWidget* parent = nullptr);
    ~frmHeadEdit() override;

    // /h PATH: loads the file as if it had been chosen.
    void takePath(const QString& path) override { LoadFromCmd(path); }
    void LoadFromCmd(const QString& path);
    void acceptFiles(const QStringList& paths) override;

    // The document on show (null before the first load).
    const rom::HeaderDocument* document() const { return doc_.get(); }
    const QString& romPath() const { return romPath_; }
    const rom::ChecksumPair& checksumPair() const { return checksum_; }
    bool busy() const { return working(); }

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    // The text boxes would take a dropped file as text: a file dropped anywhere loads.
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildControls();
    void LocalizeEditor();
    void EnableEditing(bool flag);
    void lockWhileWorking(bool working);

    void browse();
    void loadChosen(const QString& path);
    void loaded(const QString& path, bool smdLayout);
    void showIdentity(const std::optional<rom::Identity>& identity);
    // The file on show as the user knows it: the path, and the image's name in an archive.
    QString shownName() const;
    void fillFields();
    void WriteHeader();
    // Writes the image to `path` on the worker; `then` runs once it is saved.
    void SaveRomImage(const QString& path, std::function<void()> then = {});
    void save();
    void saveAs();
    // The image read from an archive goes to a file the user names, saying why.
    void saveArchiveImage();
    void saveAsChosen();
    void play();
    void OfferChecksumFix();
    QLineEdit* box(rom::Field field) const;

    QString baseCaption() const;

    // Window state: the document, its path, the last checksum pair, and what the region
    // control showed right after the load (it may tidy the code; only a user's change counts).
    std::shared_ptr<rom::HeaderDocument> doc_;
    QString romPath_;
    rom::ChecksumPair checksum_;
    QString loadedRegion_;
    // The image's name inside an archive; empty for a plain file. Archives are never written.
    QString entry_;
    QString identityTemplate_;
    Job* job_ = nullptr;
    QPointer<QWidget> focusBeforeWork_;

    QGroupBox* fRom_ = nullptr;
    QLineEdit* txFile_ = nullptr;
    QLabel* lblIdentity_ = nullptr;
    QToolButton* cmdBrowse_ = nullptr;
    QGroupBox* frmRhe_ = nullptr;
    QLineEdit* txDestination_ = nullptr;
    QLineEdit* txCopyRight_ = nullptr;
    QLineEdit* txDomestic_ = nullptr;
    QLineEdit* txOverseas_ = nullptr;
    QLineEdit* tcMainCode_ = nullptr;
    QLineEdit* txComment_ = nullptr;
    std::array<QLabel*, 6> sName_{};
    QGroupBox* fZone_ = nullptr;
    LicenseModel* lmReg_ = nullptr;
    QGroupBox* fDevice_ = nullptr;
    std::array<QCheckBox*, rom::kDeviceCount> chkDev_{};
    QWidget* picXPHolder_ = nullptr;
    QPushButton* cmdRec_ = nullptr;
    QPushButton* cmdRecComo_ = nullptr;
    QPushButton* cmdPlay_ = nullptr;
    QPushButton* cmdExit_ = nullptr;
};

}  // namespace vantorel::gui
