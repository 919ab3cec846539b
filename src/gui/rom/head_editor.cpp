#include "gui/rom/head_editor.h"

#include <QApplication>
#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

#include "engine/common/settings.h"
#include "engine/rom/rom_image.h"
#include "gui/common/choosers.h"
#include "gui/common/host.h"
#include "gui/common/prompt.h"
#include "gui/lang/app_state.h"
#include "gui/lang/localize.h"
#include "gui/rom/license_model.h"

namespace vantorel::gui {
using lang::Msg;

namespace {

const QString kSection = QStringLiteral("frmHeadEdit");

std::filesystem::path toPath(const QString& p) {
    return std::filesystem::path(QFile::encodeName(p).toStdString());
}

QString fromBytes(const std::string& latin1) {
    return QString::fromLatin1(latin1.data(), static_cast<qsizetype>(latin1.size()));
}

std::string toBytes(const QString& s) {
    return s.toLatin1().toStdString();
}

// The six text fields: name, width, and which header member each shows.
struct FieldSpec {
    const char* name;
    rom::TextField field;
    std::string rom::Header::*member;
};
constexpr std::array<FieldSpec, 6> kFields = {{
    {"txDestination", rom::kSystemName, &rom::Header::systemName},
    {"txCopyRight", rom::kLegalLine, &rom::Header::legalLine},
    {"txDomestic", rom::kDomesticTitle, &rom::Header::domesticTitle},
    {"txOverseas", rom::kOverseasTitle, &rom::Header::overseasTitle},
    {"tcMainCode", rom::kProductCode, &rom::Header::productCode},
    {"txComment", rom::kComment, &rom::Header::comment},
}};

void showBusy(int max, int value) {
    ShowProgress(max, value, QString(), true);
}

}  // namespace

HeadEditor::HeadEditor(QWidget* parent) : ToolWindow(parent) {
    setObjectName(QStringLiteral("frmHeadEdit"));
    setAcceptDrops(true);
    buildControls();
    LocalizeEditor();
    SetRomFolder();
    EnableEditing(false);
}

QString HeadEditor::baseCaption() const {
    return langValue(kSection, QStringLiteral("Caption"));
}

void HeadEditor::buildControls() {
    auto* root = new QVBoxLayout(this);

    fRom_ = new QGroupBox(this);
    fRom_->setObjectName(QStringLiteral("fRom"));
    auto* romRow = new QHBoxLayout(fRom_);
    txFile_ = new QLineEdit(fRom_);
    txFile_->setObjectName(QStringLiteral("txFile"));
    txFile_->setReadOnly(true);
    cmdBrowse_ = new QToolButton(fRom_);
    cmdBrowse_->setObjectName(QStringLiteral("cmdBrowse"));
    cmdBrowse_->setIcon(style()->standardIcon(QStyle::SP_DialogOpenButton));
    romRow->addWidget(txFile_, 1);
    romRow->addWidget(cmdBrowse_);
    root->addWidget(fRom_);

    frmRhe_ = new QGroupBox(this);
    frmRhe_->setObjectName(QStringLiteral("frmRhe"));
    auto* grid = new QGridLayout(frmRhe_);
    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    std::array<QLineEdit*, 6> edits{};
    for (std::size_t i = 0; i < kFields.size(); ++i) {
        auto* edit = new QLineEdit(frmRhe_);
        edit->setObjectName(QString::fromLatin1(kFields[i].name));
        edit->setMaxLength(static_cast<int>(kFields[i].field.width));
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
    connect(txComment_, &QLineEdit::textChanged, this, [this] {
        if (!filling_) header_.commentEdited = true;
    });

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
        auto* box = new QCheckBox(fDevice_);
        box->setObjectName(QStringLiteral("chkDev"));
        box->setProperty("index", static_cast<int>(i));
        box->setToolTip(QString(QChar::fromLatin1(rom::kDeviceLetters[i])));
        deviceGrid->addWidget(box, static_cast<int>(i % 7), static_cast<int>(i / 7));
        connect(box, &QCheckBox::toggled, this, [this] {
            if (!filling_) header_.devicesEdited = true;
        });
        chkDev_[i] = box;
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

    connect(cmdBrowse_, &QToolButton::clicked, this, &HeadEditor::browse);
    connect(cmdRec_, &QPushButton::clicked, this, &HeadEditor::save);
    connect(cmdRecComo_, &QPushButton::clicked, this, &HeadEditor::saveAs);
    connect(cmdPlay_, &QPushButton::clicked, this, &HeadEditor::play);
    connect(cmdExit_, &QPushButton::clicked, this, &HeadEditor::exitEditor);
}

void HeadEditor::LocalizeEditor() {
    const QList<QWidget*> fixedFields = {txDestination_, txCopyRight_, txDomestic_,
                                         txOverseas_,    tcMainCode_,  txComment_};
    LocalizeOptions options;
    // The browse button is a picture button: it has no caption to set.
    options.skipCaption = [this](QObject* o) { return o == cmdBrowse_; };
    options.keepFont = [fixedFields](QWidget* w) { return fixedFields.contains(w); };
    localizeWindow(this, kSection, options);
    applyInterfaceFont(this);

    QFont frameFont = font();
    frameFont.setFamily(appState().interfaceFont.isEmpty() ? interfaceFontName() : appState().interfaceFont);
    frameFont.setBold(true);
    fZone_->setFont(frameFont);
    fDevice_->setFont(frameFont);
    // Only the frame captions are bold; what they hold keeps the window's font.
    QFont plain = font();
    plain.setBold(false);
    lmReg_->setFont(plain);
    for (QCheckBox* box : chkDev_) {
        QFont f = box->font();
        f.setBold(false);
        box->setFont(f);
    }
    lmReg_->LocalizeRegionControl();
    setWindowTitle(baseCaption());
}

void HeadEditor::EnableEditing(bool flag) {
    fRom_->setEnabled(true);
    cmdBrowse_->setEnabled(!busy_);
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
    for (QCheckBox* box : chkDev_) box->setEnabled(flag);
}

void HeadEditor::browse() {
    if (busy_) return;
    SetRomFolder();
    loadChosen(OpenBinDialog(this));
}

void HeadEditor::LoadFromCmd(const QString& path) {
    if (busy_) return;
    // A relative path means the folder the program was started in, not the ROM folder
    // that is about to become current.
    const QString full =
        path.isEmpty() || QDir::isAbsolutePath(path) ? path : QDir::current().absoluteFilePath(path);
    SetRomFolder();
    loadChosen(full);
}

QString HeadEditor::droppedFile(const QMimeData* mime) {
    if (!mime || !mime->hasUrls() || mime->urls().isEmpty() || !mime->urls().first().isLocalFile()) return {};
    return mime->urls().first().toLocalFile();
}

void HeadEditor::dragEnterEvent(QDragEnterEvent* event) {
    if (!busy_ && !droppedFile(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void HeadEditor::dropEvent(QDropEvent* event) {
    const QString path = droppedFile(event->mimeData());
    if (busy_ || path.isEmpty()) return;
    event->acceptProposedAction();
    SetRomFolder();
    loadChosen(path);
}

bool HeadEditor::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            auto* drag = static_cast<QDragMoveEvent*>(event);
            if (droppedFile(drag->mimeData()).isEmpty()) break;
            if (!busy_) drag->acceptProposedAction();
            return true;
        }
        case QEvent::Drop: {
            auto* drop = static_cast<QDropEvent*>(event);
            if (droppedFile(drop->mimeData()).isEmpty()) break;
            dropEvent(drop);
            return true;
        }
        default:
            break;
    }
    return ToolWindow::eventFilter(watched, event);
}

// The common load flow of browse, the command line and a drop.
void HeadEditor::loadChosen(const QString& chosen) {
    const QString previous = txFile_->text();
    txFile_->setText(chosen);
    if (chosen.isEmpty()) {
        txFile_->setText(previous);
        return;
    }
    busy_ = true;
    cmdBrowse_->setEnabled(false);
    host().setProgressVisible(true);
    showBusy(10, 0);
    const LoadOutcome outcome = ReadHeader(chosen);
    busy_ = false;
    cmdBrowse_->setEnabled(true);
    if (outcome != LoadOutcome::Loaded) {
        // A file that cannot be opened empties the path box; a refused one puts back what
        // was shown, since the previous image is still the one loaded.
        txFile_->setText(outcome == LoadOutcome::Refused ? previous : QString());
        return;
    }
    SetStatusText(msg(Msg::ReadyToEdit, QStringLiteral("%r"), chosen));
    showBusy(10, 10);
    host().setProgressVisible(false);
    OfferChecksumFix();
}

// Loads the file and shows its header. A file that cannot be read or is too short
// changes nothing the editor holds: the previous image stays loaded under its own path.
HeadEditor::LoadOutcome HeadEditor::ReadHeader(const QString& path) {
    QCoreApplication::processEvents();
    if (path.isEmpty()) return LoadOutcome::Unreadable;
    auto image = rom::LoadRomImage(toPath(path));
    if (!image) {
        host().setProgressVisible(false);
        ask(this, PromptIcon::Error, PromptButtons::Ok, path,
            QString::fromStdString(image.error().description()));
        return LoadOutcome::Unreadable;
    }
    auto header = rom::ReadHeaderRecord(image.value());
    if (!header) {
        host().setProgressVisible(false);
        ask(this, PromptIcon::Warning, PromptButtons::Ok, path,
            QString::fromStdString(header.error().description()));
        return LoadOutcome::Refused;
    }
    romData_ = std::move(image).value();
    romPath_ = path;
    showBusy(10, 1);
    setWindowTitle(baseCaption() + QStringLiteral(" - ") + path);
    EnableEditing(true);
    fillFields(header.value());
    loaded_ = true;
    return LoadOutcome::Loaded;
}

void HeadEditor::fillFields(const rom::Header& header) {
    filling_ = true;
    for (QCheckBox* box : chkDev_) box->setChecked(false);
    header_ = header;
    int step = 2;
    for (const FieldSpec& f : kFields) {
        if (f.member == &rom::Header::comment) continue;  // after the devices, as on disk
        findChild<QLineEdit*>(QString::fromLatin1(f.name))->setText(fromBytes(header.*f.member));
        showBusy(10, step++);
    }
    for (std::size_t i = 0; i < rom::kDeviceCount; ++i) chkDev_[i]->setChecked(header.devices[i]);
    showBusy(10, step++);
    txComment_->setText(fromBytes(header.comment));
    showBusy(10, step++);
    lmReg_->setNewLicenseModel(rom::IsNewRegionCode(header.region));
    lmReg_->setLicenseCode(fromBytes(header.region));
    showBusy(10, step);
    filling_ = false;
}

void HeadEditor::WriteHeader() {
    for (const FieldSpec& f : kFields)
        header_.*f.member = toBytes(findChild<QLineEdit*>(QString::fromLatin1(f.name))->text());
    for (std::size_t i = 0; i < rom::kDeviceCount; ++i) header_.devices[i] = chkDev_[i]->isChecked();
    header_.region = toBytes(lmReg_->LicenseCode());
    rom::WriteHeaderRecord(romData_, header_,
                           [](std::int64_t done, std::int64_t) { showBusy(9, static_cast<int>(done)); });
}

bool HeadEditor::SaveRomImage(const QString& path) {
    host().setProgressVisible(true);
    showBusy(9, 0);
    WriteHeader();
    if (path.isEmpty()) {
        host().setProgressVisible(false);
        return false;
    }
    auto written = rom::WriteRomImage(toPath(path), romData_);
    if (!written) {
        host().setProgressVisible(false);
        const QString text = msg(Msg::ErrString);
        SetStatusText(text);
        ask(this, PromptIcon::None, PromptButtons::Ok, appTitle(), text);
        return false;
    }
    showBusy(9, 9);
    host().setProgressVisible(false);
    SetStatusText(msg(Msg::SavedAsMsg, QStringLiteral("%r"), path));
    return true;
}

void HeadEditor::save() {
    if (!loaded_) return;
    if (ask(this, PromptIcon::Warning, PromptButtons::YesNo, romPath_, msg(Msg::OverwriteMSG),
            PromptAnswer::Yes) != PromptAnswer::Yes)
        return;
    SaveRomImage(romPath_);
}

void HeadEditor::saveAs() {
    if (!loaded_) return;
    const QString path = SaveBinDialog(this);
    if (path.isEmpty()) return;
    if (!SaveRomImage(path)) return;
    romPath_ = path;
    txFile_->setText(path);
    setWindowTitle(baseCaption() + QStringLiteral(" - ") + path);
}

void HeadEditor::play() {
    if (loaded_) ShowInLauncher(romPath_);
}

void HeadEditor::exitEditor() {
    romData_.clear();
    romData_.shrink_to_fit();
    SetStatusText(appMessage());
    unloadTool();
}

void HeadEditor::OfferChecksumFix() {
    ShowProgress(1, 0, QString(), false);
    checksum_ = rom::CalcChecksum(romData_);
    if (checksum_.matches()) return;
    if (ask(this, PromptIcon::Warning, PromptButtons::YesNo, romPath_, msg(Msg::BadChecksum),
            PromptAnswer::Yes) != PromptAnswer::Yes)
        return;
    const QString warning = msg(Msg::WarningChecksum1) + QLatin1Char('\n') + msg(Msg::WarningChecksum2);
    if (ask(this, PromptIcon::Warning, PromptButtons::YesNo, appTitle(), warning, PromptAnswer::Yes) !=
        PromptAnswer::Yes)
        return;
    if (ask(this, PromptIcon::Warning, PromptButtons::YesNo, romPath_, msg(Msg::OverwriteMSG),
            PromptAnswer::Yes) != PromptAnswer::Yes)
        return;
    rom::storeChecksum(romData_, checksum_.computed());
    SaveRomImage(romPath_);
}

VANTOREL_REGISTER_TOOL(vantorel::gui::ToolId::HeadEdit, HeadEditor)

}  // namespace vantorel::gui
