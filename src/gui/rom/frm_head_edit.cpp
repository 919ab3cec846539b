#include "gui/rom/frm_head_edit.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPointer>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

#include "engine/rom/identity.h"
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
#include "gui/rom/license_model.h"

namespace vantorel::gui {
using lang::Msg;
using rom::Field;

namespace {

const QString kSection = QStringLiteral("frmHeadEdit");

QString fromLatin1(const std::string& latin1) {
    return QString::fromLatin1(latin1.data(), static_cast<qsizetype>(latin1.size()));
}

std::string toLatin1(const QString& s) {
    return s.toLatin1().toStdString();
}

// The six text boxes in the order they are laid out (and written back).
struct BoxSpec {
    const char* name;
    Field field;
};
constexpr std::array<BoxSpec, 6> kBoxes = {{
    {"txDestination", Field::System},
    {"txCopyRight", Field::Legal},
    {"txDomestic", Field::Domestic},
    {"txOverseas", Field::Overseas},
    {"tcMainCode", Field::Code},
    {"txComment", Field::Comment},
}};

void showBusy(int max, int value) {
    ShowProgress(max, value, QString(), true);
}

// What the worker hands back from a load.
struct Loaded {
    std::optional<Result<rom::HeaderDocument>> document;
    rom::ChecksumPair checksum;
    std::optional<rom::Identity> identity;
};

}  // namespace

frmHeadEdit::frmHeadEdit(QWidget* parent) : ToolWindow(parent) {
    setObjectName(kSection);
    setAcceptDrops(true);
    buildControls();
    LocalizeEditor();
    SetRomFolder();
    EnableEditing(false);
    job_ = newJob();
}

frmHeadEdit::~frmHeadEdit() {
    stopWork();
}

QString frmHeadEdit::baseCaption() const {
    return langValue(kSection, QStringLiteral("Caption"));
}

QLineEdit* frmHeadEdit::box(Field field) const {
    for (QLineEdit* edit : {txDestination_, txCopyRight_, txDomestic_, txOverseas_, tcMainCode_, txComment_})
        if (edit->property("field").toInt() == static_cast<int>(field)) return edit;
    return nullptr;
}

void frmHeadEdit::buildControls() {
    auto* root = new QVBoxLayout(this);

    fRom_ = new QGroupBox(this);
    fRom_->setObjectName(QStringLiteral("fRom"));
    auto* romBox = new QVBoxLayout(fRom_);
    auto* romRow = new QHBoxLayout;
    txFile_ = new QLineEdit(fRom_);
    txFile_->setObjectName(QStringLiteral("txFile"));
    txFile_->setReadOnly(true);
    cmdBrowse_ = new QToolButton(fRom_);
    cmdBrowse_->setObjectName(QStringLiteral("cmdBrowse"));
    cmdBrowse_->setIcon(style()->standardIcon(QStyle::SP_DialogOpenButton));
    romRow->addWidget(txFile_, 1);
    romRow->addWidget(cmdBrowse_);
    romBox->addLayout(romRow);
    // Size, layout and hashes of the image on show, to check it against a list.
    lblIdentity_ = new QLabel(fRom_);
    lblIdentity_->setObjectName(QStringLiteral("lblIdentity"));
    lblIdentity_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lblIdentity_->setWordWrap(true);
    romBox->addWidget(lblIdentity_);
    root->addWidget(fRom_);

    frmRhe_ = new QGroupBox(this);
    frmRhe_->setObjectName(QStringLiteral("frmRhe"));
    auto* grid = new QGridLayout(frmRhe_);
    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    std::array<QLineEdit*, 6> edits{};
    for (std::size_t i = 0; i < kBoxes.size(); ++i) {
        auto* edit = new QLineEdit(frmRhe_);
        edit->setObjectName(QString::fromLatin1(kBoxes[i].name));
        edit->setProperty("field", static_cast<int>(kBoxes[i].field));
        edit->setMaxLength(static_cast<int>(rom::specOf(kBoxes[i].field).where.width));
        edit->setFont(fixed);
        edit->installEventFilter(this);
        edits[i] = edit;
    }
    txDestination_ = edits[0];
    txCopyRight_ = edits[1];
    txDomestic_ = edits[2];
    txOverseas_ = edits[3];
    tcMainCode_ = edits[4];
    txComment_ = edits[5];
    // Label index order: domestic, overseas, system, code, legal, comment.
    const std::array<QLineEdit*, 6> labelled = {txDomestic_, txOverseas_,  txDestination_,
                                                tcMainCode_, txCopyRight_, txComment_};
    for (int i = 0; i < 6; ++i) {
        auto* label = new QLabel(frmRhe_);
        label->setObjectName(QStringLiteral("sName"));
        label->setProperty("index", i);
        label->setBuddy(labelled[static_cast<std::size_t>(i)]);
        sName_[static_cast<std::size_t>(i)] = label;
    }
    const std::array<int, 6> rows = {2, 3, 0, 4, 1, 5};  // system and legal line first, as on the cartridge
    for (int i = 0; i < 6; ++i) {
        grid->addWidget(sName_[static_cast<std::size_t>(i)], rows[static_cast<std::size_t>(i)], 0);
        grid->addWidget(labelled[static_cast<std::size_t>(i)], rows[static_cast<std::size_t>(i)], 1);
    }

    fZone_ = new QGroupBox(frmRhe_);
    fZone_->setObjectName(QStringLiteral("fZone"));
    auto* zoneBox = new QVBoxLayout(fZone_);
    lmReg_ = new LicenseModel(fZone_);
    lmReg_->setObjectName(QStringLiteral("lmReg"));
    zoneBox->addWidget(lmReg_);
    grid->addWidget(fZone_, 6, 0, 1, 2);

    fDevice_ = new QGroupBox(frmRhe_);
    fDevice_->setObjectName(QStringLiteral("fDevice"));
    auto* deviceGrid = new QGridLayout(fDevice_);
    for (std::size_t i = 0; i < rom::kDeviceCount; ++i) {
        auto* check = new QCheckBox(fDevice_);
        check->setObjectName(QStringLiteral("chkDev"));
        check->setProperty("index", static_cast<int>(i));
        check->setToolTip(QString(QChar::fromLatin1(rom::kDeviceLetters[i])));
        // Row by row, so the keyboard visits them in reading order.
        deviceGrid->addWidget(check, static_cast<int>(i / 2), static_cast<int>(i % 2));
        chkDev_[i] = check;
    }
    grid->addWidget(fDevice_, 7, 0, 1, 2);
    root->addWidget(frmRhe_);

    picXPHolder_ = new QWidget(this);
    picXPHolder_->setObjectName(QStringLiteral("picXPHolder"));
    auto* buttons = new QHBoxLayout(picXPHolder_);
    buttons->setContentsMargins(0, 0, 0, 0);
    auto button = [&](const char* name) {
        auto* b = new QPushButton(picXPHolder_);
        b->setObjectName(QString::fromLatin1(name));
        buttons->addWidget(b);
        return b;
    };
    cmdRec_ = button("cmdRec");
    cmdRecComo_ = button("cmdRecComo");
    cmdPlay_ = button("cmdPlay");
    buttons->addStretch();
    cmdExit_ = button("cmdExit");
    root->addWidget(picXPHolder_);

    connect(cmdBrowse_, &QToolButton::clicked, this, &frmHeadEdit::browse);
    connect(cmdRec_, &QPushButton::clicked, this, &frmHeadEdit::save);
    connect(cmdRecComo_, &QPushButton::clicked, this, &frmHeadEdit::saveAs);
    connect(cmdPlay_, &QPushButton::clicked, this, &frmHeadEdit::play);
    connect(cmdExit_, &QPushButton::clicked, this, [this] { unloadTool(); });

    // The usual keys of a document window.
    addKeys(QKeySequence::Open, [this] { browse(); });
    addKeys(QKeySequence(Qt::CTRL | Qt::Key_S), [this] { save(); });
    addKeys(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S), [this] { saveAs(); });
}

