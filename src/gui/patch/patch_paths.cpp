#include "gui/patch/patch_paths.h"

#include <QFileInfo>

namespace vantorel::gui {

DroppedPaths sortDroppedPaths(const QStringList& paths) {
    DroppedPaths out;
    for (const QString& p : paths) {
        if (p.isEmpty()) continue;
        const bool isPatch = QFileInfo(p).suffix().compare(QLatin1String("ips"), Qt::CaseInsensitive) == 0;
        QString& slot = isPatch ? out.patch : out.image;
        if (slot.isEmpty()) slot = p;
    }
    return out;
}

QString suggestPatchedName(const QString& imagePath) {
    if (imagePath.isEmpty()) return {};
    const QFileInfo info(imagePath);
    const QString name = info.fileName();
    // Only the last extension counts; a leading dot (".hidden") is not one.
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    const QString stem = dot > 0 ? name.left(dot) : name;
    const QString ext = dot > 0 ? name.mid(dot) : QString();
    const qsizetype cut = imagePath.size() - name.size();
    return imagePath.left(cut) + stem + QStringLiteral("_patched") + ext;
}

}  // namespace vantorel::gui
