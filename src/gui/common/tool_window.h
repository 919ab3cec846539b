#pragma once

#include <QKeySequence>
#include <QWidget>
#include <functional>

#include "gui/common/host.h"
#include "gui/common/job.h"

namespace vantorel::gui {

// A tool shown inside the main window. One instance per tool, created on first use and
// kept hidden with its state until its own close button unloads it.
class ToolWindow : public QWidget {
    Q_OBJECT
public:
    explicit ToolWindow(QWidget* parent = nullptr) : QWidget(parent) { setProperty("localizeRoot", true); }
    // The path that came with the command line (/h: LoadFromCmd, /l: txRom).
    virtual void takePath(const QString& path) { Q_UNUSED(path); }
    // Files dropped on the main window for this tool; by default the first one is taken
    // like a command-line path.
    virtual void acceptFiles(const QStringList& paths) {
        if (!paths.isEmpty()) takePath(paths.first());
    }
    // Closes the tool for good (its own close button); the next opening builds it anew.
    void unloadTool();

    // The tool's work on worker threads. While the user answers a question of the main
    // window (exit, language) it is paused; when the window goes it is stopped first, at the
    // next safe point, and waited for.
    bool working() const;
    void pauseWork();
    void resumeWork();
    void stopWork();

protected:
    // A job owned by this tool, paused, resumed and stopped with it.
    Job* newJob();
    // A key chord that works while the keyboard is anywhere in this tool.
    void addKeys(const QKeySequence& keys, std::function<void()> run);

signals:
    void unloaded();

private:
    QList<Job*> jobs_;
};

}  // namespace vantorel::gui
