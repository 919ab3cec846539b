#include "gui/patch/frm_ips_patcher.h"

#include <QCheckBox>
#include <QCloseEvent>
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
#include <QLocale>
#include <QMimeData>
#include <QPointer>
#include <QPushButton>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>
#include <climits>
#include <filesystem>

#include "engine/common/settings.h"
#include "engine/patch/ips.h"
#include "engine/patch/patch_format.h"
#include "gui/common/choosers.h"
#include "gui/common/dropped_files.h"
#include "gui/common/error_text.h"
#include "gui/common/host.h"
#include "gui/common/image_entry.h"
#include "gui/common/native_path.h"
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
    ShowProgress(static_cast<int>(total / scale), static_cast<int>(std::min(done, total) / scale), QString(),
                 true);
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
    infoJob_ = newJob();
    infoTimer_ = new QTimer(this);
    infoTimer_->setSingleShot(true);
    infoTimer_->setInterval(250);  // once the user stops typing
    connect(infoTimer_, &QTimer::timeout, this, &frmIPSPatcher::studyPatchFile);
    connect(txIPS_, &QLineEdit::textChanged, infoTimer_, qOverload<>(&QTimer::start));
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
    // What the patch is, read from it as soon as it is named.
    lblPatchInfo_ = new QLabel(fPatch_);
    lblPatchInfo_->setObjectName(QStringLiteral("lblPatchInfo"));
    lblPatchInfo_->setWordWrap(true);
    lblPatchInfo_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    grid->addWidget(lblPatchInfo_, 4, 0, 1, 2);
    row("lblPatched", lblPatched_, "txPatched", txPatched_, "cmdPatched", cmdPatched_, 5);
    chkData_ = new QCheckBox(fPatch_);
    chkData_->setObjectName(QStringLiteral("chkData"));
    grid->addWidget(chkData_, 7, 0, 1, 2);
    QLabel* noLabel = nullptr;
    row(nullptr, noLabel, "txData", txData_, "cmdData", cmdData_, 7);
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
    // The chooser of the file box the keyboard is in, else the image's; none while patching.
    addKeys(QKeySequence::Open, [this] {
        const QWidget* at = focusWidget();
        (at == txIPS_ ? cmdIPS_ : at == txData_ ? cmdData_ : cmdOrig_)->click();
    });
    connect(cmdClose_, &QPushButton::clicked, this, [this] {
        if (!working()) unloadTool();
    });
}

