#include "gui/patch/ips_patcher.h"
#include "gui/common/dropped_files.h"

#include <QCheckBox>
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
#include "gui/common/host.h"
#include "gui/common/prompt.h"
#include "gui/lang/app_state.h"
#include "gui/lang/localize.h"
#include "gui/patch/patch_paths.h"

namespace vantorel::gui {
using lang::Msg;

namespace {

const QString kSection = QStringLiteral("frmIPSPatcher");

std::filesystem::path toPath(const QString& p) {
    return std::filesystem::path(QFile::encodeName(p).toStdString());
}

QString firstOf(const QStringList& l) {
    return l.isEmpty() ? QString() : l.first();
}

// Progress once per record would repaint the bar tens of thousands of times; the bar
// only changes when the percentage does.
class PatchProgress {
public:
    void operator()(std::int64_t done, std::int64_t total) {
        if (total <= 0) return;
        if (!shown_) {
            host().setProgressVisible(true);
            shown_ = true;
        }
        done_ = std::min(done, total);
        total_ = total;
        const std::int64_t percent = done_ * 100 / total;
        if (percent != lastPercent_) {
            lastPercent_ = percent;
            paint();
        }
    }
    // The last record's position always reaches the bar.
    void finish() {
        if (shown_ && painted_ != done_) paint();
    }
    ~PatchProgress() {
        if (shown_) host().setProgressVisible(false);
    }

private:
    void paint() {
        painted_ = done_;
        // The bar counts in int; patches beyond that are scaled down with their position.
        const std::int64_t scale = total_ / INT_MAX + 1;
        ShowProgress(static_cast<int>(total_ / scale), static_cast<int>(done_ / scale), QString(), true);
    }

    bool shown_ = false;
    std::int64_t done_ = 0;
    std::int64_t total_ = 0;
    std::int64_t painted_ = -1;
    std::int64_t lastPercent_ = -1;
};

}  // namespace

IpsPatcher::IpsPatcher(QWidget* parent) : ToolWindow(parent) {
    setObjectName(QStringLiteral("frmIPSPatcher"));
    setAcceptDrops(true);
    buildControls();
    localize();
    SetRomFolder();
    applyDataState();
}

void IpsPatcher::buildControls() {
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
        if (!busy_) unloadTool();
    });
}

void IpsPatcher::localize() {
    LocalizeOptions options;
    // The picture has no caption; setting one would replace its image.
    options.skipCaption = [this](QObject* o) { return o == picture1_; };
    localizeWindow(this, kSection, options);
}

// The extra chunk's box and button follow the tick; an unticked box also looks inactive.
void IpsPatcher::applyDataState() {
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

void IpsPatcher::dragEnterEvent(QDragEnterEvent* event) {
    if (!busy_ && !droppedPaths(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void IpsPatcher::dropEvent(QDropEvent* event) {
    const QStringList files = droppedPaths(event->mimeData());
    if (busy_ || files.isEmpty()) return;
    event->acceptProposedAction();
    acceptDropped(files);
}

void IpsPatcher::acceptDropped(const QStringList& paths) {
    const DroppedPaths sorted = sortDroppedPaths(paths);
    if (!sorted.patch.isEmpty()) txIPS_->setText(sorted.patch);
    if (!sorted.image.isEmpty()) {
        txOrig_->setText(sorted.image);
        if (txPatched_->text().trimmed().isEmpty()) txPatched_->setText(suggestPatchedName(sorted.image));
    }
}

void IpsPatcher::patchNow() {
    if (busy_) return;
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

    busy_ = true;
    cmdPatch_->setEnabled(false);
    runPatch(txOrig_->text(), txIPS_->text(), txPatched_->text());
    busy_ = false;
    cmdPatch_->setEnabled(true);
}

bool IpsPatcher::runPatch(const QString& orig, const QString& ips, const QString& patched) {
    auto cantPatch = [this](const Error& e) {
        ask(this, PromptIcon::Error, PromptButtons::Ok, appTitle(),
            msg(Msg::CantPatch) + QStringLiteral("\r\n\r\n") + QString::fromStdString(e.description()));
        return false;
    };

    SetStatusText(msg(Msg::Patching, QStringLiteral("%s"), orig));
    auto image = patch::LoadPatchTarget(toPath(orig));
    if (!image) return cantPatch(image.error());
    auto ipsBytes = patch::LoadIpsFile(toPath(ips));
    if (!ipsBytes) return cantPatch(ipsBytes.error());
    {
        PatchProgress progress;
        auto done = patch::DoPatch(image.value(), ipsBytes.value(), msg(Msg::InvalidIPS).toStdString(),
                                   [&progress](std::int64_t d, std::int64_t t) { progress(d, t); });
        if (!done) return cantPatch(done.error());
        progress.finish();
    }

    if (chkData_->isChecked()) {
        const QString data = txData_->text();
        if (!data.trimmed().isEmpty()) {
            auto chunk = patch::LoadExtraChunk(toPath(data));
            if (!chunk) return cantPatch(chunk.error());
            patch::AppendExtraChunk(image.value(), chunk.value());
        } else if (ask(this, PromptIcon::Warning, PromptButtons::YesNo, appTitle(), msg(Msg::SelChunkErr),
                       PromptAnswer::Yes) != PromptAnswer::Yes) {
            return false;
        }
    }

    if (auto saved = patch::SavePatchedImage(toPath(patched), image.value()); !saved)
        return cantPatch(saved.error());

    if (ask(this, PromptIcon::Question, PromptButtons::YesNo, patched, msg(Msg::PatchedOK),
            PromptAnswer::Yes) == PromptAnswer::Yes)
        ShowInLauncher(patched);
    return true;
}

VANTOREL_REGISTER_TOOL(vantorel::gui::ToolId::Patch, IpsPatcher)

}  // namespace vantorel::gui
