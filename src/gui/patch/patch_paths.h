#pragma once

#include <QString>
#include <QStringList>

namespace vantorel::gui {

// Whether a file is a patch (IPS, BPS or UPS): by its first bytes; by its extension only
// when it cannot be read.
bool isPatchFile(const QString& path);

// Where dropped files go in the patcher: the first patch and the first other file (the
// image to patch). Either may be empty.
struct DroppedPaths {
    QString patch;
    QString image;
};
DroppedPaths sortDroppedPaths(const QStringList& paths);

// A destination beside the image that does not overwrite it: "game.bin" gives
// "game_patched.bin"; a name without extension gets the suffix at its end.
QString suggestPatchedName(const QString& imagePath);

}  // namespace vantorel::gui
