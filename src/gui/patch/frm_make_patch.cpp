#include "gui/patch/frm_make_patch.h"

#include <QCloseEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <climits>
#include <filesystem>
#include <optional>
#include <system_error>

#include "engine/common/file_io.h"
#include "engine/patch/make_patch.h"
#include "engine/patch/patch_format.h"
#include "engine/rom/load_image.h"
#include "gui/common/choosers.h"
#include "gui/common/dropped_files.h"
#include "gui/common/error_text.h"
#include "gui/common/host.h"
#include "gui/common/image_entry.h"
#include "gui/common/native_path.h"
#include "gui/common/prompt.h"
#include "gui/lang/app_state.h"
#include "gui/lang/localize.h"

namespace vantorel::gui {
using lang::Msg;
using patch::PatchFormat;

namespace {

const QString kSection = QStringLiteral("frmMakePatch");
constexpr const char* kLoadSource = "frmMakePatch.LoadImage";
constexpr const char* kWriteSource = "frmMakePatch.WritePatch";

// The format a patch name asks for by its extension, in any case; none for other names.
std::optional<PatchFormat> formatOfName(const QString& name) {
    const QString n = name.trimmed();
    if (n.endsWith(QLatin1String(".ips"), Qt::CaseInsensitive)) return PatchFormat::Ips;
    if (n.endsWith(QLatin1String(".bps"), Qt::CaseInsensitive)) return PatchFormat::Bps;
    return std::nullopt;
}

QString extensionOf(PatchFormat format) {
    return format == PatchFormat::Ips ? QStringLiteral("ips") : QStringLiteral("bps");
}

// The name with its .ips/.bps extension swapped for the format's, in the case it was
// written in; any other name is the user's own and stays as it is.
QString nameForFormat(const QString& name, PatchFormat format) {
    const auto current = formatOfName(name);
    if (!current || *current == format) return name;
    const QString n = name.trimmed();
    const QString old = n.right(3);
    QString ext = extensionOf(format);
    if (old == old.toUpper()) ext = ext.toUpper();
    return n.left(n.size() - 3) + ext;
}

// Whether two paths name one file (through links too); false when either does not exist.
bool sameFile(const QString& a, const QString& b) {
    std::error_code ec;
    return std::filesystem::equivalent(toPath(a), toPath(b), ec);
}

// The bar counts in int; larger totals are scaled down with their position.
void showMakeProgress(qint64 done, qint64 total) {
    const qint64 scale = total / INT_MAX + 1;
    ShowProgress(static_cast<int>(total / scale), static_cast<int>(std::min(done, total) / scale), QString(),
                 true);
}

// One input image, whole. Failures of the system name their file; an empty image is refused,
// since no patch made from or to nothing can be applied by anyone.
Result<Bytes> loadInput(const std::filesystem::path& path, const std::optional<std::string>& entry) {
    auto loaded = rom::loadImage(path, entry);
    if (!loaded) {
        const Error& e = loaded.error();
        return cannotRead(e, path, path.string() + ": " + e.description());
    }
    if (loaded.value().data.empty()) {
        const std::string name = entry ? path.string() + " (" + *entry + ")" : path.string();
        return Error(ErrorCategory::Patch, patch::kEmptyFileError, kLoadSource, name + ": the file is empty.",
                     {name});
    }
    return std::move(loaded.value().data);
}

}  // namespace

// What the worker hands back from one make.
struct frmMakePatch::Run {
    std::filesystem::path orig, mod, out;
    std::optional<std::string> origEntry, modEntry;
    QString outText;
    PatchFormat format = PatchFormat::Bps;
    std::optional<Error> failure;
    bool written = false;
    qint64 origSize = 0, modSize = 0, patchSize = 0;
};

// The worker's part of one make. The write comes only after the last step, so a stop at any
// step leaves no file.
void frmMakePatch::makeAndWrite(Run& run, const ProgressFn& progress) {
    auto orig = loadInput(run.orig, run.origEntry);
    if (!orig) {
        run.failure = orig.error();
        return;
    }
    // Reading a large image takes a moment: a stop asked meanwhile is taken here.
    if (!keepGoing(progress, 0, 0)) return;
    auto mod = loadInput(run.mod, run.modEntry);
    if (!mod) {
        run.failure = mod.error();
        return;
    }
    if (!keepGoing(progress, 0, 0)) return;
    auto made = run.format == PatchFormat::Ips ? patch::makeIps(orig.value(), mod.value(), progress)
                                               : patch::makeBps(orig.value(), mod.value(), progress);
    if (!made) {
        run.failure = made.error();
        return;
    }
    const auto total = static_cast<std::int64_t>(mod.value().size());
    if (!keepGoing(progress, total, total)) return;
    if (auto written = writeFileAtomically(run.out, made.value()); !written) {
        const Error& e = written.error();
        const Error told = cannotWrite(e, run.out, run.out.string() + ": " + e.description());
        run.failure = Error(told.category(), told.number(), kWriteSource, told.description(), told.args());
        return;
    }
    run.written = true;
    run.origSize = static_cast<qint64>(orig.value().size());
    run.modSize = static_cast<qint64>(mod.value().size());
    run.patchSize = static_cast<qint64>(made.value().size());
}

frmMakePatch::frmMakePatch(QWidget* parent) : ToolWindow(parent) {
    setObjectName(kSection);
    setAcceptDrops(true);
    buildControls();
    localize();
    SetRomFolder();
    job_ = newJob();
    connect(job_, &Job::progressed, this, [](qint64 done, qint64 total) {
        if (total > 0) showMakeProgress(done, total);
    });
}

void frmMakePatch::buildControls() {
    auto* root = new QVBoxLayout(this);

    fMake_ = new QGroupBox(this);
    fMake_->setObjectName(QStringLiteral("fMake"));
    auto* grid = new QGridLayout(fMake_);
    const QIcon openIcon = style()->standardIcon(QStyle::SP_DialogOpenButton);
    auto row = [&](const char* labelName, QLabel*& label, const char* boxName, QLineEdit*& box,
                   const char* buttonName, QToolButton*& button, int at) {
        label = new QLabel(fMake_);
        label->setObjectName(QString::fromLatin1(labelName));
        grid->addWidget(label, at, 0, 1, 2);
        box = new QLineEdit(fMake_);
        box->setObjectName(QString::fromLatin1(boxName));
        // Drops anywhere on the window are the window's, not text for the box.
        box->setAcceptDrops(false);
        button = new QToolButton(fMake_);
        button->setObjectName(QString::fromLatin1(buttonName));
        button->setIcon(openIcon);
        grid->addWidget(box, at + 1, 0);
        grid->addWidget(button, at + 1, 1);
        label->setBuddy(box);
    };
    row("lblOrig", lblOrig_, "txOrig", txOrig_, "cmdOrig", cmdOrig_, 0);
    row("lblMod", lblMod_, "txMod", txMod_, "cmdMod", cmdMod_, 2);
    row("lblPatchOut", lblPatchOut_, "txPatchOut", txPatchOut_, "cmdPatchOut", cmdPatchOut_, 4);
    cmdPatchOut_->setIcon(style()->standardIcon(QStyle::SP_DialogSaveButton));

    fFormat_ = new QGroupBox(fMake_);
    fFormat_->setObjectName(QStringLiteral("fFormat"));
    auto* formats = new QHBoxLayout(fFormat_);
    optIps_ = new QRadioButton(fFormat_);
    optIps_->setObjectName(QStringLiteral("optIps"));
    optBps_ = new QRadioButton(fFormat_);
    optBps_->setObjectName(QStringLiteral("optBps"));
    // BPS describes any change and carries checksums of both images.
    optBps_->setChecked(true);
    formats->addWidget(optIps_);
    formats->addWidget(optBps_);
    formats->addStretch(1);
    grid->addWidget(fFormat_, 6, 0, 1, 2);
    root->addWidget(fMake_);

    auto* line1 = new QFrame(this);
    line1->setObjectName(QStringLiteral("Line1"));
    line1->setFrameShape(QFrame::HLine);
    line1->setFrameShadow(QFrame::Sunken);
    root->addWidget(line1);

    auto* infoRow = new QHBoxLayout;
    picture1_ = new QLabel(this);
    picture1_->setObjectName(QStringLiteral("Picture1"));
    const QString artwork = QStringLiteral(":/app/make.svg");
    const QIcon art =
        QFile::exists(artwork) ? QIcon(artwork) : style()->standardIcon(QStyle::SP_FileDialogDetailedView);
    picture1_->setPixmap(art.pixmap(48, 48));
    picture1_->setAlignment(Qt::AlignTop);
    auto* texts = new QVBoxLayout;
    lblInfo_ = new QLabel(this);
    lblInfo_->setObjectName(QStringLiteral("lblInfo"));
    lblInfo_->setWordWrap(true);
    lblResult_ = new QLabel(this);
    lblResult_->setObjectName(QStringLiteral("lblResult"));
    lblResult_->setWordWrap(true);
    lblResult_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // Room for the report from the start: the tool's frame keeps its first size, and a
    // report that grew the window's content would squeeze the controls above it.
    lblResult_->setMinimumHeight(3 * lblResult_->fontMetrics().lineSpacing());
    texts->addWidget(lblInfo_);
    texts->addWidget(lblResult_);
    infoRow->addWidget(picture1_);
    infoRow->addLayout(texts, 1);
    root->addLayout(infoRow);

    auto* line2 = new QFrame(this);
    line2->setObjectName(QStringLiteral("Line2"));
    line2->setFrameShape(QFrame::HLine);
    line2->setFrameShadow(QFrame::Sunken);
    root->addWidget(line2);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    cmdMake_ = new QPushButton(this);
    cmdMake_->setObjectName(QStringLiteral("cmdMake"));
    cmdMake_->setDefault(true);
    cmdClose_ = new QPushButton(this);
    cmdClose_->setObjectName(QStringLiteral("cmdClose"));
    buttons->addWidget(cmdMake_);
    buttons->addWidget(cmdClose_);
    root->addLayout(buttons);
    root->addStretch(1);

    connect(cmdOrig_, &QToolButton::clicked, this, [this] { chooseImage(txOrig_); });
    connect(cmdMod_, &QToolButton::clicked, this, [this] {
        chooseImage(txMod_);
        suggestPatchOut();
    });
    connect(cmdPatchOut_, &QToolButton::clicked, this, [this] { choosePatchOut(); });
    // Once the name is typed, not on every key: "hack.ips.old" passes through "hack.ips".
    connect(txPatchOut_, &QLineEdit::editingFinished, this, [this] { formatFromName(); });
    for (QRadioButton* option : {optIps_, optBps_})
        connect(option, &QRadioButton::toggled, this, [this](bool on) {
            if (on) nameFromFormat();
        });
    connect(cmdMake_, &QPushButton::clicked, this, [this] { makeNow(); });
    // The chooser of the image box the keyboard is in, else the original's.
    addKeys(QKeySequence::Open, [this] { (focusWidget() == txMod_ ? cmdMod_ : cmdOrig_)->click(); });
    // Also while making: the make stops at its next step and writes nothing.
    connect(cmdClose_, &QPushButton::clicked, this, [this] {
        stopWork();
        unloadTool();
    });
}

void frmMakePatch::localize() {
    LocalizeOptions options;
    // The picture has no caption (one would replace its image); the result line is the
    // window's own report, empty until a make.
    options.skipCaption = [this](QObject* o) { return o == picture1_ || o == lblResult_; };
    localizeWindow(this, kSection, options);
}

PatchFormat frmMakePatch::format() const {
    return optIps_->isChecked() ? PatchFormat::Ips : PatchFormat::Bps;
}

void frmMakePatch::setFormat(PatchFormat format) {
    (format == PatchFormat::Ips ? optIps_ : optBps_)->setChecked(true);
}

void frmMakePatch::formatFromName() {
    if (const auto f = formatOfName(txPatchOut_->text())) setFormat(*f);
}

void frmMakePatch::nameFromFormat() {
    const QString name = txPatchOut_->text();
    const QString renamed = nameForFormat(name, format());
    if (renamed != name) txPatchOut_->setText(renamed);
}

void frmMakePatch::chooseImage(QLineEdit* box) {
    const QStringList chosen = OpenRomDialog(this, 0);
    if (!chosen.isEmpty()) box->setText(chosen.first());
}

void frmMakePatch::choosePatchOut() {
    FileRequest r;
    r.mode = FileRequest::Mode::Save;
    r.title = msg(Msg::SavePatchAs);
    r.filters = {{msg(Msg::Patches), QStringLiteral("*.ips")},
                 {msg(Msg::BpsPatches), QStringLiteral("*.bps")},
                 {msg(Msg::AllFiles), QStringLiteral("*.*")}};
    r.initialFilter = format() == PatchFormat::Ips ? 0 : 1;
    r.folder = romFolder();
    const QStringList chosen = prompt().chooseFiles(this, r);
    if (chosen.isEmpty()) return;
    txPatchOut_->setText(chosen.first());
    formatFromName();
}

// A patch beside the modified image, named after it, when no name was given yet.
void frmMakePatch::suggestPatchOut() {
    if (!txPatchOut_->text().trimmed().isEmpty() || txMod_->text().trimmed().isEmpty()) return;
    const QFileInfo mod(txMod_->text().trimmed());
    const QString base = mod.suffix().isEmpty() ? mod.fileName() : mod.completeBaseName();
    const QString suggested = mod.dir().filePath(base + QLatin1Char('.') + extensionOf(format()));
    if (suggested != mod.filePath()) txPatchOut_->setText(suggested);
}

void frmMakePatch::dragEnterEvent(QDragEnterEvent* event) {
    if (!working() && !droppedPaths(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void frmMakePatch::dropEvent(QDropEvent* event) {
    const QStringList files = droppedPaths(event->mimeData());
    if (working() || files.isEmpty()) return;
    event->acceptProposedAction();
    acceptDropped(files);
}

void frmMakePatch::acceptDropped(const QStringList& paths) {
    if (working() || paths.isEmpty()) return;
    if (paths.size() >= 2) {
        txOrig_->setText(paths[0]);
        txMod_->setText(paths[1]);
    } else if (txOrig_->text().trimmed().isEmpty()) {
        txOrig_->setText(paths[0]);
    } else {
        // With the original in place, a further image is the next modified copy to compare.
        txMod_->setText(paths[0]);
    }
    suggestPatchOut();
}

void frmMakePatch::makeNow() {
    if (working()) return;
    struct Check {
        QLineEdit* box;
        Msg message;
        QToolButton* button;
    };
    const Check checks[] = {
        {txOrig_, Msg::SelOrigMkErr, cmdOrig_},
        {txMod_, Msg::SelModMkErr, cmdMod_},
        {txPatchOut_, Msg::SelPatchMkErr, cmdPatchOut_},
    };
    for (const Check& c : checks) {
        if (c.box->text().trimmed().isEmpty()) {
            ask(this, PromptIcon::Error, PromptButtons::Ok, appTitle(), msg(c.message));
            c.button->setFocus(Qt::OtherFocusReason);
            return;
        }
    }
    const QString orig = txOrig_->text(), mod = txMod_->text(), out = txPatchOut_->text();
    // The patch would take the place of the very image it describes.
    if (sameFile(out, orig) || sameFile(out, mod)) {
        ask(this, PromptIcon::Error, PromptButtons::Ok, out, msg(Msg::PatchOverInput));
        cmdPatchOut_->setFocus(Qt::OtherFocusReason);
        return;
    }

    const QPointer<frmMakePatch> alive(this);
    const std::optional<QString> origEntry = chooseImageEntry(this, orig);
    if (!alive || !origEntry) return;
    const std::optional<QString> modEntry = chooseImageEntry(this, mod);
    if (!alive || !modEntry) return;
    if (QFileInfo::exists(out)) {
        const PromptAnswer answer = ask(this, PromptIcon::Warning, PromptButtons::YesNo, out,
                                        msg(Msg::OverwriteMSG), PromptAnswer::No);
        if (!alive || answer != PromptAnswer::Yes) return;
    }

    auto run = std::make_shared<Run>();
    run->orig = toPath(orig);
    run->mod = toPath(mod);
    run->out = toPath(out);
    run->outText = out;
    if (!origEntry->isEmpty()) run->origEntry = origEntry->toStdString();
    if (!modEntry->isEmpty()) run->modEntry = modEntry->toStdString();
    run->format = format();
    runMake(run);
}

void frmMakePatch::setBusy(bool busy) {
    fMake_->setEnabled(!busy);
    cmdMake_->setEnabled(!busy);
}

// Everything runs on the worker: both loads, the make and the write.
void frmMakePatch::runMake(const std::shared_ptr<Run>& run) {
    setBusy(true);
    lblResult_->clear();
    SetStatusText(msg(Msg::MakingPatch, QStringLiteral("%1"), run->outText));
    host().setProgressVisible(true);
    ShowProgress(100, 0, QString(), true);
    job_->start([run](const ProgressFn& progress) { makeAndWrite(*run, progress); },
                [this, run] { made(run); });
}

void frmMakePatch::made(const std::shared_ptr<Run>& run) {
    setBusy(false);
    host().setProgressVisible(false);
    if (job_->stopRequested() || (run->failure && run->failure->category() == ErrorCategory::Stopped)) {
        SetStatusText(appMessage());
        return;
    }
    if (run->failure || !run->written) {
        SetStatusText(appMessage());
        if (run->failure)
            ask(this, PromptIcon::Error, PromptButtons::Ok, appTitle(),
                msg(Msg::CantMakePatch) + QStringLiteral("\r\n\r\n") + errorText(*run->failure));
        return;
    }
    const QLocale locale;
    const QString formatName = QString::fromLatin1(patch::formatName(run->format));
    lblResult_->setText(msg(Msg::PatchMade)
                            .arg(formatName, locale.formattedDataSize(run->patchSize),
                                 locale.formattedDataSize(run->origSize),
                                 locale.formattedDataSize(run->modSize)));
    SetStatusText(msg(Msg::DstMsg, QStringLiteral("%r"), run->outText));
}

void frmMakePatch::closeEvent(QCloseEvent* event) {
    // A make in progress stops at its next step; nothing is written for it.
    stopWork();
    ToolWindow::closeEvent(event);
}

}  // namespace vantorel::gui
