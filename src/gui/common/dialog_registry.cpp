#include "gui/common/dialog_registry.h"

#include <map>

namespace vantorel::gui {
namespace {
std::map<QString, DialogFactory>& registry() {
    static std::map<QString, DialogFactory> r;
    return r;
}
}  // namespace

void registerDialog(const QString& name, DialogFactory factory) {
    registry()[name] = std::move(factory);
}

DialogFactory dialogFactory(const QString& name) {
    auto it = registry().find(name);
    return it == registry().end() ? DialogFactory{} : it->second;
}

}  // namespace vantorel::gui
