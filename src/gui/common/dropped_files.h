#pragma once

#include <QStringList>

class QMimeData;

namespace vantorel::gui {

// The local paths a drag carries, in its order; links to elsewhere are left out.
QStringList droppedPaths(const QMimeData* mime);
// The same, keeping only paths that name existing files (not folders).
QStringList droppedFiles(const QMimeData* mime);

}  // namespace vantorel::gui
