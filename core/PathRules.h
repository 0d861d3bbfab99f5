#pragma once

#include <QString>

#include <functional>

namespace zort {

// Which characters separate the parts of a path: on Windows "\" and the drive's ":", elsewhere
// "/" alone.
enum class PathStyle { Windows, Posix };

// The style of the platform we run on.
PathStyle nativePathStyle();

// The separator put between a folder and a file name.
QChar folderSeparator(PathStyle style);

// Everything after the last separator; the whole path when it has none.
QString filePart(const QString &path, PathStyle style);

// The path up to and including its last separator, where a final folder separator is dropped
// again unless it is the path's first character or follows ":" or another separator; empty
// when the path has no separator. C:\Forms\a.xls -> C:\Forms, C:\a.xls -> C:\, C:a.xls -> C:,
// \a.xls -> \; /home/a.xls -> /home, /a.xls -> /.
QString folderPart(const QString &path, PathStyle style);

// "DSN=DataVELT;DBQ=<folder><separator><file>;DefaultDir=<folder>;". A value that holds ";" or
// starts with "{" is written in braces with "}" doubled, as ODBC connection strings quote;
// ordinary paths are written as they are.
QString formConnectString(const QString &shortFolder, const QString &fileName, PathStyle style);

// The three texts a workbook's connection is built from, in the order they are made: the file
// part, the short form of the folder part, and the connection string over both.
struct FormLocation
{
    QString fileName;
    QString shortDir;
    QString connectString;
};

using ShortFolderFunction = std::function<QString(const QString &folder)>;

FormLocation locateForm(const QString &path, PathStyle style,
                        const ShortFolderFunction &shortFolder);

} // namespace zort
