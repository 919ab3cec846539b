#include "gui/common/folder_chooser.h"

#include "engine/common/paths.h"
#include "gui/common/prompt.h"
#include "gui/lang/app_state.h"

namespace vantorel::gui {

QString BrowseFolder(QWidget* owner, const QString& startFolder) {
    const QString chosen = prompt().chooseFolder(owner, msg(lang::Msg::RomFolder), startFolder);
    if (chosen.isEmpty()) return {};
    return QString::fromStdString(paths::withTrailingSlash(chosen.toStdString()));
}

}  // namespace vantorel::gui
