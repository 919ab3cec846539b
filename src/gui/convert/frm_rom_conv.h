#pragma once

#include <QStringList>
#include <memory>

#include "gui/common/tool_window.h"
#include "gui/convert/conversion_texts.h"

class QGroupBox;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QTimer;
class QToolButton;

namespace vantorel::gui {

// The batch converter: an SMD to BIN pane and a BIN to SMD pane, each with its sources,
// the destinations named for them, and a convert button.
class frmRomConv : public ToolWindow {
    Q_OBJECT
public:
    explicit frmRomConv(QWidget* parent = nullptr);
    ~frmRomConv() override;

    // Adds sources to a pane as the add button and a drop do; the destinations are named
    // for them and every source entry ends up selected. For an archive holding several
    // images the user picks one; a source whose content does not suit the pane is flagged
    // on its entry (tool tip and a warning icon).
    void addSources(ConvertDirection pane, const QStringList& paths);
    bool isConverting() const { return batch_ != nullptr; }
    // Files dropped on the main window: SMD images join the SMD pane, others the BIN pane.
    void acceptFiles(const QStringList& paths) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    struct Pane {
        ConvertDirection direction;
        QGroupBox* frame = nullptr;
        QListWidget* sources = nullptr;
        QListWidget* destinations = nullptr;
        QToolButton* addButton = nullptr;
        QToolButton* folderButton = nullptr;
        QPushButton* convertButton = nullptr;
    };

    QGroupBox* buildPane(Pane& pane, const char* frameName, const char* caption, const char* sourceLabel,
                         const char* sourceList, const char* addButton, const char* destLabel,
                         const char* destList, const char* folderButton, const char* convertButton,
                         const char* picture);
    struct Source {
        QString path;
        QString entry;  // the image inside an archive; empty for a plain file
    };
    void addPicked(ConvertDirection pane, const QList<Source>& sources);
    Pane& pane(ConvertDirection d) { return d == ConvertDirection::SmdToBin ? smd_ : bin_; }
    void chooseSources(Pane& pane);
    void removeSelected(Pane& pane);
    void chooseDestinationFolder(Pane& pane);
    void convert(Pane& pane);
    void setBusy(bool busy);

    // A batch runs one file at a time on a worker; the window thread only reports.
    struct Batch;
    void drainBatch();
    void finishBatch(bool stopped);

    Pane smd_{ConvertDirection::SmdToBin};
    Pane bin_{ConvertDirection::BinToSmd};
    QPushButton* runOut_ = nullptr;
    bool busy_ = false;
    std::shared_ptr<Batch> batch_;
    Job* job_ = nullptr;
    QTimer* drainTimer_ = nullptr;
    bool draining_ = false;
};

}  // namespace vantorel::gui
