#pragma once

#include <QString>
#include <filesystem>
#include <string_view>

#include "engine/common/error.h"
#include "engine/lang/catalogue.h"

namespace vantorel::gui {

// The process-wide values that start-up sets and the windows read.
struct AppState {
    QString languageFile;   // path of the current language file
    QString interfaceFont;  // family applied to every window's controls
    lang::Catalogue catalogue;
    bool languageChanged = false;
    bool firstRunMode = false;
    bool reloading = false;  // a language switch is closing the main window
    // One of the program's own windows (splash, language chooser, about box, credits) has
    // just closed: the main window's next activation shows AppMsg again.
    bool ownWindowClosed = false;
    // The settings file when one was named (tests name their own); empty: the program's
    // own, found afresh at every use since where it lives depends on what exists.
    QString settingsPath;
};

AppState& appState();

// A catalogue text as a QString, optionally with one placeholder replaced everywhere.
QString msg(lang::Msg m);
QString msg(lang::Msg m, const QString& marker, const QString& value);
QString msg(lang::Msg m, const QString& marker1, const QString& value1, const QString& marker2,
            const QString& value2);

// One value of the current language file (empty when missing).
QString langValue(const QString& section, const QString& key);
// One value of any INI file, as a QString.
QString iniValue(const QString& file, const QString& section, const QString& key);

// AppMsg with its %v filled in: what the status line shows when idle.
QString appMessage();

// The settings file the windows read and write.
std::filesystem::path settingsFile();
// One settings value (empty when missing).
QString settingValue(std::string_view section, std::string_view key);
// One settings value written; the reason when it could not be.
[[nodiscard]] Result<void> writeSetting(std::string_view section, std::string_view key, const QString& value);
// The ROM folder becomes the current folder.
void SetRomFolder();

}  // namespace vantorel::gui
