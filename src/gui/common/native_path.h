#pragma once

#include <QFile>
#include <QString>
#include <filesystem>
#include <string>

namespace vantorel::gui {

// Paths cross between the windows and the engine in the file system's own bytes, so a name
// that is not valid UTF-8 still names its file.
inline std::string toNative(const QString& path) {
    return QFile::encodeName(path).toStdString();
}
inline std::filesystem::path toPath(const QString& path) {
    return std::filesystem::path(toNative(path));
}
inline QString fromNative(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}
inline QString fromPath(const std::filesystem::path& path) {
    return fromNative(path.string());
}

}  // namespace vantorel::gui