void frmHeadEdit::LocalizeEditor() {
    const QList<QWidget*> fixedFields = {txDestination_, txCopyRight_, txDomestic_,
                                         txOverseas_,    tcMainCode_,  txComment_};
    LocalizeOptions options;
    // The browse button is a picture button: it has no caption to set.
    options.skipCaption = [this](QObject* o) { return o == cmdBrowse_; };
    options.keepFont = [fixedFields](QWidget* w) { return fixedFields.contains(w); };
    localizeWindow(this, kSection, options);
    applyInterfaceFont(this);
    // The identity line is a template, filled at each load.
    identityTemplate_ = lblIdentity_->text();
    lblIdentity_->clear();

    QFont frameFont = font();
    frameFont.setFamily(appState().interfaceFont.isEmpty() ? interfaceFontName() : appState().interfaceFont);
    frameFont.setBold(true);
    fZone_->setFont(frameFont);
    fDevice_->setFont(frameFont);
    // Only the frame captions are bold; what they hold keeps the window's font.
    QFont plain = font();
    plain.setBold(false);
    lmReg_->setFont(plain);
    for (QCheckBox* check : chkDev_) {
        QFont f = check->font();
        f.setBold(false);
        check->setFont(f);
    }
    lmReg_->LocalizeRegionControl();
    setWindowTitle(baseCaption());
}

