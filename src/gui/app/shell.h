#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>
#include <memory>

#include "gui/app/frm_splash.h"

class QLockFile;
class QWidget;

namespace vantorel::gui {

class mdMain;

struct ShellOptions {
    // The program's arguments joined by one blank; read by every main window it builds.
    QString commandLine;
    // The folder the program was started in: relative paths on the command line mean it,
    // whatever folder the windows make current later.
    QString startFolder;
    // Where the chooser lists language files; empty: the program's language folder.
    QString languageFolder;
    // Where the single-instance lock lives; empty: the user's runtime folder, else temp.
    QString lockDir;
    QString lockName = QStringLiteral("Vantorel 68K Mutex");
    int splashTimeoutMs = frmSplash::kTimeoutMs;
    // Opens the language chooser modally; empty: the real one. Tests answer it in place.
    std::function<void(QWidget* parent, bool firstRun)> chooseLanguage;
};

// Start-up and what follows it: the single-instance lock, the language, the splash and
// the main window, and the language switch that runs start-up again in this process.
// Nothing here runs an event loop; the caller does.
class Shell : public QObject {
    Q_OBJECT
public:
    enum class StartResult { AlreadyRunning, Started };

    explicit Shell(ShellOptions options = {}, QObject* parent = nullptr);
    ~Shell() override;

    // Runs the start-up steps in order and returns once the splash is up, or at once when
    // another copy holds the lock (after the notice).
    StartResult startUp();

    frmSplash* splash() const { return splash_; }
    mdMain* mainWindow() const;
    bool holdsLock() const;
    QString lockPath() const;

    static QString defaultLockDir();
    // The fixed notice, in both languages: no language file has been read when it shows.
    static QString alreadyRunningText();

public slots:
    // The main window's language entry: the chooser in normal mode and, when the
    // language changed, the switch.
    void languageCommand();

signals:
    // The program is over (the exit was confirmed, or Esc on the splash).
    void finished();

private:
    void openChooser(QWidget* parent, bool firstRun);
    void showMainWindow();
    void mainWindowUnloaded();
    void releaseLock();

    ShellOptions options_;
    std::unique_ptr<QLockFile> lock_;
    QPointer<frmSplash> splash_;
    QPointer<mdMain> main_;
};

}  // namespace vantorel::gui
