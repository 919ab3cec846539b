#include "gui/support/scripted.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

#include "engine/common/settings.h"
#include "gui/lang/app_state.h"

namespace vantorel::test {

gui::PromptAnswer ScriptedPrompt::message(QWidget*, const gui::MessageRequest& r) {
    messages << r;
    if (onMessage) onMessage(r);
    if (answers.empty()) {
        ++unexpected;
        qWarning("ScriptedPrompt: unexpected message box '%s': '%s'", qPrintable(r.title),
                 qPrintable(r.text));
        return r.buttons == gui::PromptButtons::YesNo ? gui::PromptAnswer::No : gui::PromptAnswer::Ok;
    }
    const auto a = answers.front();
    answers.pop_front();
    return a;
}

QStringList ScriptedPrompt::chooseFiles(QWidget*, const gui::FileRequest& r) {
    fileRequests << r;
    if (fileAnswers.empty()) {
        ++unexpected;
        qWarning("ScriptedPrompt: unexpected file chooser '%s'", qPrintable(r.title));
        return {};
    }
    const QStringList a = fileAnswers.front();
    fileAnswers.pop_front();
    return a;
}

QString ScriptedPrompt::chooseFolder(QWidget*, const QString& title, const QString&) {
    folderTitles << title;
    if (folderAnswers.empty()) {
        ++unexpected;
        qWarning("ScriptedPrompt: unexpected folder chooser '%s'", qPrintable(title));
        return {};
    }
    const QString a = folderAnswers.front();
    folderAnswers.pop_front();
    return a;
}

QString ScriptedPrompt::chooseItem(QWidget*, const QString& title, const QString&, const QStringList& items) {
    itemLists << items;
    if (itemAnswers.empty()) {
        ++unexpected;
        qWarning("ScriptedPrompt: unexpected list '%s'", qPrintable(title));
        return {};
    }
    const QString a = itemAnswers.front();
    itemAnswers.pop_front();
    return a;
}

QString sourceLangFile(const QString& name) {
    return QStringLiteral(VANTOREL_SOURCE_DIR "/lang/") + name + QStringLiteral(".idi");
}

QString useLanguage(const QString& name) {
    static QTemporaryDir dir;  // one settings folder per test program
    const QString settingsPath = dir.filePath(QStringLiteral("vantorel.ini"));
    QFile::remove(settingsPath);
    auto& st = gui::appState();
    st.settingsPath = settingsPath;
    st.languageFile = sourceLangFile(name);
    st.catalogue.load(st.languageFile.toStdString());
    return settingsPath;
}

}  // namespace vantorel::test
