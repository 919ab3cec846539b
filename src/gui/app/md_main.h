#pragma once

#include <QMainWindow>
#include <QPointer>
#include <map>

#include "gui/common/host.h"

class QLabel;
class QMdiArea;
class QMdiSubWindow;

namespace vantorel::gui {

class FloodBar;
class shkIcon;
class ToolWindow;

// mdMain: the frame that holds the tools, the shortcut bar, the status line and progress
// bar, and the menu. It is the ShellHost the tools talk to while it lives.
class mdMain : public QMainWindow, public ShellHost {
    Q_OBJECT
public:
    // commandLine: the program's arguments joined by one blank (see ParseCommand);
    // startFolder: the folder the program was started in, where relative paths point.
    explicit mdMain(const QString& commandLine = {}, const QString& startFolder = {},
                    QWidget* parent = nullptr);
    ~mdMain() override;

    // Opens the tool the command line names, handing its path on (/h, /l).
    void ParseCommand();
    // The setup window reopens the launcher through here after saving.
    void Launcher_() { openTool(ToolId::Launcher); }

    // Files dropped on the window open in the tool that fits them: patches (IPS, BPS, UPS,
    // known by content, with whatever came along) in the patcher, .smd images in the
    // converter, anything else (images, archives) in the header editor.
    static ToolId toolForFiles(const QStringList& paths);
    void openFiles(const QStringList& paths);

    // The tool's window while it is loaded (hidden or shown), else null.
    ToolWindow* tool(ToolId id) const;
    QMdiSubWindow* toolSubWindow(ToolId id) const;

    void setStatusText(const QString& text) override;
    void showProgress(int max, int value, const QString& text, bool mosPct) override;
    void setProgressVisible(bool visible) override;
    void showInLauncher(const QString& romPath) override;
    void openTool(ToolId id) override;
    void openToolWith(ToolId id, const QStringList& paths) override;
    QWidget* dialogParent() override { return this; }

    // The tools' work on worker threads: paused while the user answers the exit question or
    // chooses a language, stopped (and waited for) before the window goes.
    bool working() const;
    void pauseWork();
    void resumeWork();
    void stopWork();

signals:
    // The language entry of the menu; start-up's owner opens the chooser.
    void languageCommand();
    // The window has closed for good and released what it held.
    void unloaded();

protected:
    bool event(QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildMenu();
    QWidget* buildBar();
    QWidget* buildStatus();
    void localize();
    void showAbout();
    static ToolWindow* newTool(ToolId id);
    void forgetTool(ToolId id, QMdiSubWindow* sub);
    QList<ToolWindow*> loadedTools() const;
    void fitTool(QMdiSubWindow* sub);
    void unload();

    QString commandLine_;
    QString startFolder_;
    QMdiArea* mdi_ = nullptr;
    QWidget* picBar_ = nullptr;
    QLabel* lblStatus_ = nullptr;
    FloodBar* fbStatus_ = nullptr;
    std::map<ToolId, QPointer<QMdiSubWindow>> tools_;
    bool unloaded_ = false;
};

}  // namespace vantorel::gui
