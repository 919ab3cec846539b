#include "gui/common/prompt.h"

#include <QAbstractItemView>
#include <QFileDialog>
#include <QInputDialog>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QMessageBox>

namespace vantorel::gui {
namespace {
QtPrompt gQtPrompt;
Prompt* gPrompt = &gQtPrompt;

QMessageBox::StandardButton toQt(PromptAnswer a) {
    switch (a) {
        case PromptAnswer::Ok:
            return QMessageBox::Ok;
        case PromptAnswer::Cancel:
            return QMessageBox::Cancel;
        case PromptAnswer::Yes:
            return QMessageBox::Yes;
        case PromptAnswer::No:
            return QMessageBox::No;
    }
    return QMessageBox::Ok;
}

// Qt's chooser takes the rows selected in its list before the names typed in its name box.
// Its completion selects each folder a typed path runs through, and does not always let go
// of it (a path through the chooser's own folder while that is the current folder, as the
// tools make it): the chooser then takes the folder, empties the box and stays open. What
// the box says is what the user means; a click in the list writes the box too.
class FileDialog final : public QFileDialog {
public:
    using QFileDialog::QFileDialog;
    void accept() override {
        const auto* edit = findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        const auto* list = findChild<QAbstractItemView*>(QStringLiteral("listView"));
        if (edit && list && list->selectionModel() && !edit->text().trimmed().isEmpty())
            list->selectionModel()->clearSelection();
        QFileDialog::accept();
    }
};
}  // namespace

Prompt& prompt() {
    return *gPrompt;
}
void setPrompt(Prompt* p) {
    gPrompt = p ? p : &gQtPrompt;
}

QString appTitle() {
    return QStringLiteral("Vantorel");
}

QString qtFilterString(const FileFilter& f) {
    QString patterns = f.patterns;
    patterns.replace(';', ' ');
    if (patterns == "*.*") patterns = "*";
    return QStringLiteral("%1 (%2)").arg(f.caption, patterns);
}

PromptAnswer QtPrompt::message(QWidget* parent, const MessageRequest& r) {
    QMessageBox box(parent);
    switch (r.icon) {
        case PromptIcon::None:
            box.setIcon(QMessageBox::NoIcon);
            break;
        case PromptIcon::Information:
            box.setIcon(QMessageBox::Information);
            break;
        case PromptIcon::Warning:
            box.setIcon(QMessageBox::Warning);
            break;
        case PromptIcon::Error:
            box.setIcon(QMessageBox::Critical);
            break;
        case PromptIcon::Question:
            box.setIcon(QMessageBox::Question);
            break;
    }
    box.setWindowTitle(r.title);
    box.setText(r.text);
    switch (r.buttons) {
        case PromptButtons::Ok:
            box.setStandardButtons(QMessageBox::Ok);
            break;
        case PromptButtons::OkCancel:
            box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
            break;
        case PromptButtons::YesNo:
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
            break;
        case PromptButtons::YesNoCancel:
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
            break;
    }
    box.setDefaultButton(toQt(r.defaultButton));
    switch (box.exec()) {
        case QMessageBox::Yes:
            return PromptAnswer::Yes;
        case QMessageBox::No:
            return PromptAnswer::No;
        case QMessageBox::Cancel:
            return PromptAnswer::Cancel;
        default:
            return r.buttons == PromptButtons::YesNo ? PromptAnswer::No : PromptAnswer::Ok;
    }
}

QStringList QtPrompt::chooseFiles(QWidget* parent, const FileRequest& r) {
    QStringList filters;
    for (const FileFilter& f : r.filters) filters << qtFilterString(f);
    FileDialog dialog(parent, r.title, r.folder);
    dialog.setNameFilters(filters);
    if (r.initialFilter >= 0 && r.initialFilter < filters.size())
        dialog.selectNameFilter(filters[r.initialFilter]);
    switch (r.mode) {
        case FileRequest::Mode::Open:
            dialog.setAcceptMode(QFileDialog::AcceptOpen);
            dialog.setFileMode(r.mustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
            break;
        case FileRequest::Mode::OpenMany:
            dialog.setAcceptMode(QFileDialog::AcceptOpen);
            dialog.setFileMode(QFileDialog::ExistingFiles);
            break;
        case FileRequest::Mode::Save:
            dialog.setAcceptMode(QFileDialog::AcceptSave);
            dialog.setFileMode(QFileDialog::AnyFile);
            // The editor and patcher ask their own overwrite questions.
            dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
            break;
    }
    if (dialog.exec() != QDialog::Accepted) return {};
    return dialog.selectedFiles();
}

QString QtPrompt::chooseFolder(QWidget* parent, const QString& title, const QString& startFolder) {
    return QFileDialog::getExistingDirectory(parent, title, startFolder);
}

PromptAnswer ask(QWidget* parent, PromptIcon icon, PromptButtons buttons, const QString& title,
                 const QString& text, PromptAnswer defaultButton) {
    MessageRequest r;
    r.icon = icon;
    r.buttons = buttons;
    r.title = title;
    r.text = text;
    r.defaultButton = defaultButton;
    return prompt().message(parent, r);
}

QString QtPrompt::chooseItem(QWidget* parent, const QString& title, const QString& label,
                             const QStringList& items) {
    bool ok = false;
    const QString chosen = QInputDialog::getItem(parent, title, label, items, 0, false, &ok);
    return ok ? chosen : QString();
}

}  // namespace vantorel::gui
