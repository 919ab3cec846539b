#pragma once

#include <QString>
#include <optional>

#include "engine/common/error.h"

class QWidget;

namespace vantorel::gui {

// Which image of an archive the user means. A plain file needs no choice (an empty entry);
// an archive with one image gives it; an archive with several asks the user, with the list
// of them (nullopt when the user cancels). An archive that cannot be read, or holds no
// image, is said in a box titled with its path (nullopt too).
std::optional<QString> chooseImageEntry(QWidget* parent, const QString& path);

}  // namespace vantorel::gui