void frmHeadEdit::EnableEditing(bool flag) {
    fRom_->setEnabled(true);
    cmdBrowse_->setEnabled(!working());
    cmdExit_->setEnabled(true);
    picXPHolder_->setEnabled(true);
    txFile_->setEnabled(false);
    const QPalette app = QApplication::palette();
    for (QLineEdit* edit :
         {txDestination_, txCopyRight_, txDomestic_, txOverseas_, tcMainCode_, txComment_}) {
        edit->setEnabled(flag);
        QPalette p = edit->palette();
        p.setColor(QPalette::Base, flag ? app.color(QPalette::Active, QPalette::Base)
                                        : app.color(QPalette::Inactive, QPalette::Window));
        edit->setPalette(p);
    }
    for (QWidget* w :
         std::initializer_list<QWidget*>{frmRhe_, fZone_, lmReg_, fDevice_, cmdRec_, cmdRecComo_, cmdPlay_})
        w->setEnabled(flag);
    for (QLabel* l : sName_) l->setEnabled(flag);
    for (QCheckBox* check : chkDev_) check->setEnabled(flag);
}

// Nothing the document holds can change while the worker reads or writes it. The field the
// user was in gets the keyboard back afterwards, so typing and the keys go on where they were.
void frmHeadEdit::lockWhileWorking(bool isWorking) {
    if (isWorking) {
        QWidget* focused = QApplication::focusWidget();
        focusBeforeWork_ = focused && isAncestorOf(focused) ? focused : nullptr;
    }
    EnableEditing(!isWorking && doc_ != nullptr);
    cmdBrowse_->setEnabled(!isWorking);
    if (!isWorking && focusBeforeWork_ && focusBeforeWork_->isEnabled()) focusBeforeWork_->setFocus();
}

void frmHeadEdit::browse() {
    if (working()) return;
    SetRomFolder();
    loadChosen(OpenBinDialog(this));
}

void frmHeadEdit::LoadFromCmd(const QString& path) {
    if (working()) return;
    SetRomFolder();
    loadChosen(path);
}

void frmHeadEdit::acceptFiles(const QStringList& paths) {
    if (working() || paths.isEmpty()) return;
    SetRomFolder();
    loadChosen(paths.first());
}

