#include "gui/launcher/frm_launcher.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

#include "engine/common/error.h"
#include "engine/common/settings.h"
#include "gui/common/choosers.h"
#include "gui/common/dropped_files.h"
#include "gui/common/error_text.h"
#include "gui/common/host.h"
#include "gui/common/prompt.h"
#include "gui/lang/app_state.h"
#include "gui/lang/localize.h"
#include "gui/launcher/frm_setup.h"
#include "platform/emulator_launch.h"

namespace vantorel::gui {
using lang::Msg;
using launcher::Emulator;

namespace {
constexpr const char* kButtonNames[] = {"cmdGens", "cmdKega", "cmdAges", "cmdXega", "cmdDGen", "cmdOtro"};
constexpr const char* kEmulatorNames[] = {"Gens", "Kega", "Ages", "Xega", "DGen", "ID_OTRO"};
}  // namespace

frmLauncher::frmLauncher(QWidget* parent) : ToolWindow(parent) {
    setObjectName(QStringLiteral("frmLauncher"));
    setWindowTitle(QStringLiteral("IDD_LANZA"));
    buildControls();
    LocalizeLauncher();
    LoadLauncherSettings();
    SetRomFolder();
    job_ = newJob();
}

void frmLauncher::buildControls() {
    auto* top = new QVBoxLayout(this);

    fRom_ = new QGroupBox(QStringLiteral("ID_ROM"), this);
    fRom_->setObjectName(QStringLiteral("fRom"));
    auto* romRow = new QHBoxLayout(fRom_);
    txRom_ = new QLineEdit(fRom_);
    txRom_->setObjectName(QStringLiteral("txRom"));
    txRom_->setMinimumWidth(320);
    cmdBrowse_ = new QToolButton(fRom_);
    cmdBrowse_->setObjectName(QStringLiteral("cmdBrowse"));
    cmdBrowse_->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
    romRow->addWidget(txRom_);
    romRow->addWidget(cmdBrowse_);
    top->addWidget(fRom_);

    fEmus_ = new QGroupBox(QStringLiteral("ID_SEL_EMU"), this);
    fEmus_->setObjectName(QStringLiteral("fEmus"));
    auto* grid = new QGridLayout(fEmus_);
    for (int i = 0; i < 6; ++i) {
        buttons_[i] = new QPushButton(QString::fromLatin1(kEmulatorNames[i]), fEmus_);
        buttons_[i]->setObjectName(QString::fromLatin1(kButtonNames[i]));
        buttons_[i]->setMinimumWidth(90);
        if (i < 5) grid->addWidget(buttons_[i], i / 3, i % 3);
        const Emulator e = launcher::kAllEmulators[i];
        connect(buttons_[i], &QPushButton::clicked, this, [this, e] { launch(e); });
    }
    lblExternal_ = new QLabel(QStringLiteral("ID_EXT_EMU"), fEmus_);
    lblExternal_->setObjectName(QStringLiteral("lblExternal"));
    lblExternal_->setTextFormat(Qt::PlainText);
    lblExternal_->setWordWrap(true);
    grid->addWidget(lblExternal_, 2, 0, 1, 2);
    grid->addWidget(buttons_[5], 2, 2);
    top->addWidget(fEmus_);

    auto* row = new QHBoxLayout;
    row->addStretch();
    cmdSetup_ = new QPushButton(QStringLiteral("ID_SETUP"), this);
    cmdSetup_->setObjectName(QStringLiteral("cmdSetup"));
    cmdExit_ = new QPushButton(QStringLiteral("ID_CLOSE"), this);
    cmdExit_->setObjectName(QStringLiteral("cmdExit"));
    row->addWidget(cmdSetup_);
    row->addWidget(cmdExit_);
    top->addLayout(row);

    connect(cmdBrowse_, &QToolButton::clicked, this, &frmLauncher::browse);
    addKeys(QKeySequence::Open, [this] { cmdBrowse_->click(); });  // nothing while a launch waits
    setAcceptDrops(true);
    txRom_->installEventFilter(this);
    connect(cmdSetup_, &QPushButton::clicked, this, [this] { openSetup(host().dialogParent()); });
    connect(cmdExit_, &QPushButton::clicked, this, [this] { unloadTool(); });
}

void frmLauncher::LocalizeLauncher() {
    LocalizeOptions options;
    // The five named emulators keep their names.
    options.skipCaption = [this](QObject* o) {
        for (int i = 0; i < 5; ++i)
            if (o == buttons_[i]) return true;
        return false;
    };
    localizeWindow(this, QStringLiteral("frmLauncher"), options);
}

void frmLauncher::LoadLauncherSettings() {
    for (int i = 0; i < 6; ++i)
        buttons_[i]->setProperty("Tag", settingValue(settings::section::Emuladores,
                                                     launcher::settingsKey(launcher::kAllEmulators[i])));
    const QString otro = buttons_[5]->property("Tag").toString();
    lblExternal_->setText(lblExternal_->text() + otro);
    for (int i = 0; i < 6; ++i) {
        if (!buttons_[i]->property("Tag").toString().isEmpty()) continue;
        buttons_[i]->setEnabled(false);
        if (i == 5) lblExternal_->hide();
    }
    fRom_->setEnabled(true);
    cmdBrowse_->setEnabled(true);
    txRom_->setEnabled(true);
    // The check may open the setup window, which needs the launcher on screen: it runs
    // once the window is first shown.
}

void frmLauncher::showEvent(QShowEvent* event) {
    ToolWindow::showEvent(event);
    if (checked_) return;
    checked_ = true;
    QTimer::singleShot(0, this, &frmLauncher::CheckEmulatorsConfigured);
}

void frmLauncher::CheckEmulatorsConfigured() {
    for (QPushButton* b : buttons_)
        if (!b->property("Tag").toString().isEmpty()) return;
    ask(this, PromptIcon::Warning, PromptButtons::Ok, windowTitle(),
        msg(Msg::NoIni1) + QStringLiteral("\r\n") + msg(Msg::NoIni2));
    fRom_->setEnabled(false);
    cmdBrowse_->setEnabled(false);
    txRom_->setEnabled(false);
    openSetup(this);
}

void frmLauncher::openSetup(QWidget* owner) {
    auto* setup = new frmSetup(this, owner ? owner : this);
    setup->setAttribute(Qt::WA_DeleteOnClose);
    setup->setWindowModality(Qt::ApplicationModal);
    setup->show();
}

void frmLauncher::takePath(const QString& path) {
    txRom_->setText(path);
}

void frmLauncher::browse() {
    const QStringList chosen = OpenRomDialog(this, 0);
    romChosen(chosen.isEmpty() ? QString() : chosen.first());
}

void frmLauncher::romChosen(const QString& path) {
    txRom_->setText(path);
    if (!path.isEmpty()) SetStatusText(msg(Msg::ReadyToRun, QStringLiteral("%r"), path));
}

void frmLauncher::dragEnterEvent(QDragEnterEvent* event) {
    if (!droppedFiles(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void frmLauncher::dropEvent(QDropEvent* event) {
    const QString path = droppedFiles(event->mimeData()).value(0);
    if (path.isEmpty()) return;
    event->acceptProposedAction();
    romChosen(path);
}

bool frmLauncher::eventFilter(QObject* watched, QEvent* event) {
    // The path box would paste a dropped file's address as text; the window takes it instead.
    if (watched == txRom_ && (event->type() == QEvent::DragEnter || event->type() == QEvent::Drop)) {
        if (event->type() == QEvent::DragEnter)
            dragEnterEvent(static_cast<QDragEnterEvent*>(event));
        else
            dropEvent(static_cast<QDropEvent*>(event));
        return true;
    }
    return ToolWindow::eventFilter(watched, event);
}

void frmLauncher::launch(Emulator e) {
    const int index = static_cast<int>(e);
    const QString rom = txRom_->text();
    // The other emulator's mode is read from the settings at every click.
    LaunchEmulator(buttons_[index], launcher::planFor(e, rom.toStdString(), settingsFile()));
}

void frmLauncher::LaunchEmulator(QPushButton* button, const launcher::LaunchPlan& plan) {
    if (!plan.run || working()) return;
    const QString emulator = button->property("Tag").toString();
    // Waiting for an emulator's window can take seconds; the window stays alive meanwhile,
    // but takes no second launch.
    fEmus_->setEnabled(false);
    auto started = std::make_shared<std::optional<Result<long>>>();
    job_->start(
        [started, program = emulator.toStdString(), plan](const ProgressFn& progress) {
            platform::KeyTypingOptions options;
            // Asked between polls: a pause parks the wait, a stop (closing the launcher) ends it.
            options.stopRequested = [progress] { return !progress(0, 0); };
            *started = platform::launchEmulator(program, plan, options);
        },
        [this, started, emulator, plan] {
            fEmus_->setEnabled(true);
            if (job_->stopRequested() || !started->has_value()) return;
            const Result<long>& outcome = started->value();
            if (outcome) {
                // What the emulator was really given: a DOS emulator gets no path for a
                // file that does not exist.
                const QString passed = QString::fromStdString(plan.romArgument);
                if (!passed.isEmpty())
                    SetStatusText(
                        msg(Msg::RunRom, QStringLiteral("%p"), emulator, QStringLiteral("%r"), passed));
                else
                    SetStatusText(msg(Msg::RunApp, QStringLiteral("%p"), emulator));
                return;
            }
            const Error& e = outcome.error();
            const QString text = msg(Msg::NoRunMsg, QStringLiteral("%p"), emulator);
            const QString description = errorText(e);
            ask(this, PromptIcon::Error, PromptButtons::Ok, description, text);
            SetStatusText(text + QStringLiteral(": ") + description + QStringLiteral(" (") +
                          QString::number(e.number()) + QStringLiteral(")"));
        });
}

void frmLauncher::closeEvent(QCloseEvent* event) {
    // A launch still waiting for the emulator's window gives up. Every way out unloads alike.
    stopWork();
    SetStatusText(appMessage());
    ToolWindow::closeEvent(event);
}

}  // namespace vantorel::gui
