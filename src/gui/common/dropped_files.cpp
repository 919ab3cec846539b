#include "gui/common/dropped_files.h"

#include <QFileInfo>
#include <QMimeData>
#include <QUrl>

namespace vantorel::gui {

QStringList droppedPaths(const QMimeData* mime) {
    QStringList paths;
    if (!mime || !mime->hasUrls()) return paths;
    for (const QUrl& url : mime->urls())
        if (url.isLocalFile() && !url.toLocalFile().isEmpty()) paths << url.toLocalFile();
    return paths;
}

QStringList droppedFiles(const QMimeData* mime) {
    QStringList files;
    for (const QString& path : droppedPaths(mime))
        if (QFileInfo(path).isFile()) files << path;
    return files;
}

}  // namespace vantorel::gui
