#include "PathRules.h"
#include "Platform.h"

#include <QFile>

#include <limits.h>
#include <unistd.h>

namespace zort::platform {

QString executableFolder()
{
    char buffer[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", buffer, sizeof buffer);
    if (length <= 0 || static_cast<std::size_t>(length) >= sizeof buffer)
        return {};
    const QString path = QFile::decodeName(QByteArray(buffer, static_cast<qsizetype>(length)));
    return folderPart(path, PathStyle::Posix);
}

} // namespace zort::platform
