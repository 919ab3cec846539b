#pragma once

#include <QString>
#include <QStringList>

namespace vantorel::gui {

// Where dropped files go in the patcher: the first patch (by its .ips extension) and the
// first other file (the image to patch). Either may be empty.
struct DroppedPaths {
    QString patch;
    QString image;
};
DroppedPaths sortDroppedPaths(const QStringList& paths);

// A destination beside the image that does not overwrite it: "game.bin" gives
// "game_patched.bin"; a name without extension gets the suffix at its end.
QString suggestPatchedName(const QString& imagePath);

}  // namespace vantorel::gui
