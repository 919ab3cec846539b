#pragma once

#include <QWidget>
#include <functional>

#include "gui/common/host.h"

namespace vantorel::gui {

// A tool shown inside the main window. One instance per tool, created on first use and
// kept hidden with its state until its own close button unloads it.
class ToolWindow : public QWidget {
    Q_OBJECT
public:
    explicit ToolWindow(QWidget* parent = nullptr) : QWidget(parent) {
        setProperty("localizeRoot", true);
    }
    // The path that came with the command line (/h: LoadFromCmd, /l: txRom).
    virtual void takePath(const QString& path) { Q_UNUSED(path); }
    // Files dropped on the main window for this tool; by default the first one is taken
    // like a command-line path.
    virtual void acceptFiles(const QStringList& paths) {
        if (!paths.isEmpty()) takePath(paths.first());
    }
    // Closes the tool for good (its own close button); the next opening builds it anew.
    void unloadTool();

signals:
    void unloaded();
};

using ToolFactory = std::function<ToolWindow*()>;
void registerTool(ToolId id, ToolFactory factory);
// Empty when no such tool has been built into the program.
ToolFactory toolFactory(ToolId id);

}  // namespace vantorel::gui

// Put once in a tool's .cpp: the main window then knows how to build it.
#define VANTOREL_REGISTER_TOOL(ID, TYPE)                                                      \
    namespace {                                                                               \
    const bool vantorelToolRegistered_##TYPE =                                                \
        (::vantorel::gui::registerTool(ID, [] { return new TYPE; }), true);                   \
    }
