#pragma once

#include <QList>
#include <QString>
#include <array>

#include "engine/common/file_io.h"
#include "engine/rom/checksum.h"
#include "engine/rom/header.h"
#include "gui/common/tool_window.h"

class QCheckBox;
class QMimeData;
class QGroupBox;
class QLabel;
class QLineEdit;
class QToolButton;
class QPushButton;

namespace vantorel::gui {

class LicenseModel;

// The header editor, "frmHeadEdit": one image in memory, its header fields in boxes, the
// checksum offer after each load, save in place or under a new name, and play.
class HeadEditor : public ToolWindow {
    Q_OBJECT
public:
    explicit HeadEditor(QWidget* parent = nullptr);

    // /h PATH: loads the file as if it had been chosen.
    void takePath(const QString& path) override { LoadFromCmd(path); }
    void LoadFromCmd(const QString& path);

    const Bytes& romData() const { return romData_; }
    const QString& romPath() const { return romPath_; }
    const rom::ChecksumPair& checksumPair() const { return checksum_; }

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    // The text boxes would take a dropped file as text: a file dropped anywhere loads.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    void LocalizeEditor();
    void EnableEditing(bool flag);

    void browse();
    void loadChosen(const QString& path);
    enum class LoadOutcome { Loaded, Unreadable, Refused };
    LoadOutcome ReadHeader(const QString& path);
    void fillFields(const rom::Header& header);
    void WriteHeader();
    bool SaveRomImage(const QString& path);
    void save();
    void saveAs();
    void play();
    void exitEditor();
    void OfferChecksumFix();

    QString baseCaption() const;
    static QString droppedFile(const QMimeData* mime);

    // Window state: the loaded file whole, its path, the last checksum pair, the header
    // as read (for the fields written back untouched).
    Bytes romData_;
    QString romPath_;
    rom::ChecksumPair checksum_;
    rom::Header header_;
    bool loaded_ = false;
    bool filling_ = false;
    bool busy_ = false;

    QGroupBox* fRom_ = nullptr;
    QLineEdit* txFile_ = nullptr;
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
