#pragma once
// Crossings between the library's texts and paths and Qt's strings. The
// library's texts are UTF-8; paths go through the file system's encoding.

#include <QFile>
#include <QString>

#include <filesystem>
#include <string_view>

namespace kerfwright::app {

inline QString qtText(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

inline QString qtPathText(const std::filesystem::path& path) { return QFile::decodeName(path.c_str()); }

inline std::filesystem::path filePath(const QString& text) {
    return std::filesystem::path(QFile::encodeName(text).toStdString());
}

}  // namespace kerfwright::app
