#pragma once

#include <QString>

class QWidget;

namespace vantorel::gui {

// The folder chooser titled with RomFolder. Returns the chosen folder ending in exactly one
// "/", or empty text when the user cancelled (callers keep what they had).
QString BrowseFolder(QWidget* owner, const QString& startFolder = {});

}  // namespace vantorel::gui
