#include "gui/lang/app_state.h"

#include "engine/common/ini.h"

namespace vantorel::gui {

AppState& appState() {
    static AppState state;
    return state;
}

QString msg(lang::Msg m) { return QString::fromStdString(appState().catalogue.text(m)); }

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
    return QString::fromStdString(
        ReadIniValue(file.toStdString(), section.toStdString(), key.toStdString()));
}

QString langValue(const QString& section, const QString& key) {
    return iniValue(appState().languageFile, section, key);
}

QString appMessage() {
    return msg(lang::Msg::AppMsg, QStringLiteral("%v"), QString::fromStdString(lang::versionText()));
}

}  // namespace vantorel::gui
