#include "gui/patch/frm_ips_patcher.h"
#include "gui/common/dropped_files.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QPointer>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>
#include <climits>
#include <filesystem>

#include "engine/common/settings.h"
#include "engine/patch/ips.h"
#include "gui/common/choosers.h"
#include "gui/common/error_text.h"
#include "gui/common/native_path.h"
#include "gui/common/host.h"
#include "gui/common/prompt.h"
#include "gui/lang/app_state.h"
#include "gui/lang/localize.h"
#include "gui/patch/patch_paths.h"

namespace vantorel::gui {
using lang::Msg;

namespace {

const QString kSection = QStringLiteral("frmIPSPatcher");

QString firstOf(const QStringList& l) {
    return l.isEmpty() ? QString() : l.first();
}

// The bar counts in int; patches beyond that are scaled down with their position.
void showPatchProgress(qint64 done, qint64 total) {
    const qint64 scale = total / INT_MAX + 1;
    ShowProgress(static_cast<int>(total / scale), static_cast<int>(std::min(done, total) / scale), QString(), true);
}

}  // namespace

frmIPSPatcher::frmIPSPatcher(QWidget* parent) : ToolWindow(parent) {
    setObjectName(QStringLiteral("frmIPSPatcher"));
    setAcceptDrops(true);
    buildControls();
    localize();
    SetRomFolder();
    applyDataState();
    job_ = newJob();
    // The bar appears with the first record, once the patch is known to be valid.
    connect(job_, &Job::progressed, this, [this](qint64 done, qint64 total) {
        if (total <= 0) return;
        if (!barShown_) host().setProgressVisible(true);
        barShown_ = true;
        showPatchProgress(done, total);
    });
}

void frmIPSPatcher::buildControls() {
    auto* root = new QVBoxLayout(this);

    fPatch_ = new QGroupBox(this);
    fPatch_->setObjectName(QStringLiteral("fPatch"));
    auto* grid = new QGridLayout(fPatch_);
    const QIcon openIcon = style()->standardIcon(QStyle::SP_DialogOpenButton);
    auto row = [&](const char* labelName, QLabel*& label, const char* boxName, QLineEdit*& box,
                   const char* buttonName, QToolButton*& button, int at) {
        if (labelName) {
            label = new QLabel(fPatch_);
            label->setObjectName(QString::fromLatin1(labelName));
            grid->addWidget(label, at, 0, 1, 2);
        }
        box = new QLineEdit(fPatch_);
        box->setObjectName(QString::fromLatin1(boxName));
        // Drops anywhere on the window are the window's, not text for the box.
        box->setAcceptDrops(false);
        button = new QToolButton(fPatch_);
        button->setObjectName(QString::fromLatin1(buttonName));
        button->setIcon(openIcon);
        grid->addWidget(box, at + 1, 0);
        grid->addWidget(button, at + 1, 1);
        if (label) label->setBuddy(box);
    };
    row("lblOriginal", lblOriginal_, "txOrig", txOrig_, "cmdOrig", cmdOrig_, 0);
    row("lblPatch", lblPatch_, "txIPS", txIPS_, "cmdIPS", cmdIPS_, 2);
    row("lblPatched", lblPatched_, "txPatched", txPatched_, "cmdPatched", cmdPatched_, 4);
    chkData_ = new QCheckBox(fPatch_);
    chkData_->setObjectName(QStringLiteral("chkData"));
    grid->addWidget(chkData_, 6, 0, 1, 2);
    QLabel* noLabel = nullptr;
    row(nullptr, noLabel, "txData", txData_, "cmdData", cmdData_, 6);
    root->addWidget(fPatch_);

    auto* line1 = new QFrame(this);
    line1->setObjectName(QStringLiteral("Line1"));
    line1->setFrameShape(QFrame::HLine);
    line1->setFrameShadow(QFrame::Sunken);
    root->addWidget(line1);

    auto* infoRow = new QHBoxLayout;
    picture1_ = new QLabel(this);
    picture1_->setObjectName(QStringLiteral("Picture1"));
    // The shell's patcher artwork when the program carries it.
    const QString artwork = QStringLiteral(":/app/ips.svg");
    const QIcon art =
        QFile::exists(artwork) ? QIcon(artwork) : style()->standardIcon(QStyle::SP_FileDialogDetailedView);
    picture1_->setPixmap(art.pixmap(48, 48));
    picture1_->setAlignment(Qt::AlignTop);
    lblInfo_ = new QLabel(this);
    lblInfo_->setObjectName(QStringLiteral("lblInfo"));
    lblInfo_->setWordWrap(true);
    infoRow->addWidget(picture1_);
    infoRow->addWidget(lblInfo_, 1);
    root->addLayout(infoRow);

    auto* line2 = new QFrame(this);
    line2->setObjectName(QStringLiteral("Line2"));
    line2->setFrameShape(QFrame::HLine);
    line2->setFrameShadow(QFrame::Sunken);
    root->addWidget(line2);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    cmdPatch_ = new QPushButton(this);
    cmdPatch_->setObjectName(QStringLiteral("cmdPatch"));
    cmdPatch_->setDefault(true);
    cmdClose_ = new QPushButton(this);
    cmdClose_->setObjectName(QStringLiteral("cmdClose"));
    buttons->addWidget(cmdPatch_);
    buttons->addWidget(cmdClose_);
    root->addLayout(buttons);
    root->addStretch(1);

    connect(chkData_, &QCheckBox::toggled, this, [this] { applyDataState(); });
    connect(cmdOrig_, &QToolButton::clicked, this,
            [this] { txOrig_->setText(firstOf(OpenRomDialog(this, 4))); });
    connect(cmdIPS_, &QToolButton::clicked, this, [this] { txIPS_->setText(OpenIpsDialog(this)); });
    connect(cmdPatched_, &QToolButton::clicked, this,
            [this] { txPatched_->setText(SaveRomDialog(this, 0)); });
    connect(cmdData_, &QToolButton::clicked, this,
            [this] { txData_->setText(firstOf(OpenRomDialog(this, 5))); });
    connect(cmdPatch_, &QPushButton::clicked, this, [this] { patchNow(); });
    connect(cmdClose_, &QPushButton::clicked, this, [this] {
        if (!working()) unloadTool();
    });
}

void frmIPSPatcher::localize() {
    LocalizeOptions options;
    // The picture has no caption; setting one would replace its image.
    options.skipCaption = [this](QObject* o) { return o == picture1_; };
    localizeWindow(this, kSection, options);
}

// The extra chunk's box and button follow the tick; an unticked box also looks inactive.
void frmIPSPatcher::applyDataState() {
    const bool on = chkData_->isChecked();
    txData_->setEnabled(on);
    cmdData_->setEnabled(on);
    QPalette pal = txData_->palette();
    const QPalette& window = palette();
    pal.setColor(QPalette::Disabled, QPalette::Base, window.color(QPalette::Inactive, QPalette::Window));
    pal.setColor(QPalette::Active, QPalette::Base, window.color(QPalette::Active, QPalette::Base));
    pal.setColor(QPalette::Inactive, QPalette::Base, window.color(QPalette::Inactive, QPalette::Base));
    txData_->setPalette(pal);
}

void frmIPSPatcher::dragEnterEvent(QDragEnterEvent* event) {
    if (!working() && !droppedPaths(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void frmIPSPatcher::dropEvent(QDropEvent* event) {
    const QStringList files = droppedPaths(event->mimeData());
    if (working() || files.isEmpty()) return;
    event->acceptProposedAction();
    acceptDropped(files);
}

void frmIPSPatcher::acceptDropped(const QStringList& paths) {
    if (working()) return;
    const DroppedPaths sorted = sortDroppedPaths(paths);
    if (!sorted.patch.isEmpty()) txIPS_->setText(sorted.patch);
    if (!sorted.image.isEmpty()) {
        txOrig_->setText(sorted.image);
        if (txPatched_->text().trimmed().isEmpty()) txPatched_->setText(suggestPatchedName(sorted.image));
    }
}

void frmIPSPatcher::patchNow() {
    if (working()) return;
    struct Check {
        QLineEdit* box;
        Msg message;
        QToolButton* button;
    };
    const Check checks[] = {
        {txOrig_, Msg::SelRomPErr, cmdOrig_},
        {txIPS_, Msg::SelIPSPErr, cmdIPS_},
        {txPatched_, Msg::SelDstPErr, cmdPatched_},
    };
    for (const Check& c : checks) {
        if (c.box->text().trimmed().isEmpty()) {
            ask(this, PromptIcon::Error, PromptButtons::Ok, appTitle(), msg(c.message));
            c.button->setFocus(Qt::OtherFocusReason);
            return;
        }
    }
    runPatch(txOrig_->text(), txIPS_->text(), txPatched_->text());
}

// What the worker hands back between the steps of one patch run.
struct frmIPSPatcher::Run {
    QString orig, ips, patched, chunk;
    std::optional<Result<Bytes>> image;
    std::optional<Result<void>> step;
    std::string invalidText;
};

void frmIPSPatcher::setBusy(bool busy) {
    fPatch_->setEnabled(!busy);
    cmdPatch_->setEnabled(!busy);
    cmdClose_->setEnabled(!busy);
}

void frmIPSPatcher::cantPatch(const Error& e) {
    ask(this, PromptIcon::Error, PromptButtons::Ok, appTitle(),
        msg(Msg::CantPatch) + QStringLiteral("\r\n\r\n") + errorText(e));
}

// Loading and patching run on the worker; the chunk question comes after the patch, as the
// user knows it; then the chunk and the save run on the worker again.
void frmIPSPatcher::runPatch(const QString& orig, const QString& ips, const QString& patched) {
    auto run = std::make_shared<Run>();
    run->orig = orig;
    run->ips = ips;
    run->patched = patched;
    run->invalidText = msg(Msg::InvalidIPS).toStdString();
    SetStatusText(msg(Msg::Patching, QStringLiteral("%s"), orig));
    setBusy(true);
    barShown_ = false;
    job_->start(
        [run](const ProgressFn& progress) {
            auto image = patch::LoadPatchTarget(toPath(run->orig));
            if (!image) {
                run->image = image.error();
                return;
            }
            auto ipsBytes = patch::LoadIpsFile(toPath(run->ips));
            if (!ipsBytes) {
                run->image = ipsBytes.error();
                return;
            }
            auto done = patch::DoPatch(image.value(), ipsBytes.value(), run->invalidText, progress);
            if (!done)
                run->image = done.error();
            else
                run->image = std::move(image);
        },
        [this, run] { patchApplied(run); });
}

void frmIPSPatcher::patchApplied(const std::shared_ptr<Run>& run) {
    if (barShown_) host().setProgressVisible(false);
    barShown_ = false;
    if (job_->stopRequested()) return setBusy(false);
    if (!*run->image) {
        setBusy(false);
        return cantPatch(run->image->error());
    }
    if (chkData_->isChecked()) {
        run->chunk = txData_->text();
        if (run->chunk.trimmed().isEmpty()) {
            const QPointer<frmIPSPatcher> alive(this);
            const PromptAnswer answer =
                ask(this, PromptIcon::Warning, PromptButtons::YesNo, appTitle(), msg(Msg::SelChunkErr), PromptAnswer::Yes);
            if (!alive) return;
            if (answer != PromptAnswer::Yes) return setBusy(false);
            run->chunk.clear();
        }
    }
    job_->start(
        [run](const ProgressFn&) {
            Bytes& image = run->image->value();
            if (!run->chunk.isEmpty()) {
                auto chunk = patch::LoadExtraChunk(toPath(run->chunk));
                if (!chunk) {
                    run->step = chunk.error();
                    return;
                }
                patch::AppendExtraChunk(image, chunk.value());
            }
            run->step = patch::SavePatchedImage(toPath(run->patched), image);
        },
        [this, run] { patchSaved(run); });
}

void frmIPSPatcher::patchSaved(const std::shared_ptr<Run>& run) {
    setBusy(false);
    if (job_->stopRequested() || !run->step) return;
    if (!*run->step) return cantPatch(run->step->error());
    if (ask(this, PromptIcon::Question, PromptButtons::YesNo, run->patched, msg(Msg::PatchedOK), PromptAnswer::Yes) ==
        PromptAnswer::Yes)
        ShowInLauncher(run->patched);
}

void frmIPSPatcher::closeEvent(QCloseEvent* event) {
    // A patch in progress stops at its next record; nothing is written for it.
    stopWork();
    ToolWindow::closeEvent(event);
}

}  // namespace vantorel::gui
