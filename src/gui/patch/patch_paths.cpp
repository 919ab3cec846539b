#include "gui/patch/patch_paths.h"

#include <QFile>
#include <QFileInfo>

#include "engine/patch/patch_format.h"

namespace vantorel::gui {

bool isPatchFile(const QString& path) {
    QFile f(path);
    if (QFileInfo(path).isFile() && f.open(QIODevice::ReadOnly)) {
        const QByteArray start = f.read(5);
        return patch::detectPatchFormat(std::span(reinterpret_cast<const std::uint8_t*>(start.constData()),
                                                  static_cast<std::size_t>(start.size())))
            .has_value();
    }
    const QString suffix = QFileInfo(path).suffix().toLower();
    return suffix == QLatin1String("ips") || suffix == QLatin1String("bps") || suffix == QLatin1String("ups");
}

DroppedPaths sortDroppedPaths(const QStringList& paths) {
    DroppedPaths out;
    for (const QString& p : paths) {
        if (p.isEmpty()) continue;
        QString& slot = isPatchFile(p) ? out.patch : out.image;
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
