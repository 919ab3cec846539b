#pragma once

// Language files and settings built in code for the shell's tests.

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "engine/common/settings.h"
#include "gui/lang/app_state.h"

namespace vantorel::test {

// A language file whose every text starts with `tag`, so a test can tell which file a
// caption came from. Without Msgs/AppMsg it is not a language file.
inline QByteArray languageText(const QString& tag, bool withAppMsg = true) {
    QString t;
    t += "[Msgs]\n";
    if (withAppMsg) t += "AppMsg=" + tag + " ready %v\n";
    t += "WantExit=" + tag + " exit?\nGoodbye=" + tag + " bye\n";
    t += "[frmSplash]\nlblCompany=" + tag + " company\nlblVersion=" + tag + " version\n";
    t += "lblPlatform=" + tag + " platform\nlblKey=" + tag + " key\n";
    t += "[mdMain]\ncmdTools=" + tag + " tools\nmnuArch=" + tag + " file\nmnuArchIdioma=" + tag +
         " language\n";
    t += "ID_SEPARATOR=" + tag + " separator text\nmnuArchQuit=" + tag + " quit\nmnuAyuda=" + tag + " help\n";
    t += "mnuAyudaAcerca=" + tag + " about\nshConvert=" + tag + " convert\nshEdit=" + tag + " edit\n";
    t += "shIPS=" + tag + " ips\nshRun=" + tag + " run\nCaption=" + tag + " main caption\n";
    t += "[frmIdioma]\nCaption=" + tag + " caption\nIDOK=" + tag + " ok\nIDCANCEL=" + tag + " cancel\n";
    t += "Msg1=" + tag + " first\nMsg2=" + tag + " change\n";
    return t.toUtf8();
}

// A folder of language files plus a settings file of its own, installed as the program's.
class LanguageFolder {
public:
    LanguageFolder() {
        auto& st = gui::appState();
        st.settingsPath = settingsPath();
        st.languageFile.clear();
        st.catalogue.clear();
        st.languageChanged = st.firstRunMode = st.reloading = false;
    }
    ~LanguageFolder() { gui::appState().settingsPath.clear(); }

    QString folder() const { return langDir_.path(); }
    QString settingsPath() const { return settingsDir_.filePath(QStringLiteral("vantorel.ini")); }
    QString lockDir() const { return settingsDir_.path(); }

    QString add(const QString& fileName, const QByteArray& content) {
        const QString path = QDir(folder()).filePath(fileName);
        QFile f(path);
        if (f.open(QIODevice::WriteOnly)) f.write(content);
        return path;
    }
    QString storedLanguage() const {
        return gui::settingValue(settings::section::Idioma, settings::key::Idioma);
    }
    void storeLanguage(const QString& path) {
        (void)gui::writeSetting(settings::section::Idioma, settings::key::Idioma, path);
    }

private:
    QTemporaryDir langDir_;
    QTemporaryDir settingsDir_;
};

}  // namespace vantorel::test
