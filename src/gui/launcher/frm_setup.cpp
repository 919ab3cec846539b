#include "gui/launcher/frm_setup.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

#include "engine/common/settings.h"
#include "engine/launcher/key_string.h"
#include "engine/launcher/launch_plan.h"
#include "gui/common/error_text.h"
#include "gui/common/folder_chooser.h"
#include "gui/common/host.h"
#include "gui/common/tool_window.h"
#include "gui/lang/app_state.h"
#include "gui/lang/localize.h"
#include "gui/launcher/emulator_choosers.h"

namespace vantorel::gui {
namespace {

constexpr const char* kNames[] = {"Gens", "Kega", "Ages", "Xega", "DGen", "Otro"};

QString settingsValue(std::string_view section, std::string_view key) {
    return settingValue(section, key);
}

QString flag(bool value) {
    return value ? QStringLiteral("-1") : QStringLiteral("0");
}

}  // namespace

frmSetup::frmSetup(ToolWindow* launcher, QWidget* parent) : QDialog(parent), launcher_(launcher) {
    setObjectName(QStringLiteral("frmSetup"));
    setWindowTitle(QStringLiteral("IDD_SETUP"));
    buildControls();
    LocalizeSetup();
    LoadSetup();
}

void frmSetup::buildControls() {
    auto* top = new QVBoxLayout(this);
    auto lookButton = [this](const QString& name) {
        auto* b = new QToolButton(this);
        b->setObjectName(name);
        b->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
        return b;
    };

    fRoms_ = new QGroupBox(QStringLiteral("ID_ROMPATH"), this);
    fRoms_->setObjectName(QStringLiteral("fRoms"));
    auto* romRow = new QHBoxLayout(fRoms_);
    txRomPath_ = new QLineEdit(fRoms_);
    txRomPath_->setObjectName(QStringLiteral("txRomPath"));
    cLookRomDir_ = lookButton(QStringLiteral("cLookRomDir"));
    romRow->addWidget(txRomPath_);
    romRow->addWidget(cLookRomDir_);
    top->addWidget(fRoms_);

    fPath_ = new QGroupBox(QStringLiteral("ID_EMUS"), this);
    fPath_->setObjectName(QStringLiteral("fPath"));
    auto* grid = new QGridLayout(fPath_);
    for (int i = 0; i < 6; ++i) {
        const QString name = QString::fromLatin1(kNames[i]);
        QLabel* label = nullptr;
        if (i < 5) {
            label = new QLabel(name, fPath_);
            label->setObjectName(QStringLiteral("Label%1").arg(i + 1));
        } else {
            label = lbOtro_ = new QLabel(QStringLiteral("ID_EXTERNAL"), fPath_);
            lbOtro_->setObjectName(QStringLiteral("lbOtro"));
        }
        paths_[i] = new QLineEdit(fPath_);
        paths_[i]->setObjectName(QStringLiteral("tx%1Path").arg(name));
        looks_[i] = lookButton(QStringLiteral("cLook%1").arg(name));
        label->setBuddy(paths_[i]);
        grid->addWidget(label, i, 0);
        grid->addWidget(paths_[i], i, 1);
        grid->addWidget(looks_[i], i, 2);
    }
    grid->setColumnMinimumWidth(1, 280);
    top->addWidget(fPath_);

    fExtOpt_ = new QGroupBox(QStringLiteral("ID_EXT_OPTIONS"), this);
    fExtOpt_->setObjectName(QStringLiteral("fExtOpt"));
    auto* opts = new QGridLayout(fExtOpt_);
    optByCommand_ = new QRadioButton(QStringLiteral("ID_BY_CMD"), fExtOpt_);
    optByCommand_->setObjectName(QStringLiteral("optByCommand"));
    optByCommand_->setChecked(true);
    chkDOSEmu_ = new QCheckBox(QStringLiteral("ID_DOS_EMULATOR"), fExtOpt_);
    chkDOSEmu_->setObjectName(QStringLiteral("chkDOSEmu"));
    optByKeys_ = new QRadioButton(QStringLiteral("ID_BY_KEYS"), fExtOpt_);
    optByKeys_->setObjectName(QStringLiteral("optByKeys"));
    chkCTRL_ = new QCheckBox(QStringLiteral("CTRL+"), fExtOpt_);
    chkCTRL_->setObjectName(QStringLiteral("chkCTRL"));
    chkALT_ = new QCheckBox(QStringLiteral("ALT+"), fExtOpt_);
    chkALT_->setObjectName(QStringLiteral("chkALT"));
    chkShift_ = new QCheckBox(QStringLiteral("SHIFT+"), fExtOpt_);
    chkShift_->setObjectName(QStringLiteral("chkShift"));
    txKey_ = new QLineEdit(fExtOpt_);
    txKey_->setObjectName(QStringLiteral("txKey"));
    txKey_->setMaxLength(1);
    txKey_->setFixedWidth(txKey_->fontMetrics().horizontalAdvance(QStringLiteral("WW")) + 12);
    opts->addWidget(optByCommand_, 0, 0, 1, 4);
    opts->addWidget(chkDOSEmu_, 1, 1, 1, 4);
    opts->addWidget(optByKeys_, 2, 0, 1, 4);
    auto* keyRow = new QHBoxLayout;
    keyRow->addWidget(chkCTRL_);
    keyRow->addWidget(chkALT_);
    keyRow->addWidget(chkShift_);
    keyRow->addWidget(txKey_);
    keyRow->addStretch();
    opts->addLayout(keyRow, 3, 1, 1, 4);
    opts->setColumnMinimumWidth(0, 16);
    fExtOpt_->setEnabled(false);
    top->addWidget(fExtOpt_);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    IDOK_ = new QPushButton(QStringLiteral("IDOK"), this);
    IDOK_->setObjectName(QStringLiteral("IDOK"));
    IDOK_->setDefault(true);
    IDCANCEL_ = new QPushButton(QStringLiteral("IDCANCEL"), this);
    IDCANCEL_->setObjectName(QStringLiteral("IDCANCEL"));
    buttons->addWidget(IDOK_);
    buttons->addWidget(IDCANCEL_);
    top->addLayout(buttons);

    connect(optByCommand_, &QRadioButton::toggled, this, &frmSetup::applyOptionRule);
    connect(optByKeys_, &QRadioButton::toggled, this, &frmSetup::applyOptionRule);
    connect(paths_[5], &QLineEdit::textChanged, this, &frmSetup::otroPathChanged);
    for (int i = 0; i < 5; ++i)
        connect(looks_[i], &QToolButton::clicked, this, [this, i] { chooseEmulator(i); });
    connect(looks_[5], &QToolButton::clicked, this, &frmSetup::chooseOther);
    connect(cLookRomDir_, &QToolButton::clicked, this, &frmSetup::chooseRomFolder);
    connect(IDOK_, &QPushButton::clicked, this, &frmSetup::ok);
    connect(IDCANCEL_, &QPushButton::clicked, this, &frmSetup::cancel);
}

void frmSetup::LocalizeSetup() {
    LocalizeOptions options;
    // The emulator names and the modifier boxes keep their own captions.
    options.skipCaption = [](QObject* o) {
        const QString n = o->objectName();
        if (qobject_cast<QLabel*>(o)) return n != QLatin1String("lbOtro");
        if (qobject_cast<QCheckBox*>(o)) return n != QLatin1String("chkDOSEmu");
        return false;
    };
    localizeWindow(this, QStringLiteral("frmSetup"), options);
}

void frmSetup::LoadSetup() {
    using namespace settings;
    for (int i = 0; i < 6; ++i)
        paths_[i]->setText(
            settingsValue(section::Emuladores, launcher::settingsKey(launcher::kAllEmulators[i])));
    txRomPath_->setText(settingsValue(section::ROMs, key::Directorio));
    chkDOSEmu_->setChecked(
        launcher::settingNumber(settingsValue(section::Emuladores, key::OtroEnDOS).toStdString()) != 0);
    const QString lineaDeComandos = settingsValue(section::Emuladores, key::LineaDeComandos);
    const QString conTeclas = settingsValue(section::Emuladores, key::ConTeclas);
    const bool byCommand = launcher::settingNumber(lineaDeComandos.toStdString()) != 0;
    const bool byKeys = launcher::settingNumber(conTeclas.toStdString()) != 0;
    // One pair of option buttons holds both values; by keys wins when both are stored as set.
    if (byKeys) {
        optByKeys_->setChecked(true);
    } else if (byCommand) {
        optByCommand_->setChecked(true);
    } else if (!lineaDeComandos.isEmpty() || !conTeclas.isEmpty()) {
        // Both stored as off: neither is selected, and OK keeps it so unless the user picks one.
        optByCommand_->setAutoExclusive(false);
        optByCommand_->setChecked(false);
        optByCommand_->setAutoExclusive(true);
    }
    applyOptionRule();
    const QString teclas = settingsValue(section::Emuladores, key::Teclas);
    const launcher::KeyString keys = launcher::readKeyString(teclas.toStdString());
    chkCTRL_->setChecked(keys.ctrl);
    chkALT_->setChecked(keys.alt);
    chkShift_->setChecked(keys.shift);
    txKey_->setText(QString::fromStdString(keys.key).toLower());
}

void frmSetup::SaveSetup() {
    using namespace settings;
    // Each key is tried on its own: one failed write does not stop the others. The user hears
    // of a failure once, with its reason: emulator paths that vanish without a word would
    // only puzzle later.
    std::optional<Error> failed;
    auto put = [&failed](std::string_view section, std::string_view key, const QString& value) {
        if (auto written = writeSetting(section, key, value); !written && !failed) failed = written.error();
    };
    for (int i = 0; i < 6; ++i)
        put(section::Emuladores, launcher::settingsKey(launcher::kAllEmulators[i]), paths_[i]->text());
    put(section::ROMs, key::Directorio, txRomPath_->text());
    put(section::Emuladores, key::OtroEnDOS,
        chkDOSEmu_->isChecked() ? QStringLiteral("1") : QStringLiteral("0"));
    put(section::Emuladores, key::LineaDeComandos, flag(optByCommand_->isChecked()));
    put(section::Emuladores, key::ConTeclas, flag(optByKeys_->isChecked()));
    put(section::Emuladores, key::Teclas, BuildKeyString());
    if (failed) reportSettingsFailure(this, *failed);
}

QString frmSetup::BuildKeyString() const {
    return QString::fromStdString(launcher::BuildKeyString(chkCTRL_->isChecked(), chkALT_->isChecked(),
                                                           chkShift_->isChecked(),
                                                           txKey_->text().toLower().toStdString()));
}

void frmSetup::applyOptionRule() {
    const bool byCommand = optByCommand_->isChecked();
    chkDOSEmu_->setEnabled(byCommand);
    for (QWidget* w : {static_cast<QWidget*>(chkCTRL_), static_cast<QWidget*>(chkALT_),
                       static_cast<QWidget*>(chkShift_), static_cast<QWidget*>(txKey_)})
        w->setEnabled(!byCommand);
}

void frmSetup::otroPathChanged() {
    const bool set = !paths_[5]->text().isEmpty();
    for (QWidget* w : {static_cast<QWidget*>(fExtOpt_), static_cast<QWidget*>(optByCommand_),
                       static_cast<QWidget*>(optByKeys_), static_cast<QWidget*>(chkDOSEmu_),
                       static_cast<QWidget*>(chkCTRL_), static_cast<QWidget*>(chkALT_),
                       static_cast<QWidget*>(chkShift_), static_cast<QWidget*>(txKey_)})
        w->setEnabled(set);
    if (set) applyOptionRule();
}

void frmSetup::chooseEmulator(int index) {
    QString name = QString::fromLatin1(kNames[index]);
    paths_[index]->setText(ChooseEmulatorExe(this, name));
}

void frmSetup::chooseOther() {
    paths_[5]->setText(ChooseOtherEmulatorExe(this));
}

void frmSetup::chooseRomFolder() {
    // A cancelled chooser keeps the folder that was there.
    const QString folder = BrowseFolder(this, txRomPath_->text());
    if (!folder.isEmpty()) txRomPath_->setText(folder);
}

void frmSetup::ok() {
    SaveSetup();
    accept();
    // The launcher is rebuilt so that it reads the new settings; the ROM it held stays.
    QString rom;
    if (launcher_) {
        if (auto* txRom = launcher_->findChild<QLineEdit*>(QStringLiteral("txRom"))) rom = txRom->text();
        launcher_->unloadTool();
    }
    host().openTool(ToolId::Launcher);
    if (!rom.isEmpty()) host().showInLauncher(rom);
}

void frmSetup::cancel() {
    bool anySet = false;
    for (QLineEdit* p : paths_) anySet = anySet || !p->text().isEmpty();
    reject();
    // With no emulator at all the launcher has nothing to offer.
    if (!anySet && launcher_) launcher_->unloadTool();
}

}  // namespace vantorel::gui