void frmHeadEdit::dragEnterEvent(QDragEnterEvent* event) {
    if (!working() && !droppedFiles(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void frmHeadEdit::dropEvent(QDropEvent* event) {
    const QStringList files = droppedFiles(event->mimeData());
    if (working() || files.isEmpty()) return;
    event->acceptProposedAction();
    acceptFiles(files);
}

bool frmHeadEdit::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            auto* drag = static_cast<QDragMoveEvent*>(event);
            if (droppedPaths(drag->mimeData()).isEmpty()) break;
            if (!working() && !droppedFiles(drag->mimeData()).isEmpty()) drag->acceptProposedAction();
            return true;
        }
        case QEvent::Drop: {
            auto* drop = static_cast<QDropEvent*>(event);
            if (droppedPaths(drop->mimeData()).isEmpty()) break;
            dropEvent(drop);
            return true;
        }
        default:
            break;
    }
    return ToolWindow::eventFilter(watched, event);
}

// The common load flow of browse, the command line and a drop: the file is read and its
// checksum summed on the worker; the fields are filled once it is here.
void frmHeadEdit::loadChosen(const QString& chosen) {
    const QString previous = txFile_->text();
    if (chosen.isEmpty()) return;
    // An archive may hold several images: which one is asked first.
    const std::optional<QString> entry = chooseImageEntry(this, chosen);
    if (!entry) return;
    txFile_->setText(chosen);
    lockWhileWorking(true);
    host().setProgressVisible(true);
    showBusy(10, 0);
    auto loadedState = std::make_shared<Loaded>();
    job_->start(
        [loadedState, path = toPath(chosen), entry = entry->toStdString()](const ProgressFn&) {
            auto image = rom::loadImage(path, entry.empty() ? std::nullopt : std::optional(entry));
            if (!image) {
                loadedState->document = image.error();
                return;
            }
            if (auto identity = rom::identify(image.value()))
                loadedState->identity = std::move(identity).value();
            loadedState->document = rom::HeaderDocument::fromImage(std::move(image.value().data), path);
            if (loadedState->document->ok())
                loadedState->checksum = loadedState->document->value().checksum();
        },
        [this, loadedState, chosen, previous, entry = *entry] {
            lockWhileWorking(false);
            if (job_->stopRequested()) {
                txFile_->setText(previous);
                host().setProgressVisible(false);
                return;
            }
            Result<rom::HeaderDocument>& got = *loadedState->document;
            if (!got) {
                // The previous image stays loaded, and everything keeps naming it.
                txFile_->setText(previous);
                host().setProgressVisible(false);
                const bool refused = got.error().category() == ErrorCategory::Format;
                ask(this, refused ? PromptIcon::Warning : PromptIcon::Error, PromptButtons::Ok, chosen,
                    errorText(got.error()));
                return;
            }
            doc_ = std::make_shared<rom::HeaderDocument>(std::move(got).value());
            checksum_ = loadedState->checksum;
            entry_ = entry;
            showIdentity(loadedState->identity);
            loaded(chosen, loadedState->identity && loadedState->identity->layout == rom::Layout::Smd);
        });
}

void frmHeadEdit::loaded(const QString& path, bool smdLayout) {
    romPath_ = path;
    showBusy(10, 1);
    setWindowTitle(baseCaption() + QStringLiteral(" - ") + shownName());
    EnableEditing(true);
    fillFields();
    SetStatusText(msg(Msg::ReadyToEdit, QStringLiteral("%r"), shownName()));
    showBusy(10, 10);
    host().setProgressVisible(false);
    if (smdLayout) {
        // The editor reads every file as a plain image; an SMD file's "fields" are its
        // copier header and interleaved bytes. The converter is the tool for it.
        const QPointer<frmHeadEdit> alive(this);
        const PromptAnswer answer = ask(this, PromptIcon::Warning, PromptButtons::YesNo, shownName(),
                                        msg(Msg::SmdInEditor), PromptAnswer::Yes);
        if (!alive) return;
        if (answer == PromptAnswer::Yes) return host().openToolWith(ToolId::Convert, {romPath_});
    }
    OfferChecksumFix();
}

