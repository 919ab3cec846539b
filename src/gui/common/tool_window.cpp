#include "gui/common/tool_window.h"

#include <QMdiSubWindow>
#include <map>

namespace vantorel::gui {
namespace {
std::map<ToolId, ToolFactory>& registry() {
    static std::map<ToolId, ToolFactory> r;
    return r;
}
}  // namespace

void ToolWindow::unloadTool() {
    emit unloaded();
    if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget())) {
        sub->setAttribute(Qt::WA_DeleteOnClose, true);
        sub->close();
    } else {
        close();
        deleteLater();
    }
}

void registerTool(ToolId id, ToolFactory factory) { registry()[id] = std::move(factory); }

ToolFactory toolFactory(ToolId id) {
    auto it = registry().find(id);
    return it == registry().end() ? ToolFactory{} : it->second;
}

}  // namespace vantorel::gui
