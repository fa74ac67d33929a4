#include "ui/file_type_guard.h"

#include <QFileInfo>
#include <QMimeDatabase>
#include <QMimeType>

namespace mk843nb {

namespace {

QMimeType TypeByName(const QFileInfo& info) {
    return QMimeDatabase().mimeTypeForFile(info, QMimeDatabase::MatchExtension);
}

}  // namespace

NameOnlyIconProvider::NameOnlyIconProvider() {
    // A folder's own icon would be read from a file inside it.
    setOptions(DontUseCustomDirectoryIcons);
}

QIcon NameOnlyIconProvider::icon(const QFileInfo& info) const {
    if (info.isDir()) return icon(QAbstractFileIconProvider::Folder);
    if (!info.isFile()) return icon(QAbstractFileIconProvider::File);
    return QIcon::fromTheme(TypeByName(info).iconName(), icon(QAbstractFileIconProvider::File));
}

QString NameOnlyIconProvider::type(const QFileInfo& info) const {
    if (info.isDir()) return QFileIconProvider::type(info);
    if (!info.isFile()) return QStringLiteral("Special file");
    return TypeByName(info).comment();
}

}  // namespace mk843nb