QString frmHeadEdit::shownName() const {
    return entry_.isEmpty() ? romPath_ : romPath_ + QStringLiteral(" [") + entry_ + QLatin1Char(']');
}

void frmHeadEdit::showIdentity(const std::optional<rom::Identity>& identity) {
    if (!identity) return lblIdentity_->clear();
    QString line = identityTemplate_;
    line.replace(QStringLiteral("%1"), QLocale().formattedDataSize(static_cast<qint64>(identity->size), 2,
                                                                   QLocale::DataSizeIecFormat));
    line.replace(QStringLiteral("%2"), QString::fromLatin1(rom::layoutName(identity->layout)).toUpper());
    line.replace(QStringLiteral("%3"), QString::fromStdString(rom::crc32Hex(identity->digests.crc32)));
    line.replace(QStringLiteral("%4"), QString::fromStdString(rom::toHex(identity->digests.sha1)));
    lblIdentity_->setText(line);
}

void frmHeadEdit::fillFields() {
    for (QCheckBox* check : chkDev_) check->setChecked(false);
    int step = 2;
    for (const BoxSpec& b : kBoxes) {
        if (b.field == Field::Comment) continue;  // after the devices, as on disk
        QLineEdit* edit = box(b.field);
        edit->setText(fromLatin1(doc_->text(b.field)));
        showBusy(10, step++);
    }
    for (std::size_t i = 0; i < rom::kDeviceCount; ++i) chkDev_[i]->setChecked(doc_->devices()[i]);
    showBusy(10, step++);
    txComment_->setText(fromLatin1(doc_->text(Field::Comment)));
    showBusy(10, step++);
    const std::string region = doc_->region();
    lmReg_->setNewLicenseModel(rom::IsNewRegionCode(region));
    lmReg_->setLicenseCode(fromLatin1(region));
    loadedRegion_ = lmReg_->LicenseCode();
    showBusy(10, step);
    // Long titles start at their beginning, not scrolled to their end.
    for (const BoxSpec& b : kBoxes) box(b.field)->setCursorPosition(0);
}

// The boxes the user changed go into the document; untouched fields keep their bytes.
void frmHeadEdit::WriteHeader() {
    for (const BoxSpec& b : kBoxes) {
        const std::string typed = toLatin1(box(b.field)->text());
        if (typed != doc_->text(b.field))
            (void)doc_->setText(b.field, typed);  // the box holds no more than fits
    }
    rom::DeviceBoxes ticked{};
    for (std::size_t i = 0; i < rom::kDeviceCount; ++i) ticked[i] = chkDev_[i]->isChecked();
    if (ticked != doc_->devices()) doc_->setDevices(ticked);
    if (lmReg_->LicenseCode() != loadedRegion_) (void)doc_->setRegion(toLatin1(lmReg_->LicenseCode()));
    doc_->applyEdits([](std::int64_t done, std::int64_t) {
        // Seven fields, then the region as the eighth step of nine.
        showBusy(9, static_cast<int>(done));
        return true;
    });
    loadedRegion_ = lmReg_->LicenseCode();
}

