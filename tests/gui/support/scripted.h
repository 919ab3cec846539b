#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <deque>
#include <functional>

#include "gui/common/host.h"
#include "gui/common/prompt.h"

namespace vantorel::test {

// A prompt whose answers the test queues in advance; every request is recorded.
// An unexpected question fails loudly instead of hanging on a modal box.
class ScriptedPrompt final : public gui::Prompt {
public:
    ScriptedPrompt() { gui::setPrompt(this); }
    ~ScriptedPrompt() override { gui::setPrompt(nullptr); }

    std::deque<gui::PromptAnswer> answers;  // for message()
    std::deque<QStringList> fileAnswers;    // for chooseFiles()
    std::deque<QString> folderAnswers;      // for chooseFolder()
    std::deque<QString> itemAnswers;        // for chooseItem()
    // Runs when a message box is shown (after recording), to look at the window meanwhile.
    std::function<void(const gui::MessageRequest&)> onMessage;

    QList<gui::MessageRequest> messages;
    QList<gui::FileRequest> fileRequests;
    QStringList folderTitles;
    QList<QStringList> itemLists;  // the items each chooseItem() offered
    int unexpected = 0;

    gui::PromptAnswer message(QWidget*, const gui::MessageRequest& r) override;
    QStringList chooseFiles(QWidget*, const gui::FileRequest& r) override;
    QString chooseFolder(QWidget*, const QString& title, const QString& startFolder) override;
    QString chooseItem(QWidget*, const QString& title, const QString& label,
                       const QStringList& items) override;
};

// A main window stand-in that records what the tools asked of it.
class RecordingHost final : public gui::ShellHost {
public:
    RecordingHost() { gui::setHost(this); }
    ~RecordingHost() override { gui::setHost(nullptr); }

    struct Progress {
        int max, value;
        QString text;
        bool mosPct;
    };
    QStringList statusTexts;
    QList<Progress> progress;
    QList<bool> progressVisible;
    QStringList launcherPaths;
    QList<gui::ToolId> openedTools;
    QList<QStringList> handedFiles;

    // Called after each status text is recorded, for tests that act at a given moment.
    std::function<void(const QString&)> onStatus;

    void setStatusText(const QString& text) override {
        statusTexts << text;
        if (onStatus) onStatus(text);
    }
    void showProgress(int max, int value, const QString& text, bool mosPct) override {
        progress.append({max, value, text, mosPct});
    }
    void setProgressVisible(bool visible) override { progressVisible << visible; }
    void showInLauncher(const QString& romPath) override { launcherPaths << romPath; }
    void openTool(gui::ToolId tool) override { openedTools << tool; }
    void openToolWith(gui::ToolId tool, const QStringList& paths) override {
        openedTools << tool;
        handedFiles << paths;
    }
    QWidget* dialogParent() override { return nullptr; }
};

// Loads the catalogue and language path from lang/<name>.idi of the source tree, and points
// the settings at a fresh file in a temporary folder. Returns that settings path.
QString useLanguage(const QString& name = QStringLiteral("English"));
QString sourceLangFile(const QString& name);

}  // namespace vantorel::test
