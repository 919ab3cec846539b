#include "gui/launcher/emulator_choosers.h"

#include "gui/common/prompt.h"
#include "gui/lang/app_state.h"

namespace vantorel::gui {
using lang::Msg;

namespace {
QString chooseExe(QWidget* owner, const QString& title, QList<FileFilter> filters) {
    FileRequest r;
    r.mode = FileRequest::Mode::Open;
    r.title = title;
    r.filters = std::move(filters);
    r.initialFilter = 0;
    r.mustExist = true;
    const QStringList chosen = prompt().chooseFiles(owner, r);
    return chosen.isEmpty() ? QString() : chosen.first().trimmed();
}
}  // namespace

QString ChooseEmulatorExe(QWidget* owner, QString& name) {
    name = name.toUpper();
    const QString exe = name + QStringLiteral(".exe");
    return chooseExe(owner, msg(Msg::SelExe, QStringLiteral("%p"), name),
                     {{msg(Msg::MainExe, QStringLiteral("%p"), name) + QStringLiteral(" (") + exe + ')',
                       exe + ';' + name.toLower()},
                      {msg(Msg::EXEs), QStringLiteral("*.exe")},
                      {msg(Msg::AllFiles), QStringLiteral("*.*")}});
}

QString ChooseOtherEmulatorExe(QWidget* owner) {
    return chooseExe(
        owner, msg(Msg::SelOtroEmu),
        {{msg(Msg::EXEs), QStringLiteral("*.exe")}, {msg(Msg::AllFiles), QStringLiteral("*.*")}});
}

}  // namespace vantorel::gui
