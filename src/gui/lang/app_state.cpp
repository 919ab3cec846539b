#include "gui/lang/app_state.h"

#include <QFile>

#include "engine/common/ini.h"
#include "engine/common/settings.h"

namespace vantorel::gui {

AppState& appState() {
    static AppState state;
    return state;
}

QString msg(lang::Msg m) {
    return QString::fromStdString(appState().catalogue.text(m));
}

QString msg(lang::Msg m, const QString& marker, const QString& value) {
    QString t = msg(m);
    t.replace(marker, value);
    return t;
}

QString msg(lang::Msg m, const QString& marker1, const QString& value1, const QString& marker2,
            const QString& value2) {
    QString t = msg(m);
    t.replace(marker1, value1);
    t.replace(marker2, value2);
    return t;
}

QString iniValue(const QString& file, const QString& section, const QString& key) {
    if (file.isEmpty()) return {};
    return QString::fromStdString(ReadIniValue(file.toStdString(), section.toStdString(), key.toStdString()));
}

QString langValue(const QString& section, const QString& key) {
    return iniValue(appState().languageFile, section, key);
}

std::filesystem::path settingsFile() {
    const QString named = appState().settingsPath;
    if (!named.isEmpty()) return std::filesystem::path(QFile::encodeName(named).toStdString());
    return settings::filePath();
}

QString settingValue(std::string_view section, std::string_view key) {
    return QString::fromStdString(settings::read(settingsFile(), section, key));
}

Result<void> writeSetting(std::string_view section, std::string_view key, const QString& value) {
    return settings::write(settingsFile(), section, key, value.toStdString());
}

void SetRomFolder() {
    (void)vantorel::SetRomFolder(settingsFile());
}

QString appMessage() {
    return msg(lang::Msg::AppMsg, QStringLiteral("%v"), QString::fromStdString(lang::versionText()));
}

}  // namespace vantorel::gui
