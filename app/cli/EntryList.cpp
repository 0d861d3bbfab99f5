#include "EntryList.h"

#include <QDir>
#include <QFileInfo>

namespace zort::cli {

namespace {

QString absolutePath(const QString &path)
{
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

bool isFormWorkbook(const QFileInfo &file)
{
    const QString suffix = file.suffix();
    return suffix.compare(QLatin1String("xls"), Qt::CaseInsensitive) == 0
           || suffix.compare(QLatin1String("xlt"), Qt::CaseInsensitive) == 0;
}

} // namespace

std::vector<DocumentEntry> entriesFor(const QStringList &paths)
{
    std::vector<DocumentEntry> entries;
    for (const QString &path : paths) {
        const QFileInfo info(path);
        if (!info.isDir()) {
            entries.push_back({absolutePath(path), true});
            continue;
        }
        const QFileInfoList files =
                QDir(path).entryInfoList(QDir::Files, QDir::Name | QDir::IgnoreCase);
        for (const QFileInfo &file : files) {
            if (isFormWorkbook(file))
                entries.push_back({absolutePath(file.filePath()), true});
        }
    }
    return entries;
}

} // namespace zort::cli
