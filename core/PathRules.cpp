#include "PathRules.h"

#include "ConnectionString.h"

namespace zort {

namespace {

bool isSeparator(QChar c, PathStyle style)
{
    if (style == PathStyle::Windows)
        return c == u'\\' || c == u':';
    return c == u'/';
}

qsizetype lastSeparator(const QString &path, PathStyle style)
{
    for (qsizetype i = path.size() - 1; i >= 0; --i) {
        if (isSeparator(path[i], style))
            return i;
    }
    return -1;
}

} // namespace

PathStyle nativePathStyle()
{
#ifdef _WIN32
    return PathStyle::Windows;
#else
    return PathStyle::Posix;
#endif
}

QChar folderSeparator(PathStyle style)
{
    return style == PathStyle::Windows ? QChar(u'\\') : QChar(u'/');
}

QString filePart(const QString &path, PathStyle style)
{
    return path.mid(lastSeparator(path, style) + 1);
}

QString folderPart(const QString &path, PathStyle style)
{
    const qsizetype last = lastSeparator(path, style);
    if (last < 0)
        return {};
    // A drive's ":" always stays; a folder separator stays only where it is the root itself.
    const QChar sep = folderSeparator(style);
    if (path[last] == sep && last > 0 && !isSeparator(path[last - 1], style))
        return path.left(last);
    return path.left(last + 1);
}

QString formConnectString(const QString &shortFolder, const QString &fileName, PathStyle style)
{
    return ConnectionString::forWorkbook(shortFolder + folderSeparator(style) + fileName,
                                         shortFolder);
}

FormLocation locateForm(const QString &path, PathStyle style,
                        const ShortFolderFunction &shortFolder)
{
    FormLocation location;
    location.fileName = filePart(path, style);
    location.shortDir = shortFolder(folderPart(path, style));
    location.connectString = formConnectString(location.shortDir, location.fileName, style);
    return location;
}

} // namespace zort
