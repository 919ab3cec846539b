#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class QWidget;

namespace vantorel::gui {

enum class PromptIcon { None, Information, Warning, Error, Question };
enum class PromptButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class PromptAnswer { Ok, Cancel, Yes, No };

struct MessageRequest {
    PromptIcon icon = PromptIcon::None;
    PromptButtons buttons = PromptButtons::Ok;
    PromptAnswer defaultButton = PromptAnswer::Ok;
    QString title;
    QString text;
};

struct FileFilter {
    QString caption;
    QString patterns;  // "*.bin;*.smd"
};

struct FileRequest {
    enum class Mode { Open, OpenMany, Save };
    Mode mode = Mode::Open;
    QString title;
    QList<FileFilter> filters;
    int initialFilter = 0;  // 0-based index into filters
    QString folder;         // empty: the current folder
    bool mustExist = false;
};

// Every question to the user goes through here, so tests can script the answers.
class Prompt {
public:
    virtual ~Prompt() = default;
    virtual PromptAnswer message(QWidget* parent, const MessageRequest& request) = 0;
    // Chosen paths; empty when cancelled. Open and Save give at most one.
    virtual QStringList chooseFiles(QWidget* parent, const FileRequest& request) = 0;
    // The chosen folder, or empty when cancelled.
    virtual QString chooseFolder(QWidget* parent, const QString& title, const QString& startFolder) = 0;
    // One of `items`, or empty when cancelled.
    virtual QString chooseItem(QWidget* parent, const QString& title, const QString& label,
                               const QStringList& items) = 0;
};

// The prompt in use (Qt dialogs unless a test installed another).
Prompt& prompt();
void setPrompt(Prompt* p);

// Qt's own dialogs.
class QtPrompt final : public Prompt {
public:
    PromptAnswer message(QWidget* parent, const MessageRequest& request) override;
    QStringList chooseFiles(QWidget* parent, const FileRequest& request) override;
    QString chooseFolder(QWidget* parent, const QString& title, const QString& startFolder) override;
    QString chooseItem(QWidget* parent, const QString& title, const QString& label,
                       const QStringList& items) override;
};

// "BIN files (*.bin)" style filter text for QFileDialog; the caption is shown as the
// language file gives it, with the patterns added for the dialog to match on.
QString qtFilterString(const FileFilter& f);

// Shorthand for the common box: returns the answer.
PromptAnswer ask(QWidget* parent, PromptIcon icon, PromptButtons buttons, const QString& title,
                 const QString& text, PromptAnswer defaultButton = PromptAnswer::Ok);

// The application title used by message boxes that name no file.
QString appTitle();

}  // namespace vantorel::gui
