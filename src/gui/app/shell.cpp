#include "gui/app/shell.h"

#include <unistd.h>

#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QScreen>

#include "engine/common/settings.h"
#include "gui/app/md_main.h"
#include "gui/common/prompt.h"
#include "gui/lang/app_state.h"
#include "gui/lang/frm_idioma.h"
#include "gui/lang/localize.h"

namespace vantorel::gui {
namespace {
void centerOnScreen(QWidget* window) {
    if (const QScreen* screen = window->screen()) {
        QRect frame = window->frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        window->move(frame.topLeft());
    }
}
}  // namespace

Shell::Shell(ShellOptions options, QObject* parent) : QObject(parent), options_(std::move(options)) {}

Shell::~Shell() {
    if (splash_) delete splash_.data();
    if (main_) {
        // The program is going away: no question, no good-bye.
        const bool wasReloading = appState().reloading;
        appState().reloading = true;
        delete main_.data();
        appState().reloading = wasReloading;
    }
    releaseLock();
}

QString Shell::defaultLockDir() {
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QFileInfo(runtime).isDir()) return runtime;
    return QDir::tempPath();
}

QString Shell::lockPath() const {
    if (!options_.lockDir.isEmpty()) return QDir(options_.lockDir).filePath(options_.lockName + ".lock");
    const QString dir = defaultLockDir();
    // The runtime folder is the user's own; the shared temp folder needs the user in the name.
    if (dir == qEnvironmentVariable("XDG_RUNTIME_DIR"))
        return QDir(dir).filePath(options_.lockName + ".lock");
    return QDir(dir).filePath(QStringLiteral("%1-%2.lock").arg(options_.lockName).arg(::getuid()));
}

mdMain* Shell::mainWindow() const {
    return main_.data();
}

bool Shell::holdsLock() const {
    return lock_ && lock_->isLocked();
}

QString Shell::alreadyRunningText() {
    return QStringLiteral(
        "Vantorel is already running. Please use the taskbar for switch to that instance\n"
        "If the program is locked, then use CTRL+ALT+DEL for kill it, or reboot your PC\n"
        "\n"
        "Vantorel ya se esta ejecutando. Por favor usa la barra de tareas para cambiar a esa instancia\n"
        "Si el programa se colgó, usa CTRL+ALT+SUPR para eliminar el proceso, o reinicia tu PC");
}

Shell::StartResult Shell::startUp() {
    // 1-2. The previous-instance test and the running mark are one lock. A lock left by a
    // process that no longer runs is stale and taken over; no time limit, so a copy that
    // has run for hours still counts.
    auto lock = std::make_unique<QLockFile>(lockPath());
    lock->setStaleLockTime(0);
    if (lock->tryLock(0)) {
        lock_ = std::move(lock);
    } else if (lock->error() == QLockFile::LockFailedError) {
        ask(nullptr, PromptIcon::Error, PromptButtons::Ok, appTitle(), alreadyRunningText());
        return StartResult::AlreadyRunning;
    }
    // (A lock that cannot be made at all, in an unwritable folder, stops nothing.)

    // 4-5.
    AppState& st = appState();
    st.interfaceFont = interfaceFontName();
    st.languageChanged = false;

    // 6-8. The stored language file; the chooser on a first run and again when the file
    // holds no texts. There is no third check: the program goes on with the choice.
    st.languageFile = QString::fromStdString(settings::languageFile(settingsFile()));
    if (st.languageFile.isEmpty()) openChooser(nullptr, true);
    if (langValue(QStringLiteral("Msgs"), QStringLiteral("AppMsg")).isEmpty()) openChooser(nullptr, true);

    // 9.
    st.catalogue.clear();
    if (!st.languageFile.isEmpty()) st.catalogue.load(st.languageFile.toStdString());
    useQtLanguage(langValue(QStringLiteral("Language"), QStringLiteral("Locale")));

    // 10.
    auto* splash = new frmSplash(options_.splashTimeoutMs);
    splash_ = splash;
    connect(splash, &frmSplash::continued, this, &Shell::showMainWindow);
    connect(splash, &frmSplash::escaped, this, [this] {
        releaseLock();
        emit finished();
    });
    centerOnScreen(splash);
    splash->show();
    splash->activateWindow();
    splash->setFocus();
    return StartResult::Started;
}

void Shell::openChooser(QWidget* parent, bool firstRun) {
    appState().firstRunMode = firstRun;
    // Only this chooser's OK may ask for a switch; Cancel leaves everything as it was.
    appState().languageChanged = false;
    if (options_.chooseLanguage)
        options_.chooseLanguage(parent, firstRun);
    else
        frmIdioma::run(parent, firstRun, options_.languageFolder);
}

void Shell::showMainWindow() {
    auto* window = new mdMain(options_.commandLine, options_.startFolder);
    window->setAttribute(Qt::WA_DeleteOnClose);
    main_ = window;
    connect(window, &mdMain::languageCommand, this, &Shell::languageCommand);
    connect(window, &mdMain::unloaded, this, &Shell::mainWindowUnloaded);
    centerOnScreen(window);
    window->show();
    window->activateWindow();
    window->ParseCommand();
}

void Shell::mainWindowUnloaded() {
    releaseLock();
    if (!appState().reloading) emit finished();
}

void Shell::languageCommand() {
    // The tools' jobs wait at their next step while the user chooses.
    if (main_) main_->pauseWork();
    openChooser(main_, false);
    if (!appState().languageChanged) {
        if (main_) main_->resumeWork();
        return;
    }
    // A new language rebuilds every window: running jobs stop first (what they finished
    // stays written), then the old windows go.
    if (main_) main_->stopWork();
    AppState& st = appState();
    st.reloading = true;
    if (main_) main_->close();
    const StartResult result = startUp();
    st.reloading = false;
    // Another copy took the lock in the moment between: this one has nothing left to show.
    if (result == StartResult::AlreadyRunning) emit finished();
}

void Shell::releaseLock() {
    if (lock_) lock_->unlock();
    lock_.reset();
}

}  // namespace vantorel::gui