void frmHeadEdit::SaveRomImage(const QString& path, std::function<void()> then) {
    host().setProgressVisible(true);
    showBusy(9, 0);
    WriteHeader();
    if (path.isEmpty()) {
        host().setProgressVisible(false);
        return;
    }
    lockWhileWorking(true);
    auto written = std::make_shared<std::optional<Result<void>>>();
    auto identity = std::make_shared<std::optional<rom::Identity>>();
    job_->start(
        [doc = doc_, written, identity, target = toPath(path)](const ProgressFn&) {
            *written = doc->save(target);
            // The line under the path tells the file as it is now, not as it was loaded.
            if (written->value())
                if (auto now = rom::identify(rom::LoadedImage{doc->image(), target, std::nullopt}))
                    *identity = std::move(now).value();
        },
        [this, written, identity, path, then = std::move(then)] {
            lockWhileWorking(false);
            host().setProgressVisible(false);
            if (!written->has_value() || !written->value()) {
                const QString text = msg(Msg::ErrString);
                SetStatusText(text);
                QString detail;
                if (written->has_value())
                    detail = QStringLiteral("\n\n") + errorText(written->value().error());
                ask(this, PromptIcon::None, PromptButtons::Ok, appTitle(), text + detail);
                return;
            }
            showBusy(9, 9);
            showIdentity(*identity);
            SetStatusText(msg(Msg::SavedAsMsg, QStringLiteral("%r"), path));
            if (then) then();
        });
}

void frmHeadEdit::save() {
    if (!doc_ || working()) return;
    // An archive is never written to: the image goes to a file of the user's choosing.
    if (!entry_.isEmpty()) return saveArchiveImage();
    if (ask(this, PromptIcon::Warning, PromptButtons::YesNo, romPath_, msg(Msg::OverwriteMSG),
            PromptAnswer::Yes) != PromptAnswer::Yes)
        return;
    SaveRomImage(romPath_);
}

void frmHeadEdit::saveArchiveImage() {
    ask(this, PromptIcon::Information, PromptButtons::Ok, shownName(), msg(Msg::ArchiveSaveAs));
    saveAsChosen();
}

void frmHeadEdit::saveAs() {
    if (!doc_ || working()) return;
    saveAsChosen();
}

void frmHeadEdit::saveAsChosen() {
    const QString path = SaveBinDialog(this);
    if (path.isEmpty()) return;
    SaveRomImage(path, [this, path] {
        romPath_ = path;
        entry_.clear();
        txFile_->setText(path);
        setWindowTitle(baseCaption() + QStringLiteral(" - ") + path);
    });
}

void frmHeadEdit::play() {
    if (doc_ && !working()) ShowInLauncher(romPath_);
}

void frmHeadEdit::closeEvent(QCloseEvent* event) {
    // Every way out (the close button, the frame's close box) unloads the same way.
    stopWork();
    doc_.reset();
    SetStatusText(appMessage());
    ToolWindow::closeEvent(event);
}

void frmHeadEdit::OfferChecksumFix() {
    ShowProgress(1, 0, QString(), false);
    if (checksum_.matches()) return;
    const QPointer<frmHeadEdit> alive(this);
    if (ask(this, PromptIcon::Warning, PromptButtons::YesNo, romPath_, msg(Msg::BadChecksum),
            PromptAnswer::Yes) != PromptAnswer::Yes)
        return;
    if (!alive || !doc_) return;
    if (!entry_.isEmpty()) {
        // The image came from an archive, which is never rewritten: the fixed image is saved
        // where the user says, so the warning about rewriting the file does not apply.
        doc_->fixChecksum();
        checksum_ = doc_->checksum();
        return saveArchiveImage();
    }
    const QString warning = msg(Msg::WarningChecksum1) + QLatin1Char('\n') + msg(Msg::WarningChecksum2);
    if (ask(this, PromptIcon::Warning, PromptButtons::YesNo, appTitle(), warning, PromptAnswer::Yes) !=
        PromptAnswer::Yes)
        return;
    if (!alive) return;
    if (ask(this, PromptIcon::Warning, PromptButtons::YesNo, romPath_, msg(Msg::OverwriteMSG),
            PromptAnswer::Yes) != PromptAnswer::Yes)
        return;
    if (!alive || !doc_) return;
    doc_->fixChecksum();
    checksum_ = doc_->checksum();
    SaveRomImage(romPath_);
}

}  // namespace vantorel::gui
