#include "Platform.h"

#include <QFile>

#include <sys/stat.h>

namespace zort::platform {

QString shortFolder(const QString &folder)
{
    // POSIX file systems keep no second, shorter name: the folder's own path is its short form.
    // It is not canonicalised, so the connection string names the folder as the user did. The
    // 259-character limit of Windows short paths has no counterpart; the OS's own limit applies.
    if (folder.isEmpty())
        return {};
    struct stat info
    {
    };
    if (::stat(QFile::encodeName(folder).constData(), &info) != 0 || !S_ISDIR(info.st_mode))
        return {};
    return folder;
}

} // namespace zort::platform
