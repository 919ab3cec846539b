#pragma once

#include <QString>
#include <QStringList>

class QWidget;

namespace vantorel::gui {

enum class ToolId { Convert, HeadEdit, Patch, Launcher, MakePatch };

// What a tool may ask of the main window: its status line, its progress bar and the
// hand-off to the launcher. The main window implements it; tests install a recorder.
class ShellHost {
public:
    virtual ~ShellHost() = default;
    virtual void setStatusText(const QString& text) = 0;
    // Sets Max, Text, MosPct and Value in that order, so the bar paints once.
    virtual void showProgress(int max, int value, const QString& text, bool mosPct) = 0;
    // Callers show the bar before a long job and hide it after.
    virtual void setProgressVisible(bool visible) = 0;
    // Hides the active tool, puts the path into the launcher's txRom and shows the launcher.
    virtual void showInLauncher(const QString& romPath) = 0;
    // Hides the active tool and shows the named one (created on first use).
    virtual void openTool(ToolId tool) = 0;
    // The same, then hands the tool files as if they had been dropped on it.
    virtual void openToolWith(ToolId tool, const QStringList& paths) = 0;
    // The window that message boxes and choosers are owned by.
    virtual QWidget* dialogParent() = 0;
};

// The host in use; never null (a silent one stands in until the main window installs itself).
ShellHost& host();
void setHost(ShellHost* host);

// Shorthands that tools call.
void SetStatusText(const QString& text);
void ShowProgress(int max, int value, const QString& text, bool mosPct);
void ShowInLauncher(const QString& romPath);

}  // namespace vantorel::gui
