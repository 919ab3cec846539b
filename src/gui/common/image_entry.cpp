#include "gui/common/image_entry.h"

#include <QStringList>

#include "engine/rom/load_image.h"
#include "gui/common/error_text.h"
#include "gui/common/native_path.h"
#include "gui/common/prompt.h"
#include "gui/lang/app_state.h"

namespace vantorel::gui {

std::optional<QString> chooseImageEntry(QWidget* parent, const QString& path) {
    // Only the archive's list of files is read here, not its images: a moment even for a
    // large archive.
    auto names = rom::imageEntries(toPath(path));
    if (!names) {
        ask(parent, PromptIcon::Error, PromptButtons::Ok, path, errorText(names.error()));
        return std::nullopt;
    }
    if (names.value().empty()) return QString();  // a plain file
    if (names.value().size() == 1) return QString::fromStdString(names.value().front());
    QStringList items;
    for (const std::string& n : names.value()) items << QString::fromStdString(n);
    const QString chosen = prompt().chooseItem(parent, path, msg(lang::Msg::ChooseEntry), items);
    if (chosen.isEmpty()) return std::nullopt;
    return chosen;
}

}  // namespace vantorel::gui