void frmIPSPatcher::localize() {
    LocalizeOptions options;
    // The picture has no caption; setting one would replace its image. The patch's line is
    // written from the patch itself.
    options.skipCaption = [this](QObject* o) { return o == picture1_ || o == lblPatchInfo_; };
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
    if (!job_->running() && !droppedPaths(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void frmIPSPatcher::dropEvent(QDropEvent* event) {
    const QStringList files = droppedPaths(event->mimeData());
    if (job_->running() || files.isEmpty()) return;
    event->acceptProposedAction();
    acceptDropped(files);
}

void frmIPSPatcher::acceptDropped(const QStringList& paths) {
    if (job_->running()) return;
    const DroppedPaths sorted = sortDroppedPaths(paths);
    if (!sorted.patch.isEmpty()) txIPS_->setText(sorted.patch);
    if (!sorted.image.isEmpty()) {
        txOrig_->setText(sorted.image);
        if (txPatched_->text().trimmed().isEmpty()) txPatched_->setText(suggestPatchedName(sorted.image));
    }
}

void frmIPSPatcher::patchNow() {
    if (job_->running()) return;
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
    // An archive may hold several images: which one is asked before anything runs.
    const std::optional<QString> entry = chooseImageEntry(this, txOrig_->text());
    if (!entry) return;
    runPatch(txOrig_->text(), *entry, txIPS_->text(), txPatched_->text());
}

// What the worker hands back between the steps of one patch run.
struct frmIPSPatcher::Run {
    QString orig, entry, ips, patched, chunk;
    std::optional<Result<patch::Applied>> applied;
    std::optional<Result<void>> step;
    std::string invalidText;
};

void frmIPSPatcher::setBusy(bool busy) {
    fPatch_->setEnabled(!busy);
    cmdPatch_->setEnabled(!busy);
    cmdClose_->setEnabled(!busy);
}

// A file of no patch format at all is told with the language's own InvalidIPS text.
QString frmIPSPatcher::reason(const Error& e) {
    return e.is(ErrorCategory::Patch, patch::kUnknownPatchError) ? msg(Msg::InvalidIPS) : errorText(e);
}

void frmIPSPatcher::cantPatch(const Error& e) {
    ask(this, PromptIcon::Error, PromptButtons::Ok, appTitle(),
        msg(Msg::CantPatch) + QStringLiteral("\r\n\r\n") + reason(e));
}

// Loading and patching run on the worker; the chunk question comes after the patch, as the
// user knows it; then the chunk and the save run on the worker again.
void frmIPSPatcher::runPatch(const QString& orig, const QString& entry, const QString& ips,
                             const QString& patched) {
    auto run = std::make_shared<Run>();
    run->orig = orig;
    run->entry = entry;
    run->ips = ips;
    run->patched = patched;
    run->invalidText = msg(Msg::InvalidIPS).toStdString();
    SetStatusText(msg(Msg::Patching, QStringLiteral("%s"), orig));
    setBusy(true);
    barShown_ = false;
    job_->start(
        [run](const ProgressFn& progress) {
            std::optional<std::string> entry;
            if (!run->entry.isEmpty()) entry = run->entry.toStdString();
            auto image = patch::LoadPatchTarget(toPath(run->orig), entry);
            if (!image) {
                run->applied = image.error();
                return;
            }
            // Any patch the file holds: its format is read from it, not from its name.
            auto patchBytes = patch::LoadIpsFile(toPath(run->ips));
            if (!patchBytes) {
                run->applied = patchBytes.error();
                return;
            }
            patch::ApplyOptions options;
            options.invalidIpsText = run->invalidText;
            options.progress = progress;
            run->applied = patch::applyPatch(image.value(), patchBytes.value(), options);
        },
        [this, run] { patchApplied(run); });
}

void frmIPSPatcher::patchApplied(const std::shared_ptr<Run>& run) {
    if (barShown_) host().setProgressVisible(false);
    barShown_ = false;
    if (job_->stopRequested()) return setBusy(false);
    if (!*run->applied) {
        setBusy(false);
        return cantPatch(run->applied->error());
    }
    if (chkData_->isChecked()) {
        run->chunk = txData_->text();
        if (run->chunk.trimmed().isEmpty()) {
            const QPointer<frmIPSPatcher> alive(this);
            const PromptAnswer answer = ask(this, PromptIcon::Warning, PromptButtons::YesNo, appTitle(),
                                            msg(Msg::SelChunkErr), PromptAnswer::Yes);
            if (!alive) return;
            if (answer != PromptAnswer::Yes) return setBusy(false);
            run->chunk.clear();
        }
    }
    job_->start(
        [run](const ProgressFn&) {
            Bytes& image = run->applied->value().image;
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
    if (ask(this, PromptIcon::Question, PromptButtons::YesNo, run->patched, msg(Msg::PatchedOK),
            PromptAnswer::Yes) == PromptAnswer::Yes)
        ShowInLauncher(run->patched);
}

// The one line under the patch's box: its format, what it turns into what, and the image
// it was made for, in the user's language; or why it is no patch.
QString frmIPSPatcher::describe(const Result<patch::PatchInfo>& studied) {
    if (!studied) return reason(studied.error());
    const patch::PatchInfo& info = studied.value();
    const QLocale locale;
    auto size = [&locale](std::uint64_t bytes) {
        return locale.formattedDataSize(static_cast<qint64>(bytes), 2, QLocale::DataSizeIecFormat);
    };
    auto crc = [](std::uint32_t value) {
        return QStringLiteral("%1").arg(value, 8, 16, QLatin1Char('0')).toUpper();
    };
    switch (info.format) {
        case patch::PatchFormat::Ips:
            return msg(Msg::PatchInfoIps, QStringLiteral("%1"), QString::number(info.recordCount));
        case patch::PatchFormat::Bps:
        case patch::PatchFormat::Ups: {
            QString text =
                msg(info.format == patch::PatchFormat::Bps ? Msg::PatchInfoBps : Msg::PatchInfoUps);
            text.replace(QStringLiteral("%1"), size(info.sourceSize.value_or(0)));
            text.replace(QStringLiteral("%2"), crc(info.sourceCrc32.value_or(0)));
            text.replace(QStringLiteral("%3"), size(info.targetSize.value_or(0)));
            text.replace(QStringLiteral("%4"), crc(info.targetCrc32.value_or(0)));
            return text;
        }
    }
    return {};
}

void frmIPSPatcher::studyPatchFile() {
    const QString path = txIPS_->text().trimmed();
    if (path.isEmpty()) {
        lblPatchInfo_->clear();
        return;
    }
    // One study at a time; a name typed meanwhile is studied when this one is done.
    if (infoJob_->running()) return infoTimer_->start();
    auto studied = std::make_shared<std::optional<Result<patch::PatchInfo>>>();
    infoJob_->start(
        [studied, file = toPath(path), invalid = msg(Msg::InvalidIPS).toStdString()](const ProgressFn&) {
            auto bytes = patch::LoadIpsFile(file);
            if (!bytes)
                *studied = bytes.error();
            else
                *studied = patch::studyPatch(bytes.value(), invalid);
        },
        [this, studied, path] {
            if (infoJob_->stopRequested() || !studied->has_value()) return;
            if (txIPS_->text().trimmed() == path) lblPatchInfo_->setText(describe(studied->value()));
        });
}

void frmIPSPatcher::closeEvent(QCloseEvent* event) {
    // A patch in progress stops at its next record; nothing is written for it.
    stopWork();
    ToolWindow::closeEvent(event);
}

}  // namespace vantorel::gui
